#pragma once
// Dialog initialisation data (RT_DLGINIT): the initial strings of list and combo boxes and
// the opaque data of other controls, kept with their dialog.
#include <iosfwd>
#include <memory>
#include <vector>

#include "archive/Object.h"
#include "resmodel/LocalizedParam.h"

constexpr WORD RT_DLGINIT = 240;
// The messages whose data is a string: list box and combo box "add string" in 16-bit
// numbering, and extended combo box "insert item".
constexpr WORD kDlgInitListAddString = 0x0401;
constexpr WORD kDlgInitComboAddString = 0x0403;
constexpr WORD kDlgInitComboExInsertItem = 0x1234;

class CDlgInitMsg : public CObject {
  DECLARE_SERIAL(CDlgInitMsg)
 public:
  CDlgInitMsg() = default;
  CDlgInitMsg(WORD controlId, WORD message, std::unique_ptr<CLocalizedParam> value)
      : m_controlId(controlId), m_message(message), m_value(std::move(value)) {}
  ~CDlgInitMsg() override;

  void Serialize(CArchive& ar) override;
  void Dump(std::ostream& out) const;

  static bool IsStringMessage(WORD message) {
    return message == kDlgInitListAddString || message == kDlgInitComboAddString ||
           message == kDlgInitComboExInsertItem;
  }
  bool IsText() const;
  CLocalizedString* GetText() const;  // nullptr for binary entries
  CLocalizedBlob* GetBlob() const;    // nullptr for text entries
  // Text entries: 2 when marked do not translate or empty, else the language's status.
  int GetStatus(LANGID language) const;

  WORD m_controlId = 0;
  WORD m_message = 0;
  std::unique_ptr<CLocalizedParam> m_value;  // CLocalizedString or CLocalizedBlob
};

class CResStream;

namespace tvl {
// Reads the entries of RT_DLGINIT data; text is converted with the code page and its
// values carry the stream's language. Throws CResStreamException on data that breaks the
// format (an entry that runs past the data, a string without its terminating zero).
void ReadDlgInitEntries(CResStream& stream, UINT codePage, std::vector<std::unique_ptr<CDlgInitMsg>>& entries);
// The code page RT_DLGINIT text of a language is written in: the language's ANSI code page,
// or the system's for a language that has none.
UINT DlgInitCodePage(LANGID language);
}  // namespace tvl
