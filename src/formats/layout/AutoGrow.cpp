#include "formats/layout/AutoGrow.h"

#include <algorithm>

#include "formats/layout/ResDialog.h"
#include "platform/Text.h"

using tvl::MulDiv;
using tvl::Rect;

// ---------------------------------------------------------------------------------------
// The measuring dialog

std::vector<WORD> CTemplateMeasuringContext::BuildTemplate(bool isEx, DWORD sourceStyle, const CDialogFont& font) {
  std::vector<WORD> t;
  t.reserve(kTemplateWords);
  auto dword = [&t](DWORD v) {
    t.push_back(static_cast<WORD>(v & 0xFFFF));
    t.push_back(static_cast<WORD>(v >> 16));
  };
  const bool setFont = (sourceStyle & DS_SETFONT) != 0;
  if (isEx) {
    t.push_back(1);
    t.push_back(0xFFFF);
    dword(0);  // help id
    dword(0);  // extended style
    dword(WS_CHILD | (sourceStyle & (DS_SETFONT | DS_FIXEDSYS)));
  } else {
    dword(WS_CHILD | (sourceStyle & DS_SETFONT));
    dword(0);
  }
  for (WORD w : {WORD{0}, WORD{0}, WORD{0}, WORD{100}, WORD{100}}) t.push_back(w);  // count, x, y, cx, cy
  t.push_back(0);  // menu
  t.push_back(0);  // class
  t.push_back(0);  // title
  if (setFont) {
    t.push_back(font.pointSize);
    if (isEx) {
      t.push_back(font.weight);
      t.push_back(static_cast<WORD>(font.italic | (font.charSet << 8)));
    }
    size_t room = kTemplateWords - t.size() - 1;
    std::u16string_view face(font.face);
    face = face.substr(0, std::min(room, face.find(u'\0')));
    t.insert(t.end(), face.begin(), face.end());
    t.push_back(0);
  }
  return t;
}

namespace {

// The font a dialog made from a template gets, as a LOGFONT would name it.
struct TemplateFont {
  std::u16string face;
  int height = 0;
  int weight = 0;
  bool italic = false;
};

bool ReadTemplateFont(const std::vector<WORD>& t, TemplateFont& font) {
  if (t.size() < 2) return false;
  const bool isEx = t[1] == 0xFFFF;
  size_t p = isEx ? 6 : 0;  // the style
  if (p + 2 > t.size()) return false;
  DWORD style = t[p] | (static_cast<DWORD>(t[p + 1]) << 16);
  p = isEx ? 13 : 9;
  // Menu, class and title: none, an ordinal or a string.
  for (int i = 0; i < 3; ++i) {
    if (p >= t.size()) return false;
    if (t[p] == 0xFFFF) {
      p += 2;
    } else {
      while (p < t.size() && t[p] != 0) ++p;
      ++p;
    }
  }
  if (!(style & DS_SETFONT)) {
    // Without a font of its own a dialog uses the system font (the fixed one with DS_FIXEDSYS).
    if (style & DS_FIXEDSYS)
      font = {u"Fixedsys", 15, 400, false};
    else
      font = {u"System", 16, 700, false};
    return true;
  }
  if (p >= t.size()) return false;
  WORD points = t[p++];
  font.weight = 0;  // the platform's "don't care"
  font.italic = false;
  if (isEx) {
    if (p + 2 > t.size()) return false;
    font.weight = t[p++];
    font.italic = (t[p++] & 0xFF) != 0;
  }
  while (p < t.size() && t[p] != 0) font.face.push_back(static_cast<char16_t>(t[p++]));
  // 0x7FFF asks for the message font of the system.
  if (points == 0x7FFF) {
    font.face = u"MS Shell Dlg";
    points = 8;
  }
  font.height = tvl::PointsToLogicalHeight(points);
  if (font.weight == 0xFFFF) font.weight = 0;
  return true;
}

}  // namespace

bool CTemplateMeasuringContext::Create(const std::vector<WORD>& tmpl) {
  Release();
  TemplateFont tf;
  if (ReadTemplateFont(tmpl, tf)) m_font = tvl::CMeasureFont::Open(tf.face, tf.height, tf.weight, tf.italic);
  if (m_font && m_font->GetBaseUnitX() > 0 && m_font->GetBaseUnitY() > 0) {
    // MapDialogRect of (0, 0, 1000, 1000).
    m_w1000 = MulDiv(1000, m_font->GetBaseUnitX(), 4);
    m_h1000 = MulDiv(1000, m_font->GetBaseUnitY(), 8);
    if (!m_font->IsMetricCompatible())
      m_note = u"The face \"" + tf.face + u"\" is measured with " + tvl::FromUtf8(m_font->GetFile()) +
               u", which does not have its widths; grown controls may differ slightly from Windows.";
    return true;
  }
  m_w1000 = kFallbackW1000;
  m_h1000 = kFallbackH1000;
  m_font = tvl::CMeasureFont::OpenFile(tvl::FallbackFontPath(), tf.height ? tf.height : -11, tf.weight);
  if (m_font)
    m_note = u"No font could be loaded for \"" + tf.face + u"\": fallback units 1500 x 1625, text measured with " +
             tvl::FromUtf8(m_font->GetFile()) + u".";
  else
    m_note = u"No font could be loaded for \"" + tf.face + u"\" nor the fallback face: controls do not grow.";
  return false;
}

