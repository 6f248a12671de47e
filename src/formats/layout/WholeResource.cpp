#include "formats/layout/WholeResource.h"

std::unique_ptr<CLocalizedParam> CWholeResource::DetachTranslation(LANGID language) {
  m_statusChain.RemoveTranslation(language, true);
  return Values().RemoveTranslation(language, false);
}

void CWholeResource::AttachTranslation(std::unique_ptr<CLocalizedParam> value, int status) {
  if (!value) return;
  m_statusChain.SetStatus(value->m_language, status);
  Values().Append(std::move(value));
}

void CWholeResource::CollectTranslationChains(std::vector<CLocalizedParam*>& chains) {
  CResource::CollectTranslationChains(chains);
  chains.push_back(&Values());
}

void CWholeResource::SetTranslationStatus(LANGID language, int status) {
  if (CLocalizedParam* n = Values().FindValue(language)) n->m_status = status;
  if (CLocalizedParam* n = m_statusChain.FindValue(language)) n->m_status = status;
}

bool CWholeResource::HasTranslation(LANGID language) const { return Values().FindValue(language) != nullptr; }

int CWholeResource::ComputeStatus(LANGID language) const {
  const CLocalizedParam* n = Values().FindValue(language);
  return n ? n->m_status : 0;
}

std::unique_ptr<CLocalizedParam> CWholeResource::TakeOutForReplacement(LANGID language) {
  if (!m_statusChain.FindValue(language)) m_statusChain.SetStatus(language, 0);
  return Values().RemoveTranslation(language, false);
}
