#pragma once
// The strip above every resource view: the resource's title, "Do not translate", the
// status of whole-resource translations with Export, Import, Delete and Confirm, and the
// dialog font controls.
#include <QWidget>
#include <string>

#include "project/ViewHints.h"
#include "resmodel/TranslationRequest.h"

class CMainFrame;
class CTvlDoc;
class CModule;
class CResource;
class CResourceType;
class CResDialog;
class CLocalizedParam;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CResourceHeaderView : public QWidget, public CDocumentView {
  Q_OBJECT
 public:
  // Exactly one of resource, type and module is given.
  CResourceHeaderView(CMainFrame* frame, CTvlDoc& document, CResource* resource, CResourceType* type,
                      CModule* module, QWidget* parent = nullptr);
  ~CResourceHeaderView() override;

  void OnUpdate(int hint, const void* object) override;
  void Release();

  // The title line.
  QString Title() const;
  QCheckBox* DoNotTranslateBox() const { return m_doNotTranslate; }
  QLabel* StatusLabel() const { return m_statusText; }
  QLineEdit* FontBox() const { return m_fontBox; }
  QLabel* LinksLabel() const { return m_links; }
  // Which links are shown: "export", "import", "delete", "confirm".
  bool IsLinkShown(const QString& link) const;

  // The check box was clicked.
  void OnToggleDoNotTranslate(bool checked);
  // A toolbar's bitmap, which its check box marks; null for other resources.
  CResource* ToolbarBitmap() const;
  // The link commands after their file dialogs; paths are chosen by the caller.
  void ExportTo(const std::u16string& path);
  void ImportFrom(const std::u16string& path);
  // The import's first check; false after its message.
  bool CanImport();
  void DeleteTranslation();
  void ConfirmTranslation();
  // The dialog font for the selected language: a face and size, or none for the default.
  void SetDialogFont(const std::u16string& face, int pointSize);
  void SetDefaultDialogFont();

 private:
  void Redraw();
  void OnLink(const QString& link);
  void ChooseFont();
  // After a whole-resource change: modified, status recomputed, hints.
  void ResourceChanged(int statusBefore);
  CResDialog* Dialog() const;
  bool IsSourceSelected() const;
  // The element the check box applies to, or null for the resource itself.
  CLocalizedParam* Element() const;
  bool UsesItemElement() const;

  CMainFrame* m_frame;
  CTvlDoc& m_document;
  CResource* m_resource;
  CResourceType* m_type;
  CModule* m_module;
  LANGID m_language = 0;
  CTranslationRequest m_request;
  bool m_hasRequest = false;
  bool m_released = false;
  bool m_updating = false;

  QLabel* m_title;
  QCheckBox* m_doNotTranslate;
  QLabel* m_statusIcon;
  QLabel* m_statusText;
  QLabel* m_links;
  QLabel* m_fontLabel;
  QLineEdit* m_fontBox;
  QPushButton* m_fontChoose;
  QPushButton* m_fontDefault;
  QString m_shownLinks;
};