void CTemplateMeasuringContext::Release() {
  m_font.reset();
  m_note.clear();
  m_w1000 = kFallbackW1000;
  m_h1000 = kFallbackH1000;
}

bool CTemplateMeasuringContext::CalcTextRect(std::u16string_view text, UINT flags, Rect& rect) const {
  if (!m_font) return false;
  m_font->CalcTextRect(text, flags, rect);
  return true;
}

// ---------------------------------------------------------------------------------------
// Measuring one control's text

CTextSize MeasureText(const std::u16string& text, const CMeasuringContext& context, EMeasureKind kind, int cx, int cy,
                      bool multiLine) {
  int extra = 0;
  Rect rect{0, 0, 1, 1};
  std::u16string measured = text;
  if (kind == EMeasureKind::kCheckBox) {
    extra = 13;
    rect.bottom = 13;
    measured.insert(measured.begin(), u' ');
  } else if (kind == EMeasureKind::kPushButton) {
    extra = 6;
  }
  UINT flags;
  if (multiLine) {
    rect = {0, 0, MulDiv(cx, context.m_w1000, 1000), MulDiv(cy, context.m_h1000, 1000)};
    flags = tvl::DT_CALCRECT | tvl::DT_WORDBREAK | tvl::DT_EXPANDTABS;
  } else {
    flags = tvl::DT_CALCRECT | tvl::DT_SINGLELINE | tvl::DT_EXPANDTABS;
  }
  if (!context.CalcTextRect(measured, flags, rect)) return {};
  return {MulDiv(rect.right + extra + 3, 1000, context.m_w1000), MulDiv(rect.bottom, 1000, context.m_h1000)};
}

// ---------------------------------------------------------------------------------------
// The rectangle of a control, grown to fit its translation

namespace {

constexpr DWORD BS_LEFTTEXT = 0x20;
constexpr DWORD BS_ICON = 0x40;
constexpr DWORD BS_BITMAP = 0x80;
constexpr DWORD BS_RIGHT = 0x200;
constexpr DWORD BS_PUSHLIKE = 0x1000;
constexpr DWORD BS_MULTILINE = 0x2000;
constexpr DWORD SS_RIGHT = 0x2;
constexpr DWORD SS_ELLIPSISMASK = 0xC000;

bool IsCheckOrRadio(DWORD type) { return (type >= 2 && type <= 6) || type == 9; }

}  // namespace

Rect CResDialogItem::GetItemRect(LANGID language, const CMeasuringContext* context) const {
  const CLocalizedPoint& pos = EffectivePoint(m_pos, language);
  const CLocalizedPoint& size = EffectivePoint(m_size, language);
  const int x = pos.m_x, y = pos.m_y, cx = size.m_x, cy = size.m_y;
  Rect plain{x, y, x + cx, y + cy};
  if (!context || language == 0 || language == m_text.m_language) return plain;
  const CLocalizedParam* node = m_text.FindValue(language);
  if (!node || node == &m_text) return plain;

  const bool isStatic = IsClass(0x82, u"Static");
  const bool isButton = IsClass(0x80, u"Button");
  const DWORD type = m_style & 0xF;
  bool growLeft = false;
  EMeasureKind kind = EMeasureKind::kPlain;
  if (isStatic) {
    const DWORD s = m_style & 0x1F;
    if (!(s <= 2 || s == 11 || s == 12) || (m_style & SS_ELLIPSISMASK)) return plain;
    growLeft = (m_style & SS_RIGHT) != 0;
  } else if (isButton) {
    if (type == 7 || type == 8 || type == 11 || (m_style & (BS_MULTILINE | BS_BITMAP | BS_ICON))) return plain;
    const bool pushLike = (m_style & BS_PUSHLIKE) != 0;
    if (IsCheckOrRadio(type) && !pushLike) {
      kind = EMeasureKind::kCheckBox;
      growLeft = (m_style & BS_LEFTTEXT) != 0;
    } else if (type <= 1 || (IsCheckOrRadio(type) && pushLike)) {
      kind = EMeasureKind::kPushButton;
      growLeft = (m_style & BS_RIGHT) != 0;
    }
  } else {
    return plain;
  }

  CTextSize need = MeasureText(m_text.GetBuildText(language), *context, kind, cx, cy, isStatic && cy > 15);
  const int w = std::max(cx, need.cx);
  const int h = std::max(cy, need.cy);
  Rect r{x, y, x + w, y + h};
  if (growLeft) {
    r.left = x + cx - w;
    r.right = x + cx;
    if (r.left < 0 && x >= 0) {
      r.right -= r.left;
      r.left = 0;
    }
  }
  return r;
}
