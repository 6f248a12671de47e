#include "project/TextItems.h"

#include <map>
#include <set>

#include "formats/layout/DlgInit.h"
#include "formats/layout/ResDialog.h"
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

  void Add(const std::string& path, CLocalizedString& value, TextItemKind kind = TextItemKind::kText,
           CPromptAndTip* prompt = nullptr) {
    if (value.m_text.empty()) return;  // nothing to translate
    CExchangeItem item;
    item.m_id = prefix + path;
    item.m_value = &value;
    item.m_kind = kind;
    item.m_prompt = prompt;
    item.m_doNotTranslate = resourceDoNotTranslate || value.IsDoNotTranslate();
    items.push_back(std::move(item));
  }
};

void CollectDialog(CResDialog& dialog, Collector& c) {
  c.Add("caption", dialog.m_caption);
  // Control ids repeat (statics share -1), so the occurrence of the id tells them apart.
  std::map<DWORD, int> seen;
  for (const auto& item : dialog.m_items) {
    int occurrence = seen[item->m_id]++;
    if (item->m_noText) continue;
    c.Add("control/" + Num(item->m_id) + "#" + std::to_string(occurrence), item->m_text);
  }
  std::map<WORD, int> initSeen;
  for (const auto& entry : dialog.m_dlgInit) {
    int occurrence = initSeen[entry->m_controlId]++;
    if (CLocalizedString* text = entry->GetText())
      c.Add("init/" + Num(entry->m_controlId) + "#" + std::to_string(occurrence), *text);
  }
}

void CollectVersion(CResVersion& version, Collector& c) {
  c.Add("FileVersion#fixed", version.m_fileVersion, TextItemKind::kVersion);
  c.Add("ProductVersion#fixed", version.m_productVersion, TextItemKind::kVersion);
  for (const auto& v : version.m_values) c.Add(ToUtf8(v->m_key), v->m_value);
}

}  // namespace

void CollectModuleItems(CModule& module, std::vector<CExchangeItem>& items) {
  CResTable& table = module.m_resTable;
  std::string moduleName = ToUtf8(module.GetName());
  size_t first = items.size();
  for (CResourceType* type : table.GetTypes()) {
    std::string typePrefix = moduleName + "/" + ToUtf8(type->m_identifier.GetText(true)) + "/";
    if (auto* strings = dynamic_cast<CResStringTable*>(type)) {
      bool prompts = strings == &table.m_stringTable && table.m_promptAndTips.m_enabled;
      for (const auto& s : strings->m_strings) {
        Collector c{items, typePrefix + Num(s->m_id) + "/"};
        if (CPromptAndTip* p = prompts ? table.m_promptAndTips.Find(s->m_id) : nullptr) {
          // The command's prompt and tooltip are translated instead of the whole string.
          c.Add("prompt", p->m_prompt, TextItemKind::kPrompt, p);
          c.Add("tooltip", p->m_tooltip, TextItemKind::kPrompt, p);
        } else {
          c.Add("text", s->m_value);
        }
      }
      continue;
    }
    for (const auto& r : type->m_resources) {
      Collector c{items, typePrefix + ToUtf8(r->m_identifier.GetText(true)) + "/", r->m_doNotTranslate != 0};
      if (auto* dialog = dynamic_cast<CResDialog*>(r.get())) {
        CollectDialog(*dialog, c);
      } else if (auto* version = dynamic_cast<CResVersion*>(r.get())) {
        CollectVersion(*version, c);
      } else {
        std::vector<CTextItem> own;
        r->CollectTextItems(own);
        for (const CTextItem& t : own)
          if (t.m_value) c.Add(ToUtf8(t.m_path), *t.m_value);
      }
    }
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
