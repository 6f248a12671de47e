#include "project/TextItems.h"

#include <iterator>
#include <map>
#include <set>

#include "formats/layout/DlgInit.h"
#include "formats/layout/ResDialog.h"
#include "formats/layout/ResMenu.h"
#include "formats/text/PromptAndTips.h"
#include "formats/text/ResMessageTable.h"
#include "formats/text/ResStringTable.h"
#include "formats/text/ResVersion.h"
#include "platform/Text.h"
#include "project/Module.h"
#include "project/TvlDoc.h"
#include "resmodel/ResTable.h"

namespace tvl {
namespace {

std::string Num(DWORD n) { return std::to_string(n); }

struct Collector {
  std::vector<CExchangeItem>& items;
  std::string prefix;  // "module/type/resource/"
  bool resourceDoNotTranslate = false;
  CExchangeItem shared;  // the group and context every item of the resource gets

  CExchangeItem* Add(const std::string& path, CLocalizedString& value, TextItemKind kind = TextItemKind::kText,
                     CPromptAndTip* prompt = nullptr, const char* restype = "string") {
    if (value.m_text.empty()) return nullptr;  // nothing to translate
    CExchangeItem item = shared;
    item.m_id = prefix + path;
    item.m_value = &value;
    item.m_kind = kind;
    item.m_prompt = prompt;
    item.m_doNotTranslate = resourceDoNotTranslate || value.IsDoNotTranslate();
    item.m_restype = restype;
    items.push_back(std::move(item));
    return &items.back();
  }
};

// Resource kinds by the names translators' tools know; the others get an "x-" name.
std::string GroupType(const CResourceIdentifier& type) {
  if (!type.IsOrdinal()) return "x-custom";
  switch (type.m_ordinal) {
    case 1: return "cursor";
    case 2: return "bitmap";
    case 3: return "icon";
    case 4: return "menu";
    case 5: return "dialog";
    case 6: return "x-stringtable";
    case 9: return "x-accelerators";
    case 10: return "rcdata";
    case 11: return "x-messagetable";
    case 16: return "versioninfo";
    case 23: return "x-html";
    case 24: return "x-manifest";
    case 240: return "dlginit";
    case 241: return "toolbar";
    default: return "x-type" + Num(type.m_ordinal);
  }
}

// Window class names are compared without regard to case, as the system does.
bool IsClass(const CResDialogItem& item, WORD ordinal, const char16_t* name) {
  const CResourceIdentifier& c = item.m_class;
  return c.IsOrdinal() ? c.m_ordinal == ordinal : c.IsString() && CompareNoCase(c.m_name, name) == 0;
}

const char* ControlType(const CResDialogItem& item) {
  const DWORD style = item.m_style;
  if (IsClass(item, 0x80, u"Button")) {
    static const char* const kButtons[] = {"pushbutton", "defpushbutton", "checkbox", "autocheckbox",
                                           "radio",      "state3",        "auto3state", "groupbox",
                                           "userbutton", "autoradiobutton", "pushbox"};
    return (style & 0xF) < std::size(kButtons) ? kButtons[style & 0xF] : "button";
  }
  if (IsClass(item, 0x82, u"Static")) {
    static const char* const kStatics[] = {"ltext", "ctext", "rtext", "icon"};
    return (style & 0x1F) < std::size(kStatics) ? kStatics[style & 0x1F] : "label";
  }
  if (IsClass(item, 0x81, u"Edit")) return "edit";
  if (IsClass(item, 0x83, u"ListBox")) return "listbox";
  if (IsClass(item, 0x84, u"ScrollBar")) return (style & 1) ? "vscrollbar" : "hscrollbar";
  if (IsClass(item, 0x85, u"ComboBox")) return "combobox";
  static const std::pair<const char16_t*, const char*> kCommon[] = {
      {u"SysLink", "linklabel"},          {u"SysTreeView32", "tree"},          {u"SysListView32", "list"},
      {u"SysTabControl32", "tabcontrol"}, {u"msctls_trackbar32", "trackbar"}, {u"msctls_updown32", "spinner"},
      {u"SysDateTimePick32", "datetimepicker"}, {u"SysMonthCal32", "monthcalendar"},
      {u"msctls_statusbar32", "statusbar"},     {u"ComboBoxEx32", "combobox"},
      {u"RichEdit20W", "edit"}, {u"RichEdit20A", "edit"}, {u"RichEdit50W", "edit"}, {u"RichEdit", "edit"}};
  if (item.m_class.IsString())
    for (auto [name, kind] : kCommon)
      if (CompareNoCase(item.m_class.m_name, name) == 0) return kind;
  return "usercontrol";
}

void CollectDialog(CResDialog& dialog, Collector& c) {
  c.shared.m_dialog = &dialog;
  c.Add("caption", dialog.m_caption, TextItemKind::kText, nullptr, "caption");
  c.shared.m_context = dialog.m_caption.m_text;
  // Control ids repeat (statics share -1), so the occurrence of the id tells them apart.
  std::map<DWORD, int> seen;
  std::map<DWORD, const CResDialogItem*> byId;
  for (const auto& item : dialog.m_items) {
    int occurrence = seen[item->m_id]++;
    byId.emplace(item->m_id, item.get());
    if (item->m_noText) continue;
    if (CExchangeItem* added = c.Add("control/" + Num(item->m_id) + "#" + std::to_string(occurrence), item->m_text,
                                     TextItemKind::kText, nullptr, ControlType(*item)))
      added->m_control = item.get();
  }
  std::map<WORD, int> initSeen;
  for (const auto& entry : dialog.m_dlgInit) {
    int occurrence = initSeen[entry->m_controlId]++;
    auto control = byId.find(entry->m_controlId);
    bool combo = control != byId.end() && std::string(ControlType(*control->second)) == "combobox";
    if (CLocalizedString* text = entry->GetText())
      c.Add("init/" + Num(entry->m_controlId) + "#" + std::to_string(occurrence), *text, TextItemKind::kText, nullptr,
            combo ? "comboboxitem" : "listitem");
  }
}

void CollectVersion(CResVersion& version, Collector& c) {
  c.Add("FileVersion#fixed", version.m_fileVersion, TextItemKind::kVersion, nullptr, "x-version-number");
  c.Add("ProductVersion#fixed", version.m_productVersion, TextItemKind::kVersion, nullptr, "x-version-number");
  for (const auto& v : version.m_values) c.Add(ToUtf8(v->m_key), v->m_value);
}

// A menu label as the user reads it: without its access key mark and shortcut.
std::u16string MenuLabel(const std::u16string& text) {
  std::u16string out;
  for (size_t i = 0; i < text.size() && text[i] != u'\t'; ++i) {
    if (text[i] != u'&') {
      out += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == u'&') {
      out += u'&';
      ++i;
    }
  }
  return out;
}

// The path of the popups above each item and whether it opens a popup, by the item paths
// the menu's own collection uses ("0.2").
void WalkMenu(const CResSubMenu& level, const std::u16string& prefix, const std::u16string& above,
              std::map<std::u16string, std::pair<std::u16string, bool>>& out) {
  for (size_t i = 0; i < level.GetCount(); ++i) {
    const CResMenuItem* item = level.GetItem(i);
    std::u16string path = prefix + FromUtf8(std::to_string(i));
    out[path] = {above, item->m_popup != nullptr};
    if (item->m_popup) {
      std::u16string label = MenuLabel(item->m_label.m_text);
      WalkMenu(*item->m_popup, path + u".", above.empty() ? label : above + u" > " + label, out);
    }
  }
}

void CollectOther(CResource& r, Collector& c) {
  std::vector<CTextItem> own;
  r.CollectTextItems(own);
  auto* menu = dynamic_cast<CResMenu*>(&r);
  std::map<std::u16string, std::pair<std::u16string, bool>> places;
  if (menu) WalkMenu(menu->m_root, u"", u"", places);
  for (const CTextItem& t : own) {
    if (!t.m_value) continue;
    CExchangeItem* added = c.Add(ToUtf8(t.m_path), *t.m_value);
    if (!added || !menu) continue;
    size_t slash = t.m_path.rfind(u'/');
    auto place = places.find(t.m_path.substr(0, slash));
    bool shortcut = slash != std::u16string::npos && t.m_path.substr(slash + 1) == u"shortcut";
    added->m_restype = shortcut ? "shortcut" : place != places.end() && place->second.second ? "popupmenu" : "menuitem";
    if (place != places.end()) added->m_context = place->second.first;
  }
}

}  // namespace

void CollectResourceItems(const CResourceType& type, CResource& r, const std::string& typePrefix,
                          std::vector<CExchangeItem>& items) {
  Collector c{items, typePrefix + ToUtf8(r.m_identifier.GetText(true)) + "/", r.m_doNotTranslate != 0, {}};
  c.shared.m_group = c.prefix.substr(0, c.prefix.size() - 1);
  c.shared.m_groupName = ToUtf8(r.m_identifier.GetText(false));
  c.shared.m_groupType = GroupType(type.m_identifier);
  if (auto* dialog = dynamic_cast<CResDialog*>(&r)) {
    CollectDialog(*dialog, c);
  } else if (auto* version = dynamic_cast<CResVersion*>(&r)) {
    CollectVersion(*version, c);
  } else {
    CollectOther(r, c);
  }
}

void CollectModuleItems(CModule& module, std::vector<CExchangeItem>& items) {
  CResTable& table = module.m_resTable;
  std::string moduleName = ToUtf8(module.GetName());
  size_t first = items.size();
  for (CResourceType* type : table.GetTypes()) {
    std::string typePrefix = moduleName + "/" + ToUtf8(type->m_identifier.GetText(true)) + "/";
    if (auto* strings = dynamic_cast<CResStringTable*>(type)) {
      bool prompts = strings == &table.m_stringTable && table.m_promptAndTips.m_enabled;
      // A string table is one group: its strings have no other resource to belong to.
      CExchangeItem shared;
      shared.m_group = typePrefix.substr(0, typePrefix.size() - 1);
      shared.m_groupType = GroupType(type->m_identifier);
      shared.m_groupName = shared.m_groupType == "x-messagetable" ? "MESSAGETABLE" : "STRINGTABLE";
      const char* kind = shared.m_groupType == "x-messagetable" ? "message" : "string";
      for (const auto& s : strings->m_strings) {
        Collector c{items, typePrefix + Num(s->m_id) + "/", false, shared};
        if (CPromptAndTip* p = prompts ? table.m_promptAndTips.Find(s->m_id) : nullptr) {
          // The command's prompt and tooltip are translated instead of the whole string.
          c.Add("prompt", p->m_prompt, TextItemKind::kPrompt, p);
          c.Add("tooltip", p->m_tooltip, TextItemKind::kPrompt, p, "tooltip");
        } else {
          c.Add("text", s->m_value, TextItemKind::kText, nullptr, kind);
        }
      }
      continue;
    }
    for (const auto& r : type->m_resources) CollectResourceItems(*type, *r, typePrefix, items);
  }
  // Ids must be unique for the exchange formats; a repeated one (a version key given twice)
  // gets its occurrence.
  std::map<std::string, int> counts;
  for (size_t i = first; i < items.size(); ++i) {
    int n = counts[items[i].m_id]++;
    if (n) items[i].m_id += "#" + std::to_string(n);
  }
}

std::vector<CExchangeItem> CollectProjectItems(CTvlDoc& doc) {
  std::vector<CExchangeItem> items;
  for (const auto& m : doc.m_modules) CollectModuleItems(*m, items);
  return items;
}

}  // namespace tvl
