#pragma once
// The dialog window of the preview: built from a template written for the preview, with
// the frame and caption bar its style asks for and one widget per control, drawn in the
// classic look whatever the desktop's theme.
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <vector>

#include "formats/layout/DialogTemplate.h"
#include "workspace/DialogViewRules.h"

class QStyle;
class CResDialog;
class CTvlDoc;

// What a control is drawn as.
enum class PreviewKind {
  PushButton, CheckBox, RadioButton, GroupBox, IconButton,
  Text, Icon, Bitmap, Rect, Frame, Etched,
  Edit, ListBox, ComboBox, ScrollBar,
  ListView, TreeView, Tab, Progress, Trackbar, UpDown, DateTime, MonthCal, IpAddress, HotKey, Link, RichEdit,
  Bordered,  // a class that cannot be made, or an ActiveX control that is missing
  Blank,     // a class the preview knows but draws as an empty box
};

// The classic look the preview widgets are drawn with: the toolkit's "Windows" style and
// the button-face palette.
QStyle* PreviewStyle();
QPalette PreviewPalette();
// A font as the target's platform would select it: the local stand-in for the face, at
// the pixel size of `points` at 96 dpi.
QFont PreviewQFont(const std::u16string& face, int points, int weight, bool italic);
PreviewKind PreviewKindOf(const CTemplateControl& control);

class CPreviewControl : public QWidget {
  Q_OBJECT
 public:
  CPreviewControl(const CTemplateControl& control, QWidget* parent);

  PreviewKind Kind() const { return m_kind; }
  DWORD Style() const { return m_style; }
  const QString& Text() const { return m_text; }
  void SetText(const QString& text);
  const QStringList& Entries() const { return m_entries; }
  void SetEntries(const QStringList& entries);
  void SetEntry(int n, const QString& text);
  // The entry shown (a combo box's selection, a list box's top entry); -1 for none.
  void ShowEntry(int n);
  int ShownEntry() const { return m_shown; }
  // The picture of an icon or bitmap static or an icon button; null: the placeholder.
  void SetPicture(const QPixmap& picture);
  const QPixmap& Picture() const { return m_picture; }
  // The title as a resource identifier (the picture's), as the template gives it.
  bool TitleIsOrdinal() const { return m_titleIsOrdinal; }
  WORD TitleOrdinal() const { return m_titleOrdinal; }
  void SetStruckOut(bool struck);
  bool IsStruckOut() const { return m_struck; }
  // The control's rectangle in dialog units as the template gives it.
  const tvl::Rect& Units() const { return m_units; }
  void SetUnits(const tvl::Rect& units) { m_units = units; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void PaintButton(QPainter& p);
  void PaintStatic(QPainter& p);
  void PaintGroupBox(QPainter& p);
  void PaintField(QPainter& p);
  void PaintList(QPainter& p, const QRect& area, int first);
  void PaintCombo(QPainter& p);
  void PaintScrollBar(QPainter& p, const QRect& area, bool vertical);
  void PaintCommon(QPainter& p);
  void PaintBorder(QPainter& p);
  QRect Inside() const;
  int TextFlags() const;

  PreviewKind m_kind;
  DWORD m_style;
  DWORD m_exStyle;
  QString m_text;
  QStringList m_entries;
  int m_shown = -1;
  bool m_struck = false;
  tvl::Rect m_units;
  bool m_titleIsOrdinal = false;
  WORD m_titleOrdinal = 0;
  QPixmap m_picture;
};

class CDialogPreview : public QWidget {
  Q_OBJECT
 public:
  // Builds the window; the dialog font is the template's, measured as auto-grow measures it.
  explicit CDialogPreview(const CDialogTemplate& tmpl, QWidget* parent = nullptr);

  int BaseUnitX() const { return m_baseX; }
  int BaseUnitY() const { return m_baseY; }
  const QFont& DialogFont() const { return m_font; }
  const QFont& CaptionFont() const { return m_captionFont; }
  const tvl::CDialogFrame& Frame() const { return m_frame; }
  DWORD Style() const { return m_style; }
  // Where the client area starts inside the window.
  QPoint ClientOrigin() const { return {m_frame.border, m_frame.border + m_frame.caption}; }
  // A rectangle in dialog units as pixels of the window.
  QRect ToPixels(const tvl::Rect& units) const;
  // Moves a control to a rectangle in dialog units.
  void PlaceControl(int index, const tvl::Rect& units);

  int ControlCount() const { return static_cast<int>(m_controls.size()); }
  CPreviewControl* Control(int index) const;
  const QString& Caption() const { return m_caption; }
  void SetCaption(const QString& caption);
  // The caption's text area in window pixels (for the marks); empty without caption bar.
  QRect CaptionTextRect() const;
  // The caption is crossed out: it needs no more work.
  void SetCaptionDone(bool done);
  bool IsCaptionDone() const { return m_captionDone; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void PaintCaption(QPainter& p);
  bool HasSmallIcon() const;

  DWORD m_style;
  DWORD m_exStyle;
  tvl::CDialogFrame m_frame;
  int m_baseX = 6;
  int m_baseY = 13;
  QFont m_font;
  QFont m_captionFont;
  QString m_caption;
  bool m_captionDone = false;
  std::vector<CPreviewControl*> m_controls;
};

// What the writer needs besides the dialog: the language, and its default dialog font.
struct CPreviewSource {
  LANGID language = 0;
  LANGID sourceLanguage = 0;
  std::u16string fontFace;
  WORD fontSize = 8;
  BYTE charSet = 1;
};
// The language's record in the document (its preview font), as a build would use it.
CPreviewSource PreviewSourceFor(const CTvlDoc& document, LANGID language);

// Writes the dialog's template and initialisation data for the preview, reads them back
// and builds the window with its controls dressed for the display mode. Throws when the
// template cannot be made into a window.
CDialogPreview* BuildDialogPreview(CResDialog& dialog, const CPreviewSource& source, int mode, QWidget* parent);
// The preview as a picture (marks off), scaled by zoom percent; null when it cannot be built.
QImage RenderDialogPreview(CResDialog& dialog, const CPreviewSource& source, int zoom);
