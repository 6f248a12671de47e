#include "platform/Fonts.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_DRIVER_H
#include FT_MODULE_H

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <tuple>

#include "platform/Text.h"

namespace tvl {

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  std::int64_t product = static_cast<std::int64_t>(number) * numerator;
  std::int64_t d = denominator;
  // Round half away from zero, as the platform does.
  bool negative = (product < 0) != (d < 0);
  std::int64_t a = product < 0 ? -product : product;
  std::int64_t b = d < 0 ? -d : d;
  std::int64_t q = (a + b / 2) / b;
  std::int64_t r = negative ? -q : q;
  if (r > INT32_MAX || r < INT32_MIN) return -1;
  return static_cast<int>(r);
}

namespace {

std::string Lower(std::u16string_view face) { return ToUtf8(ToLowerAscii(Trim(face))); }

bool FileExists(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// ---------------------------------------------------------------------------------------
// The fonts of a standard Windows installation and the character sets each is offered in.

constexpr BYTE kWestern[] = {kAnsiCharset, kEastEuropeCharset, kRussianCharset, kGreekCharset, kTurkishCharset,
                             kBalticCharset};

struct StandardFont {
  const char* face;
  std::initializer_list<BYTE> extra;  // besides the western sets
  bool western;                       // offered in the six western sets
  bool ansiOnly;                      // only ANSI among the western sets
};

const StandardFont kStandardFonts[] = {
    {"tahoma", {kVietnameseCharset, kHebrewCharset, kArabicCharset, kThaiCharset}, true, false},
    {"microsoft sans serif", {kVietnameseCharset, kHebrewCharset, kArabicCharset, kThaiCharset}, true, false},
    {"ms sans serif", {kHebrewCharset, kArabicCharset, kThaiCharset}, true, false},
    {"segoe ui", {kVietnameseCharset, kHebrewCharset, kArabicCharset}, true, false},
    {"arial", {kVietnameseCharset, kHebrewCharset, kArabicCharset}, true, false},
    {"times new roman", {kVietnameseCharset, kHebrewCharset, kArabicCharset}, true, false},
    {"courier new", {kVietnameseCharset, kHebrewCharset, kArabicCharset}, true, false},
    {"verdana", {kVietnameseCharset}, true, false},
    {"calibri", {kVietnameseCharset}, true, false},
    {"cambria", {kVietnameseCharset}, true, false},
    {"consolas", {kVietnameseCharset}, true, false},
    {"trebuchet ms", {}, true, false},
    {"georgia", {}, true, false},
    {"comic sans ms", {}, true, false},
    {"lucida console", {}, true, false},
    {"lucida sans unicode", {kHebrewCharset}, true, false},
    {"palatino linotype", {kVietnameseCharset}, true, false},
    {"franklin gothic medium", {}, true, false},
    {"impact", {}, true, false},
    {"courier", {}, true, false},
    {"ms serif", {}, true, false},
    {"small fonts", {}, true, false},
    {"system", {}, true, false},
    {"fixedsys", {}, true, false},
    {"terminal", {kOemCharset}, false, false},
    {"ms gothic", {kShiftJisCharset}, true, false},
    {"ms pgothic", {kShiftJisCharset}, true, false},
    {"ms ui gothic", {kShiftJisCharset}, true, false},
    {"ms mincho", {kShiftJisCharset}, true, false},
    {"ms pmincho", {kShiftJisCharset}, true, false},
    {"meiryo", {kShiftJisCharset, kVietnameseCharset}, true, false},
    {"meiryo ui", {kShiftJisCharset, kVietnameseCharset}, true, false},
    {"yu gothic", {kShiftJisCharset}, true, false},
    {"yu gothic ui", {kShiftJisCharset}, true, false},
    {"simsun", {kGb2312Charset}, false, true},
    {"nsimsun", {kGb2312Charset}, false, true},
    {"simhei", {kGb2312Charset}, false, true},
    {"microsoft yahei", {kGb2312Charset}, false, true},
    {"microsoft yahei ui", {kGb2312Charset}, false, true},
    {"pmingliu", {kBig5Charset}, false, true},
    {"mingliu", {kBig5Charset}, false, true},
    {"microsoft jhenghei", {kBig5Charset}, false, true},
    {"microsoft jhenghei ui", {kBig5Charset}, false, true},
    {"gulim", {kHangulCharset}, true, false},
    {"gulimche", {kHangulCharset}, true, false},
    {"dotum", {kHangulCharset}, true, false},
    {"dotumche", {kHangulCharset}, true, false},
    {"batang", {kHangulCharset}, true, false},
    {"malgun gothic", {kHangulCharset}, false, true},
    {"symbol", {kSymbolCharset}, false, false},
    {"wingdings", {kSymbolCharset}, false, false},
    {"webdings", {kSymbolCharset}, false, false},
    {"marlett", {kSymbolCharset}, false, false},
};

// ---------------------------------------------------------------------------------------
// fontconfig

std::mutex& FcMutex() {
  static std::mutex m;
  return m;
}

FcConfig* Fc() {
  static FcConfig* config = FcInitLoadConfigAndFonts();
  return config;
}

const char* LangOfCharset(BYTE charSet) {
  switch (charSet) {
    case kAnsiCharset: return "en";
    case kEastEuropeCharset: return "pl";
    case kRussianCharset: return "ru";
    case kGreekCharset: return "el";
    case kTurkishCharset: return "tr";
    case kBalticCharset: return "lt";
    case kVietnameseCharset: return "vi";
    case kHebrewCharset: return "he";
    case kArabicCharset: return "ar";
    case kThaiCharset: return "th";
    case kShiftJisCharset: return "ja";
    case kHangulCharset:
    case kJohabCharset: return "ko";
    case kGb2312Charset: return "zh-cn";
    case kBig5Charset: return "zh-tw";
    default: return nullptr;
  }
}

bool FontconfigHasFamily(const std::string& family, const char* lang) {
  std::lock_guard<std::mutex> lock(FcMutex());
  FcConfig* config = Fc();
  if (!config) return false;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  if (lang) {
    FcLangSet* ls = FcLangSetCreate();
    FcLangSetAdd(ls, reinterpret_cast<const FcChar8*>(lang));
    FcPatternAddLangSet(pattern, FC_LANG, ls);
    FcLangSetDestroy(ls);
  }
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* set = FcFontList(config, pattern, objects);
  bool found = false;
  for (int i = 0; set && i < set->nfont && !found; ++i) {
    FcChar8* name = nullptr;
    for (int n = 0; FcPatternGetString(set->fonts[i], FC_FAMILY, n, &name) == FcResultMatch; ++n)
      if (FcStrCmpIgnoreCase(name, reinterpret_cast<const FcChar8*>(family.c_str())) == 0) found = true;
  }
  if (set) FcFontSetDestroy(set);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  return found;
}

// The best local match for a family (and language), with whether it is that family.
CFontFileChoice FontconfigMatch(const std::string& family, const char* lang, bool bold, bool italic) {
  CFontFileChoice out;
  std::lock_guard<std::mutex> lock(FcMutex());
  FcConfig* config = Fc();
  if (!config) return out;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  if (lang) FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>(lang));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  if (match) {
    FcChar8* file = nullptr;
    FcChar8* name = nullptr;
    int weight = 0;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) out.path = reinterpret_cast<char*>(file);
    if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch)
      out.metricCompatible = FcStrCmpIgnoreCase(name, reinterpret_cast<const FcChar8*>(family.c_str())) == 0;
    if (FcPatternGetInteger(match, FC_WEIGHT, 0, &weight) == FcResultMatch) out.bold = weight >= FC_WEIGHT_DEMIBOLD;
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return out;
}

