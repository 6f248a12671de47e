#include "platform/Messages.h"

#include <cstdio>

#include "platform/Text.h"

namespace {

class CStderrSink : public CMessageSink {
 public:
  int Show(const std::u16string& text, UINT, UINT) override {
    std::fprintf(stderr, "%s\n", tvl::ToUtf8(text).c_str());
    return IDOK;
  }
};

CStderrSink g_stderrSink;
CMessageSink* g_sink = &g_stderrSink;
thread_local CMessageSink* t_sink = nullptr;

// A number with the printf format of an insert ("u", "04X", "d"...).
std::u16string FormatNumber(std::int64_t n, const std::string& spec) {
  std::string flags;
  char type = 'd';
  for (char c : spec) {
    if ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == ' ' || c == '#')
      flags += c;
    else if (c == 'u' || c == 'd' || c == 'i' || c == 'x' || c == 'X' || c == 'o')
      type = c;
  }
  if (flags.size() > 8) flags.resize(8);
  std::string format = "%" + flags;
  char buf[64];
  if (type == 'd' || type == 'i') {
    format += 'd';
    std::snprintf(buf, sizeof buf, format.c_str(), static_cast<int>(n));
  } else {
    format += type;
    std::snprintf(buf, sizeof buf, format.c_str(), static_cast<unsigned>(n));
  }
  return tvl::FromUtf8(buf);
}

}  // namespace

CMessageSink* SetMessageSink(CMessageSink* sink) {
  CMessageSink* prev = g_sink;
  g_sink = sink ? sink : &g_stderrSink;
  return prev == &g_stderrSink ? nullptr : prev;
}

CMessageSink* SetThreadMessageSink(CMessageSink* sink) {
  CMessageSink* prev = t_sink;
  t_sink = sink;
  return prev;
}

void CMessageRecorder::Replay() {
  std::vector<Message> messages;
  messages.swap(m_messages);
  for (const Message& m : messages) DoMessageBox(m.text, m.type, m.helpId);
}

int DoMessageBox(const std::u16string& text, UINT type, UINT helpId) {
  return (t_sink ? t_sink : g_sink)->Show(text, type, helpId);
}

int DoMessageBox(UINT stringId, UINT type, UINT helpId) { return DoMessageBox(LoadResString(stringId), type, helpId); }

std::u16string FormatMessageText(std::u16string_view format, const std::vector<MessageArg>& args) {
  std::u16string out;
  size_t i = 0;
  while (i < format.size()) {
    char16_t c = format[i];
    if (c != u'%' || i + 1 >= format.size()) {
      out += c;
      ++i;
      continue;
    }
    char16_t d = format[i + 1];
    if (d == u'0') break;
    if (d == u'n') {
      out += u'\n';
      i += 2;
      continue;
    }
    if (d < u'1' || d > u'9') {
      // %% and any other escaped character stand for the character itself.
      out += d;
      i += 2;
      continue;
    }
    size_t j = i + 1;
    int index = 0;
    while (j < format.size() && j < i + 3 && format[j] >= u'0' && format[j] <= u'9') index = index * 10 + (format[j++] - u'0');
    std::string spec;
    if (j < format.size() && format[j] == u'!') {
      size_t close = format.find(u'!', j + 1);
      if (close != std::u16string_view::npos) {
        for (char16_t c : format.substr(j + 1, close - j - 1)) spec += static_cast<char>(c < 0x80 ? c : '?');
        j = close + 1;
      }
    }
    if (index >= 1 && static_cast<size_t>(index) <= args.size()) {
      const MessageArg& a = args[static_cast<size_t>(index - 1)];
      if (const auto* s = std::get_if<std::u16string>(&a)) {
        out += *s;
      } else {
        out += FormatNumber(std::get<std::int64_t>(a), spec);
      }
    }
    i = j;
  }
  return out;
}

std::u16string FormatMessageId(UINT id, const std::vector<MessageArg>& args) {
  return FormatMessageText(LoadResString(id), args);
}
