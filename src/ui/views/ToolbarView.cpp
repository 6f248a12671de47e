#include "ui/views/ToolbarView.h"

#include <QPalette>

#include "formats/layout/ResMenu.h"
#include "formats/layout/ResToolBar.h"
#include "formats/text/PromptAndTips.h"
#include "project/TvlDoc.h"
#include "project/Undo.h"
#include "resmodel/ResTable.h"
#include "resmodel/ResourceType.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"
#include "ui/views/PictureViews.h"
#include "workspace/AcceleratorRules.h"
#include "workspace/CommandIds.h"

using tvl::ui::ShownText;

namespace {

// The text of the first item of a level (depth first) with the command, "%1 > %2" for
// nested items; false when none has it.
bool FindItemText(const CResSubMenu& level, WORD command, LANGID language, std::u16string& text) {
  for (size_t i = 0; i < level.GetCount(); ++i) {
    const CResMenuItem& item = *level.GetItem(i);
    if (item.m_id == command && !item.m_popup) {
      text = ShownText(item.m_label, language);
      return true;
    }
    std::u16string below;
    if (item.m_popup && FindItemText(*item.m_popup, command, language, below)) {
      text = ShownText(item.m_label, language) + u" > " + below;
      return true;
    }
  }
  return false;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The model

CToolbarModel::CToolbarModel(CResToolBar* toolbar, QObject* parent)
    : CCommandIdModel(toolbar, {}, kId, {"Button", "Id", "Prompt", "Tooltip"}, parent), m_toolbar(toolbar) {}

WORD CToolbarModel::CommandAt(int row) const {
  int button = ItemAt(row);
  return button < 0 ? 0 : m_toolbar->m_items.m_data[static_cast<size_t>(button)];
}

CPromptAndTip* CToolbarModel::PromptOfButton(int button) const {
  if (!HasPrompts() || button < 0 || static_cast<size_t>(button) >= m_toolbar->m_items.m_data.size()) return nullptr;
  WORD command = m_toolbar->m_items.m_data[static_cast<size_t>(button)];
  return command == 0 ? nullptr : Table()->m_promptAndTips.Find(command);
}

CPromptAndTip* CToolbarModel::PromptAt(int row) const { return PromptOfButton(ItemAt(row)); }

CLocalizedString* CToolbarModel::ValueAt(int row, int column) const {
  CPromptAndTip* prompt = PromptAt(row);
  if (!prompt) return nullptr;
  if (column == kPrompt) return &prompt->m_prompt;
  if (column == kTooltip) return &prompt->m_tooltip;
  return nullptr;
}

int CToolbarModel::ItemOfCommand(DWORD command) const {
  const auto& buttons = m_toolbar->m_items.m_data;
  for (size_t b = 0; b < buttons.size(); ++b)
    if (command != 0 && buttons[b] == command) return static_cast<int>(b);
  return -1;
}

QString CToolbarModel::MenuText(WORD command) const {
  if (!Table()) return {};
  for (int i = 0; i < Table()->m_menus.GetCount(); ++i) {
    auto* menu = dynamic_cast<const CResMenu*>(Table()->m_menus.GetResource(i));
    std::u16string text;
    if (menu && FindItemText(menu->m_root, command, Language(), text)) return QStr(text);
  }
  return {};
}

QVariant CToolbarModel::data(const QModelIndex& index, int role) const {
  const int row = index.row(), column = index.column(), button = ItemAt(row);
  if (button < 0) return {};
  const WORD command = CommandAt(row);
  const CLocalizedString* value = ValueAt(row, column);
  switch (role) {
    case Qt::DisplayRole:
      if (command == 0) return column == kButton ? QStringLiteral("------------") : QVariant();
      if (column == kButton) {
        QString text = MenuText(command);
        return text.isNull() ? QStringLiteral("(No menu item)") : text;
      }
      if (column == kId) return QString::number(command);
      return value ? QStr(ShownText(*value, Language())) : QVariant();
    case Qt::DecorationRole:
      if (column == kButton) {
        const QImage& picture = m_pictures[static_cast<size_t>(button)];
        return picture.isNull() ? QVariant() : QVariant(picture);
      }
      return ValueRole(value, role);
    case Qt::ForegroundRole:
      if (column == kButton)
        return command != 0 && MenuText(command).isNull() ? QPalette().brush(QPalette::Disabled, QPalette::Text)
                                                          : QVariant();
      return column == kId ? QVariant() : ValueRole(value, role);
    case Qt::BackgroundRole: return CurrentCellBackground(index);
    default: return {};
  }
}

void CToolbarModel::CutPictures() {
  m_pictures.assign(m_toolbar->m_items.m_data.size(), QImage());
  if (!m_toolbar->m_bitmap || m_toolbar->m_width == 0 || m_toolbar->m_height == 0) return;
  const CResBitmap& bitmap = *m_toolbar->m_bitmap;
  QImage strip = tvl::ui::BitmapImage(bitmap.GetBytes(bitmap.IsTranslatable() ? Language() : 0));
  if (strip.isNull()) return;
  int picture = 0;
  for (size_t i = 0; i < m_pictures.size(); ++i) {
    if (m_toolbar->m_items.m_data[i] == 0) continue;
    m_pictures[i] = strip.copy(picture++ * m_toolbar->m_width, 0, m_toolbar->m_width, m_toolbar->m_height);
  }
}

void CToolbarModel::SetButtons(std::vector<int> buttons, LANGID language) {
  beginResetModel();
  AssignRows(std::move(buttons), language);
  CutPictures();
  endResetModel();
}

// ---------------------------------------------------------------------------------------
// The view

CToolbarView::CToolbarView(CMainFrame* frame, CTvlDoc& document, CResToolBar* toolbar, QWidget* parent)
    : CCommandIdView(frame, document, toolbar, parent), m_toolbar(toolbar) {
  setObjectName(QStringLiteral("ToolbarView"));
  m_toolbarModel = new CToolbarModel(toolbar, this);
  SetModel(m_toolbarModel, {200, 100, 300, 100});
}

void CToolbarView::FillRows() {
  const bool everything = m_mode == ID_VIEW_TRANSLATABLE;
  const int limit = tvl::AcceleratorStatusLimit(m_mode);
  std::vector<int> buttons;
  for (int b = 0; b < static_cast<int>(m_toolbar->m_items.m_data.size()); ++b) {
    const CPromptAndTip* prompt = m_toolbarModel->PromptOfButton(b);
    const bool wanted = everything || (prompt && prompt->GetStatus(m_language) <= limit);
    if (b == m_forcedItem || (wanted && PassesFilter(b))) buttons.push_back(b);
  }
  m_toolbarModel->SetButtons(std::move(buttons), m_language);
}

bool CToolbarView::AnyText(int button, const tvl::TextTest& test) const {
  if (button < 0 || static_cast<size_t>(button) >= m_toolbar->m_items.m_data.size()) return false;
  const WORD command = m_toolbar->m_items.m_data[static_cast<size_t>(button)];
  if (command == 0) return false;
  if (test(tvl::ui::IdText(command)) || test(U16(m_toolbarModel->MenuText(command)))) return true;
  if (const CPromptAndTip* prompt = m_toolbarModel->PromptOfButton(button))
    for (const CLocalizedString* value : {&prompt->m_prompt, &prompt->m_tooltip})
      if (test(value->m_text) || test(tvl::OwnTranslation(*value, m_language))) return true;
  return false;
}

void CToolbarView::ApplyCommit(const CTranslationRequest& request) {
  // The header's toggle of the bitmap names no cell.
  if (request.m_toggle && !request.m_element) {
    BitmapToggled();
    return;
  }
  CCommandIdView::ApplyCommit(request);
}

void CToolbarView::BitmapToggled() {
  const int before = m_toolbar->GetStatus(m_language);
  auto action = std::make_unique<CUndoTranslateResource>();
  action->m_language = m_language;
  action->m_object = m_toolbar;
  action->m_toggledPart = m_toolbar->m_bitmap.get();
  action->m_toggle = 1;
  action->m_status = m_toolbar->m_bitmap ? m_toolbar->m_bitmap->GetStatus(m_language) : 2;
  m_document.AddUndoAction(std::move(action));
  m_document.SetModifiedFlag(true);
  m_toolbar->UpdateStatus(m_language);
  Rebuild(true);
  if (m_toolbar->GetStatus(m_language) != before) m_document.UpdateAllViews(HintResourceStatusChanged, m_toolbar);
}

void CToolbarView::ApplyUndo(int hint, const CUndoAction* action) {
  const auto* resource = dynamic_cast<const CUndoTranslateResource*>(action);
  if (resource && resource->m_object == m_toolbar && hint == HintUndoneItemInPlace) {
    Rebuild(true);
    return;
  }
  CCommandIdView::ApplyUndo(hint, action);
}