// Files of faces, in fallback order, that hold a character.
std::string FontconfigFileForChar(char32_t c) {
  std::lock_guard<std::mutex> lock(FcMutex());
  static FcFontSet* sorted = [] {
    FcConfig* config = Fc();
    if (!config) return static_cast<FcFontSet*>(nullptr);
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif"));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcFontSet* set = FcFontSort(config, pattern, FcFalse, nullptr, &result);
    FcPatternDestroy(pattern);
    return set;
  }();
  if (!sorted) return {};
  for (int i = 0; i < sorted->nfont; ++i) {
    FcCharSet* cs = nullptr;
    if (FcPatternGetCharSet(sorted->fonts[i], FC_CHARSET, 0, &cs) != FcResultMatch || !FcCharSetHasChar(cs, c))
      continue;
    FcChar8* file = nullptr;
    if (FcPatternGetString(sorted->fonts[i], FC_FILE, 0, &file) == FcResultMatch) return reinterpret_cast<char*>(file);
  }
  return {};
}

// ---------------------------------------------------------------------------------------
// The face map: Windows faces to files with the same widths where there are such files.

const char* const kWineFonts = "/usr/share/wine/fonts/";
const char* const kLiberation = "/usr/share/fonts/truetype/liberation2/";
const char* const kCarlito = "/usr/share/fonts/truetype/crosextra/";
const char* const kIpa = "/usr/share/fonts/opentype/ipafont-gothic/";
const char* const kDejaVu = "/usr/share/fonts/truetype/dejavu/";

