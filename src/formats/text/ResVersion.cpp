#include "formats/text/ResVersion.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>

#include "archive/Archive.h"
#include "peimage/PeFormat.h"
#include "peimage/ResStream.h"
#include "peimage/VersionInfoWalker.h"
#include "platform/ByteReader.h"
#include "platform/Messages.h"
#include "platform/Text.h"
#include "resmodel/CompileContext.h"

IMPLEMENT_SERIAL(CResVersion, CResource, VERSIONABLE_SCHEMA | 1)

namespace {

constexpr WORD kBinaryNode = 0;
constexpr WORD kTextNode = 1;

size_t Align4(size_t offset) { return (offset + 3) & ~static_cast<size_t>(3); }

[[noreturn]] void Bad() { throw CResStreamException(); }

bool EqualsAsciiNoCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && tvl::ToLowerAscii(a) == tvl::ToLowerAscii(b);
}

// A node of the tree and, for a text node, its text up to the terminator.
struct Node : CVersionInfoNode {
  std::u16string text;
};

// A text without terminator, or a binary value past its node, refuses the resource.
void ReadValue(std::span<const BYTE> data, Node& n) {
  if (n.type == kTextNode) {
    // Counted in UTF-16 units. Some tools count bytes instead: the text then simply
    // ends at its terminator inside the node.
    if (n.valueLength == 0) return;
    CByteReader value(data.subspan(n.valueOffset, n.valueSize));
    for (char16_t c = static_cast<char16_t>(value.Read16()); c != 0; c = static_cast<char16_t>(value.Read16()))
      n.text.push_back(c);
    if (!value.Ok()) Bad();  // no terminator
  } else if (n.valueCut) {
    Bad();
  }
}

// Reads the node at `start` inside [start, parentEnd); null when nothing there can be a
// node (padding at the end of a parent, a length past it), which ends a list.
std::optional<Node> ReadNode(std::span<const BYTE> data, size_t start, size_t parentEnd) {
  Node n;
  VersionNodeRead r = ReadVersionNode(data, start, parentEnd, n);
  if (r == VersionNodeRead::kNoNode) return std::nullopt;
  if (r == VersionNodeRead::kBadKey) Bad();
  ReadValue(data, n);
  return n;
}

// Calls f(child) for each child of `parent`, each read at the next 4-byte boundary inside it.
template <class F>
void ForEachChild(std::span<const BYTE> data, const Node& parent, F f) {
  for (size_t p = parent.childrenOffset; p < parent.end;) {
    std::optional<Node> child = ReadNode(data, p, parent.end);
    if (!child) break;
    f(*child);
    p = Align4(child->end);
  }
}

bool HexDigit(char16_t c, WORD& v) {
  if (c >= u'0' && c <= u'9') v = static_cast<WORD>(c - u'0');
  else if (c >= u'a' && c <= u'f') v = static_cast<WORD>(c - u'a' + 10);
  else if (c >= u'A' && c <= u'F') v = static_cast<WORD>(c - u'A' + 10);
  else return false;
  return true;
}

// "040904b0": language 0x0409, code page 0x04B0.
bool ParseTableKey(const std::u16string& key, LangAndCodePage& pair) {
  if (key.size() != 8) return false;
  DWORD value = 0;
  for (char16_t c : key) {
    WORD d = 0;
    if (!HexDigit(c, d)) return false;
    value = (value << 4) | d;
  }
  pair.m_language = static_cast<WORD>(value >> 16);
  pair.m_codePage = static_cast<WORD>(value & 0xFFFF);
  return true;
}

void MakeVersionHead(CLocalizedStringSizePos& head, DWORD ms, DWORD ls, LANGID language) {
  head.m_numbers[0] = static_cast<WORD>(ms >> 16);
  head.m_numbers[1] = static_cast<WORD>(ms & 0xFFFF);
  head.m_numbers[2] = static_cast<WORD>(ls >> 16);
  head.m_numbers[3] = static_cast<WORD>(ls & 0xFFFF);
  head.m_text = CResVersion::VersionText(head.m_numbers);
  head.m_language = language;
  head.m_status = 0;
}

// --- writing ---------------------------------------------------------------------------

std::u16string_view UpToNul(std::u16string_view s) { return s.substr(0, s.find(u'\0')); }

