#pragma once
// Every translatable text of a project as an item with an id that stays the same across
// builds of a module: "module/type/resource/element".
#include <string>
#include <vector>

#include "platform/Types.h"

class CTvlDoc;
class CModule;
class CLocalizedString;
class CPromptAndTip;
class CResDialog;
class CResDialogItem;
class CResource;
class CResourceType;

enum class TextItemKind {
  kText,     // plain text: SetTranslation
  kVersion,  // a version number: must parse as four numbers
  kPrompt,   // a command prompt or tooltip: composed back into its string after a change
};

struct CExchangeItem {
  std::string m_id;  // UTF-8
  CLocalizedString* m_value = nullptr;
  TextItemKind m_kind = TextItemKind::kText;
  CPromptAndTip* m_prompt = nullptr;  // for kPrompt
  bool m_doNotTranslate = false;      // exported marked so, never imported

  // What translators' tools show beside the text; nothing of it is part of the id.
  std::string m_group;         // "module/type/resource", or "module/type" for string tables
  std::string m_groupName;     // the resource's name ("100", "ABOUT", "STRINGTABLE")
  std::string m_groupType;     // the resource kind: "dialog", "menu", "x-stringtable", ...
  std::string m_restype;       // the element kind: "caption", "pushbutton", "menuitem", "string", ...
  std::u16string m_context;    // the dialog's caption or the menu path above the item
  const CResDialog* m_dialog = nullptr;        // with m_control: the control's place and size
  const CResDialogItem* m_control = nullptr;
};

namespace tvl {
// The items of one module, in table order; items with an empty source are left out.
void CollectModuleItems(CModule& module, std::vector<CExchangeItem>& items);
// The items of one resource other than a string table, with ids under "module/type/"
// (typePrefix, slash included; may be empty when only the values matter).
void CollectResourceItems(const CResourceType& type, CResource& resource, const std::string& typePrefix,
                          std::vector<CExchangeItem>& items);
// The items of every module of the document.
std::vector<CExchangeItem> CollectProjectItems(CTvlDoc& doc);
}  // namespace tvl