struct FaceMapEntry {
  const char* face;
  const char* folder;
  const char* regular;
  const char* boldFile;  // null: bold is simulated
  const char* italicFile;
  const char* boldItalicFile;
  bool metricCompatible;
};

const FaceMapEntry kFaceMap[] = {
    {"ms shell dlg", kWineFonts, "tahoma.ttf", "tahomabd.ttf", nullptr, nullptr, true},
    {"ms shell dlg 2", kWineFonts, "tahoma.ttf", "tahomabd.ttf", nullptr, nullptr, true},
    {"tahoma", kWineFonts, "tahoma.ttf", "tahomabd.ttf", nullptr, nullptr, true},
    {"ms sans serif", kWineFonts, "ms_sans_serif.ttf", nullptr, nullptr, nullptr, true},
    // The TrueType successor keeps the bitmap face's widths at the dialog sizes.
    {"microsoft sans serif", kWineFonts, "ms_sans_serif.ttf", nullptr, nullptr, nullptr, false},
    {"system", kWineFonts, "system.ttf", nullptr, nullptr, nullptr, true},
    {"fixedsys", kWineFonts, "fixedsys.ttf", nullptr, nullptr, nullptr, true},
    {"courier", kWineFonts, "courier.ttf", nullptr, nullptr, nullptr, true},
    {"small fonts", kWineFonts, "small_fonts.ttf", nullptr, nullptr, nullptr, true},
    {"marlett", kWineFonts, "marlett.ttf", nullptr, nullptr, nullptr, true},
    {"symbol", kWineFonts, "symbol.ttf", nullptr, nullptr, nullptr, true},
    {"wingdings", kWineFonts, "wingding.ttf", nullptr, nullptr, nullptr, true},
    {"webdings", kWineFonts, "webdings.ttf", nullptr, nullptr, nullptr, true},
    {"arial", kLiberation, "LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf", "LiberationSans-Italic.ttf",
     "LiberationSans-BoldItalic.ttf", true},
    {"times new roman", kLiberation, "LiberationSerif-Regular.ttf", "LiberationSerif-Bold.ttf",
     "LiberationSerif-Italic.ttf", "LiberationSerif-BoldItalic.ttf", true},
    {"courier new", kLiberation, "LiberationMono-Regular.ttf", "LiberationMono-Bold.ttf", "LiberationMono-Italic.ttf",
     "LiberationMono-BoldItalic.ttf", true},
    {"calibri", kCarlito, "Carlito-Regular.ttf", "Carlito-Bold.ttf", "Carlito-Italic.ttf", "Carlito-BoldItalic.ttf",
     true},
    {"ms gothic", kIpa, "ipag.ttf", nullptr, nullptr, nullptr, true},
    {"ms pgothic", kIpa, "ipagp.ttf", nullptr, nullptr, nullptr, false},
    {"ms ui gothic", kIpa, "ipagp.ttf", nullptr, nullptr, nullptr, false},
    // No free face has these widths; the closest free ones measure them, so auto-grow may
    // differ from the platform's by a pixel or so per word.
    {"segoe ui", kLiberation, "LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf", "LiberationSans-Italic.ttf",
     "LiberationSans-BoldItalic.ttf", false},
    {"verdana", kDejaVu, "DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSans-Oblique.ttf",
     "DejaVuSans-BoldOblique.ttf", false},
};

