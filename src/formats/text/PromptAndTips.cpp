#include "formats/text/PromptAndTips.h"

#include <algorithm>

#include "archive/Archive.h"
#include "formats/text/ResStringTable.h"
#include "resmodel/ResTable.h"

IMPLEMENT_SERIAL(CPromptAndTip, CObject, VERSIONABLE_SCHEMA | 1)

namespace {

// A string's value chain split node by node: the head gives the source parts (status 0),
// every further language its non-empty parts as translations.
void SplitChain(const CLocalizedString& value, CLocalizedString& prompt, CLocalizedString& tooltip) {
  std::u16string p, t;
  SplitPromptAndTip(value.m_text, p, t);
  for (auto [part, chain] : {std::pair{&p, &prompt}, std::pair{&t, &tooltip}}) {
    chain->m_next.reset();
    chain->m_text = *part;
    chain->m_language = value.m_language;
    chain->m_status = 0;
  }
  for (const CLocalizedParam* n = value.GetNext(); n; n = n->GetNext()) {
    if (!n->IsKindOf(RUNTIME_CLASS(CLocalizedString))) continue;
    SplitPromptAndTip(static_cast<const CLocalizedString*>(n)->m_text, p, t);
    for (auto [part, chain] : {std::pair{&p, &prompt}, std::pair{&t, &tooltip}}) {
      if (part->empty()) continue;
      chain->SetTranslation(*part, n->m_language);
      // A translation that is out of date in the string is out of date in its parts.
      if (n->m_status == kStatusNotTranslated) chain->SetStatus(n->m_language, kStatusNotTranslated);
    }
  }
}

void AddLanguages(const CLocalizedParam& chain, std::set<LANGID>& languages) {
  for (const CLocalizedParam* n = &chain; n; n = n->GetNext()) languages.insert(n->m_language);
}

}  // namespace

void CPromptAndTip::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_commandId;
    ar.WriteObject(m_string);
  } else {
    ar.GetObjectSchema();
    ar >> m_commandId;
    m_string = static_cast<CResString*>(ar.ReadObjectRef(RUNTIME_CLASS(CResString)));
  }
  m_prompt.Serialize(ar);
  m_tooltip.Serialize(ar);
}

int CPromptAndTip::GetStatus(LANGID language) const {
  int prompt = m_prompt.m_text.empty() ? kStatusNothingToTranslate : m_prompt.GetValueStatus(language);
  int tooltip = m_tooltip.m_text.empty() ? kStatusNothingToTranslate : m_tooltip.GetValueStatus(language);
  return std::min(prompt, tooltip);
}

std::unique_ptr<CPromptAndTip> CPromptAndTip::Create(CResString& string) {
  auto entry = std::make_unique<CPromptAndTip>();
  entry->m_commandId = string.m_id;
  entry->m_string = &string;
  SplitChain(string.m_value, entry->m_prompt, entry->m_tooltip);
  return entry;
}

void CPromptAndTip::SplitFrom(const CResString& string, bool copyProperties, bool importMode,
                              std::set<LANGID>& languages) {
  CLocalizedString prompt, tooltip;
  SplitChain(string.m_value, prompt, tooltip);
  m_prompt.MergeFrom(prompt, copyProperties, importMode);
  m_tooltip.MergeFrom(tooltip, copyProperties, importMode);
  AddLanguages(prompt, languages);
  AddLanguages(tooltip, languages);
}

void CPromptAndTip::Compose(LANGID language) {
  if (!m_string) return;
  // Nothing translated (say after an undo): the string goes back to having no translation
  // rather than holding a copy of its source.
  auto translated = [language](const CLocalizedString& value) {
    const CLocalizedParam* node = value.FindValue(language);
    return value.IsDoNotTranslate() || (node && node != &value);
  };
  if (!translated(m_prompt) && !translated(m_tooltip)) {
    m_string->m_value.RemoveTranslation(language, true);
    return;
  }
  const std::u16string& prompt = m_prompt.IsDoNotTranslate() ? m_prompt.m_text : m_prompt.GetText(language);
  const std::u16string& tooltip = m_tooltip.IsDoNotTranslate() ? m_tooltip.m_text : m_tooltip.GetText(language);
  m_string->m_value.SetTranslation(tooltip.empty() ? prompt : prompt + u'\n' + tooltip, language);
}

