#pragma once
// The translation editor, the bottom pane: the source text of the item the resource view
// offers, the translation box, OK and Skip.
#include <QPlainTextEdit>
#include <QWidget>
#include <functional>

#include "project/ViewHints.h"
#include "resmodel/TranslationRequest.h"

class CMainFrame;
class CTvlDoc;
class QLabel;
class QMenu;
class QPushButton;

// The translation box: Enter commits, Ctrl+Enter inserts a line break.
class CTranslationEdit : public QPlainTextEdit {
  Q_OBJECT
 public:
  using QPlainTextEdit::QPlainTextEdit;
 signals:
  void commitRequested();

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 public:
  std::function<void(QMenu*)> m_decorateMenu;
};

class CTranslationView : public QWidget, public CDocumentView {
  Q_OBJECT
 public:
  CTranslationView(CMainFrame* frame, CTvlDoc& document, QWidget* parent = nullptr);
  ~CTranslationView() override;

  void OnUpdate(int hint, const void* object) override;

  // OK: validates, matches line breaks and commits; false when the user cancelled.
  bool Commit();
  void Skip();
  // Empties the translation and commits without the questions.
  void DeleteTranslation();
  bool CanDeleteTranslation() const;

  // The editing commands while the editor has the focus.
  bool CanCopy() const;
  bool CanCut() const;
  bool CanPaste() const;
  bool CanSelectAll() const;
  bool BoxCanUndo() const;
  bool BoxCanRedo() const;
  void Copy();
  void Cut();
  void Paste();
  void SelectAll();
  void BoxUndo();
  void BoxRedo();

  bool IsFormEnabled() const { return m_formEnabled; }
  bool IsMultiLine() const { return m_multiLine; }
  const std::u16string& SourceText() const { return m_sourceText; }
  const std::u16string& ExistingTranslation() const { return m_existing; }
  CTranslationEdit* TranslationBox() const { return m_translation; }
  QPlainTextEdit* SourceBox() const { return m_source; }
  QPushButton* OkButton() const { return m_ok; }
  QPushButton* SkipButton() const { return m_skip; }
  QLabel* MultiLineNote() const { return m_note; }
  const CTranslationRequest& LastRequest() const { return m_request; }

  QSize minimumSizeHint() const override;

 signals:
  // The boxes' selection, undo or redo state changed: what the editing commands read.
  void commandStateChanged();

 private:
  void Offer(const CTranslationRequest* request);
  void SetFormEnabled(bool enabled);
  void Send(const std::u16string& text, bool skip);
  void AfterCommit();
  // The typed text with CR LF line ends.
  std::u16string TypedText() const;

  CMainFrame* m_frame;
  CTvlDoc& m_document;
  QPlainTextEdit* m_source;
  CTranslationEdit* m_translation;
  QLabel* m_translationLabel;
  QLabel* m_note;
  QLabel* m_noteIcon;
  QPushButton* m_ok;
  QPushButton* m_skip;

  std::u16string m_sourceText;
  std::u16string m_existing;
  int m_sourceLines = 1;
  CTranslationRequest m_request;
  bool m_multiLine = false;
  bool m_formEnabled = false;
};
