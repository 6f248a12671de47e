#pragma once
// The list of every string of a module's string table or message table: filtered by the
// display mode, each row showing the string's translation for the selected language.
// The list holds only row indexes; texts are produced when a row is drawn.
#include <QAbstractTableModel>
#include <QTreeView>
#include <vector>

#include "project/ViewHints.h"
#include "resmodel/TranslationRequest.h"
#include "ui/views/ElementView.h"
#include "ui/views/TypeAhead.h"

class CMainFrame;
class CTvlDoc;
class CResStringTable;
class CResString;
class CUndoTranslateString;

class CStringTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  CStringTableModel(CResStringTable* table, QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  void SetRows(std::vector<int> rows, LANGID language);
  // Stops reading the table.
  void Release();
  void RowChanged(int row);
  CResString* StringAt(int row) const;
  const std::vector<int>& Rows() const { return m_rows; }

 private:
  CResStringTable* m_table;
  std::vector<int> m_rows;
  LANGID m_language = 0;
  bool m_drawing = true;
};

class CStringTableView : public QTreeView, public CDocumentView, public CElementView {
  Q_OBJECT
 public:
  CStringTableView(CMainFrame* frame, CTvlDoc& document, CResStringTable* table, QWidget* parent = nullptr);
  ~CStringTableView() override;

  void OnInitialUpdate();
  // Lists the rows again under the window's row filter, keeping the current one if it stays.
  void Refilter() override;
  bool SelectElement(const std::string& element) override;
  // Type-ahead over the ids, source texts and translations.
  void keyboardSearch(const QString& search) override;
  void OnUpdate(int hint, const void* object) override;
  // Lets go of the table: no more drawing, no more hints, the editor emptied.
  void Release();
  bool IsReleased() const { return m_released; }

  CResStringTable* Table() const { return m_table; }
  CStringTableModel* Model() const { return m_model; }
  int UntranslatedCount() const { return m_untranslated; }
  int ToEditCount() const { return m_toEdit; }
  // The row of a string id, or -1 when it is not listed.
  int RowOfId(DWORD id) const;
  int CurrentRow() const;
  // Selects the next string to translate after a row (-1: from the first).
  void SelectNextToTranslate(int afterRow);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildRows();
  void SelectRow(int row);
  void Offer(int row);
  void ApplyCommit(const CTranslationRequest& request);
  void ApplyUndo(int hint, const CUndoTranslateString* action);
  // Stores the table's status from the counters; true when it changed.
  bool StoreTableStatus();
  bool IsClaimed(DWORD id) const;
  bool PassesFilter(const CResString& s) const;
  bool AnyText(const CResString& s, const tvl::TextTest& test) const;
  // Shows a string whatever the mode and filter (rebuilding when hidden); its row or -1.
  int ShowId(DWORD id);

  CMainFrame* m_frame;
  CTvlDoc& m_document;
  CResStringTable* m_table;
  CStringTableModel* m_model;
  LANGID m_language = 0;
  int m_mode = 0;
  bool m_showNonTranslatable = false;
  int m_untranslated = 0;
  int m_toEdit = 0;
  bool m_restore = false;
  DWORD m_restoreId = 0;
  int m_restoreTop = 0;
  bool m_hasForcedId = false;
  DWORD m_forcedId = 0;
  bool m_released = false;
  CTranslationRequest m_offer;
  tvl::ui::CTypeAhead m_typeAhead;
};
