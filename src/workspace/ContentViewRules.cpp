#include "workspace/ContentViewRules.h"

#include <algorithm>

#include "platform/Messages.h"
#include "workspace/CommandIds.h"

namespace tvl {

int VersionStatusLimit(int mode) {
  if (mode == ID_VIEW_TO_TRANSLATE) return 0;
  if (mode == ID_VIEW_TO_EDIT) return 1;
  return 2;
}

bool IsVersionRowShown(const CVersionRowFacts& facts, int mode, bool allItems) {
  if (facts.isString && facts.valueEmpty) return false;
  if (facts.doNotTranslate && !allItems) return false;
  return facts.status <= VersionStatusLimit(mode);
}

void TrimBlankRows(std::vector<int>& items) {
  if (!items.empty() && items.back() == kVersionItemBlank) items.pop_back();
  if (!items.empty() && items.front() == kVersionItemBlank) items.erase(items.begin());
}

std::u16string ColorDepthText(int bitsPerPixel) {
  switch (bitsPerPixel) {
    case 0: return u"PNG or JPG";
    case 1: return u"Monochrome";
    case 4: return u"16 colors";
    case 8: return u"256 colors";
    case 16: return u"High colors";
    case 24:
    case 32: return u"True colors";
    default: return u"Unknown # of colors";
  }
}

std::u16string BitmapCaption(long width, long height, int bitsPerPixel) {
  return FormatMessageText(u"%1!u! x %2!u! pixels. %3 (%4!u! bpp)",
                           {Arg(std::int64_t{width}), Arg(std::int64_t{height}), Arg(ColorDepthText(bitsPerPixel)),
                            Arg(std::int64_t{bitsPerPixel})});
}

std::u16string IconImageCaption(bool isIcon, long width, long height, int bitsPerPixel) {
  if (!isIcon) return FormatMessageText(u"%1!d!x%2!d!", {Arg(std::int64_t{width}), Arg(std::int64_t{height})});
  return FormatMessageText(u"%1!d!x%2!d!  %3 (%4!d! bpp)",
                           {Arg(std::int64_t{width}), Arg(std::int64_t{height}), Arg(ColorDepthText(bitsPerPixel)),
                            Arg(std::int64_t{bitsPerPixel})});
}

std::u16string MissingImageCaption(bool isIcon, int imageId, int plane, const std::u16string& groupName) {
  return FormatMessageText(u"Missing %1 resource %2!d! (plane %3!d! of icon %4)",
                           {Arg(isIcon ? u"RT_ICON" : u"RT_CURSOR"), Arg(std::int64_t{imageId}),
                            Arg(std::int64_t{plane}), Arg(groupName)});
}

size_t DumpLineCount(size_t size) { return (size + kDumpBytesPerLine - 1) / kDumpBytesPerLine; }

namespace {

void AppendLine(std::u16string& out, const BYTE* data, size_t size, size_t line) {
  static const char16_t kHex[] = u"0123456789ABCDEF";
  size_t offset = line * kDumpBytesPerLine;
  for (int shift = 28; shift >= 0; shift -= 4) out += kHex[(offset >> shift) & 0xF];
  out += u"  ";
  for (size_t i = 0; i < kDumpBytesPerLine; ++i) {
    if (offset + i < size) {
      BYTE b = data[offset + i];
      out += kHex[b >> 4];
      out += kHex[b & 0xF];
      out += u' ';
    } else {
      out += u"   ";
    }
    if (i == 7 || i == 15) out += u' ';
  }
  for (size_t i = 0; i < kDumpBytesPerLine; ++i) {
    if (offset + i >= size) {
      out += u' ';
      continue;
    }
    BYTE b = data[offset + i];
    out += b >= 32 && b <= 127 ? static_cast<char16_t>(b) : u'.';
  }
}

}  // namespace

std::u16string DumpLine(const BYTE* data, size_t size, size_t line) {
  std::u16string out;
  out.reserve(kDumpLineWidth);
  AppendLine(out, data, size, line);
  return out;
}

std::u16string DumpText(const BYTE* data, size_t size) {
  std::u16string out;
  size_t lines = DumpLineCount(size);
  out.reserve(lines * (kDumpLineWidth + 2));
  for (size_t line = 0; line < lines; ++line) {
    AppendLine(out, data, size, line);
    out += u"\r\n";
  }
  return out;
}

std::u16string NameExtension(const std::u16string& name) {
  size_t dot = name.rfind(u'.');
  if (dot == std::u16string::npos || name.find_first_of(u"/\\", dot) != std::u16string::npos) return {};
  return name.substr(dot);
}

}  // namespace tvl
