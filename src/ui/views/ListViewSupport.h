#pragma once
// What the translation lists share around their rows: the frame's filter they fill by and
// the way they let go of the document, the widths their columns open with, the find bar's
// row filter and type-ahead.
#include "platform/Text.h"
#include "project/TvlDoc.h"
#include "project/ViewHints.h"
#include "ui/MainWindow.h"
#include "ui/views/TypeAhead.h"
#include "workspace/TextFinder.h"
#include <QHeaderView>
#include <QTreeView>
#include <algorithm>

namespace tvl::ui {

inline void ReadFrameFilter(const CMainFrame& frame, LANGID& language, int& mode, bool& showNonTranslatable) {
  language = frame.GetSelectedLanguage();
  mode = frame.GetMode();
  showNonTranslatable = frame.GetShowNonTranslatable();
}

// Once only: no more hints, the rows dropped, and the editor cleared of the item this list
// offered it.
template <class Model>
void LeaveDocument(bool& released, CTvlDoc& document, CDocumentView* view, Model* model) {
  if (released) return;
  released = true;
  document.RemoveView(view);
  model->Release();
  document.UpdateAllViews(HintTranslationRequest, nullptr);
}

// A flat list of single selected rows that the translation editor, not the list, edits.
inline void SetUpTranslationList(QTreeView& view) {
  view.setRootIsDecorated(false);
  view.setItemsExpandable(false);
  view.setUniformRowHeights(true);
  view.setSelectionMode(QAbstractItemView::SingleSelection);
  view.setSelectionBehavior(QAbstractItemView::SelectRows);
  view.setAllColumnsShowFocus(true);
  view.setEditTriggers(QAbstractItemView::NoEditTriggers);
}

// Columns widen to what they show when a list opens, never below the widths they were
// given; the user can still resize them.
inline void FitColumnsToContents(QTreeView& view) {
  QHeaderView* header = view.header();
  // The tree view hides the hint; the base class offers it (and dispatches to the tree's).
  const QAbstractItemView& base = view;
  for (int c = 0; c < header->count(); ++c)
    header->resizeSection(c, std::max(header->sectionSize(c), base.sizeHintForColumn(c)));
}

// Whether a row passes the find bar: any of its texts matches (no filter passes all).
template <class AnyText>
bool PassesRowFilter(const CMainFrame& frame, AnyText anyText) {
  const tvl::CTextMatcher* filter = frame.RowFilter();
  return !filter || anyText([filter](std::u16string_view text) { return filter->Matches(text); });
}

}  // namespace tvl::ui
