#include "checks/LayoutRule.h"

#include <algorithm>

#include "formats/layout/DlgInit.h"
#include "formats/layout/ResDialog.h"

namespace {

constexpr DWORD kBsMultiline = 0x2000;
constexpr DWORD kEsMultiline = 0x0004;
constexpr DWORD kEsAutoHScroll = 0x0080;  // the text scrolls: nothing is cut off
constexpr int kComboArrow = 10;  // dialog units the drop-down button takes

bool Overlap(const tvl::Rect& a, const tvl::Rect& b) {
  return std::max(a.left, b.left) < std::min(a.right, b.right) && std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

bool IsEmpty(const tvl::Rect& r) { return r.right <= r.left || r.bottom <= r.top; }

bool IsTranslated(const CLocalizedString& value, LANGID language) {
  const CLocalizedParam* node = value.FindValue(language);
  return node && node != &value && node->m_status >= kStatusTranslated && !value.IsDoNotTranslate();
}

std::string Units(const char* what, int need, int have) {
  return std::string("The text is ") + what + " than its control, which does not grow (needs " + std::to_string(need) +
         ", has " + std::to_string(have) + " dialog units).";
}

// A text that auto-grow leaves as it is: multi-line buttons, edits, list and combo entries.
void CheckFit(const CResDialog& dialog, size_t index, LANGID language, const CMeasuringContext& context,
              std::vector<std::pair<size_t, CRuleHit>>& out) {
  const CResDialogItem& item = *dialog.m_items[index];
  const tvl::Rect r = item.GetItemRect(language, nullptr);
  const int cx = r.right - r.left, cy = r.bottom - r.top;
  auto measure = [&](const CLocalizedString& text, int width, bool multiLine) {
    if (!IsTranslated(text, language)) return;
    CTextSize need = MeasureText(text.GetBuildText(language), context, EMeasureKind::kPlain, width, cy, multiLine);
    if (need.cx > width) {
      out.push_back({index, {ECheckSeverity::kWarning, Units("wider", need.cx, width)}});
    } else if (need.cy > cy) {
      out.push_back({index, {ECheckSeverity::kWarning, Units("taller", need.cy, cy)}});
    }
  };
  if (item.IsClass(0x80, u"Button") && (item.m_style & kBsMultiline) && !item.m_noText) {
    measure(item.m_text, cx, true);
  } else if (item.IsClass(0x81, u"Edit") && !item.m_noText && !(item.m_style & kEsAutoHScroll)) {
    measure(item.m_text, cx, (item.m_style & kEsMultiline) != 0);
  }
  const bool combo = item.IsClass(0x85, u"ComboBox");
  if (combo || item.IsClass(0x83, u"ListBox")) {
    for (const auto& entry : dialog.m_dlgInit) {
      if (entry->m_controlId != static_cast<WORD>(item.m_id)) continue;
      if (const CLocalizedString* text = entry->GetText()) measure(*text, combo ? cx - kComboArrow : cx, false);
    }
  }
}

}  // namespace

std::vector<std::pair<size_t, CRuleHit>> CLayoutRule::Check(const CResDialog& dialog, LANGID language,
                                                            const CMeasuringContext& context) const {
  std::vector<std::pair<size_t, CRuleHit>> out;
  const size_t n = dialog.m_items.size();
  std::vector<tvl::Rect> source(n), target(n);
  for (size_t i = 0; i < n; ++i) {
    source[i] = dialog.m_items[i]->GetItemRect(0, nullptr);
    target[i] = dialog.m_items[i]->GetItemRect(language, &context);
  }
  const CLocalizedPoint& sourceSize = EffectivePoint(dialog.m_size, 0);
  const CLocalizedPoint& size = EffectivePoint(dialog.m_size, language);
  for (size_t i = 0; i < n; ++i) {
    CheckFit(dialog, i, language, context, out);
    const tvl::Rect& s = source[i];
    const tvl::Rect& t = target[i];
    bool insideBefore = s.right <= sourceSize.m_x && s.bottom <= sourceSize.m_y;
    if (insideBefore && (t.right > size.m_x || t.bottom > size.m_y || t.left < 0 || t.top < 0))
      out.push_back({i, {ECheckSeverity::kWarning, "The control extends beyond the dialog's client area."}});
    if (IsEmpty(t)) continue;
    for (size_t j = 0; j < i; ++j) {
      if (IsEmpty(target[j]) || !Overlap(t, target[j]) || Overlap(s, source[j])) continue;
      // The finding goes to the control that grew, naming the one it runs into.
      size_t grown = t == s ? j : i, other = grown == i ? j : i;
      out.push_back({grown, {ECheckSeverity::kWarning,
                             "The control overlaps control " + std::to_string(dialog.m_items[other]->m_id) +
                                 " (number " + std::to_string(other + 1) + ") after growing; in the source they do not."}});
    }
  }
  return out;
}
