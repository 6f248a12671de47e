#pragma once
// Undo and redo. An action holds the other state of the model; applying it exchanges that
// state with the current one, so one operation serves both directions.
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "archive/Object.h"
#include "resmodel/LocalizedParam.h"

class CTvlDoc;
class CModule;
class CResource;
class CPromptAndTip;

class CUndoAction : public CObject {
  DECLARE_DYNAMIC(CUndoAction)
 public:
  // Exchanges the model's state with the stored one; appends what must be refreshed.
  virtual void Apply(std::vector<CObject*>& touched) = 0;
};

class CUndoTranslate : public CUndoAction {
  DECLARE_DYNAMIC(CUndoTranslate)
 public:
  CObject* m_object = nullptr;  // the resource or element the edit concerns
  LANGID m_language = 0;
  WORD m_toggle = 0;  // switches "do not translate" instead of a value
  int m_status = 0;
  // Where the language's node sat among the translations in the other state, so that
  // putting it back keeps the chain's order; -1 puts it at the end.
  int m_chainIndex = -1;

 protected:
  // Refreshes the status of the edited resource for the action's language.
  void RefreshStatus() const;
};

class CUndoTranslateString : public CUndoTranslate {
  DECLARE_DYNAMIC(CUndoTranslateString)
 public:
  void Apply(std::vector<CObject*>& touched) override;

  CLocalizedString* m_head = nullptr;
  std::u16string m_text;  // empty: the other state has no value
  CPromptAndTip* m_promptLink = nullptr;
  BYTE m_sizePosMode = 0;
  int m_index1 = 0;
  int m_index2 = 0;

 protected:
  void ExchangeValue();
};

class CUndoTranslateResString : public CUndoTranslateString {
  DECLARE_DYNAMIC(CUndoTranslateResString)
 public:
  void Apply(std::vector<CObject*>& touched) override;
  int m_status1 = 0;
  int m_status2 = 0;
};

class CUndoTranslateFont : public CUndoTranslateString {
  DECLARE_DYNAMIC(CUndoTranslateFont)
 public:
  void Apply(std::vector<CObject*>& touched) override;
  WORD m_pointSize = 0;
  WORD m_weight = 0;
  BYTE m_italic = 0;
  BYTE m_charSet = 0;
};

class CUndoTranslateAccel : public CUndoTranslate {
  DECLARE_DYNAMIC(CUndoTranslateAccel)
 public:
  void Apply(std::vector<CObject*>& touched) override;
  CLocalizedHotKey* m_head = nullptr;
  WORD m_key = 0;
  WORD m_flags = 0;
  BYTE m_noValue = 0;
  int m_reserved = 0;
};

class CUndoTranslateResource : public CUndoTranslate {
  DECLARE_DYNAMIC(CUndoTranslateResource)
 public:
  void Apply(std::vector<CObject*>& touched) override;
  std::unique_ptr<CLocalizedParam> m_detached;
  CResource* m_ownerResource = nullptr;  // when the detached value belongs to another resource
  CResource* m_toggledPart = nullptr;    // what a toggle flips when not m_object (a toolbar's bitmap)
  BYTE m_statusOnly = 0;
  // Where the held translation sat in each of the owner's chains (-1: nowhere).
  std::vector<int> m_places;
};

class CUndoMoveSize : public CUndoTranslate {
  DECLARE_DYNAMIC(CUndoMoveSize)
 public:
  void Apply(std::vector<CObject*>& touched) override;
  // The point values the action moves; set by the recorder.
  CLocalizedPoint* m_positionHead = nullptr;
  CLocalizedPoint* m_sizeHead = nullptr;
  int m_controlIndex = -1;
  BYTE m_positionRecorded = 0;
  BYTE m_positionNoValue = 0;
  int m_positionStatus = 0;
  int m_x = 0, m_y = 0;
  BYTE m_sizeRecorded = 0;
  BYTE m_sizeNoValue = 0;
  int m_sizeStatus = 0;
  int m_cx = 0, m_cy = 0;
  BYTE m_mergeable = 0;
  BYTE m_mergeKind = 0;
};

class CUndoModuleAction : public CUndoAction {
  DECLARE_DYNAMIC(CUndoModuleAction)
 public:
  enum Kind { kInserted = 1, kDeleted = 2 };
  void Apply(std::vector<CObject*>& touched) override;
  int m_kind = kInserted;
  CTvlDoc* m_document = nullptr;
  std::unique_ptr<CModule> m_module;  // held while kind is 2
  std::u16string m_moduleName;
  // The held module's place in the project's list; -1 appends it.
  int m_moduleIndex = -1;
};

namespace tvl {
// The place of a language's node among the nodes after the head; -1 when it has none.
int TranslationIndex(const CLocalizedParam& head, LANGID language);
// A resource's whole translation: where it sits in each of its chains, and putting it back
// there after it was attached at the end.
std::vector<int> TranslationPlaces(CResource& resource, LANGID language);
void RestoreTranslationPlaces(CResource& resource, LANGID language, const std::vector<int>& places);
}  // namespace tvl

class CUndoList {
 public:
  static constexpr size_t kMaxActions = 50;

  explicit CUndoList(CTvlDoc* document) : m_document(document) {}
  void Add(std::unique_ptr<CUndoAction> action);
  bool CanUndo() const;
  bool CanRedo() const { return m_redo != m_actions.end(); }
  // The action the next Undo or Redo applies (moving the position); nullptr when none.
  CUndoAction* StepBack();
  CUndoAction* StepForward();
  void Clear();
  size_t GetCount() const { return m_actions.size(); }
  CTvlDoc* GetDocument() const { return m_document; }

 private:
  CTvlDoc* m_document;
  std::list<std::unique_ptr<CUndoAction>> m_actions;
  std::list<std::unique_ptr<CUndoAction>>::iterator m_redo = m_actions.end();
};
