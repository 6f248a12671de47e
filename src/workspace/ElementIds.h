#pragma once
// Where the part of an item id below a node ("control/1000#0", "0.2/label", "16/text")
// points inside the resource or table the node shows: the ids the exchange formats and the
// checks write, read back by the views that select the element. Accelerator entries, which
// the exchange formats leave out, are named "key/<command>#<occurrence>".
#include <optional>
#include <string>
#include <string_view>

#include "platform/Types.h"
#include "workspace/DialogViewRules.h"

class CResDialog;
class CResMenu;
class CResVersion;
class CResAcceleratorTable;

namespace tvl {

// "caption", "control/1000#0", "init/1002#1" (the second initial string of control 1002).
std::optional<CDialogElement> DialogElementOf(const CResDialog& dialog, std::string_view element);

struct CMenuCell {
  int item = -1;  // in pre-order, as CResMenu::Flatten lists the items
  bool shortcut = false;
};
// "0.2/label", "0.2/shortcut": the third item of the first item's popup.
std::optional<CMenuCell> MenuCellOf(const CResMenu& menu, std::string_view element);

// The version view's items: -3 and -2 for "FileVersion#fixed" and "ProductVersion#fixed",
// else the index of the string value with that key ("Comments", a repeated key's "Key#1").
std::optional<int> VersionItemOf(const CResVersion& version, std::string_view element);

std::string AcceleratorElementId(const CResAcceleratorTable& table, size_t entry);
std::optional<size_t> AcceleratorEntryOf(const CResAcceleratorTable& table, std::string_view element);

struct CTableCell {
  DWORD id = 0;
  std::string part;  // "text", "prompt" or "tooltip"
};
// "16/text": a string or message of a table.
std::optional<CTableCell> TableCellOf(std::string_view element);

}  // namespace tvl
