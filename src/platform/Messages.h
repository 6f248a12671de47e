#pragma once
// The single message routine and the program's string table.
// Every message of the program ends in DoMessageBox, which hands it to the installed sink:
// the batch log, the GUI's message box, or a test's recorder.
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/Types.h"

// Message box types and answers, with the platform's values.
enum : UINT {
  MB_OK = 0x00,
  MB_OKCANCEL = 0x01,
  MB_ABORTRETRYIGNORE = 0x02,
  MB_YESNOCANCEL = 0x03,
  MB_YESNO = 0x04,
  MB_RETRYCANCEL = 0x05,
  MB_TYPEMASK = 0x0F,
  MB_ICONERROR = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONWARNING = 0x30,
  MB_ICONINFORMATION = 0x40,
  MB_ICONMASK = 0xF0,
  MB_DEFBUTTON2 = 0x100,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

class CMessageSink {
 public:
  virtual ~CMessageSink() = default;
  // Shows or records the message and returns the button pressed.
  virtual int Show(const std::u16string& text, UINT type, UINT helpId) = 0;
};

// Installs a sink (nullptr: the default sink, which writes to standard error and answers OK).
// Returns the previous one.
CMessageSink* SetMessageSink(CMessageSink* sink);
// Sends the calling thread's messages to `sink` instead (nullptr: back to the installed one),
// for work done beside the main thread whose messages are shown later, in order.
// Returns the thread's previous one.
CMessageSink* SetThreadMessageSink(CMessageSink* sink);

// Keeps messages to show them later; answers OK.
class CMessageRecorder : public CMessageSink {
 public:
  struct Message {
    std::u16string text;
    UINT type, helpId;
  };
  int Show(const std::u16string& text, UINT type, UINT helpId) override {
    m_messages.push_back({text, type, helpId});
    return IDOK;
  }
  // Shows the kept messages through the calling thread's sink and forgets them.
  void Replay();
  const std::vector<Message>& Messages() const { return m_messages; }

 private:
  std::vector<Message> m_messages;
};

int DoMessageBox(const std::u16string& text, UINT type = MB_OK, UINT helpId = 0);
int DoMessageBox(UINT stringId, UINT type = MB_OK, UINT helpId = 0);

// The program's string table; "???" for an id it lacks.
std::u16string LoadResString(UINT id);
bool HasResString(UINT id);

// An insert for FormatMessageText: text or a number.
using MessageArg = std::variant<std::u16string, std::int64_t>;
inline MessageArg Arg(std::u16string s) { return MessageArg(std::move(s)); }
inline MessageArg Arg(const char16_t* s) { return MessageArg(std::u16string(s)); }
inline MessageArg Arg(std::int64_t n) { return MessageArg(n); }

// The platform's message-format syntax: %1..%99 with optional !printf-type! (u, d, x, X, s),
// %% for a percent sign, %n for a line feed, %0 ends the text.
std::u16string FormatMessageText(std::u16string_view format, const std::vector<MessageArg>& args);
std::u16string FormatMessageId(UINT id, const std::vector<MessageArg>& args);

// String ids the code refers to by number.
enum StringId : UINT {
  IDR_MAINFRAME = 128,
  IDS_DELETE_TRANSLATION = 1029,
  IDS_DELETE_TRANSLATION_KEY = 1030,
  IDS_BANNER = 1034,
  IDS_DIALOG_VIEW_ERROR = 1103,
  IDS_LOG_ERROR = 1040,
  IDS_LOG_WARNING = 1041,
};
