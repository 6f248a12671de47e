#include "workspace/ViewRules.h"

#include <algorithm>
#include <vector>

#include "platform/Text.h"

namespace tvl {

int EffectiveMode(int mode, bool showNonTranslatable) {
  return mode == ID_VIEW_TRANSLATABLE && showNonTranslatable ? ID_VIEW_ALL_ITEMS : mode;
}

bool IsNodeVisible(int effectiveMode, bool notTranslatable, int status) {
  switch (effectiveMode) {
    case ID_VIEW_ALL_ITEMS: return true;
    case ID_VIEW_TRANSLATABLE: return !notTranslatable;
    case ID_VIEW_TO_TRANSLATE: return !notTranslatable && status == 0;
    case ID_VIEW_TO_EDIT: return !notTranslatable && status <= 1;
    default: return true;
  }
}

int ModeListEntry(int mode, bool showNonTranslatable) {
  if (mode == ID_VIEW_TRANSLATABLE) return showNonTranslatable ? 0 : 1;
  if (mode == ID_VIEW_TO_TRANSLATE) return 2;
  return -1;
}

void ModeFromListEntry(int entry, int& mode, bool& showNonTranslatable) {
  switch (entry) {
    case 0:
      mode = ID_VIEW_TRANSLATABLE;
      showNonTranslatable = true;
      break;
    case 1:
      mode = ID_VIEW_TRANSLATABLE;
      showNonTranslatable = false;
      break;
    case 2: mode = ID_VIEW_TO_TRANSLATE; break;
    case 3: mode = ID_VIEW_TO_EDIT; break;
    default: break;
  }
}

CStringRowRule ClassifyString(bool claimedByPrompt, bool doNotTranslate, bool sourceEmpty, int status, int mode,
                              bool showNonTranslatable) {
  CStringRowRule r;
  if (claimedByPrompt) return r;
  if (doNotTranslate) {
    r.shown = mode == ID_VIEW_TRANSLATABLE && showNonTranslatable;
    return r;
  }
  if (sourceEmpty) {
    r.shown = mode == ID_VIEW_TRANSLATABLE;
    return r;
  }
  switch (status) {
    case 0:
      r.shown = true;
      r.untranslated = true;
      r.toEdit = true;
      break;
    case 1:
      r.shown = mode == ID_VIEW_TRANSLATABLE;
      r.toEdit = true;
      break;
    default: r.shown = mode == ID_VIEW_TRANSLATABLE; break;
  }
  return r;
}

void AdjustCounts(CountChange change, int before, int after, int& untranslated, int& toEdit) {
  switch (change) {
    case CountChange::BecameNotTranslatable:
      if (before == 0) --untranslated;
      if (before == 0 || before == 1) --toEdit;
      break;
    case CountChange::BecameTranslatable:
      if (before == 0) ++untranslated;
      if (before == 0 || before == 1) ++toEdit;
      break;
    case CountChange::TranslationRemoved:
      if (before == 1) ++untranslated;
      if (before == 2) {
        ++untranslated;
        ++toEdit;
      }
      break;
    case CountChange::TranslationSet:
      if (before == 0) {
        --untranslated;
      } else if (before == 1) {
        if (after == 0) ++untranslated;
        if (after == 2) --toEdit;
      } else if (before == 2) {
        ++toEdit;
      }
      break;
  }
}

int TableStatusFromCounts(int untranslated, int toEdit) {
  if (toEdit == 0) return 2;
  return untranslated != 0 ? 0 : 1;
}

namespace {

enum BreakKind { kLf, kCr, kCrLf };

// The breaks of a text in order, and the text between them.
void SplitLines(const std::u16string& text, std::vector<std::u16string>& lines, std::vector<BreakKind>& breaks) {
  std::u16string current;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'\r') {
      bool pair = i + 1 < text.size() && text[i + 1] == u'\n';
      breaks.push_back(pair ? kCrLf : kCr);
      if (pair) ++i;
    } else if (c == u'\n') {
      breaks.push_back(kLf);
    } else {
      current += c;
      continue;
    }
    lines.push_back(std::move(current));
    current.clear();
  }
  lines.push_back(std::move(current));
}

const char16_t* BreakText(BreakKind k) { return k == kLf ? u"\n" : k == kCr ? u"\r" : u"\r\n"; }

}  // namespace

int CountLines(const std::u16string& text) {
  std::vector<std::u16string> lines;
  std::vector<BreakKind> breaks;
  SplitLines(text, lines, breaks);
  return static_cast<int>(lines.size());
}

std::u16string MatchLineBreaks(const std::u16string& translation, const std::u16string& source) {
  std::vector<std::u16string> srcLines, lines;
  std::vector<BreakKind> srcBreaks, breaks;
  SplitLines(source, srcLines, srcBreaks);
  SplitLines(translation, lines, breaks);
  int counts[3] = {0, 0, 0};
  for (BreakKind k : srcBreaks) ++counts[k];
  BreakKind frequent = kCrLf;
  if (counts[kCrLf] < std::max(counts[kCr], counts[kLf])) frequent = counts[kCr] > counts[kLf] ? kCr : kLf;

  std::u16string out = lines[0];
  for (size_t i = 0; i < breaks.size(); ++i) {
    out += BreakText(i < srcBreaks.size() ? srcBreaks[i] : frequent);
    out += lines[i + 1];
  }
  return out;
}

std::u16string EscapeControlChars(const std::u16string& text) {
  std::u16string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    switch (c) {
      case u'\t': out += u"\\t"; break;
      case u'\r': out += u"\\r"; break;
      case u'\n': out += u"\\n"; break;
      default: out += c; break;
    }
  }
  return out;
}

std::u16string HeaderTypeName(WORD type) {
  switch (type) {
    case 2: return u"Bitmap";
    case 4: return u"Menu";
    case 5: return u"Dialog";
    case 6: return u"String Table";
    case 9: return u"Accelerator Table";
    case 11: return u"Message Table";
    case 12: return u"Cursor";
    case 14: return u"Icon";
    case 16: return u"Version Info";
    case 23: return u"HTML page";
    case 24: return u"Manifest";
    case 241: return u"Toolbar";
    default: return {};
  }
}

std::u16string DoNotTranslateLabel(bool numericType, WORD type) {
  if (numericType) {
    switch (type) {
      case 2: return u"&Do not translate bitmap";
      case 4: return u"&Do not translate menu item";
      case 5: return u"&Do not translate dialog item";
      case 6: return u"&Do not translate string";
      case 9: return u"&Do not translate accelerator table";
      case 11: return u"&Do not translate message";
      case 12: return u"&Do not translate cursor";
      case 14: return u"&Do not translate icon";
      case 16: return u"&Do not translate version info item";
      case 23: return u"&Do not translate HTML page";
      case 24: return u"&Do not translate Manifest";
      case 241: return u"&Do not translate toolbar bitmap";
      default: break;
    }
  }
  return u"&Do not translate resource";
}

std::u16string ExportFileName(const std::u16string& identifierText, const std::u16string& extension) {
  std::u16string name;
  for (char16_t c : identifierText)
    if (std::u16string_view(u"/\\:*?\"<>|").find(c) == std::u16string_view::npos) name += c;
  if (name.find(u'.') == std::u16string::npos) name += u"." + extension;
  return name;
}

int CompareUiText(const std::u16string& a, const std::u16string& b) { return CollateText(a, b, true); }

}  // namespace tvl
