#include "workspace/Progress.h"

#include <vector>

#include "formats/text/PromptAndTips.h"
#include "formats/text/ResStringTable.h"
#include "project/TextItems.h"
#include "project/TvlDoc.h"
#include "resmodel/LocalizedParam.h"
#include "resmodel/ResTable.h"

namespace tvl {

namespace {

void Count(const CLocalizedString& value, bool doNotTranslate, LANGID language, CProgress& p) {
  if (value.m_text.empty() || doNotTranslate || value.IsDoNotTranslate()) return;
  ++p.total;
  if (value.GetValueStatus(language) != 0)
    ++p.translated;
  else if (IsOutOfDate(value, language))
    ++p.outOfDate;
}

}  // namespace

bool IsOutOfDate(const CLocalizedParam& head, LANGID language) {
  const CLocalizedParam* node = head.FindValue(language);
  return node && node != &head && node->m_status == 0;
}

CProgress CountResource(const CResourceType& type, CResource& resource, LANGID language) {
  std::vector<CExchangeItem> items;
  CollectResourceItems(type, resource, {}, items);
  CProgress p;
  for (const CExchangeItem& item : items) Count(*item.m_value, item.m_doNotTranslate, language, p);
  return p;
}

CProgress CountTable(const CResourceType& type, LANGID language) {
  CProgress p;
  const auto* strings = dynamic_cast<const CResStringTable*>(&type);
  if (!strings) return p;
  const auto* owner = dynamic_cast<const CResTable*>(strings->m_owner);
  const bool prompts = owner && &owner->m_stringTable == strings && owner->m_promptAndTips.m_enabled;
  for (const auto& s : strings->m_strings) {
    if (const CPromptAndTip* prompt = prompts ? owner->m_promptAndTips.Find(s->m_id) : nullptr) {
      Count(prompt->m_prompt, false, language, p);
      Count(prompt->m_tooltip, false, language, p);
    } else {
      Count(s->m_value, false, language, p);
    }
  }
  return p;
}

CProgress CountProgress(CTvlDoc& doc, LANGID language) {
  CProgress p;
  for (const auto& module : doc.m_modules)
    for (CResourceType* type : module->m_resTable.GetTypes()) {
      if (dynamic_cast<const CResStringTable*>(type)) {
        p += CountTable(*type, language);
        continue;
      }
      for (const auto& r : type->m_resources) p += CountResource(*type, *r, language);
    }
  return p;
}

}  // namespace tvl
