#include "resmodel/PromptAndTips.h"

#include <algorithm>

#include "project/Archive.h"

IMPLEMENT_SERIAL(CPromptAndTip, CObject, VERSIONABLE_SCHEMA | 1)

void CPromptAndTip::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_commandId;
    ar.WriteObject(m_string);
  } else {
    ar.GetObjectSchema();
    ar >> m_commandId;
    m_string = ar.ReadObjectRef(RUNTIME_CLASS(CObject));
  }
  m_prompt.Serialize(ar);
  m_tooltip.Serialize(ar);
}

int CPromptAndTip::GetStatus(LANGID language) const {
  int prompt = m_prompt.m_text.empty() ? kStatusNothingToTranslate : m_prompt.GetValueStatus(language);
  int tooltip = m_tooltip.m_text.empty() ? kStatusNothingToTranslate : m_tooltip.GetValueStatus(language);
  return std::min(prompt, tooltip);
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

CPromptAndTip* CPromptAndTips::Find(DWORD commandId) const {
  const auto* entry = m_map.Find(commandId);
  return entry ? entry->get() : nullptr;
}

void CPromptAndTips::SetAt(DWORD commandId, std::unique_ptr<CPromptAndTip> entry) {
  m_map.SetAt(commandId, std::move(entry));
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