void SplitPromptAndTip(const std::u16string& text, std::u16string& prompt, std::u16string& tooltip) {
  size_t first = text.find(u'\n');
  if (first == std::u16string::npos) {
    prompt = text;
    tooltip.clear();
    return;
  }
  prompt = text.substr(0, first);
  size_t second = text.find(u'\n', first + 1);
  tooltip = text.substr(first + 1, second == std::u16string::npos ? std::u16string::npos : second - first - 1);
}

// ---------------------------------------------------------------------------------------

CPromptAndTip* CPromptAndTips::Find(DWORD commandId) const {
  const auto* entry = m_map.Find(commandId);
  return entry ? entry->get() : nullptr;
}

void CPromptAndTips::SetAt(DWORD commandId, std::unique_ptr<CPromptAndTip> entry) {
  m_map.SetAt(commandId, std::move(entry));
}

bool CPromptAndTips::IsPromptCommandId(DWORD id) {
  return id != 0 && !(id >= 0xF000 && id <= 0xF1EF) && id < 0xFF00;
}

void CPromptAndTips::Build() {
  m_map.RemoveAll();
  if (!m_table) return;
  std::set<DWORD> ids;
  for (const CResourceType* handler : {static_cast<const CResourceType*>(&m_table->m_menus),
                                       static_cast<const CResourceType*>(&m_table->m_toolbars)})
    for (const auto& r : handler->m_resources) r->CollectCommandIds(ids);
  for (DWORD id : ids) {
    if (!IsPromptCommandId(id)) continue;
    if (CResString* string = m_table->m_stringTable.FindString(id)) SetAt(id, CPromptAndTip::Create(*string));
  }
  // Which strings count in the string table's status has changed.
  m_table->m_stringTable.ClearStatusCache();
}

void CPromptAndTips::Merge(const CResStringTable& otherStrings, bool copyProperties, bool importMode,
                           const CPromptAndTips* otherPrompts) {
  std::set<LANGID> languages;
  std::set<DWORD> merged;
  if (otherPrompts) {
    otherPrompts->m_map.ForEach([&](DWORD id, const std::unique_ptr<CPromptAndTip>& theirs) {
      CPromptAndTip* mine = Find(id);
      if (!mine || !theirs) return;
      mine->m_prompt.MergeFrom(theirs->m_prompt, copyProperties, importMode);
      mine->m_tooltip.MergeFrom(theirs->m_tooltip, copyProperties, importMode);
      AddLanguages(theirs->m_prompt, languages);
      AddLanguages(theirs->m_tooltip, languages);
      merged.insert(id);
    });
  }
  if (merged.size() < m_map.GetCount()) {
    for (const auto& s : otherStrings.m_strings) {
      if (merged.count(s->m_id)) continue;
      if (CPromptAndTip* mine = Find(s->m_id)) mine->SplitFrom(*s, copyProperties, importMode, languages);
    }
  }
  for (LANGID language : languages) UpdateCommandStatuses(language);
}

void CPromptAndTips::UpdateCommandStatuses(LANGID language) {
  if (!m_table) return;
  for (CResourceType* handler : {static_cast<CResourceType*>(&m_table->m_menus),
                                 static_cast<CResourceType*>(&m_table->m_toolbars)})
    for (const auto& r : handler->m_resources) r->UpdateStatus(language);
}

void CPromptAndTips::UpdateCommandsUsing(DWORD commandId, LANGID language, const CResource* except,
                                         std::vector<CResource*>& changed) {
  if (!m_table) return;
  for (CResourceType* handler : {static_cast<CResourceType*>(&m_table->m_menus),
                                 static_cast<CResourceType*>(&m_table->m_toolbars)}) {
    for (const auto& r : handler->m_resources) {
      if (r.get() == except) continue;
      std::set<DWORD> ids;
      r->CollectCommandIds(ids);
      if (!ids.count(commandId)) continue;
      const bool hadNode = r->HasTranslation(language);
      const int before = r->GetStatus(language);
      r->UpdateStatus(language);
      if (!hadNode || r->GetStatus(language) != before) changed.push_back(r.get());
    }
  }
}

void CPromptAndTips::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteCount(m_map.GetCount());
    m_map.ForEach([&](DWORD key, const std::unique_ptr<CPromptAndTip>& entry) {
      ar << key;
      ar.WriteObject(entry.get());
    });
  } else {
    m_map.RemoveAll();
    size_t count = ar.ReadCount();
    ar.CheckAvailable(count, 6);
    for (size_t i = 0; i < count; ++i) {
      DWORD key = 0;
      ar >> key;
      m_map.SetAt(key, ar.ReadObject<CPromptAndTip>());
    }
  }
}
