#pragma once
// The framework's exception base and the program's two exception classes.
//
// Every error inside an operation is one of these (or an archive exception, Archive.h, or a
// CResStreamException); the command level catches CException, shows
// GetErrorText() with the error icon, and goes on. CUserException is the silent one: the
// message has already been shown, the command just stops.
#include <exception>
#include <string>
#include <string_view>

#include "platform/Types.h"

class CException : public std::exception {
 public:
  ~CException() override = default;

  // The message as error text; empty when the exception has none.
  virtual std::u16string GetErrorText() const { return {}; }

  // The message cut to the caller's buffer (maxChars includes the terminator), as the
  // framework hands it over. Returns false, with an empty buffer, when there is no text.
  bool GetErrorMessage(char16_t* buffer, UINT maxChars) const;

  // UTF-8 form of GetErrorText() for logs and test failures.
  const char* what() const noexcept override;

 private:
  mutable std::string m_what;
};

// A command that already told the user what went wrong: stop without another message.
class CUserException : public CException {};

// The framework's "unsupported operation" (e.g. storing a class that has no schema).
class CNotSupportedException : public CException {
 public:
  std::u16string GetErrorText() const override { return u"An unsupported operation was attempted."; }
};

// The framework's out-of-memory exception (also: a stored class that cannot be created).
class CMemoryException : public CException {
 public:
  std::u16string GetErrorText() const override { return u"Out of memory."; }
};

// A message text.
class CStringException : public CException {
 public:
  explicit CStringException(std::u16string text) : m_text(std::move(text)) {}
  std::u16string GetErrorText() const override { return m_text; }

 protected:
  CStringException() = default;
  std::u16string m_text;
};

// A failure of a platform service: the given text, then the platform's text for the last
// error (here errno), captured when the exception is created:
//   text + separator + system text      (system text "Unspecified error." for 0)
// separator: "\n" when lineFeed is asked for, else two spaces when the text is not empty,
// else nothing.
class CWin32Exception : public CStringException {
 public:
  explicit CWin32Exception(std::u16string_view text, bool lineFeed = false);
  // The text is the program's string `stringId` (Messages.h).
  explicit CWin32Exception(UINT stringId, bool lineFeed = false);

  DWORD GetLastErrorCode() const { return m_lastError; }

  // The platform's text for an error code; "Unspecified error." for 0.
  static std::u16string SystemErrorText(DWORD code);

 private:
  void Compose(std::u16string_view text, bool lineFeed);
  DWORD m_lastError;
};
