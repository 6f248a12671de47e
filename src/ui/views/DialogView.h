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
#include "ui/views/ElementView.h"
#include "ui/views/RectTracker.h"
#include "workspace/DialogViewRules.h"

class CMainFrame;
class CTvlDoc;
class CResDialog;
class CDialogPreview;
class CDialogCanvas;
class CTemplateMeasuringContext;
class CUndoTranslateString;
class QListWidget;
class QPainter;

class CDialogView : public QScrollArea, public CDocumentView, public CContentView, public CElementView {
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
  // "caption", "control/1000#0", "init/1002#1".
  bool SelectElement(const std::string& element) override;
  // The in-place list of a list or combo box's initial strings, when open.
  QListWidget* ListEditor() const { return m_listEditor; }

  // The preview's scale in percent (100, 150 or 200); kept for the next dialog shown.
  int Zoom() const { return m_zoom; }
  void SetZoom(int percent);
  static constexpr int kZooms[] = {100, 150, 200};

  // Layout mode: the window's command is on and a translation is shown.
  bool InLayoutMode() const;
  const CMyRectTracker& Tracker() const { return m_tracker; }
  // Refused layout steps so far (each one beeps).
  int BeepCount() const { return m_beeps; }
  // The dotted grid in dialog units and snapping to the neighbours' edges while dragging.
  void SetGrid(bool on);
  bool HasGrid() const { return m_grid; }
  void SetSnap(bool on);
  bool HasSnap() const { return m_snap; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // Tab goes to the tree, not through the widgets.
  bool focusNextPrevChild(bool next) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  friend class CDialogCanvas;
  void Build();
  void Rebuild();
  void RepaintCanvas();
  void HoldPreview();
  // The selection's rectangle in preview pixels (the preview window for -1; empty for none).
  QRect ShownRect(int index) const;
  bool ZoomKey(int key, Qt::KeyboardModifiers mods);

  // Layout mode (DialogLayout.cpp).
  void ApplyTracker();
  void UpdateReadout();
  Qt::CursorShape CursorAt(QPoint viewPoint) const;
  bool StartTracking(QPoint viewPoint);
  void TrackTo(QPoint viewPoint, Qt::KeyboardModifiers mods);
  void FinishTracking();
  void FinishDialogResize(const QRect& tracked);
  void FinishControlTracking(const QRect& tracked, bool moving);
  void LayoutKey(int key, bool resize);
  void DeleteLayout();
  // Stores a new place and size for L (either may be unchanged) with its undo action.
  void StorePlace(int index, const tvl::Rect& before, const tvl::Rect& after, bool mergeable, BYTE mergeKind);
  // The selection's rectangle in dialog units for L (auto-grow included); the dialog is (0, 0, size).
  tvl::Rect UnitRect(int index) const;
  tvl::CUnitSize DialogSize() const;
  tvl::CUnitSize DialogMinimumSize() const;
  void Placed(int index);
  void Beep();
  void PaintGrid(QPainter& p) const;
  bool SnapEdge(int edge, bool vertical, int& shift) const;
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
  static inline int s_zoom = 100;
  int m_zoom = s_zoom;
  CMyRectTracker m_tracker;
  int m_beeps = 0;
  // Kept for the next dialog shown, as the zoom.
  static inline bool s_grid = false;
  static inline bool s_snap = false;
  bool m_grid = s_grid;
  bool m_snap = s_snap;
};

// Shown instead of the preview when a dialog cannot be made into a window.
class CErrorCreatingDialogView : public QWidget {
  Q_OBJECT
 public:
  explicit CErrorCreatingDialogView(QWidget* parent = nullptr);
};
