#pragma once
// A menu as a translation grid: one row per item, indented by depth, with its text,
// shortcut and identifier; the current cell of the selected row is what the editor gets.
#include <vector>

#include "ui/views/CommandIdView.h"
#include "workspace/MenuRules.h"

class CResMenu;
class CResMenuItem;

class CMenuModel : public CCommandIdModel {
  Q_OBJECT
 public:
  // Prompt and tooltip are there only when the module keeps command prompts.
  enum Column { kText, kShortcut, kId, kPrompt, kTooltip };
  CMenuModel(CResMenu* menu, QObject* parent);

  QVariant data(const QModelIndex& index, int role) const override;

  void SetRows(std::vector<tvl::CMenuRow> rows, LANGID language);
  void TextsChanged() override;
  // The item of an index in Flatten order, or null.
  CResMenuItem* Item(int item) const;
  CLocalizedString* ValueAt(int row, int column) const override;
  CPromptAndTip* PromptAt(int row) const override;
  int ItemOfCommand(DWORD command) const override;
  const std::vector<CResMenuItem*>& Items() const { return m_items; }

 private:
  void FindClashes();
  QVariant Display(int row, int column) const;

  CResMenu* m_menu;
  std::vector<CResMenuItem*> m_items;
  std::vector<tvl::CMenuRow> m_rows;
  // Per item, another item of its level with the same mnemonic, or -1.
  std::vector<int> m_clashes;
};

class CMenuView : public CCommandIdView {
  Q_OBJECT
 public:
  CMenuView(CMainFrame* frame, CTvlDoc& document, CResMenu* menu, QWidget* parent = nullptr);

  CMenuModel* Model() const { return m_menuModel; }

 protected:
  void FillRows() override;
  // "0.2/label", "0.2/shortcut".
  std::optional<std::pair<int, int>> CellOf(const std::string& element) const override;
  bool AnyText(int item, const tvl::TextTest& test) const override;

 private:
  CResMenu* m_menu;
  CMenuModel* m_menuModel;
};