// CJK faces without a local counterpart: the best local face for the language.
const char* CjkLanguageOf(const std::string& face) {
  static const std::pair<const char*, const char*> kCjk[] = {
      {"simsun", "zh-cn"},         {"nsimsun", "zh-cn"},         {"simhei", "zh-cn"},  {"microsoft yahei", "zh-cn"},
      {"microsoft yahei ui", "zh-cn"}, {"pmingliu", "zh-tw"},    {"mingliu", "zh-tw"}, {"microsoft jhenghei", "zh-tw"},
      {"microsoft jhenghei ui", "zh-tw"}, {"gulim", "ko"},       {"gulimche", "ko"},   {"dotum", "ko"},
      {"dotumche", "ko"},          {"batang", "ko"},             {"malgun gothic", "ko"}, {"meiryo", "ja"},
      {"meiryo ui", "ja"},         {"yu gothic", "ja"},          {"yu gothic ui", "ja"}, {"ms mincho", "ja"},
      {"ms pmincho", "ja"},
  };
  for (const auto& [name, lang] : kCjk)
    if (face == name) return lang;
  return nullptr;
}

}  // namespace

namespace {
CFontFileChoice FindSubstituteFontUncached(std::u16string_view face, bool bold, bool italic);
}  // namespace

int StandardFontCoversCharset(std::u16string_view face, BYTE charSet) {
  std::string key = Lower(face);
  for (const StandardFont& f : kStandardFonts) {
    if (key != f.face) continue;
    if (f.ansiOnly && charSet == kAnsiCharset) return 1;
    if (f.western && std::find(std::begin(kWestern), std::end(kWestern), charSet) != std::end(kWestern)) return 1;
    return std::find(f.extra.begin(), f.extra.end(), charSet) != f.extra.end() ? 1 : 0;
  }
  return -1;
}

bool FontFaceExistsInCharset(std::u16string_view face, BYTE charSet) {
  int known = StandardFontCoversCharset(face, charSet);
  if (known >= 0) return known == 1;
  std::string family = ToUtf8(Trim(face));
  if (family.empty()) return false;
  static std::mutex mutex;
  static std::map<std::pair<std::string, BYTE>, bool> answers;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (auto it = answers.find({family, charSet}); it != answers.end()) return it->second;
  }
  bool found = FontconfigHasFamily(family, LangOfCharset(charSet));
  std::lock_guard<std::mutex> lock(mutex);
  answers.emplace(std::make_pair(family, charSet), found);
  return found;
}

const std::string& FallbackFontPath() {
  static const std::string path = [] {
    std::string p = std::string(kDejaVu) + "DejaVuSans.ttf";
    if (FileExists(p)) return p;
    CFontFileChoice c = FontconfigMatch("DejaVu Sans", nullptr, false, false);
    return c.path;
  }();
  return path;
}

CFontFileChoice FindSubstituteFont(std::u16string_view face, bool bold, bool italic) {
  // Every written dialog asks; the answer for a face does not change while the program runs.
  static std::mutex mutex;
  static std::map<std::tuple<std::u16string, bool, bool>, CFontFileChoice> answers;
  auto cacheKey = std::make_tuple(std::u16string(face), bold, italic);
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (auto it = answers.find(cacheKey); it != answers.end()) return it->second;
  }
  CFontFileChoice choice = FindSubstituteFontUncached(face, bold, italic);
  std::lock_guard<std::mutex> lock(mutex);
  answers.emplace(cacheKey, choice);
  return choice;
}

