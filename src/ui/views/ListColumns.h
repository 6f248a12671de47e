#pragma once
// Widens the columns of a list to what they show when it opens, never below the widths they
// were given; the user can still resize them.
#include <QHeaderView>
#include <QTreeView>
#include <algorithm>

namespace tvl::ui {

inline void FitColumnsToContents(QTreeView& view) {
  QHeaderView* header = view.header();
  // The tree view hides the hint; the base class offers it (and dispatches to the tree's).
  const QAbstractItemView& base = view;
  for (int c = 0; c < header->count(); ++c)
    header->resizeSection(c, std::max(header->sectionSize(c), base.sizeHintForColumn(c)));
}

}  // namespace tvl::ui
