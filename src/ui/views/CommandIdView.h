#pragma once
// The grid shared by the menu and toolbar views: rows of commands, a current column whose
// cell of the selected row is what the editor gets, the command's prompt and tooltip as
// two more columns when the module keeps command prompts.
#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "project/ViewHints.h"
#include "resmodel/LocalizedParam.h"
#include "resmodel/TranslationRequest.h"
#include "ui/views/ContentViews.h"
#include "ui/views/ElementView.h"
#include "ui/views/TypeAhead.h"

class CMainFrame;
class CTvlDoc;
class CResource;
class CResTable;
class CPromptAndTip;
class CUndoAction;

namespace tvl::ui {
// The text a cell shows for a language: the translation unless the value is marked
// do-not-translate or has none, else the source.
const std::u16string& ShownText(const CLocalizedString& value, LANGID language);
}  // namespace tvl::ui

class CCommandIdModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // textColumns: the resource's own columns with values; the identifier column follows the
  // headings before it, the prompt and tooltip columns follow it.
  CCommandIdModel(CResource* resource, std::vector<int> textColumns, int idColumn, std::vector<const char*> headings,
                  QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // The item a row shows (-1 for captions and past the end) and the row of an item.
  int ItemAt(int row) const;
  int RowOfItem(int item) const;
  // The value list of a cell, or null when it has none.
  virtual CLocalizedString* ValueAt(int row, int column) const = 0;
  // The command prompt of a row, or null.
  virtual CPromptAndTip* PromptAt(int row) const = 0;
  // The item that issues a command, or -1.
  virtual int ItemOfCommand(DWORD command) const = 0;
  // The columns the current cell moves over, in order.
  std::vector<int> TextColumns() const;
  int IdColumn() const { return m_idColumn; }
  int PromptColumn() const { return m_idColumn + 1; }
  int TooltipColumn() const { return m_idColumn + 2; }
  bool HasPrompts() const { return m_prompts; }
  CResTable* Table() const { return m_table; }
  LANGID Language() const { return m_language; }

  void Release();
  virtual void TextsChanged();
  // The cell drawn highlighted in the selected row.
  void SetCurrentCell(int row, int column);
  bool IsCurrentCell(const QModelIndex& index) const;

 protected:
  // Called between beginResetModel and endResetModel.
  void AssignRows(std::vector<int> items, LANGID language);
  bool Drawing() const { return m_drawing; }
  int RowCount() const { return static_cast<int>(m_items.size()); }
  // The roles every value cell answers alike: status image and grey text.
  QVariant ValueRole(const CLocalizedString* value, int role) const;
  // Grey behind the current cell.
  QVariant CurrentCellBackground(const QModelIndex& index) const;

 private:
  CResTable* m_table = nullptr;
  std::vector<int> m_textColumns;
  int m_idColumn;
  std::vector<const char*> m_headings;
  bool m_prompts = false;
  std::vector<int> m_items;
  LANGID m_language = 0;
  int m_currentRow = -1;
  int m_column = 0;
  bool m_drawing = true;
};

// Draws the current cell of the selected row in the selection colours with a dotted frame
// while the list has the focus, on grey otherwise; the rest of the row stays plain.
class CCurrentCellDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

class CCommandIdView : public QTreeView, public CDocumentView, public CContentView, public CElementView {
  Q_OBJECT
 public:
  CCommandIdView(CMainFrame* frame, CTvlDoc& document, CResource* resource, QWidget* parent);
  ~CCommandIdView() override;

  void OnInitialUpdate();
  void OnUpdate(int hint, const void* object) override;
  void Release() override;

  int CurrentRow() const;
  int CurrentColumn() const { return m_column; }
  void SelectCell(int row, int column);
  void SelectNextToTranslate(int afterRow, int afterColumn);
  // Moves the current cell over the text columns, wrapping; step -1 or 1.
  void MoveColumn(int step);
  void Refilter() override { Rebuild(true); }
  bool SelectElement(const std::string& element) override;
  // The prompt or tooltip cell of the row issuing a command; false without one.
  bool SelectCommand(DWORD command, bool tooltip);
  void keyboardSearch(const QString& search) override;
  bool HasDeleteTranslation() const override { return true; }
  bool CanDeleteTranslation() const override;
  void DeleteTranslation() override;

 protected:
  // Takes the model and sets the column widths (pixels, identifier column included).
  void SetModel(CCommandIdModel* model, const std::vector<int>& widths);
  // Fills the model's rows from m_language and m_mode, listing m_forcedItem whatever its state.
  virtual void FillRows() = 0;
  // The item and column an element id below the resource names.
  virtual std::optional<std::pair<int, int>> CellOf(const std::string& element) const = 0;
  // Applies a test to the id and every text (source and translation) of an item.
  virtual bool AnyText(int item, const tvl::TextTest& test) const = 0;
  // Whether an item passes the find bar.
  bool PassesFilter(int item) const;
  // Selects a cell of an item, listing it whatever the mode and filter.
  bool SelectItemCell(int item, int column);
  virtual void ApplyCommit(const CTranslationRequest& request);
  virtual void ApplyUndo(int hint, const CUndoAction* action);
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  // Reads language and mode, refills and selects again; keep restores item, column, top row.
  void Rebuild(bool keep);
  // The status of the resource recomputed, its change and every other command resource of
  // the module whose status a prompt changed reported.
  void StatusMayHaveChanged(int before, const CPromptAndTip* prompt);
  void Offer();

  CMainFrame* m_frame;
  CTvlDoc& m_document;
  CResource* m_resource;
  CCommandIdModel* m_model = nullptr;
  LANGID m_language = 0;
  int m_mode = 0;
  int m_column = 0;
  int m_forcedItem = -1;
  bool m_released = false;
  CTranslationRequest m_offer;
  tvl::ui::CTypeAhead m_typeAhead;

 private:
  bool HomeOrEnd(QKeyEvent* event);
  // A click of either button on a text cell makes its column current.
  void ClickCell(const QModelIndex& index);
};
