#pragma once
// The rules of the dialog preview that need no window: which window a click selects, the
// keyboard walk, the walk to the next element to translate, the work marks, and the frame
// the dialog's style asks for.
#include <vector>

#include "platform/Fonts.h"
#include "platform/Types.h"

class CResDialog;
class CResDialogItem;
class CLocalizedParam;

namespace tvl {

// One window under a click: a control index, or -1 for the dialog.
struct CClickCandidate {
  int window = -1;
  long long area = 0;
  friend bool operator==(const CClickCandidate&, const CClickCandidate&) = default;
};

// The controls whose rectangle holds the point, smallest area first (equal areas keep the
// controls' order); the dialog alone when none does.
std::vector<CClickCandidate> ClickCandidates(const std::vector<Rect>& controls, int x, int y);
// The candidate a click selects: the one after the selected window when the click hit the
// very same windows as the last one, else the smallest.
int ChooseClicked(const std::vector<CClickCandidate>& candidates, const std::vector<CClickCandidate>& previous,
                  int selected);

// Left/Up (backward) and Right/Down (forward) through the controls, the dialog (-1) sitting
// between the last control and the first. Nothing selected (-2) counts as the dialog.
int WalkControls(int selected, int count, bool forward);

// An element of the dialog: the caption (index -1), a control's text (string -1) or one of
// its initialisation entries.
struct CDialogElement {
  int index = -2;
  int string = -1;
  friend bool operator==(const CDialogElement&, const CDialogElement&) = default;
};

bool ControlShowsText(const CResDialogItem& item);
// Controls whose initialisation entries are strings of a list.
bool IsListControl(const CResDialogItem& item);
// The value of an element, or null (no text, no such entry).
CLocalizedParam* ElementValue(const CResDialog& dialog, const CDialogElement& element);

// The next element after `current` (from the caption when nothing is selected) whose value
// exists, has source text, is translatable and, in the two work modes, is untranslated.
// False when the walk comes back to `current` without one.
bool NextElementToTranslate(const CResDialog& dialog, LANGID language, int mode, CDialogElement& current);

// The status under which an element needs work: 1 for "To be translated", 2 for "To be
// edited", 0 (nothing needs work) in the other modes.
int WorkThreshold(int mode);
bool CaptionNeedsWork(const CResDialog& dialog, LANGID language, int threshold);
bool ControlNeedsWork(const CResDialog& dialog, int index, LANGID language, int threshold);

// The initialisation entry a list or combo box shows first: the first one in the "all"
// modes, the first untranslated text in the work modes; -1 for none.
int EntryShownFirst(const CResDialog& dialog, int index, LANGID language, int mode);

// The frame the platform draws around a dialog of this style, in pixels at 96 dpi.
struct CDialogFrame {
  int border = 0;        // each side
  int caption = 0;       // caption bar height, its bottom line included; 0 without
  bool closeBox = false;
  bool thick = false;    // sizing frame
};
CDialogFrame DialogFrameOf(DWORD style, DWORD exStyle);

}  // namespace tvl
