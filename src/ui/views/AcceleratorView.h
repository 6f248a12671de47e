#pragma once
// An accelerator table as a list of its entries for the selected language: identifier,
// modifiers, key and key type. Keys are changed in the key dialog, not in the editor.
#include <QAbstractTableModel>
#include <QTreeView>
#include <vector>

#include "project/ViewHints.h"
#include "resmodel/LocalizedParam.h"
#include "resmodel/TranslationRequest.h"
#include "ui/views/ContentViews.h"
#include "ui/views/ElementView.h"
#include "ui/views/TypeAhead.h"

class CMainFrame;
class CTvlDoc;
class CResAcceleratorTable;
class CUndoAction;

class CAcceleratorModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  CAcceleratorModel(CResAcceleratorTable* table, QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  void SetEntries(std::vector<int> entries, LANGID language);
  void Release();
  // Refills every row: a changed key may start or end a clash with another row.
  void KeysChanged();
  // The entry index of a row, -1 past the end; the row of an entry, -1 when not listed.
  int EntryAt(int row) const;
  int RowOfEntry(int entry) const;

 private:
  void FindClashes();

  CResAcceleratorTable* m_table;
  std::vector<int> m_entries;
  // Per entry of the table, another entry with the same key for the language, or -1.
  std::vector<int> m_clashes;
  LANGID m_language = 0;
  bool m_drawing = true;
};

class CAcceleratorView : public QTreeView, public CDocumentView, public CContentView, public CElementView {
  Q_OBJECT
 public:
  CAcceleratorView(CMainFrame* frame, CTvlDoc& document, CResAcceleratorTable* table, QWidget* parent = nullptr);
  ~CAcceleratorView() override;

  void OnInitialUpdate();
  void OnUpdate(int hint, const void* object) override;
  void Release() override;

  CAcceleratorModel* Model() const { return m_model; }
  int CurrentRow() const;
  void SelectRow(int row);
  // Opens the key dialog for a row and applies its answer.
  void EditRow(int row);
  void Refilter() override { BuildRows(); }
  // "key/<command>#<occurrence>".
  bool SelectElement(const std::string& element) override;
  void keyboardSearch(const QString& search) override;
  bool HasDeleteTranslation() const override { return true; }
  bool CanDeleteTranslation() const override;
  void DeleteTranslation() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildRows();
  void OfferHint();
  bool CanEdit() const;
  // Records the undo action, then sets (or with erase removes) the entry's key.
  void ChangeEntry(int row, bool erase, WORD flags, WORD key);
  void ApplyUndo(int hint, const CUndoAction* action);
  // The command id and the key combinations, the table's own and the language's.
  bool AnyText(int entry, const tvl::TextTest& test) const;
  // Lists an entry whatever the mode and filter; its row or -1.
  int ShowEntry(int entry);

  CMainFrame* m_frame;
  CTvlDoc& m_document;
  CResAcceleratorTable* m_table;
  CAcceleratorModel* m_model;
  LANGID m_language = 0;
  bool m_sourceLanguage = true;
  int m_mode = 0;
  bool m_showNonTranslatable = false;
  int m_forcedEntry = -1;
  bool m_released = false;
  // The editor shows this text and takes no input.
  CLocalizedString m_hint;
  CTranslationRequest m_offer;
  tvl::ui::CTypeAhead m_typeAhead;
};
