#pragma once
// Resources translated as a whole without a structured editor, shown read-only: manifests
// as text, other binary resources as a hexadecimal dump, HTML pages and web pictures in a
// browser. Their translations go through the header's Export, Import, Delete and Confirm.
#include <QAbstractScrollArea>
#include <QPlainTextEdit>
#include <QTextBrowser>
#include <vector>

#include "project/ViewHints.h"
#include "ui/views/ContentViews.h"

class CResBinary;
class CResManifest;
class QKeyEvent;

// What the three views share: the resource, refreshing, Delete and Tab.
class CWholeResourceView : public CDocumentView, public CContentView {
 public:
  CWholeResourceView(CMainFrame* frame, CTvlDoc& document, CResource* resource);
  ~CWholeResourceView() override;
  void OnUpdate(int hint, const void* object) override;
  void Release() override;
  // Delete Translation: a translation language is selected and the resource holds one.
  bool HasDeleteTranslation() const override { return true; }
  bool CanDeleteTranslation() const override;
  // Hands the deletion to the header, which confirms and records it.
  void DeleteTranslation() override;

 protected:
  // Shows the data for the selected language again.
  virtual void Refresh() = 0;
  // Tab and Delete; true when the key was taken.
  bool HandleKey(QKeyEvent* event);
  // The language whose data is shown: the selected one, or the source language for a
  // resource marked do-not-translate.
  LANGID ShownLanguage() const;

  CMainFrame* m_frame;
  CTvlDoc& m_document;
  CResource* m_resource;
  bool m_released = false;
};

// A read-only text box in a fixed-pitch font.
class CTextView : public QPlainTextEdit, public CWholeResourceView {
  Q_OBJECT
 public:
  CTextView(CMainFrame* frame, CTvlDoc& document, CResource* resource, QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void Refresh() override;
  virtual QString Text() const = 0;
};

class CManifestView : public CTextView {
  Q_OBJECT
 public:
  CManifestView(CMainFrame* frame, CTvlDoc& document, CResManifest* manifest, QWidget* parent = nullptr);

 protected:
  QString Text() const override;

 private:
  CResManifest* m_manifest;
};

// The dump is drawn line by line as it scrolls, so a resource of many megabytes opens at once.
class CBinaryView : public QAbstractScrollArea, public CWholeResourceView {
  Q_OBJECT
 public:
  CBinaryView(CMainFrame* frame, CTvlDoc& document, CResBinary* binary, QWidget* parent = nullptr);
  // The bytes shown and one line of their dump.
  const std::vector<BYTE>& Bytes() const;
  QString Line(size_t line) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void Refresh() override;

 private:
  void UpdateScrollBars();
  CResBinary* m_binary;
};

// HTML pages and pictures named like web files: the data is written to a fresh temporary
// file, which the browser shows; links inside the page are not followed.
class CHtmlResView : public QTextBrowser, public CWholeResourceView {
  Q_OBJECT
 public:
  CHtmlResView(CMainFrame* frame, CTvlDoc& document, CResBinary* binary, QWidget* parent = nullptr);
  ~CHtmlResView() override;
  const QString& ShownFile() const { return m_file; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void Refresh() override;

 private:
  CResBinary* m_binary;
  QString m_file;
};
