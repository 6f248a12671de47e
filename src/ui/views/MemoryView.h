#pragma once
// The translation memory in the program: the matches pane beside the translation editor
// (the best matches for the offered text, Ctrl+1..Ctrl+3 put one into the translation box),
// every committed translation kept, and "Pre-translate...".
#include <QDialog>
#include <QTreeWidget>
#include <string>
#include <unordered_map>
#include <vector>

#include "project/ViewHints.h"
#include "resmodel/TranslationRequest.h"
#include "tm/TranslationMemory.h"

class CMainFrame;
class CTvlDoc;
class CLocalizedString;
class QComboBox;
class QMenu;
class QSpinBox;

class CMemoryMatchesView : public QTreeWidget, public CDocumentView {
  Q_OBJECT
 public:
  static constexpr size_t kShown = 3;
  static constexpr int kMinShown = 50;

  CMemoryMatchesView(CMainFrame* frame, CTvlDoc& document, QWidget* parent = nullptr);
  ~CMemoryMatchesView() override;
  void OnUpdate(int hint, const void* object) override;

  // The memory, opened on first use: the settings' file, else the user's own. Null (after
  // one message) when it cannot be opened.
  CTranslationMemory* Memory();
  const std::vector<CTmMatch>& Matches() const { return m_matches; }
  // Puts match index's suggestion into the editor's translation box; false when there is none.
  bool Insert(size_t index);
  // "Pre-translate...": the dialog, the one undoable action and its summary.
  void Pretranslate();

 private:
  struct CPlace {
    std::string id;
    LANGID source = 0;
  };
  void Show(const CTranslationRequest* request);
  void Keep(CLocalizedString* element, LANGID language, const std::u16string& text);
  const CPlace* PlaceOf(const CLocalizedString* element);

  CMainFrame* m_frame;
  CTvlDoc& m_document;
  CTranslationMemory m_memory;
  bool m_failed = false;  // the memory could not be opened: said once
  std::vector<CTmMatch> m_matches;
  std::unordered_map<const CLocalizedString*, CPlace> m_places;  // rebuilt when the project changes
};

// "Pre-translate": the target language and the lowest match percentage taken.
class CPretranslateDlg : public QDialog {
  Q_OBJECT
 public:
  CPretranslateDlg(CTvlDoc& document, LANGID selected, QWidget* parent = nullptr);
  LANGID Language() const;
  int MinMatch() const;
  QComboBox* LanguageBox() const { return m_language; }
  QSpinBox* MinMatchBox() const { return m_minMatch; }

 private:
  QComboBox* m_language = nullptr;
  QSpinBox* m_minMatch = nullptr;
};

namespace tvl::ui {
// The matches pane below the editor, Ctrl+1..Ctrl+3 and "Pre-translate..." in the menu.
CMemoryMatchesView* InstallMemory(CMainFrame& frame, QMenu& translations);
}  // namespace tvl::ui
