#include "project/Undo.h"

#include <cstdio>

#include "formats/text/PromptAndTips.h"
#include "platform/Text.h"
#include "project/TvlDoc.h"
#include "resmodel/Resource.h"

IMPLEMENT_DYNAMIC(CUndoAction, CObject)
IMPLEMENT_DYNAMIC(CUndoTranslate, CUndoAction)
IMPLEMENT_DYNAMIC(CUndoTranslateString, CUndoTranslate)
IMPLEMENT_DYNAMIC(CUndoTranslateResString, CUndoTranslateString)
IMPLEMENT_DYNAMIC(CUndoTranslateFont, CUndoTranslateString)
IMPLEMENT_DYNAMIC(CUndoTranslateAccel, CUndoTranslate)
IMPLEMENT_DYNAMIC(CUndoTranslateResource, CUndoTranslate)
IMPLEMENT_DYNAMIC(CUndoMoveSize, CUndoTranslate)
IMPLEMENT_DYNAMIC(CUndoModuleAction, CUndoAction)

int tvl::TranslationIndex(const CLocalizedParam& head, LANGID language) {
  int index = 0;
  for (const CLocalizedParam* n = head.GetNext(); n; n = n->GetNext(), ++index)
    if (n->m_language == language) return index;
  return -1;
}

namespace {

// Moves a language's node, just appended, back to its former place among the translations.
void PutBack(CLocalizedParam& head, LANGID language, int index) {
  if (index < 0) return;
  std::unique_ptr<CLocalizedParam> node = head.RemoveTranslation(language, false);
  if (!node) return;
  CLocalizedParam* before = &head;
  for (int i = 0; i < index && before->m_next; ++i) before = before->m_next.get();
  node->m_next = std::move(before->m_next);
  before->m_next = std::move(node);
}

}  // namespace

std::vector<int> tvl::TranslationPlaces(CResource& resource, LANGID language) {
  std::vector<CLocalizedParam*> chains;
  resource.CollectTranslationChains(chains);
  std::vector<int> places;
  for (CLocalizedParam* chain : chains) places.push_back(TranslationIndex(*chain, language));
  return places;
}

void tvl::RestoreTranslationPlaces(CResource& resource, LANGID language, const std::vector<int>& places) {
  std::vector<CLocalizedParam*> chains;
  resource.CollectTranslationChains(chains);
  for (size_t i = 0; i < chains.size() && i < places.size(); ++i) PutBack(*chains[i], language, places[i]);
}

// ---------------------------------------------------------------------------------------
// The list

void CUndoList::Add(std::unique_ptr<CUndoAction> action) {
  // A new action drops what was undone.
  m_actions.erase(m_redo, m_actions.end());
  m_redo = m_actions.end();
  if (m_actions.size() >= kMaxActions) m_actions.pop_front();

  // A drag in many small steps undoes in one: the older action holds the state from before.
  if (auto* move = dynamic_cast<CUndoMoveSize*>(action.get()); move && move->m_mergeable && !m_actions.empty()) {
    auto* last = dynamic_cast<CUndoMoveSize*>(m_actions.back().get());
    // Only steps on the same dialog in the same language: a control index alone would join
    // the steps of two dialogs.
    if (last && last->m_mergeable && last->m_object == move->m_object && last->m_language == move->m_language &&
        last->m_controlIndex == move->m_controlIndex && last->m_positionRecorded == move->m_positionRecorded &&
        last->m_mergeKind == move->m_mergeKind)
      return;
  }
  m_actions.push_back(std::move(action));
  m_redo = m_actions.end();
}

bool CUndoList::CanUndo() const { return !m_actions.empty() && m_redo != m_actions.begin(); }

CUndoAction* CUndoList::StepBack() {
  if (!CanUndo()) return nullptr;
  --m_redo;
  return m_redo->get();
}

CUndoAction* CUndoList::StepForward() {
  if (m_redo == m_actions.end()) return nullptr;
  CUndoAction* action = m_redo->get();
  ++m_redo;
  return action;
}

