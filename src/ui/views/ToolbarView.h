#pragma once
// A toolbar as a translation grid: one row per button with its picture and the text of the
// menu item of its command; the command's prompt and tooltip are the cells to translate.
#include <QAbstractTableModel>
#include <QImage>
#include <QTreeView>
#include <vector>

#include "project/ViewHints.h"
#include "resmodel/TranslationRequest.h"
#include "ui/views/ContentViews.h"

class CMainFrame;
class CTvlDoc;
class CResToolBar;
class CResTable;
class CLocalizedString;
class CPromptAndTip;
class CUndoTranslateString;

class CToolbarModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { kButton, kId, kPrompt, kTooltip };
  CToolbarModel(CResToolBar* toolbar, QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  void SetButtons(std::vector<int> buttons, LANGID language);
  void Release();
  void TextsChanged();
  void SetCurrentCell(int row, int column);
  int ButtonAt(int row) const;
  int RowOfButton(int button) const;
  WORD CommandAt(int row) const;
  CPromptAndTip* PromptAt(int row) const;
  CPromptAndTip* PromptOfButton(int button) const;
  CLocalizedString* ValueAt(int row, int column) const;
  bool HasPrompts() const { return m_table && m_prompts; }

 private:
  void CutPictures();
  // The text of the first menu item of the module with the command, with its popup path.
  QString MenuText(WORD command) const;

  CResToolBar* m_toolbar;
  CResTable* m_table = nullptr;
  bool m_prompts = false;
  std::vector<int> m_buttons;
  std::vector<QImage> m_pictures;  // per button, separators included as empty images
  LANGID m_language = 0;
  int m_currentRow = -1;
  int m_column = kPrompt;
  bool m_drawing = true;
};

class CToolbarView : public QTreeView, public CDocumentView, public CContentView {
  Q_OBJECT
 public:
  CToolbarView(CMainFrame* frame, CTvlDoc& document, CResToolBar* toolbar, QWidget* parent = nullptr);
  ~CToolbarView() override;

  void OnInitialUpdate();
  void OnUpdate(int hint, const void* object) override;
  void Release() override;

  CToolbarModel* Model() const { return m_model; }
  int CurrentRow() const;
  int CurrentColumn() const { return m_column; }
  void SelectCell(int row, int column);
  void SelectNextToTranslate(int afterRow, int afterColumn);
  bool HasDeleteTranslation() const override { return true; }
  bool CanDeleteTranslation() const override;
  void DeleteTranslation() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildRows();
  void Offer();
  void ApplyCommit(const CTranslationRequest& request);
  void ApplyUndo(int hint, const CUndoTranslateString* action);

  CMainFrame* m_frame;
  CTvlDoc& m_document;
  CResToolBar* m_toolbar;
  CToolbarModel* m_model;
  LANGID m_language = 0;
  int m_mode = 0;
  bool m_showNonTranslatable = false;
  int m_column = CToolbarModel::kPrompt;
  int m_forcedButton = -1;
  bool m_released = false;
  CTranslationRequest m_offer;
};
