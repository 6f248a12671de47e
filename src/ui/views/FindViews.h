#pragma once
// Finding text: the bar over the lists that filters their rows as you type (Ctrl+F), and the
// list of every match in the project whose entries open the item (Ctrl+Shift+F).
#include <QTreeWidget>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/Types.h"
#include "workspace/TextFinder.h"

class CMainFrame;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;

// The pattern and its options, shared by the bar and the project search.
class CFindFields : public QWidget {
  Q_OBJECT
 public:
  explicit CFindFields(QWidget* parent = nullptr);
  QLineEdit* Edit() const { return m_edit; }
  QCheckBox* WholeWordBox() const { return m_wholeWord; }
  QCheckBox* MatchCaseBox() const { return m_matchCase; }
  QCheckBox* RegexBox() const { return m_regex; }
  // A matcher for what is entered; an invalid expression turns the field red.
  std::shared_ptr<const tvl::CTextMatcher> Matcher();

 signals:
  void changed();

 private:
  QLineEdit* m_edit;
  QCheckBox* m_wholeWord;
  QCheckBox* m_matchCase;
  QCheckBox* m_regex;
};

// Filters the rows of the list shown on the right as the pattern changes; Escape closes it
// and shows every row again.
class CFindBar : public QWidget {
  Q_OBJECT
 public:
  CFindBar(CMainFrame* frame, QWidget* parent = nullptr);
  CFindFields* Fields() const { return m_fields; }
  void Open();
  void Close();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Apply();

  CMainFrame* m_frame;
  CFindFields* m_fields;
  bool m_onItsOwnLine = false;
};

struct CFindHit {
  std::string m_id;
  LANGID m_language = 0;
};

// Every item of the project whose id, source text or translation in the selected language
// matches; a double click or Enter opens the item in its view.
class CFindResultsView : public QWidget {
  Q_OBJECT
 public:
  CFindResultsView(CMainFrame* frame, QWidget* parent = nullptr);
  CFindFields* Fields() const { return m_fields; }
  QTreeWidget* List() const { return m_list; }
  void Search();
  const std::vector<CFindHit>& Hits() const { return m_hits; }
  void ShowHit(int row);

 private:
  CMainFrame* m_frame;
  CFindFields* m_fields;
  QTreeWidget* m_list;
  QLabel* m_summary;
  std::vector<CFindHit> m_hits;
};

namespace tvl::ui {
// Adds "Find..." and "Find in Project..." to the menu, the bar over the lists and the
// results list below the editor, both hidden until asked for.
CFindBar* InstallFind(CMainFrame& frame, QMenu& edit);
}  // namespace tvl::ui