namespace {

CFontFileChoice FindSubstituteFontUncached(std::u16string_view face, bool bold, bool italic) {
  std::string key = Lower(face);
  for (const FaceMapEntry& e : kFaceMap) {
    if (key != e.face) continue;
    const char* file = e.regular;
    bool isBold = false;
    if (bold && italic && e.boldItalicFile) {
      file = e.boldItalicFile;
      isBold = true;
    } else if (bold && e.boldFile) {
      file = e.boldFile;
      isBold = true;
    } else if (italic && e.italicFile) {
      file = e.italicFile;
    }
    std::string path = std::string(e.folder) + file;
    if (FileExists(path)) return {path, e.metricCompatible, isBold};
    break;  // the package is missing: ask fontconfig
  }
  std::string family = ToUtf8(Trim(face));
  if (family.empty()) family = "sans-serif";
  CFontFileChoice c = FontconfigMatch(family, CjkLanguageOf(key), bold, italic);
  if (c.path.empty()) c.path = FallbackFontPath();
  return c;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// FreeType faces, shared per file and size.

struct CFontFace {
  FT_Face face = nullptr;
  std::mutex mutex;  // a face is not safe to use from two threads at once
  bool scalable = false;
  bool boldFile = false;
  ~CFontFace() {
    if (face) FT_Done_Face(face);
  }
};

namespace {

struct FtLibrary {
  FT_Library library = nullptr;
  FtLibrary() {
    if (FT_Init_FreeType(&library) != 0) {
      library = nullptr;
      return;
    }
    // The classic interpreter hints advances as the platform's rasterizer does.
    FT_UInt version = TT_INTERPRETER_VERSION_35;
    FT_Property_Set(library, "truetype", "interpreter-version", &version);
  }
};

// Recursive: measuring a font's alphabet while it is created may open a fallback face.
std::recursive_mutex& CacheMutex() {
  static std::recursive_mutex m;
  return m;
}

FT_Library Library() {
  static FtLibrary lib;
  return lib.library;
}

// The strike of a bitmap-only face for a requested height: the largest whose character
// height (cell less its internal leading) does not exceed it, else the smallest.
int ChooseStrike(FT_Face face, int logicalHeight) {
  int best = -1, smallest = 0;
  for (int i = 0; i < face->num_fixed_sizes; ++i) {
    int cell = face->available_sizes[i].height;
    if (cell < face->available_sizes[smallest].height) smallest = i;
    int charHeight = logicalHeight < 0 ? cell - (cell * 17 + 50) / 100 : cell;
    int wanted = logicalHeight < 0 ? -logicalHeight : logicalHeight;
    if (charHeight <= wanted && (best < 0 || cell > face->available_sizes[best].height)) best = i;
  }
  return best >= 0 ? best : smallest;
}

struct FaceKey {
  std::string path;
  int logicalHeight;
  bool operator<(const FaceKey& o) const {
    return path != o.path ? path < o.path : logicalHeight < o.logicalHeight;
  }
};

// Opens a file at a size; also gives the pixel size chosen. Called under the cache lock.
std::shared_ptr<CFontFace> OpenFace(const std::string& path, int logicalHeight, int* ppem) {
  static std::map<FaceKey, std::pair<std::shared_ptr<CFontFace>, int>> cache;
  FaceKey key{path, logicalHeight};
  if (auto it = cache.find(key); it != cache.end()) {
    *ppem = it->second.second;
    return it->second.first;
  }
  FT_Library lib = Library();
  if (!lib || path.empty()) return nullptr;
  auto face = std::make_shared<CFontFace>();
  if (FT_New_Face(lib, path.c_str(), 0, &face->face) != 0) {
    face->face = nullptr;
    return nullptr;
  }
  FT_Face f = face->face;
  face->scalable = FT_IS_SCALABLE(f);
  face->boldFile = (f->style_flags & FT_STYLE_FLAG_BOLD) != 0;
  int size = 0;
  if (face->scalable) {
    if (logicalHeight < 0) {
      size = -logicalHeight;
    } else {
      TT_OS2* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
      int cell = os2 ? os2->usWinAscent + os2->usWinDescent : f->ascender - f->descender;
      size = MulDiv(logicalHeight, f->units_per_EM, cell > 0 ? cell : f->units_per_EM);
    }
    size = std::max(size, 1);
    if (FT_Set_Pixel_Sizes(f, 0, static_cast<FT_UInt>(size)) != 0) return nullptr;
  } else {
    if (f->num_fixed_sizes <= 0) return nullptr;
    int strike = ChooseStrike(f, logicalHeight);
    if (FT_Select_Size(f, strike) != 0) return nullptr;
    size = f->available_sizes[strike].height;
  }
  cache.emplace(key, std::make_pair(face, size));
  *ppem = size;
  return face;
}

int GlyphAdvance(CFontFace& face, FT_UInt glyph) {
  std::lock_guard<std::mutex> lock(face.mutex);
  // Outline faces measure from their hinted outlines even at sizes where the file also
  // carries a bitmap strike: the strikes' advances are not the ones the platform lays out with.
  FT_Int32 flags = face.scalable ? FT_LOAD_NO_BITMAP : FT_LOAD_DEFAULT;
  if (FT_Load_Glyph(face.face, glyph, flags) != 0) return 0;
  return static_cast<int>((face.face->glyph->advance.x + 32) >> 6);
}

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

}  // namespace

CMeasureFont::CMeasureFont() : m_quick(new std::atomic<int>[kQuickChars]) {
  for (char32_t c = 0; c < kQuickChars; ++c) m_quick[c].store(-1, std::memory_order_relaxed);
}

CMeasureFont::~CMeasureFont() = default;

std::shared_ptr<const CMeasureFont> CMeasureFont::Open(std::u16string_view face, int logicalHeight, int weight,
                                                       bool italic) {
  bool bold = weight >= 600;
  CFontFileChoice choice = FindSubstituteFont(face, bold, italic);
  return OpenImpl(choice.path, logicalHeight, weight, true, choice.metricCompatible);
}

std::shared_ptr<const CMeasureFont> CMeasureFont::OpenFile(const std::string& path, int logicalHeight, int weight,
                                                           bool simulateBoldIfNeeded) {
  return OpenImpl(path, logicalHeight, weight, simulateBoldIfNeeded, false);
}

std::shared_ptr<const CMeasureFont> CMeasureFont::OpenImpl(const std::string& path, int logicalHeight, int weight,
                                                           bool simulateBoldIfNeeded, bool metricCompatible) {
  static std::map<std::tuple<std::string, int, bool, bool>, std::shared_ptr<CMeasureFont>> fonts;
  bool bold = weight >= 600;
  std::lock_guard<std::recursive_mutex> lock(CacheMutex());
  auto key = std::make_tuple(path, logicalHeight, bold && simulateBoldIfNeeded, metricCompatible);
  if (auto it = fonts.find(key); it != fonts.end()) return it->second;

  int ppem = 0;
  std::shared_ptr<CFontFace> face = OpenFace(path, logicalHeight, &ppem);
  if (!face) return nullptr;
  std::shared_ptr<CMeasureFont> font(new CMeasureFont());
  font->m_face = face;
  font->m_file = path;
  font->m_metricCompatible = metricCompatible;
  font->m_ppem = ppem;
  font->m_boldExtra = (bold && simulateBoldIfNeeded && !face->boldFile) ? 1 : 0;
  FT_Face f = face->face;
  if (face->scalable) {
    TT_OS2* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
    int ascent = os2 ? os2->usWinAscent : f->ascender;
    int descent = os2 ? os2->usWinDescent : -f->descender;
    font->m_ascent = MulDiv(ascent, ppem, f->units_per_EM);
    font->m_height = font->m_ascent + MulDiv(descent, ppem, f->units_per_EM);
    int avg = os2 ? os2->xAvgCharWidth : 0;
    font->m_aveCharWidth = MulDiv(avg, ppem, f->units_per_EM);
  } else {
    font->m_height = ppem;
    font->m_ascent = static_cast<int>(f->size->metrics.ascender >> 6);
    font->m_aveCharWidth = 0;
  }
  // Base units from the alphabet, as the platform derives them.
  int alphabet = 0;
  for (char32_t c = U'A'; c <= U'Z'; ++c) alphabet += font->Advance(c);
  for (char32_t c = U'a'; c <= U'z'; ++c) alphabet += font->Advance(c);
  font->m_baseUnitX = (alphabet / 26 + 1) / 2;
  if (font->m_aveCharWidth <= 0) font->m_aveCharWidth = font->Advance(U'x');
  if (font->m_aveCharWidth <= 0) font->m_aveCharWidth = font->m_baseUnitX;
  fonts.emplace(key, font);
  return font;
}

// Called with no lock held by the caller on m_mutex (construction) or with it held (widths).
int CMeasureFont::Advance(char32_t c) const {
  if (IsControl(c)) return 0;
  FT_UInt glyph = FT_Get_Char_Index(m_face->face, c);
  if (glyph != 0) return GlyphAdvance(*m_face, glyph) + m_boldExtra;
  // A face that lacks the character: the platform links another face in; so do we.
  std::string file = FontconfigFileForChar(c);
  if (!file.empty() && file != m_file) {
    int ppem = 0;
    std::shared_ptr<CFontFace> other;
    {
      std::lock_guard<std::recursive_mutex> lock(CacheMutex());
      other = OpenFace(file, -m_ppem, &ppem);
    }
    if (other) {
      FT_UInt g = FT_Get_Char_Index(other->face, c);
      if (g != 0) return GlyphAdvance(*other, g) + m_boldExtra;
    }
  }
  return GlyphAdvance(*m_face, 0) + m_boldExtra;  // the missing-glyph box
}

int CMeasureFont::GetCharWidth(char32_t c) const {
  // The common characters without a lock: a width once stored never changes.
  if (c < kQuickChars) {
    int w = m_quick[c].load(std::memory_order_relaxed);
    if (w >= 0) return w;
  }
  std::lock_guard<std::mutex> lock(m_mutex);
  if (c < kQuickChars) {
    int w = Advance(c);
    m_quick[c].store(w, std::memory_order_relaxed);
    return w;
  }
  auto it = m_widths.find(c);
  if (it != m_widths.end()) return it->second;
  int w = Advance(c);
  m_widths.emplace(c, w);
  return w;
}

namespace {

// Decodes one code point at i (advancing i); lone surrogates stand for themselves.
char32_t NextCodePoint(std::u16string_view text, size_t& i) {
  char16_t c = text[i++];
  if (c >= 0xD800 && c < 0xDC00 && i < text.size() && text[i] >= 0xDC00 && text[i] < 0xE000) {
    char32_t cp = 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i] - 0xDC00);
    ++i;
    return cp;
  }
  return c;
}

}  // namespace

