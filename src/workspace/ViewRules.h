#pragma once
// The rules the interactive views apply that need no window: display modes and what each
// shows, the string list's filter and counters, line breaks of typed translations, and
// the texts of the resource header.
#include <string>

#include "platform/Types.h"
#include "workspace/CommandIds.h"

namespace tvl {

// The mode a view filters by: 32791 for 32782 with the flag set, else the mode.
int EffectiveMode(int mode, bool showNonTranslatable);

// Whether a tree node is listed under an effective mode.
bool IsNodeVisible(int effectiveMode, bool notTranslatable, int status);

// The mode list's entries: 0 All Items, 1 All Translatable Items, 2 Items to be Translated.
// The entry showing a mode, or -1 when the list has none for it (32784).
int ModeListEntry(int mode, bool showNonTranslatable);
// The mode and flag an entry chooses; the flag is kept for entry 2.
void ModeFromListEntry(int entry, int& mode, bool& showNonTranslatable);
// Modes that look for missing translations need a translation language.
inline bool ModeNeedsTranslationLanguage(int mode) { return mode == ID_VIEW_TO_TRANSLATE || mode == ID_VIEW_TO_EDIT; }

// The string list: whether a string is listed and how it counts.
struct CStringRowRule {
  bool shown = false;
  bool untranslated = false;  // counted with status 0
  bool toEdit = false;        // counted with status 0 or 1
};
CStringRowRule ClassifyString(bool claimedByPrompt, bool doNotTranslate, bool sourceEmpty, int status, int mode,
                              bool showNonTranslatable);

// How a commit, a toggle or an undo changes the two counters.
enum class CountChange { BecameNotTranslatable, BecameTranslatable, TranslationRemoved, TranslationSet };
void AdjustCounts(CountChange change, int before, int after, int& untranslated, int& toEdit);
// The table's status from the counters: 2 when nothing is left to edit, else 0 when
// something is untranslated, else 1.
int TableStatusFromCounts(int untranslated, int toEdit);

// Line breaks: a CR LF pair, a lone CR or a lone LF. An empty text has one line.
int CountLines(const std::u16string& text);
// Gives the typed text the source's line breaks, one by one; breaks beyond the source's
// count take its most frequent kind (CR LF on a tie or without any).
std::u16string MatchLineBreaks(const std::u16string& translation, const std::u16string& source);
// Tab, CR and LF as \t, \r and \n, as the string list shows them.
std::u16string EscapeControlChars(const std::u16string& text);

// The resource header: the name of a numeric resource type, empty for a type it does not
// name; the label of the do-not-translate check box.
std::u16string HeaderTypeName(WORD type);
std::u16string DoNotTranslateLabel(bool numericType, WORD type);
// The name proposed for exporting a resource: its identifier without the characters a file
// name cannot hold, with the extension added when it has no point.
std::u16string ExportFileName(const std::u16string& identifierText, const std::u16string& extension);

// A case-insensitive, locale-aware comparison of display texts (module names, languages).
int CompareUiText(const std::u16string& a, const std::u16string& b);

}  // namespace tvl
