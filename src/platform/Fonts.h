#pragma once
// Fonts as the Windows machine a target runs on would have them, and text measured the way
// the platform's drawing context measures it: which faces a standard installation ships in
// which character sets, which local file stands in for a Windows face, and a font opened at
// one size that gives text metrics, dialog base units and text widths at 96 dpi.
//
// Measuring uses FreeType with hinted integer advances (from the hinted outlines of an
// outline face, even where the file also carries bitmap strikes; from the strike of a
// bitmap-only face), no kerning; the text height is the OS/2 table's usWinAscent +
// usWinDescent scaled to the pixel size, and the dialog base unit across is
// ((width of "A".."Z" + "a".."z") / 26 + 1) / 2.
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Types.h"

namespace tvl {

// Character sets (LOGFONT lfCharSet values).
enum : BYTE {
  kAnsiCharset = 0,
  kDefaultCharset = 1,
  kSymbolCharset = 2,
  kShiftJisCharset = 128,
  kHangulCharset = 129,
  kJohabCharset = 130,
  kGb2312Charset = 134,
  kBig5Charset = 136,
  kGreekCharset = 161,
  kTurkishCharset = 162,
  kVietnameseCharset = 163,
  kHebrewCharset = 177,
  kArabicCharset = 178,
  kBalticCharset = 186,
  kRussianCharset = 204,
  kThaiCharset = 222,
  kEastEuropeCharset = 238,
  kOemCharset = 255,
};

// number * numerator / denominator in 64 bits, rounded to the nearest integer (halves away
// from zero); -1 when denominator is 0, as the platform's MulDiv.
int MulDiv(int number, int numerator, int denominator);

// The LOGFONT height of a dialog font of `points` at 96 dpi (a character height, so negative).
inline int PointsToLogicalHeight(int points) { return -MulDiv(points, 96, 72); }

// The built-in table of the fonts a standard Windows installation ships: 1 when the face
// exists there in the character set, 0 when it exists but not in that set, -1 when the
// table does not know the face. Faces compare without regard to case.
int StandardFontCoversCharset(std::u16string_view face, BYTE charSet);

// "Does a font of this face exist in this character set": the table above, and for faces it
// does not know, fontconfig (a font of that family that covers the set's script).
bool FontFaceExistsInCharset(std::u16string_view face, BYTE charSet);

// The local file that stands in for a Windows face.
struct CFontFileChoice {
  std::string path;               // empty when nothing at all could be found
  bool metricCompatible = false;  // the file has the Windows face's widths
  bool bold = false;              // the file is a bold face
};
CFontFileChoice FindSubstituteFont(std::u16string_view face, bool bold, bool italic);

// The fallback face measured with when the dialog's font cannot be loaded.
const std::string& FallbackFontPath();

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// DrawText flags that the measuring honours.
enum : UINT {
  DT_WORDBREAK = 0x0010,
  DT_SINGLELINE = 0x0020,
  DT_EXPANDTABS = 0x0040,
  DT_CALCRECT = 0x0400,
  DT_NOPREFIX = 0x0800,
};

class CMeasureFont;

// A face file opened at one pixel size. Shared between fonts of the same file and size.
struct CFontFace;

// A font opened at one size. Thread-safe; widths are cached per character.
class CMeasureFont {
 public:
  // logicalHeight is a LOGFONT lfHeight: negative for a character (em) height in pixels,
  // positive for a cell height. Weights of 600 and more ask for bold (simulated, one pixel
  // more per character, when the file is not bold). nullptr when no file can be loaded.
  static std::shared_ptr<const CMeasureFont> Open(std::u16string_view face, int logicalHeight, int weight,
                                                  bool italic);
  static std::shared_ptr<const CMeasureFont> OpenFile(const std::string& path, int logicalHeight, int weight,
                                                      bool simulateBoldIfNeeded = true);

  ~CMeasureFont();
  CMeasureFont(const CMeasureFont&) = delete;
  CMeasureFont& operator=(const CMeasureFont&) = delete;

  int GetHeight() const { return m_height; }  // tmHeight
  int GetAscent() const { return m_ascent; }
  int GetAveCharWidth() const { return m_aveCharWidth; }  // tmAveCharWidth
  int GetPixelSize() const { return m_ppem; }
  // Dialog base units of a dialog in this font.
  int GetBaseUnitX() const { return m_baseUnitX; }
  int GetBaseUnitY() const { return m_height; }
  const std::string& GetFile() const { return m_file; }
  bool IsMetricCompatible() const { return m_metricCompatible; }

  // Advance of one character in pixels; characters the file lacks come from a fallback
  // face at the same size; control characters measure 0.
  int GetCharWidth(char32_t c) const;
  // Sum of the advances (no kerning), UTF-16 surrogate pairs decoded.
  int GetTextWidth(std::u16string_view text) const;

  // DrawText with DT_CALCRECT: the rectangle grows (right, bottom) to hold the text.
  // Honours DT_SINGLELINE, DT_WORDBREAK (words broken at spaces, a word wider than the box
  // keeps its line), DT_EXPANDTABS (tab stops every 8 average characters) and DT_NOPREFIX
  // (without it "&x" shows "x" and "&&" one ampersand).
  void CalcTextRect(std::u16string_view text, UINT flags, Rect& rect) const;

 private:
  CMeasureFont();
  static std::shared_ptr<const CMeasureFont> OpenImpl(const std::string& path, int logicalHeight, int weight,
                                                      bool simulateBoldIfNeeded, bool metricCompatible);
  int MeasureRun(std::u16string_view text, bool expandTabs, int startX) const;
  int Advance(char32_t c) const;

  std::shared_ptr<CFontFace> m_face;
  std::string m_file;
  bool m_metricCompatible = false;
  int m_ppem = 0;
  int m_height = 0;
  int m_ascent = 0;
  int m_aveCharWidth = 0;
  int m_baseUnitX = 0;
  int m_boldExtra = 0;
  static constexpr char32_t kQuickChars = 0x3000;
  mutable std::mutex m_mutex;
  mutable std::unique_ptr<std::atomic<int>[]> m_quick;  // -1 until measured
  mutable std::unordered_map<char32_t, int> m_widths;
};

}  // namespace tvl
