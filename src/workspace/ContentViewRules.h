#pragma once
// The rules of the content views that need no window: which version rows are listed, the
// captions of pictures, the hexadecimal dump of binary resources, and the temporary file
// an HTML resource is shown from.
#include <cstddef>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace tvl {

// The version view's rows: item numbers of the two versions and the blank row; string
// entries are their index (0 or more).
enum VersionItem : int { kVersionItemFile = -3, kVersionItemProduct = -2, kVersionItemBlank = -1 };

// The highest status the version view lists under a mode: 0 for "To be translated", 1 for
// "To be edited", 2 otherwise.
int VersionStatusLimit(int mode);

// Whether a version row is listed. allItems is mode 32782 with the flag set; valueEmpty is
// only looked at for string entries (the text shown for the language is empty).
struct CVersionRowFacts {
  bool isString = false;
  bool doNotTranslate = false;
  bool valueEmpty = false;
  int status = 0;
};
bool IsVersionRowShown(const CVersionRowFacts& facts, int mode, bool allItems);

// Takes the blank row off the top and the bottom of a list of items.
void TrimBlankRows(std::vector<int>& items);

// The colour text of a bit depth, as the picture captions show it.
std::u16string ColorDepthText(int bitsPerPixel);
// "W x H pixels. Colours (B bpp)".
std::u16string BitmapCaption(long width, long height, int bitsPerPixel);
// An icon image "WxH  Colours (B bpp)"; a cursor image "WxH".
std::u16string IconImageCaption(bool isIcon, long width, long height, int bitsPerPixel);
// An image the group names and the module lacks; plane counts from 1.
std::u16string MissingImageCaption(bool isIcon, int imageId, int plane, const std::u16string& groupName);
// The caption the icon view measures its caption column with.
inline const char16_t* kWidestIconCaption = u"48x48  True Colors (32bpp)";

// The binary view: 16 bytes a line, "OOOOOOOO  hh hh hh hh hh hh hh hh  hh ... hh  text".
constexpr size_t kDumpBytesPerLine = 16;
// Line characters without the line break.
constexpr size_t kDumpLineWidth = 76;
size_t DumpLineCount(size_t size);
// One line of the dump, without its line break.
std::u16string DumpLine(const BYTE* data, size_t size, size_t line);
// The whole dump, each line ended by CR LF.
std::u16string DumpText(const BYTE* data, size_t size);

// The extension of a resource name with its point (".htm"), or empty.
std::u16string NameExtension(const std::u16string& name);

}  // namespace tvl