int CMeasureFont::GetTextWidth(std::u16string_view text) const { return MeasureRun(text, false, 0); }

int CMeasureFont::MeasureRun(std::u16string_view text, bool expandTabs, int startX) const {
  int x = startX;
  const int tab = 8 * m_aveCharWidth;
  for (size_t i = 0; i < text.size();) {
    char32_t c = NextCodePoint(text, i);
    if (c == U'\t' && expandTabs && tab > 0)
      x = (x / tab + 1) * tab;
    else
      x += GetCharWidth(c);
  }
  return x - startX;
}

void CMeasureFont::CalcTextRect(std::u16string_view input, UINT flags, Rect& rect) const {
  // What is shown: prefix ampersands removed.
  std::u16string text;
  text.reserve(input.size());
  for (size_t i = 0; i < input.size(); ++i) {
    char16_t c = input[i];
    if (c == u'&' && !(flags & DT_NOPREFIX)) {
      if (i + 1 < input.size() && input[i + 1] == u'&') {
        text.push_back(u'&');
        ++i;
      }
      continue;
    }
    text.push_back(c);
  }
  const bool tabs = (flags & DT_EXPANDTABS) != 0;
  if (flags & DT_SINGLELINE) {
    rect.right = rect.left + MeasureRun(text, tabs, 0);
    rect.bottom = rect.top + m_height;
    return;
  }

  const int maxWidth = rect.right - rect.left;
  const bool wrap = (flags & DT_WORDBREAK) != 0;
  int widest = 0;
  int lines = 0;
  std::u16string_view all(text);
  size_t start = 0;
  while (true) {
    // One paragraph: up to the next line break.
    size_t end = start;
    while (end < all.size() && all[end] != u'\r' && all[end] != u'\n') ++end;
    std::u16string_view para = all.substr(start, end - start);
    if (!wrap) {
      widest = std::max(widest, MeasureRun(para, tabs, 0));
      ++lines;
    } else {
      size_t pos = 0;
      do {
        // As many characters as fit; the line breaks after the last space that fits.
        int x = 0;
        size_t i = pos, lastBreak = std::u16string_view::npos;
        while (i < para.size()) {
          size_t next = i;
          char32_t c = NextCodePoint(para, next);
          int w = (c == U'\t' && tabs) ? MeasureRun(para.substr(i, next - i), true, x) : GetCharWidth(c);
          if (x + w > maxWidth && i > pos) break;
          x += w;
          i = next;
          if (c == U' ') lastBreak = i;
        }
        size_t lineEnd;
        if (i >= para.size()) {
          lineEnd = para.size();
        } else if (lastBreak != std::u16string_view::npos) {
          lineEnd = lastBreak;
        } else {
          // A word wider than the box keeps its line whole.
          lineEnd = i;
          while (lineEnd < para.size() && para[lineEnd] != u' ') ++lineEnd;
        }
        size_t shown = lineEnd;
        while (shown > pos && para[shown - 1] == u' ') --shown;
        widest = std::max(widest, MeasureRun(para.substr(pos, shown - pos), tabs, 0));
        ++lines;
        pos = lineEnd;
        while (pos < para.size() && para[pos] == u' ') ++pos;
      } while (pos < para.size());
    }
    if (end >= all.size()) break;
    // \r\n is one break.
    start = end + ((all[end] == u'\r' && end + 1 < all.size() && all[end + 1] == u'\n') ? 2 : 1);
  }
  rect.right = rect.left + widest;
  rect.bottom = rect.top + lines * m_height;
}

}  // namespace tvl