// Writes a node's header and key; the length is patched by EndNode.
size_t BeginNode(CResourceData& d, std::u16string_view key, WORD valueLength, WORD type) {
  d.AlignDword();
  size_t start = d.GetPosition();
  d.WriteWord(0);
  d.WriteWord(valueLength);
  d.WriteWord(type);
  d.WriteString(key);
  d.AlignDword();
  return start;
}

void EndNode(CResourceData& d, size_t start) {
  d.AlignDword();
  size_t length = d.GetPosition() - start;
  // A node's length has 16 bits; a longer one cannot be written (the build leaves the
  // resource out).
  if (length > 0xFFFF) throw CStringException(u"Version resource too large.");
  d.PatchWord(start, static_cast<WORD>(length));
}

void WriteTextNode(CResourceData& d, std::u16string_view key, std::u16string_view text) {
  text = UpToNul(text);
  if (text.size() + 1 > 0xFFFF) throw CStringException(u"Version resource too large.");
  size_t start = BeginNode(d, UpToNul(key), static_cast<WORD>(text.size() + 1), kTextNode);
  d.WriteString(text);
  EndNode(d, start);
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace

CResVersion::CResVersion() = default;

// ---------------------------------------------------------------------------------------
// Reading

void CResVersion::Parse(CResStream& stream) {
  std::memset(m_fixedInfo, 0, sizeof m_fixedInfo);
  m_noFixedInfo = 1;
  const std::span<const BYTE> data(stream.m_data, stream.m_size);
  CByteReader in(data);
  const WORD rootLength = in.U16At(0);
  if (!in.Ok() || rootLength < 8) Bad();
  std::optional<Node> found = ReadNode(data, 0, data.size());
  if (!found) Bad();
  const Node& root = *found;
  if (root.valueLength != kFixedInfoSize || root.valueSize < kFixedInfoSize) return;

  std::memcpy(m_fixedInfo, data.data() + root.valueOffset, kFixedInfoSize);
  m_noFixedInfo = 0;
  LANGID language = stream.m_language;
  MakeVersionHead(m_fileVersion, pe::Get32(m_fixedInfo + kFileVersionMS), pe::Get32(m_fixedInfo + kFileVersionLS),
                  language);
  MakeVersionHead(m_productVersion, pe::Get32(m_fixedInfo + kProductVersionMS),
                  pe::Get32(m_fixedInfo + kProductVersionLS), language);

  ForEachChild(data, root, [&](const Node& branch) {
    if (EqualsAsciiNoCase(branch.key, u"StringFileInfo")) {
      ForEachChild(data, branch, [&](const Node& table) {
        LangAndCodePage pair;
        if (!ParseTableKey(table.key, pair)) return;
        m_stringTables.push_back(pair);
        ForEachChild(data, table, [&](const Node& str) {
          if (str.type != kTextNode) Bad();
          if (StringValue* v = FindValue(str.key)) {
            // Another table's text for a value already seen is that language's translation.
            v->m_value.SetTranslation(str.text, pair.m_language);
            return;
          }
          auto v = std::make_unique<StringValue>();
          v->m_key = str.key;
          v->m_value.m_text = str.text;
          v->m_value.m_language = pair.m_language;
          v->m_value.m_status = 0;
          m_values.push_back(std::move(v));
        });
      });
    } else if (EqualsAsciiNoCase(branch.key, u"VarFileInfo") && m_translations.empty()) {
      ForEachChild(data, branch, [&](const Node& var) {
        if (var.type == kTextNode || !EqualsAsciiNoCase(var.key, u"Translation")) return;
        CByteReader value(data.subspan(var.valueOffset, var.valueSize));
        while (value.Remaining() >= 4) {
          const WORD language = value.Read16();
          m_translations.push_back({language, value.Read16()});
        }
      });
    }
  });
}

StringValue* CResVersion::FindValue(const std::u16string& key) {
  for (auto& v : m_values)
    if (tvl::CompareNoCase(v->m_key, key) == 0) return v.get();
  return nullptr;
}

const StringValue* CResVersion::FindValue(const std::u16string& key) const {
  return const_cast<CResVersion*>(this)->FindValue(key);
}

// ---------------------------------------------------------------------------------------
// Writing

VersionNumbers CResVersion::GetVersion(const CLocalizedStringSizePos& version, LANGID language) const {
  const CLocalizedStringSizePos* node = &version;
  if (!m_doNotTranslate && !version.IsDoNotTranslate()) {
    // A plain status node carries no version.
    const auto* n = dynamic_cast<const CLocalizedStringSizePos*>(version.FindValue(language));
    if (n && n->m_status >= kStatusTranslated) node = n;
  }
  VersionNumbers out;
  for (int pair = 0; pair < 4; pair += 2) {
    bool unset = node->m_numbers[pair] == 0xFFFF && node->m_numbers[pair + 1] == 0xFFFF;
    const CLocalizedStringSizePos* from = unset ? &version : node;
    out.m_numbers[pair] = from->m_numbers[pair];
    out.m_numbers[pair + 1] = from->m_numbers[pair + 1];
  }
  out.m_text = node->m_text.empty() ? version.m_text : node->m_text;
  return out;
}

const std::u16string& CResVersion::GetValueText(const StringValue& value, LANGID language) const {
  if (m_doNotTranslate) return value.m_value.m_text;
  return value.m_value.GetBuildText(language);
}

void CResVersion::WriteData(CResourceData& data) {
  LANGID language = data.m_language;
  size_t root = BeginNode(data, u"VS_VERSION_INFO", m_noFixedInfo ? 0 : kFixedInfoSize, kBinaryNode);
  if (!m_noFixedInfo) {
    BYTE fixed[kFixedInfoSize];
    std::memcpy(fixed, m_fixedInfo, kFixedInfoSize);
    VersionNumbers file = GetVersion(m_fileVersion, language);
    VersionNumbers product = GetVersion(m_productVersion, language);
    auto hiLo = [](WORD hi, WORD lo) { return (static_cast<DWORD>(hi) << 16) | lo; };
    pe::Put32(fixed + kFileVersionMS, hiLo(file.m_numbers[0], file.m_numbers[1]));
    pe::Put32(fixed + kFileVersionLS, hiLo(file.m_numbers[2], file.m_numbers[3]));
    pe::Put32(fixed + kProductVersionMS, hiLo(product.m_numbers[0], product.m_numbers[1]));
    pe::Put32(fixed + kProductVersionLS, hiLo(product.m_numbers[2], product.m_numbers[3]));
    if (data.m_satelliteDll) {
      pe::Put32(fixed + kFileType, kFileTypeDll);
      pe::Put32(fixed + kFileSubtype, 0);
    }
    data.WriteBytes(fixed, kFixedInfoSize);
  }

  size_t strings = BeginNode(data, u"StringFileInfo", 0, kTextNode);
  std::u16string tableKey = FormatMessageText(u"%1!04X!%2!04X!", {Arg(std::int64_t{language}),
                                                                   Arg(std::int64_t{kWrittenCodePage})});
  size_t table = BeginNode(data, tableKey, 0, kTextNode);
  for (const auto& v : m_values) WriteTextNode(data, v->m_key, GetValueText(*v, language));
  EndNode(data, table);
  EndNode(data, strings);

  size_t vars = BeginNode(data, u"VarFileInfo", 0, kBinaryNode);
  size_t translation = BeginNode(data, u"Translation", 4, kBinaryNode);
  data.WriteWord(language);
  data.WriteWord(kWrittenCodePage);
  EndNode(data, translation);
  EndNode(data, vars);
  EndNode(data, root);
}

// ---------------------------------------------------------------------------------------
// Status, merge, stored form

int CResVersion::ComputeStatus(LANGID language) const {
  // An empty version text (no fixed info) has nothing to translate, as any empty text.
  int status = std::min(m_fileVersion.EffectiveStatus(language), m_productVersion.EffectiveStatus(language));
  for (size_t i = 0; i < m_values.size() && status > 0; ++i)
    status = std::min(status, m_values[i]->m_value.EffectiveStatus(language));
  return status;
}

void CResVersion::Merge(const CResource& other, bool copyProperties, bool importMode) {
  MergeResourceLevel(other, copyProperties, importMode);
  const auto* o = dynamic_cast<const CResVersion*>(&other);
  if (!o) return;
  m_fileVersion.MergeFrom(o->m_fileVersion, copyProperties, importMode);
  m_productVersion.MergeFrom(o->m_productVersion, copyProperties, importMode);
  for (const auto& theirs : o->m_values)
    if (StringValue* mine = FindValue(theirs->m_key)) mine->m_value.MergeFrom(theirs->m_value, copyProperties, importMode);
  for (const LangAndCodePage& pair : o->m_stringTables) {
    bool known = std::any_of(m_stringTables.begin(), m_stringTables.end(),
                             [&](const LangAndCodePage& p) { return p.m_language == pair.m_language; });
    if (!known) m_stringTables.push_back(pair);
  }
}

void CResVersion::Serialize(CArchive& ar) {
  CResource::Serialize(ar);
  auto pairs = [&ar](std::vector<LangAndCodePage>& list) {
    if (ar.IsStoring()) {
      ar.WriteCount(list.size());
      for (const LangAndCodePage& p : list) ar << p.m_language << p.m_codePage;
    } else {
      size_t count = ar.ReadCount();
      ar.CheckAvailable(count, 4);
      list.assign(count, {});
      for (LangAndCodePage& p : list) ar >> p.m_language >> p.m_codePage;
    }
  };
  if (ar.IsStoring()) {
    ar << static_cast<BYTE>(m_noFixedInfo ? 1 : 0);
    if (m_noFixedInfo) return;
    ar.Write(m_fixedInfo, kFixedInfoSize);
    m_fileVersion.Serialize(ar);
    m_productVersion.Serialize(ar);
    pairs(m_translations);
    pairs(m_stringTables);
    ar.WriteCount(m_values.size());
    for (const auto& v : m_values) {
      ar << v->m_key;
      v->m_value.Serialize(ar);
    }
  } else {
    BYTE noFixedInfo = 1;
    ar >> noFixedInfo;
    m_noFixedInfo = noFixedInfo ? 1 : 0;
    if (m_noFixedInfo) return;
    ar.ReadExact(m_fixedInfo, kFixedInfoSize);
    m_fileVersion.Serialize(ar);
    m_productVersion.Serialize(ar);
    pairs(m_translations);
    pairs(m_stringTables);
    size_t count = ar.ReadCount();
    ar.CheckAvailable(count, 11);  // a key of at least 1 byte and a value of at least 10
    m_values.clear();
    m_values.reserve(count);
    for (size_t i = 0; i < count; ++i) {
      auto v = std::make_unique<StringValue>();
      ar >> v->m_key;
      v->m_value.Serialize(ar);
      m_values.push_back(std::move(v));
    }
  }
}

void CResVersion::Dump(std::ostream&) const {}

// ---------------------------------------------------------------------------------------
// Version texts

std::u16string CResVersion::VersionText(const WORD numbers[4]) {
  return FormatMessageText(u"%1!u!, %2!u!, %3!u!, %4!u!",
                           {Arg(std::int64_t{numbers[0]}), Arg(std::int64_t{numbers[1]}),
                            Arg(std::int64_t{numbers[2]}), Arg(std::int64_t{numbers[3]})});
}

bool CResVersion::ParseVersionText(const std::u16string& text, WORD numbers[4], std::u16string* canonical) {
  size_t i = 0, n = text.size();
  auto skipBlanks = [&] {
    while (i < n && (text[i] == u' ' || text[i] == u'\t')) ++i;
  };
  WORD parsed[4] = {};
  for (int k = 0; k < 4; ++k) {
    skipBlanks();
    if (i >= n || !IsDigit(text[i])) return false;
    DWORD value = 0;
    for (; i < n && IsDigit(text[i]); ++i) {
      value = value * 10 + static_cast<DWORD>(text[i] - u'0');
      if (value > 0xFFFF) return false;
    }
    parsed[k] = static_cast<WORD>(value);
    skipBlanks();
    if (k < 3 && i < n && (text[i] == u'.' || text[i] == u',')) ++i;
  }
  if (i != n) return false;
  std::copy(parsed, parsed + 4, numbers);
  if (canonical) *canonical = VersionText(parsed);
  return true;
}

const std::u16string& CResVersion::VersionFormatMessage() {
  static const std::u16string text =
      u"Incorrect format. Please enter the version as : A, B, C, D  where A, B, C and D are numbers in the "
      u"range 0-65535. Commas can be ommited or replaced by periods.\n e.g.: 2, 1, 0, 473";
  return text;
}

bool CResVersion::SetVersionText(CLocalizedStringSizePos& version, LANGID language, const std::u16string& text) {
  WORD numbers[4];
  std::u16string canonical;
  if (!ParseVersionText(text, numbers, &canonical)) {
    DoMessageBox(VersionFormatMessage(), MB_ICONERROR);
    return false;
  }
  version.SetSizePos(language, canonical, numbers[0], numbers[1], numbers[2], numbers[3]);
  return true;
}
