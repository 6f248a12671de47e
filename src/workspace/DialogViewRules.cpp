#include "workspace/DialogViewRules.h"

#include <algorithm>

#include "formats/layout/DlgInit.h"
#include "formats/layout/ResDialog.h"
#include "workspace/CommandIds.h"

namespace tvl {

std::vector<CClickCandidate> ClickCandidates(const std::vector<Rect>& controls, int x, int y) {
  std::vector<CClickCandidate> out;
  for (size_t i = 0; i < controls.size(); ++i) {
    const Rect& r = controls[i];
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
      out.push_back({static_cast<int>(i), static_cast<long long>(r.right - r.left) * (r.bottom - r.top)});
  }
  std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.area < b.area; });
  if (out.empty()) out.push_back({-1, 0});
  return out;
}

int ChooseClicked(const std::vector<CClickCandidate>& candidates, const std::vector<CClickCandidate>& previous,
                  int selected) {
  if (candidates.empty()) return -1;
  if (candidates == previous) {
    auto it = std::find_if(candidates.begin(), candidates.end(), [&](const auto& c) { return c.window == selected; });
    if (it != candidates.end()) return ++it == candidates.end() ? candidates.front().window : it->window;
  }
  return candidates.front().window;
}

int WalkControls(int selected, int count, bool forward) {
  if (count <= 0) return -1;
  if (selected < -1 || selected >= count) selected = -1;
  if (forward) return selected + 1 >= count ? -1 : selected + 1;
  return selected == -1 ? count - 1 : selected - 1;
}

bool ControlShowsText(const CResDialogItem& item) { return !item.m_noText && !item.m_titleIsOrdinal; }

bool IsListControl(const CResDialogItem& item) {
  return item.IsClass(0x83, u"ListBox") || item.IsClass(0x85, u"ComboBox") || item.IsClass(0, u"ComboBoxEx32");
}

CLocalizedParam* ElementValue(const CResDialog& dialog, const CDialogElement& e) {
  if (e.index == -1) return const_cast<CLocalizedString*>(&dialog.m_caption);
  if (e.index < 0 || e.index >= static_cast<int>(dialog.m_items.size())) return nullptr;
  if (e.string >= 0) {
    CDlgInitMsg* entry = e.string < dialog.GetDlgInitCount(e.index) ? dialog.GetDlgInit(e.index, e.string) : nullptr;
    return entry ? entry->GetText() : nullptr;
  }
  CResDialogItem& item = *dialog.m_items[static_cast<size_t>(e.index)];
  return ControlShowsText(item) ? &item.m_text : nullptr;
}

namespace {

std::vector<CDialogElement> Elements(const CResDialog& dialog) {
  std::vector<CDialogElement> out{{-1, -1}};
  for (int i = 0; i < static_cast<int>(dialog.m_items.size()); ++i) {
    if (ControlShowsText(*dialog.m_items[static_cast<size_t>(i)])) out.push_back({i, -1});
    for (int n = 0, count = dialog.GetDlgInitCount(i); n < count; ++n) out.push_back({i, n});
  }
  return out;
}

bool IsStop(const CResDialog& dialog, const CDialogElement& e, LANGID language, int mode) {
  const auto* value = dynamic_cast<const CLocalizedString*>(ElementValue(dialog, e));
  if (!value || value->m_text.empty() || value->IsDoNotTranslate()) return false;
  return WorkThreshold(mode) == 0 || value->GetValueStatus(language) < 1;
}

// The status by which the marks judge a text: 2 when it has no source text.
bool TextNeedsWork(const CLocalizedString& text, LANGID language, int threshold) {
  if (text.IsDoNotTranslate()) return false;
  int status = text.m_text.empty() ? 2 : text.GetValueStatus(language);
  return status < threshold;
}

}  // namespace

bool NextElementToTranslate(const CResDialog& dialog, LANGID language, int mode, CDialogElement& current) {
  const std::vector<CDialogElement> elements = Elements(dialog);
  const int n = static_cast<int>(elements.size());
  auto it = std::find(elements.begin(), elements.end(), current);
  const bool found = it != elements.end();
  const int start = found ? static_cast<int>(it - elements.begin()) : -1;
  for (int k = 1; k <= (found ? n - 1 : n); ++k) {
    const CDialogElement& e = elements[static_cast<size_t>((start + k + n) % n)];
    if (IsStop(dialog, e, language, mode)) {
      current = e;
      return true;
    }
  }
  return false;
}

int WorkThreshold(int mode) {
  if (mode == ID_VIEW_TO_TRANSLATE) return 1;
  if (mode == ID_VIEW_TO_EDIT) return 2;
  return 0;
}

bool CaptionNeedsWork(const CResDialog& dialog, LANGID language, int threshold) {
  return TextNeedsWork(dialog.m_caption, language, threshold);
}

bool ControlNeedsWork(const CResDialog& dialog, int index, LANGID language, int threshold) {
  if (index < 0 || index >= static_cast<int>(dialog.m_items.size())) return false;
  const CResDialogItem& item = *dialog.m_items[static_cast<size_t>(index)];
  if (IsListControl(item)) {
    for (int n = 0, count = dialog.GetDlgInitCount(index); n < count; ++n)
      if (const CLocalizedString* text = dialog.GetDlgInit(index, n)->GetText())
        if (TextNeedsWork(*text, language, threshold)) return true;
  }
  return ControlShowsText(item) && TextNeedsWork(item.m_text, language, threshold);
}

int EntryShownFirst(const CResDialog& dialog, int index, LANGID language, int mode) {
  const int count = dialog.GetDlgInitCount(index);
  if (WorkThreshold(mode) == 0) return count > 0 ? 0 : -1;
  for (int n = 0; n < count; ++n) {
    const CLocalizedString* text = dialog.GetDlgInit(index, n)->GetText();
    if (text && !text->m_text.empty() && text->GetValueStatus(language) == 0) return n;
  }
  return -1;
}

CDialogFrame DialogFrameOf(DWORD style, DWORD exStyle) {
  constexpr DWORD kCaption = 0x00C00000, kBorder = 0x00800000, kDlgFrame = 0x00400000, kThickFrame = 0x00040000;
  constexpr DWORD kSysMenu = 0x00080000, kModalFrame = 0x80, kToolWindow = 0x80;
  CDialogFrame f;
  if (style & kThickFrame) {
    f.border = 4;
    f.thick = true;
  } else if ((style & kDlgFrame) || (style & kModalFrame)) {
    f.border = 3;
  } else if (style & kBorder) {
    f.border = 1;
  }
  if ((style & kCaption) == kCaption) {
    f.caption = (exStyle & kToolWindow) ? 16 : 19;
    f.closeBox = (style & kSysMenu) != 0;
  }
  return f;
}

}  // namespace tvl
