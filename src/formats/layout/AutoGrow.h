#pragma once
// Auto-grow of translated controls: the measuring context that supplies a dialog's font and
// dialog units, and the measurement of one control's text in dialog units.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Fonts.h"
#include "platform/Types.h"

// A dialog font as a template writes it.
struct CDialogFont {
  bool present = false;  // the template has a font block
  std::u16string face;
  WORD pointSize = 0;
  WORD weight = 0xFFFF;
  BYTE italic = 0;
  BYTE charSet = 0;
};

// What auto-grow measures with: a drawing context with the dialog's font for the language,
// and how many pixels 1000 dialog units make across and down in that font.
class CMeasuringContext {
 public:
  virtual ~CMeasuringContext() = default;
  // DrawText with DT_CALCRECT in the context's font; false when there is nothing to measure
  // with.
  virtual bool CalcTextRect(std::u16string_view text, UINT flags, tvl::Rect& rect) const = 0;

  int m_w1000 = 1500;
  int m_h1000 = 1625;
};

// The context of a template being written: a measuring dialog made from a header-only
// template with the written style and font. Created once per written dialog.
class CTemplateMeasuringContext : public CMeasuringContext {
 public:
  static constexpr size_t kTemplateWords = 1000;
  static constexpr int kFallbackW1000 = 1500;
  static constexpr int kFallbackH1000 = 1625;

  // The measuring dialog's template: no extended style, no controls, at (0, 0) 100 x 100,
  // WS_CHILD plus the source's DS_SETFONT (and for DIALOGEX DS_FIXEDSYS), no menu, class or
  // title, and the font when the source style has DS_SETFONT (face cut to fit).
  static std::vector<WORD> BuildTemplate(bool isEx, DWORD sourceStyle, const CDialogFont& font);

  // Makes the measuring dialog from such a template. False when its font cannot be loaded:
  // then the units are 1500 x 1625 and text is measured with the fallback face (the note
  // says so); when not even that loads nothing is measured.
  bool Create(const std::vector<WORD>& tmpl);
  void Release();

  bool CalcTextRect(std::u16string_view text, UINT flags, tvl::Rect& rect) const override;

  const tvl::CMeasureFont* GetFont() const { return m_font.get(); }
  // Why measurement may differ from the platform's (fallback units, a substitute face).
  const std::u16string& GetNote() const { return m_note; }

 private:
  std::shared_ptr<const tvl::CMeasureFont> m_font;
  std::u16string m_note;
};

// How a control's text is measured: the extra width for a check box's box or a push
// button's frame.
enum class EMeasureKind {
  kPlain,       // statics and other buttons: no extra width
  kCheckBox,    // check boxes and radio buttons: 13 pixels and a leading space
  kPushButton,  // push buttons and push-like check boxes: 6 pixels
};

struct CTextSize {
  int cx = 0;
  int cy = 0;
};

// The size in dialog units that text needs in a control of cx x cy dialog units; multiLine
// wraps words in that box.
CTextSize MeasureText(const std::u16string& text, const CMeasuringContext& context, EMeasureKind kind, int cx,
                      int cy, bool multiLine);
