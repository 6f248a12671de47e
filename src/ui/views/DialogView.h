#pragma once
// The view of a dialog node: the dialog as the translated program will show it, for the
// selected language. Clicking a control offers its text to the translation editor;
// committed translations are written into the live preview at once.
#include <QScrollArea>
#include <memory>
#include <vector>

#include "formats/layout/AutoGrow.h"
#include "project/ViewHints.h"
#include "resmodel/TranslationRequest.h"
#include "ui/views/ContentViews.h"
#include "workspace/DialogViewRules.h"

class CMainFrame;
class CTvlDoc;
class CResDialog;
class CDialogPreview;
class CDialogCanvas;
class CTemplateMeasuringContext;
class CUndoTranslateString;
class QListWidget;

class CDialogView : public QScrollArea, public CDocumentView, public CContentView {
  Q_OBJECT
 public:
  CDialogView(CMainFrame* frame, CTvlDoc& document, CResDialog* dialog, QWidget* parent = nullptr);
  ~CDialogView() override;

  // Builds the preview and selects the first element to translate; false when the dialog
  // cannot be made into a window (the pane then shows the error form).
  bool OnInitialUpdate();
  void OnUpdate(int hint, const void* object) override;
  // Lets go of the dialog: no more hints, the editor emptied.
  void Release() override;
  // Delete Translation of the selected element (the Del key and the Edit menu).
  bool HasDeleteTranslation() const override { return true; }
  bool CanDeleteTranslation() const override;
  void DeleteTranslation() override;

  CResDialog* Dialog() const { return m_dialog; }
  CDialogPreview* Preview() const { return m_preview; }
  int SelectedIndex() const { return m_selected.index; }
  int SelectedString() const { return m_selected.string; }
  // A click at a point of the preview window.
  void ClickAt(QPoint previewPoint);
  // Whether the marks frame a control (-1: the caption) in red.
  bool IsMarked(int index) const;
  // Selects an element and offers it to the editor.
  void Select(const tvl::CDialogElement& element);
  // The in-place list of a list or combo box's initial strings, when open.
  QListWidget* ListEditor() const { return m_listEditor; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // Tab goes to the tree, not through the widgets.
  bool focusNextPrevChild(bool next) override;

 private:
  friend class CDialogCanvas;
  void Build();
  void ApplyMarks();
  void ApplyMark(int index);
  void Offer();
  void GoToNext();
  void ApplyCommit(const CTranslationRequest& request);
  void ApplyUndo(int hint, const CUndoTranslateString* action);
  // Writes an element's effective text into the window (a control's rectangle recomputed).
  void WriteElement(const tvl::CDialogElement& element);
  void OpenListEditor(int index);
  void CloseListEditor();
  void FillListRow(int row);
  bool HasStrings(int index) const;

  CMainFrame* m_frame;
  CTvlDoc& m_document;
  CResDialog* m_dialog;
  CDialogCanvas* m_canvas = nullptr;
  CDialogPreview* m_preview = nullptr;
  std::unique_ptr<CTemplateMeasuringContext> m_context;
  LANGID m_language = 0;
  int m_mode = 0;
  tvl::CDialogElement m_selected;
  std::vector<tvl::CClickCandidate> m_clickCycle;
  bool m_pending = false;
  tvl::CDialogElement m_pendingSelection;
  std::vector<bool> m_marked;  // per control; the caption's is m_captionMarked
  bool m_captionMarked = false;
  bool m_released = false;
  QListWidget* m_listEditor = nullptr;
  int m_listControl = -1;
  CTranslationRequest m_offer;
};

// Shown instead of the preview when a dialog cannot be made into a window.
class CErrorCreatingDialogView : public QWidget {
  Q_OBJECT
 public:
  explicit CErrorCreatingDialogView(QWidget* parent = nullptr);
};
