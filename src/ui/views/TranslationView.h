#pragma once
// The translation editor, the bottom pane: the source text of the item the resource view
// offers, the translation box, OK and Skip.
#include <QPlainTextEdit>
#include <QWidget>
#include <functional>
#include <memory>

#include "project/ViewHints.h"
#include "resmodel/TranslationRequest.h"

class CMainFrame;
class CSpellChecker;
class CSpellHighlighter;
class CTvlDoc;
class QGridLayout;
class QLabel;
class QMenu;
class QPushButton;
class QVBoxLayout;

// A box that asks for the height of its whole text, at least four lines; the pane gives it
// that when it has the room and shares what is left between the boxes.
class CTextBox : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit CTextBox(QWidget* parent = nullptr);
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  // The lines the text takes at the box's width.
  int LineCount() const;
  int HeightForLines(int lines) const;
};

// The translation box: Enter commits, Ctrl+Enter inserts a line break.
class CTranslationEdit : public CTextBox {
  Q_OBJECT
 public:
  using CTextBox::CTextBox;
 signals:
  void commitRequested();

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 public:
  // Adds to the context menu; `at` is where it was asked for, in the viewport.
  std::function<void(QMenu*, const QPoint& at)> m_decorateMenu;
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

  // Another pane's widget under the boxes, across the editor (the boxes keep their four
  // lines first; `stretch` is its share of the height beyond that, the boxes have 1 each).
  void AddBelowBoxes(QWidget* widget, int stretch = 1);

  // Spelling of the translation box in the offered item's language.
  CSpellChecker& SpellChecker() const { return *m_checker; }
  CSpellHighlighter* SpellHighlighter() const { return m_highlighter; }
  // The status bar's note that the language has no dictionary; hidden otherwise.
  QLabel* SpellingNote() const { return m_spellingNote; }

  QSize minimumSizeHint() const override;

 signals:
  // The boxes' selection, undo or redo state changed: what the editing commands read.
  void commandStateChanged();

 private:
  void Offer(const CTranslationRequest* request);
  void SetFormEnabled(bool enabled);
  void Connect();
  void UpdateSpelling();
  void AddSpellingActions(QMenu* menu, const QPoint& at);
  void Send(const std::u16string& text, bool skip);
  void AfterCommit();
  // The typed text with CR LF line ends.
  std::u16string TypedText() const;

  CMainFrame* m_frame;
  CTvlDoc& m_document;
  QGridLayout* m_grid;
  CTextBox* m_source;
  CTranslationEdit* m_translation;
  QLabel* m_translationLabel;
  QLabel* m_note;
  QLabel* m_noteIcon;
  QPushButton* m_ok;
  QPushButton* m_skip;
  QVBoxLayout* m_below;
  std::unique_ptr<CSpellChecker> m_checker;
  CSpellHighlighter* m_highlighter;
  QLabel* m_spellingNote;

  std::u16string m_sourceText;
  std::u16string m_existing;
  int m_sourceLines = 1;
  CTranslationRequest m_request;
  bool m_multiLine = false;
  bool m_formEnabled = false;
};