void CUndoList::Clear() {
  m_actions.clear();
  m_redo = m_actions.end();
}

// ---------------------------------------------------------------------------------------
// Actions

void CUndoTranslate::RefreshStatus() const {
  if (auto* resource = dynamic_cast<CResource*>(m_object)) resource->UpdateStatus(m_language);
}

void CUndoTranslateString::ExchangeValue() {
  if (m_toggle) {
    m_head->SetDoNotTranslate(!m_head->IsDoNotTranslate());
    return;
  }
  const CLocalizedParam* node = m_head->FindValue(m_language);
  bool hasValue = node && node != m_head;
  std::u16string currentText = hasValue ? static_cast<const CLocalizedString*>(node)->m_text : std::u16string();
  int currentStatus = node ? node->m_status : 0;
  if (!hasValue && node == m_head) currentText = m_head->m_text;  // the source itself
  int currentIndex = hasValue ? tvl::TranslationIndex(*m_head, m_language) : -1;

  if (!m_text.empty()) {
    if (m_sizePosMode) {
      unsigned n[4] = {0, 0, 0, 0};
      std::string ascii = tvl::ToUtf8(m_text);
      std::sscanf(ascii.c_str(), "%u, %u, %u, %u", &n[0], &n[1], &n[2], &n[3]);
      static_cast<CLocalizedStringSizePos*>(m_head)->SetSizePos(m_language, m_text, static_cast<WORD>(n[0]),
                                                                 static_cast<WORD>(n[1]), static_cast<WORD>(n[2]),
                                                                 static_cast<WORD>(n[3]));
    } else {
      m_head->SetTranslation(m_text, m_language);
    }
    m_head->SetStatus(m_language, m_status);
    if (!hasValue) PutBack(*m_head, m_language, m_chainIndex);
  } else {
    m_head->RemoveTranslation(m_language, true);
  }
  m_text = currentText;
  m_status = currentStatus;
  m_chainIndex = currentIndex;
}

void CUndoTranslateString::Apply(std::vector<CObject*>& touched) {
  ExchangeValue();
  if (m_promptLink) m_promptLink->Compose(m_language);
  RefreshStatus();
  touched.push_back(m_object);
}

void CUndoTranslateResString::Apply(std::vector<CObject*>& touched) {
  CUndoTranslateString::Apply(touched);
  std::swap(m_status1, m_status2);
}

void CUndoTranslateFont::Apply(std::vector<CObject*>& touched) {
  auto* font = static_cast<CLocalizedFontReference*>(m_head);
  WORD size = m_pointSize, weight = m_weight;
  BYTE italic = m_italic, charSet = m_charSet;
  if (auto* node = static_cast<CLocalizedFontReference*>(font->FindValue(m_language)); node && node != font) {
    m_pointSize = node->m_pointSize;
    m_weight = node->m_weight;
    m_italic = node->m_italic;
    m_charSet = node->m_charSet;
  }
  CUndoTranslateString::Apply(touched);
  if (auto* node = static_cast<CLocalizedFontReference*>(font->FindValue(m_language)); node && node != font) {
    node->m_pointSize = size;
    node->m_weight = weight;
    node->m_italic = italic;
    node->m_charSet = charSet;
  }
}

void CUndoTranslateAccel::Apply(std::vector<CObject*>& touched) {
  auto* node = static_cast<CLocalizedHotKey*>(m_head->FindValue(m_language));
  bool hasValue = node && node != m_head;
  const CLocalizedHotKey* current = hasValue ? node : m_head;
  WORD key = current->m_key, flags = current->m_hotFlags;
  int status = node ? node->m_status : 0;
  int index = hasValue ? tvl::TranslationIndex(*m_head, m_language) : -1;
  if (m_noValue) {
    m_head->RemoveTranslation(m_language, true);
  } else {
    m_head->SetHotKey(m_language, m_flags, m_key);
    m_head->SetStatus(m_language, m_status);
    if (!hasValue) PutBack(*m_head, m_language, m_chainIndex);
  }
  m_chainIndex = index;
  m_key = key;
  m_flags = flags;
  m_status = status;
  m_noValue = hasValue ? 0 : 1;
  RefreshStatus();
  touched.push_back(m_object);
}

