#include "ui/views/MenuView.h"

#include <functional>
#include <unordered_map>

#include <QApplication>
#include <QPalette>
#include <QStyle>

#include "formats/layout/ResMenu.h"
#include "formats/text/PromptAndTips.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"
#include "workspace/CommandIds.h"
#include "workspace/ElementIds.h"

using tvl::ui::ShownText;

namespace {

const char16_t* const kSeparatorText = u"------------";

bool IsSeparator(const CResMenuItem& item) {
  return item.m_id == 0 && !item.m_popup && item.m_label.m_text.empty() && item.m_shortcut.m_text.empty();
}

// Whether an item still needs work in the filtered modes; an empty prompt or tooltip has
// nothing to translate.
bool NeedsWork(const CResMenuItem& item, const CPromptAndTip* prompt, LANGID language) {
  if (item.m_label.EffectiveStatus(language) < 1 || item.m_shortcut.EffectiveStatus(language) < 1) return true;
  return prompt && (prompt->m_prompt.EffectiveStatus(language) < 1 || prompt->m_tooltip.EffectiveStatus(language) < 1);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The model

CMenuModel::CMenuModel(CResMenu* menu, QObject* parent)
    : CCommandIdModel(menu, {kText, kShortcut}, kId, {"Text", "Shortcut", "Id", "Prompt", "Tooltip"}, parent),
      m_menu(menu),
      m_items(menu->Flatten()) {}

CPromptAndTip* CMenuModel::PromptAt(int row) const {
  CResMenuItem* item = Item(ItemAt(row));
  if (!item || !HasPrompts()) return nullptr;
  return const_cast<CPromptAndTip*>(tvl::FindCommandPrompt(*m_menu, item->m_id));
}

int CMenuModel::ItemOfCommand(DWORD command) const {
  for (size_t i = 0; i < m_items.size(); ++i)
    if (m_items[i]->m_id == command && !m_items[i]->m_popup) return static_cast<int>(i);
  return -1;
}

CResMenuItem* CMenuModel::Item(int item) const {
  return item >= 0 && item < static_cast<int>(m_items.size()) ? m_items[static_cast<size_t>(item)] : nullptr;
}

CLocalizedString* CMenuModel::ValueAt(int row, int column) const {
  CResMenuItem* item = Item(ItemAt(row));
  if (!item || IsSeparator(*item)) return nullptr;
  if (column == kText) return &item->m_label;
  if (column == kShortcut) return &item->m_shortcut;
  if (column == kPrompt || column == kTooltip) {
    CPromptAndTip* prompt = PromptAt(row);
    if (!prompt) return nullptr;
    return column == kPrompt ? &prompt->m_prompt : &prompt->m_tooltip;
  }
  return nullptr;
}

QVariant CMenuModel::Display(int row, int column) const {
  const tvl::CMenuRow& r = m_rows[static_cast<size_t>(row)];
  if (r.item < 0) return column == kText ? QStr(r.caption) : QVariant();
  const CResMenuItem& item = *Item(r.item);
  QString indent(r.indent, QLatin1Char(' '));
  if (IsSeparator(item)) return column == kText ? indent + QStr(kSeparatorText) : QVariant();
  if (column == kText) return indent + QStr(ShownText(item.m_label, Language()));
  if (column == kId) return item.m_id == 0 ? QString() : QString::number(item.m_id);
  if (const CLocalizedString* value = ValueAt(row, column)) return QStr(ShownText(*value, Language()));
  return {};
}

QVariant CMenuModel::data(const QModelIndex& index, int role) const {
  const int row = index.row(), column = index.column();
  if (!Drawing() || row < 0 || row >= RowCount()) return {};
  const int item = ItemAt(row);
  const int clash = item >= 0 ? m_clashes[static_cast<size_t>(item)] : -1;
  switch (role) {
    case Qt::DisplayRole: return Display(row, column);
    case Qt::DecorationRole:
      if (column == kId)
        return clash >= 0 ? QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning) : QVariant();
      return ValueRole(ValueAt(row, column), role);
    case Qt::ToolTipRole:
      // A mnemonic clash only informs.
      if (clash < 0) return {};
      return tr("The same mnemonic as \"%1\".").arg(QStr(ShownText(Item(clash)->m_label, Language())));
    case Qt::ForegroundRole:
      if (column == kId) return {};
      if (item < 0) return QPalette().brush(QPalette::Disabled, QPalette::Text);
      return ValueRole(ValueAt(row, column), role);
    case Qt::BackgroundRole: return CurrentCellBackground(index);
    default: return {};
  }
}

void CMenuModel::FindClashes() {
  m_clashes.assign(m_items.size(), -1);
  std::vector<const CResSubMenu*> levels{&m_menu->m_root};
  for (const CResMenuItem* item : m_items)
    if (item->m_popup) levels.push_back(item->m_popup.get());
  std::unordered_map<const CResMenuItem*, int> index;
  for (size_t i = 0; i < m_items.size(); ++i) index.emplace(m_items[i], static_cast<int>(i));
  auto indexOf = [&](const CResMenuItem* item) {
    auto at = index.find(item);
    return at == index.end() ? -1 : at->second;
  };
  for (const CResSubMenu* level : levels) {
    std::vector<std::u16string> texts;
    std::vector<int> items;
    for (size_t i = 0; i < level->GetCount(); ++i) {
      texts.push_back(ShownText(level->GetItem(i)->m_label, Language()));
      items.push_back(indexOf(level->GetItem(i)));
    }
    std::vector<int> clashes = tvl::FindMnemonicClashes(texts);
    for (size_t i = 0; i < clashes.size(); ++i)
      if (clashes[i] >= 0 && items[i] >= 0)
        m_clashes[static_cast<size_t>(items[i])] = items[static_cast<size_t>(clashes[i])];
  }
}

void CMenuModel::SetRows(std::vector<tvl::CMenuRow> rows, LANGID language) {
  beginResetModel();
  m_rows = std::move(rows);
  std::vector<int> items;
  items.reserve(m_rows.size());
  for (const tvl::CMenuRow& r : m_rows) items.push_back(r.item);
  AssignRows(std::move(items), language);
  FindClashes();
  endResetModel();
}

void CMenuModel::TextsChanged() {
  if (m_rows.empty()) return;
  FindClashes();
  CCommandIdModel::TextsChanged();
}

// ---------------------------------------------------------------------------------------
// The view

CMenuView::CMenuView(CMainFrame* frame, CTvlDoc& document, CResMenu* menu, QWidget* parent)
    : CCommandIdView(frame, document, menu, parent), m_menu(menu) {
  setObjectName(QStringLiteral("MenuView"));
  m_menuModel = new CMenuModel(menu, this);
  SetModel(m_menuModel, {200, 100, 100, 300, 100});
}

void CMenuView::FillRows() {
  const bool everything = m_mode == ID_VIEW_TRANSLATABLE;
  int next = 0;
  std::function<std::vector<tvl::CMenuNodeFacts>(const CResSubMenu&)> facts = [&](const CResSubMenu& level) {
    std::vector<tvl::CMenuNodeFacts> nodes;
    for (size_t i = 0; i < level.GetCount(); ++i) {
      const CResMenuItem& item = *level.GetItem(i);
      tvl::CMenuNodeFacts node;
      node.item = next++;
      node.text = ShownText(item.m_label, m_language);
      const CPromptAndTip* prompt = m_menuModel->HasPrompts() ? tvl::FindCommandPrompt(*m_menu, item.m_id) : nullptr;
      node.listed = node.item == m_forcedItem ||
                    ((everything || NeedsWork(item, prompt, m_language)) && PassesFilter(node.item));
      if (item.m_popup) node.children = facts(*item.m_popup);
      nodes.push_back(std::move(node));
    }
    return nodes;
  };
  m_menuModel->SetRows(tvl::MenuRows(facts(m_menu->m_root)), m_language);
}

std::optional<std::pair<int, int>> CMenuView::CellOf(const std::string& element) const {
  std::optional<tvl::CMenuCell> cell = tvl::MenuCellOf(*m_menu, element);
  if (!cell) return std::nullopt;
  return std::make_pair(cell->item, cell->shortcut ? CMenuModel::kShortcut : CMenuModel::kText);
}

bool CMenuView::AnyText(int index, const tvl::TextTest& test) const {
  const CResMenuItem* item = m_menuModel->Item(index);
  if (!item) return false;
  if (item->m_id != 0 && test(tvl::ui::IdText(item->m_id))) return true;
  std::vector<const CLocalizedString*> values{&item->m_label, &item->m_shortcut};
  if (const CPromptAndTip* prompt = m_menuModel->HasPrompts() ? tvl::FindCommandPrompt(*m_menu, item->m_id) : nullptr)
    values.insert(values.end(), {&prompt->m_prompt, &prompt->m_tooltip});
  for (const CLocalizedString* value : values)
    if (test(value->m_text) || test(tvl::OwnTranslation(*value, m_language))) return true;
  return false;
}
