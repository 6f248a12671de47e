#pragma once
// A menu as a translation grid: one row per item, indented by depth, with its text,
// shortcut and identifier; the current cell of the selected row is what the editor gets.
#include <QAbstractTableModel>
#include <QTreeView>
#include <vector>

#include "project/ViewHints.h"
#include "resmodel/TranslationRequest.h"
#include "ui/views/ContentViews.h"
#include "workspace/MenuRules.h"

class CMainFrame;
class CTvlDoc;
class CResMenu;
class CResMenuItem;
class CLocalizedString;
class CUndoTranslateString;
class CPromptAndTip;

class CMenuModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // Prompt and tooltip are there only when the module keeps command prompts.
  enum Column { kText, kShortcut, kId, kPrompt, kTooltip };
  CMenuModel(CResMenu* menu, QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  void SetRows(std::vector<tvl::CMenuRow> rows, LANGID language);
  void Release();
  void TextsChanged();
  // The cell drawn highlighted in the selected row.
  void SetCurrentCell(int row, int column);
  // The item index (in Flatten order) of a row, -1 for captions and past the end.
  int ItemAt(int row) const;
  int RowOfItem(int item) const;
  CResMenuItem* Item(int item) const;
  // The value list of a cell, or null (identifier, captions, separators).
  CLocalizedString* ValueAt(int row, int column) const;
  // The command prompt of a row's item, or null.
  CPromptAndTip* PromptAt(int row) const;
  bool HasPrompts() const { return m_prompts; }
  // The columns the current cell moves over, in order.
  std::vector<int> TextColumns() const;
  const std::vector<CResMenuItem*>& Items() const { return m_items; }

 private:
  void FindClashes();
  QVariant Display(int row, int column) const;

  CResMenu* m_menu;
  std::vector<CResMenuItem*> m_items;
  std::vector<tvl::CMenuRow> m_rows;
  bool m_prompts = false;
  // Per item, another item of its level with the same mnemonic, or -1.
  std::vector<int> m_clashes;
  LANGID m_language = 0;
  int m_currentRow = -1;
  int m_column = 0;
  bool m_drawing = true;
};

class CMenuView : public QTreeView, public CDocumentView, public CContentView {
  Q_OBJECT
 public:
  CMenuView(CMainFrame* frame, CTvlDoc& document, CResMenu* menu, QWidget* parent = nullptr);
  ~CMenuView() override;

  void OnInitialUpdate();
  void OnUpdate(int hint, const void* object) override;
  void Release() override;

  CMenuModel* Model() const { return m_model; }
  int CurrentRow() const;
  int CurrentColumn() const { return m_column; }
  void SelectCell(int row, int column);
  void SelectNextToTranslate(int afterRow, int afterColumn);
  // Moves the current cell over the text columns, wrapping; step -1 or 1.
  void MoveColumn(int step);
  bool HasDeleteTranslation() const override { return true; }
  bool CanDeleteTranslation() const override;
  void DeleteTranslation() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildRows();
  void Offer();
  void ApplyCommit(const CTranslationRequest& request);
  // After a prompt changed: its string written back, the other commands' views told.
  void PromptChanged(CPromptAndTip& prompt, LANGID language);
  void ApplyUndo(int hint, const CUndoTranslateString* action);

  CMainFrame* m_frame;
  CTvlDoc& m_document;
  CResMenu* m_menu;
  CMenuModel* m_model;
  LANGID m_language = 0;
  int m_mode = 0;
  bool m_showNonTranslatable = false;
  int m_column = 0;
  int m_forcedItem = -1;
  bool m_released = false;
  CTranslationRequest m_offer;
};