void CUndoTranslateResource::Apply(std::vector<CObject*>& touched) {
  auto* resource = dynamic_cast<CResource*>(m_object);
  CResource* owner = m_ownerResource ? m_ownerResource : resource;
  if (!resource || !owner) return;
  if (m_toggle) {
    CResource* toggled = m_toggledPart ? m_toggledPart : resource;
    toggled->SetTranslatable(!toggled->IsTranslatable());
    if (m_toggledPart) resource->UpdateStatus(m_language);
    touched.push_back(m_object);
    return;
  }
  int current = owner->GetStatus(m_language);
  if (m_statusOnly) {
    owner->SetTranslationStatus(m_language, m_status);
    if (CLocalizedParam* n = owner->m_statusChain.FindValue(m_language)) n->m_status = m_status;
  } else if (m_detached) {
    // Exchange: the value in place now is what the next application puts back.
    std::vector<int> places = tvl::TranslationPlaces(*owner, m_language);
    std::unique_ptr<CLocalizedParam> current = owner->DetachTranslation(m_language);
    owner->AttachTranslation(std::move(m_detached), m_status);
    tvl::RestoreTranslationPlaces(*owner, m_language, m_places);
    m_detached = std::move(current);
    m_places = std::move(places);
  } else {
    m_places = tvl::TranslationPlaces(*owner, m_language);
    m_detached = owner->DetachTranslation(m_language);
  }
  m_status = current;
  // As after the recorded change: the status follows the translation just moved.
  owner->UpdateStatus(m_language);
  if (owner != resource) resource->UpdateStatus(m_language);
  touched.push_back(m_object);
}

void CUndoMoveSize::Apply(std::vector<CObject*>& touched) {
  auto exchange = [this](CLocalizedPoint* head, BYTE& noValue, int& status, int& a, int& b) {
    if (!head) return;
    auto* node = static_cast<CLocalizedPoint*>(head->FindValue(m_language));
    bool hasValue = node && node != head;
    const CLocalizedPoint* current = hasValue ? node : head;
    int x = current->m_x, y = current->m_y, s = node ? node->m_status : 0;
    if (noValue) {
      head->RemoveTranslation(m_language, true);
    } else {
      head->SetPoint(m_language, a, b);
      head->SetStatus(m_language, status);
    }
    a = x;
    b = y;
    status = s;
    noValue = hasValue ? 0 : 1;
  };
  if (m_positionRecorded) exchange(m_positionHead, m_positionNoValue, m_positionStatus, m_x, m_y);
  if (m_sizeRecorded) exchange(m_sizeHead, m_sizeNoValue, m_sizeStatus, m_cx, m_cy);
  RefreshStatus();
  touched.push_back(m_object);
}

void CUndoModuleAction::Apply(std::vector<CObject*>& touched) {
  if (!m_document) return;
  if (m_kind == kInserted) {
    int index = m_document->FindModuleByName(m_moduleName);
    if (index < 0) return;
    m_module = m_document->TakeModule(static_cast<size_t>(index));
    m_moduleIndex = index;
    m_kind = kDeleted;
  } else if (m_module) {
    CModule* module = m_module.get();
    auto& modules = m_document->m_modules;
    // Back in its place, so the project file and the build order are as before.
    if (m_moduleIndex >= 0 && static_cast<size_t>(m_moduleIndex) < modules.size())
      modules.insert(modules.begin() + m_moduleIndex, std::move(m_module));
    else
      modules.push_back(std::move(m_module));
    module->SetDocument(m_document);
    m_document->SetModifiedFlag(true);
    m_document->UpdateAllViews(HintModuleInserted, module);
    m_kind = kInserted;
    touched.push_back(module);
  }
}
