#pragma once
// A toolbar as a translation grid: one row per button with its picture and the text of the
// menu item of its command; the command's prompt and tooltip are the cells to translate.
#include <QImage>
#include <vector>

#include "ui/views/CommandIdView.h"

class CResToolBar;

class CToolbarModel : public CCommandIdModel {
  Q_OBJECT
 public:
  enum Column { kButton, kId, kPrompt, kTooltip };
  CToolbarModel(CResToolBar* toolbar, QObject* parent);

  QVariant data(const QModelIndex& index, int role) const override;

  void SetButtons(std::vector<int> buttons, LANGID language);
  WORD CommandAt(int row) const;
  CPromptAndTip* PromptAt(int row) const override;
  CPromptAndTip* PromptOfButton(int button) const;
  CLocalizedString* ValueAt(int row, int column) const override;
  int ItemOfCommand(DWORD command) const override;
  // The text of the first menu item of the module with the command, with its popup path;
  // null when no menu has it.
  QString MenuText(WORD command) const;

 private:
  void CutPictures();

  CResToolBar* m_toolbar;
  std::vector<QImage> m_pictures;  // per button, separators included as empty images
};

class CToolbarView : public CCommandIdView {
  Q_OBJECT
 public:
  CToolbarView(CMainFrame* frame, CTvlDoc& document, CResToolBar* toolbar, QWidget* parent = nullptr);

  CToolbarModel* Model() const { return m_toolbarModel; }

 protected:
  void FillRows() override;
  // Toolbars hold no texts of their own: their prompts are selected by command.
  std::optional<std::pair<int, int>> CellOf(const std::string&) const override { return std::nullopt; }
  bool AnyText(int button, const tvl::TextTest& test) const override;
  void ApplyCommit(const CTranslationRequest& request) override;
  void ApplyUndo(int hint, const CUndoAction* action) override;

 private:
  // The header changed the bitmap's do-not-translate flag: recorded, and the pictures redrawn.
  void BitmapToggled();

  CResToolBar* m_toolbar;
  CToolbarModel* m_toolbarModel;
};
