#pragma once
// Message tables: every message of the module in one handler, stored like the string
// table (and under its class), read from and written to MESSAGE_RESOURCE_DATA. Each message
// keeps the encoding it was read in, UTF-16 or the ANSI code page of the language.
#include "formats/text/ResStringTable.h"

class CResMessageTable : public CResStringTable {
  DECLARE_DYNAMIC(CResMessageTable)
 public:
  CResMessageTable();

  bool AddResource(CResStream& stream) override;
  void Write(CCompileContext& context) override;

  // The code page of a language's ANSI messages. A language without an ANSI code page of
  // its own uses the system's, as the platform does for such locales.
  static UINT AnsiCodePage(LANGID language);
  // A message as its resource holds it: cut at the first NUL, without its final CR LF.
  static std::u16string TrimMessageText(std::u16string text);
};
