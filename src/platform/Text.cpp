#include "platform/Text.h"

#include <unicode/ucnv.h>
#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <memory>
#include <mutex>
#include <string>

#include "platform/LanguageFacts.h"

namespace tvl {

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;  // lone surrogate
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::u16string FromUtf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    char32_t c;
    size_t extra;
    if (b < 0x80) {
      c = b;
      extra = 0;
    } else if ((b & 0xE0) == 0xC0) {
      c = b & 0x1F;
      extra = 1;
    } else if ((b & 0xF0) == 0xE0) {
      c = b & 0x0F;
      extra = 2;
    } else if ((b & 0xF8) == 0xF0) {
      c = b & 0x07;
      extra = 3;
    } else {
      out += u'\xFFFD';
      ++i;
      continue;
    }
    bool ok = true;
    for (size_t k = 1; k <= extra; ++k) {
      if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not characters: written out again
    // they would not read back the same.
    static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (ok && (c < kLeast[extra] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)) ok = false;
    if (!ok) {
      out += u'\xFFFD';
      ++i;
      continue;
    }
    i += extra + 1;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

namespace {

struct ConverterDeleter {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterDeleter>;

// ICU names the Windows tables "windows-NNNN" (or ibm-NNNN for the OEM ones); fall back
// to the bare "cpNNNN" alias.
ConverterPtr OpenConverter(UINT codePage) {
  const std::string names[] = {"windows-" + std::to_string(codePage), "ibm-" + std::to_string(codePage),
                               "cp" + std::to_string(codePage)};
  for (const auto& n : names) {
    UErrorCode err = U_ZERO_ERROR;
    UConverter* c = ucnv_open(n.c_str(), &err);
    if (U_SUCCESS(err) && c) return ConverterPtr(c);
  }
  return nullptr;
}

UINT Resolve(UINT codePage) { return codePage == 0 ? SystemAnsiCodePage() : codePage; }

}  // namespace

UINT SystemAnsiCodePage() {
  static const UINT cp = [] {
    UINT c = LanguageCodePage(SystemDefaultLanguage()).codePage;
    return (c == 0 || c == 1200) ? 1252u : c;
  }();
  return cp;
}

bool IsCodePageKnown(UINT codePage) {
  codePage = Resolve(codePage);
  if (codePage == 1200 || codePage == 65001) return true;
  return OpenConverter(codePage) != nullptr;
}

std::u16string MultiByteToWide(UINT codePage, std::string_view bytes) {
  codePage = Resolve(codePage);
  if (codePage == 65001) return FromUtf8(bytes);
  if (codePage == 1200) {
    std::u16string out(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < out.size(); ++i)
      out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    return out;
  }
  ConverterPtr conv = OpenConverter(codePage);
  if (!conv) conv = OpenConverter(1252);
  std::u16string out(bytes.size() * 2 + 4, u'\0');
  UErrorCode err = U_ZERO_ERROR;
  int32_t n = ucnv_toUChars(conv.get(), reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                            bytes.data(), static_cast<int32_t>(bytes.size()), &err);
  if (U_FAILURE(err)) return {};
  out.resize(static_cast<size_t>(n));
  return out;
}

std::string WideToMultiByte(UINT codePage, std::u16string_view text, bool* usedDefaultChar) {
  if (usedDefaultChar) *usedDefaultChar = false;
  codePage = Resolve(codePage);
  if (codePage == 65001) return ToUtf8(text);
  if (codePage == 1200) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char16_t c : text) {
      out += static_cast<char>(c & 0xFF);
      out += static_cast<char>(c >> 8);
    }
    return out;
  }
  ConverterPtr conv = OpenConverter(codePage);
  if (!conv) conv = OpenConverter(1252);
  // Unmappable characters become '?', as the platform's default character.
  UErrorCode err = U_ZERO_ERROR;
  ucnv_setSubstChars(conv.get(), "?", 1, &err);
  err = U_ZERO_ERROR;
  std::string out(text.size() * 4 + 4, '\0');
  int32_t n = ucnv_fromUChars(conv.get(), out.data(), static_cast<int32_t>(out.size()),
                              reinterpret_cast<const UChar*>(text.data()), static_cast<int32_t>(text.size()), &err);
  if (U_FAILURE(err)) return {};
  out.resize(static_cast<size_t>(n));
  if (usedDefaultChar) {
    // Converting back tells whether anything was substituted.
    std::u16string back = MultiByteToWide(codePage, out);
    *usedDefaultChar = back != text;
  }
  return out;
}

std::u16string ToLowerAscii(std::u16string_view text) {
  std::u16string out(text);
  for (auto& c : out)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return out;
}

int CompareNoCase(std::u16string_view a, std::u16string_view b) {
  UErrorCode err = U_ZERO_ERROR;
  int r = u_strCaseCompare(reinterpret_cast<const UChar*>(a.data()), static_cast<int32_t>(a.size()),
                           reinterpret_cast<const UChar*>(b.data()), static_cast<int32_t>(b.size()),
                           U_FOLD_CASE_DEFAULT, &err);
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

std::u16string Trim(std::u16string_view text) {
  auto isSpace = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f'; };
  size_t b = 0, e = text.size();
  while (b < e && isSpace(text[b])) ++b;
  while (e > b && isSpace(text[e - 1])) --e;
  return std::u16string(text.substr(b, e - b));
}

namespace {

// One collator per strength, opened once; a collator is not safe to share between threads.
struct Collator {
  UCollator* handle = nullptr;
  std::mutex mutex;
  explicit Collator(UCollationStrength strength) {
    UErrorCode err = U_ZERO_ERROR;
    handle = ucol_open("", &err);
    if (U_FAILURE(err)) {
      handle = nullptr;
      return;
    }
    ucol_setStrength(handle, strength);
  }
};

}  // namespace

int CollateText(std::u16string_view a, std::u16string_view b, bool ignoreCase) {
  static Collator caseless(UCOL_SECONDARY);
  static Collator exact(UCOL_TERTIARY);
  Collator& c = ignoreCase ? caseless : exact;
  if (!c.handle) return a.compare(b) < 0 ? -1 : a == b ? 0 : 1;
  std::lock_guard<std::mutex> lock(c.mutex);
  UCollationResult r = ucol_strcoll(c.handle, reinterpret_cast<const UChar*>(a.data()), static_cast<int32_t>(a.size()),
                                    reinterpret_cast<const UChar*>(b.data()), static_cast<int32_t>(b.size()));
  return r == UCOL_LESS ? -1 : r == UCOL_EQUAL ? 0 : 1;
}

}  // namespace tvl
