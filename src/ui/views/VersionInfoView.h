#pragma once
// The version information of a module as key and value rows: the file and product
// versions, a blank row, then the values of the string tables, filtered by the display mode.
#include <QAbstractTableModel>
#include <QTreeView>
#include <vector>

#include "project/ViewHints.h"
#include "resmodel/TranslationRequest.h"
#include "ui/views/ContentViews.h"
#include "ui/views/ElementView.h"
#include "ui/views/TypeAhead.h"

class CMainFrame;
class CTvlDoc;
class CResVersion;
class CLocalizedString;
class CUndoTranslateString;

class CVersionInfoModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  CVersionInfoModel(CResVersion* version, QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  void SetItems(std::vector<int> items, LANGID language);
  void Release();
  void RowChanged(int row);
  // The item of a row (-3 file version, -2 product version, -1 blank, else a string index);
  // -1 past the end.
  int ItemAt(int row) const;
  int RowOfItem(int item) const;
  // The value list of an item, or null for the blank row.
  CLocalizedString* ValueOf(int item) const;
  const std::vector<int>& Items() const { return m_items; }

 private:
  CResVersion* m_version;
  std::vector<int> m_items;
  LANGID m_language = 0;
  bool m_drawing = true;
};

class CVersionInfoView : public QTreeView, public CDocumentView, public CContentView, public CElementView {
  Q_OBJECT
 public:
  CVersionInfoView(CMainFrame* frame, CTvlDoc& document, CResVersion* version, QWidget* parent = nullptr);
  ~CVersionInfoView() override;

  void OnInitialUpdate();
  void OnUpdate(int hint, const void* object) override;
  void Release() override;

  CVersionInfoModel* Model() const { return m_model; }
  int CurrentRow() const;
  void SelectNextToTranslate(int afterRow);
  void Refilter() override;
  // "FileVersion#fixed", "ProductVersion#fixed" or a value's key.
  bool SelectElement(const std::string& element) override;
  void keyboardSearch(const QString& search) override;
  // Delete Translation: available for a selected value that has a translation.
  bool HasDeleteTranslation() const override { return true; }
  bool CanDeleteTranslation() const override;
  void DeleteTranslation() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildRows();
  void SelectRow(int row);
  void Offer(int row);
  void ApplyCommit(const CTranslationRequest& request);
  // Changes the value as the request says; false (nothing changed) for a malformed version.
  bool ChangeValue(const CTranslationRequest& request, int item, CLocalizedString& value);
  void ApplyUndo(int hint, const CUndoTranslateString* action);
  // The key, the source text and the translation of an item (none for the blank row).
  bool AnyText(int item, const tvl::TextTest& test) const;
  // Lists an item whatever the mode and filter; its row or -1.
  int ShowItem(int item);
  void RememberSelection();

  CMainFrame* m_frame;
  CTvlDoc& m_document;
  CResVersion* m_version;
  CVersionInfoModel* m_model;
  LANGID m_language = 0;
  int m_mode = 0;
  bool m_showNonTranslatable = false;
  bool m_restore = false;
  int m_restoreItem = 0;
  int m_restoreTop = 0;
  bool m_hasForcedItem = false;
  int m_forcedItem = 0;
  bool m_released = false;
  CTranslationRequest m_offer;
  tvl::ui::CTypeAhead m_typeAhead;
};
