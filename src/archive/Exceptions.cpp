#include "archive/Exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "platform/Messages.h"
#include "platform/Text.h"

bool CException::GetErrorMessage(char16_t* buffer, UINT maxChars) const {
  if (buffer == nullptr || maxChars == 0) return false;
  std::u16string text = GetErrorText();
  size_t n = std::min<size_t>(text.size(), maxChars - 1);
  std::memcpy(buffer, text.data(), n * sizeof(char16_t));
  buffer[n] = 0;
  return !text.empty();
}

const char* CException::what() const noexcept {
  try {
    m_what = tvl::ToUtf8(GetErrorText());
  } catch (...) {
    return "exception";
  }
  return m_what.c_str();
}

namespace {

// strerror_r comes in two shapes (GNU returns a pointer, XSI fills the buffer); accept both.
[[maybe_unused]] const char* PickStrerror(const char* result, const char*) { return result; }
[[maybe_unused]] const char* PickStrerror(int result, const char* buffer) {
  return result == 0 ? buffer : nullptr;
}

}  // namespace

std::u16string CWin32Exception::SystemErrorText(DWORD code) {
  if (code == 0) return u"Unspecified error.";
  char buffer[256] = {};
  const char* text = PickStrerror(strerror_r(static_cast<int>(code), buffer, sizeof buffer), buffer);
  if (text == nullptr || *text == 0) return u"Unknown error " + tvl::FromUtf8(std::to_string(code)) + u".";
  return tvl::FromUtf8(text);
}

CWin32Exception::CWin32Exception(std::u16string_view text, bool lineFeed)
    : m_lastError(static_cast<DWORD>(errno)) {
  Compose(text, lineFeed);
}

CWin32Exception::CWin32Exception(UINT stringId, bool lineFeed)
    : m_lastError(static_cast<DWORD>(errno)) {
  // Loading the string must not disturb the code already taken.
  Compose(LoadResString(stringId), lineFeed);
}

void CWin32Exception::Compose(std::u16string_view text, bool lineFeed) {
  m_text.assign(text);
  if (lineFeed)
    m_text += u'\n';
  else if (!text.empty())
    m_text += u"  ";
  m_text += SystemErrorText(m_lastError);
}
