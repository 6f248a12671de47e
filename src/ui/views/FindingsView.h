#pragma once
// The findings list below the editor: what the translation checks report for every target
// language, refreshed as translations are committed; a double click shows the item in its
// view. Also the pseudo-translation dialog.
#include <QDialog>
#include <QTreeWidget>
#include <string>
#include <vector>

#include "checks/CheckFinding.h"
#include "checks/CheckSettings.h"
#include "checks/PseudoLocalizer.h"
#include "project/ViewHints.h"

class CMainFrame;
class CTvlDoc;
class QCheckBox;
class QComboBox;
class QMenu;
class QSpinBox;

class CFindingsView : public QTreeWidget, public CDocumentView {
  Q_OBJECT
 public:
  CFindingsView(CMainFrame* frame, CTvlDoc& document, QWidget* parent = nullptr);
  ~CFindingsView() override;

  // Checks every target language and lists the findings; the list keeps itself current
  // from then on.
  void RunChecks();
  const std::vector<CCheckFinding>& Findings() const { return m_findings; }
  // The rules and the least severity of the next runs (the user's Check Settings).
  void SetSettings(const CCheckSettings& settings) { m_settings = settings; }
  const CCheckSettings& Settings() const { return m_settings; }
  bool IsActive() const { return m_active; }
  // Selects the finding's language, its resource in the tree and its element in the view.
  void ShowFinding(int row);
  void OnUpdate(int hint, const void* object) override;

 private:
  void ScheduleRefresh();

  CMainFrame* m_frame;
  CTvlDoc& m_document;
  std::vector<CCheckFinding> m_findings;
  CCheckSettings m_settings;
  bool m_active = false;   // checked once: follows the document
  bool m_pending = false;  // a refresh is queued
};

// "Pseudo-translate...": the pseudo language, how much longer, brackets or not.
class CPseudoTranslateDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CPseudoTranslateDlg(QWidget* parent = nullptr);
  LANGID Language() const;
  CPseudoOptions Options() const;
  QComboBox* LanguageBox() const { return m_language; }
  QSpinBox* ExpandBox() const { return m_expand; }
  QCheckBox* BracketsBox() const { return m_brackets; }

 private:
  QComboBox* m_language = nullptr;
  QSpinBox* m_expand = nullptr;
  QCheckBox* m_brackets = nullptr;
};

namespace tvl::ui {
// Selects the language, the item's resource in the tree and its element in the view;
// false when the project has no such item.
bool ShowItem(CMainFrame& frame, const std::string& id, LANGID language);
// Adds "Check", "Check Settings..." and "Pseudo-translate..." to the menu and the findings
// list below the editor, hidden until the first check. The settings live in the frame's store.
CFindingsView* InstallChecks(CMainFrame& frame, QMenu& translations);
}  // namespace tvl::ui
