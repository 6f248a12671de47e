#include "formats/text/ResMessageTable.h"

#include <algorithm>
#include <new>

#include "peimage/PeFormat.h"
#include "peimage/ResStream.h"
#include "platform/LanguageFacts.h"
#include "platform/Text.h"
#include "resmodel/CompileContext.h"

IMPLEMENT_DYNAMIC(CResMessageTable, CResStringTable)

namespace {

constexpr size_t kBlockSize = 12;       // LowId, HighId, OffsetToEntries
constexpr size_t kEntryHeader = 4;      // Length, Flags
constexpr size_t kMaxEntryLength = 0xFFFC;  // the largest 4-aligned 16-bit Length

// Moves the cursor to an offset from the start of the data.
void Seek(CResStream& stream, size_t offset) {
  stream.Back(stream.GetOffset());
  stream.Read(offset);
}

// The bytes of one entry: text, CR LF, terminator, zero padding to a multiple of 4. Text
// that would not fit the 16-bit Length is cut.
std::vector<BYTE> EntryText(const std::u16string& text, bool unicode, UINT codePage) {
  std::vector<BYTE> bytes;
  if (unicode) {
    const size_t room = (kMaxEntryLength - kEntryHeader) / 2 - 3;  // CR, LF, NUL
    const size_t n = std::min(text.size(), room);
    bytes.reserve((n + 3) * 2 + 2);
    for (size_t i = 0; i < n; ++i) {
      bytes.push_back(static_cast<BYTE>(text[i]));
      bytes.push_back(static_cast<BYTE>(text[i] >> 8));
    }
    for (char16_t c : {u'\r', u'\n', u'\0'}) {
      bytes.push_back(static_cast<BYTE>(c));
      bytes.push_back(0);
    }
  } else {
    std::string ansi = tvl::WideToMultiByte(codePage, text);
    const size_t room = kMaxEntryLength - kEntryHeader - 3;
    if (ansi.size() > room) ansi.resize(room);
    bytes.assign(ansi.begin(), ansi.end());
    bytes.push_back('\r');
    bytes.push_back('\n');
    bytes.push_back(0);
  }
  while (bytes.size() % 4) bytes.push_back(0);
  return bytes;
}

}  // namespace

CResMessageTable::CResMessageTable() {
  m_identifier.SetOrdinal(11);
  m_displayName = u"Message Table";
}

UINT CResMessageTable::AnsiCodePage(LANGID language) {
  const UINT codePage = LanguageCodePage(language).codePage;
  return codePage == 1200 ? 0 : codePage;
}

std::u16string CResMessageTable::TrimMessageText(std::u16string text) {
  size_t nul = text.find(u'\0');
  if (nul != std::u16string::npos) text.resize(nul);
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, u"\r\n") == 0) text.resize(text.size() - 2);
  return text;
}

bool CResMessageTable::AddResource(CResStream& stream) {
  // Everything is read before a message is taken: a table that fails leaves nothing behind.
  std::vector<std::unique_ptr<CResString>> parsed;
  try {
    const UINT codePage = stream.m_codePage == 1200 ? 0 : stream.m_codePage;
    const size_t size = stream.m_size;
    const DWORD blockCount = stream.ReadDword();
    if (blockCount > stream.GetRemaining() / kBlockSize) throw CResStreamException();
    // Entries do not overlap, so a table cannot hold more of them than this; a table that
    // claims more makes its blocks share entries and is refused.
    size_t entriesLeft = size / kEntryHeader;
    for (DWORD b = 0; b < blockCount; ++b) {
      Seek(stream, 4 + kBlockSize * b);
      const DWORD low = stream.ReadDword();
      const DWORD high = stream.ReadDword();
      size_t offset = stream.ReadDword();
      if (low > high) continue;
      for (DWORD id = low;; ++id) {
        if (entriesLeft-- == 0) throw CResStreamException();
        if (offset > size) throw CResStreamException();
        Seek(stream, offset);
        const WORD length = stream.ReadWord();
        const WORD flags = stream.ReadWord();
        // An entry shorter than its own header would never let the next one move on.
        if (length < kEntryHeader) throw CResStreamException();
        const BYTE* p = stream.Read(length - kEntryHeader);
        std::u16string text;
        if (flags != 0) {
          text.resize((length - kEntryHeader) / 2);
          for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(pe::Get16(p + 2 * i));
        } else {
          const size_t n = std::find(p, p + (length - kEntryHeader), BYTE{0}) - p;
          text = tvl::MultiByteToWide(codePage, std::string_view(reinterpret_cast<const char*>(p), n));
        }
        parsed.push_back(std::make_unique<CResString>(id, flags != 0 ? 1 : 0, TrimMessageText(std::move(text)),
                                                      stream.m_language));
        offset += length;
        if (id == high) break;
      }
    }
  } catch (const CException& e) {
    ReportParseError(stream, &e);
    return false;
  } catch (const std::bad_alloc&) {
    return false;  // a count that claims more than memory holds
  }
  m_resourceName.SetName(stream.m_name);
  TakeStrings(std::move(parsed), stream.m_language);
  return true;
}

void CResMessageTable::Write(CCompileContext& context) {
  if (m_strings.empty()) return;
  const LANGID language = context.m_targetLanguage;
  const UINT codePage = AnsiCodePage(language);
  context.m_type = CResName(WORD{11});
  // A table from a file that did not record its name is written under the usual one.
  context.m_name = m_resourceName.IsNone() ? CResName(WORD{1}) : m_resourceName.ToResName();

  std::vector<std::pair<DWORD, size_t>> order;
  order.reserve(m_strings.size());
  for (size_t i = 0; i < m_strings.size(); ++i) order.emplace_back(m_strings[i]->m_id, i);
  std::sort(order.begin(), order.end());
  // A repeated id keeps its first message.
  order.erase(std::unique(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
              order.end());

  struct Block {
    DWORD low, high;
    size_t entryBytes;
  };
  std::vector<Block> blocks;
  std::vector<std::vector<BYTE>> entries;
  entries.reserve(order.size());
  for (const auto& [id, position] : order) {
    const CResString& s = *m_strings[position];
    entries.push_back(EntryText(s.m_value.GetBuildText(language), s.m_unicode != 0, codePage));
    const size_t entrySize = entries.back().size() + kEntryHeader;
    if (blocks.empty() || blocks.back().high == 0xFFFFFFFF || id != blocks.back().high + 1)
      blocks.push_back({id, id, entrySize});
    else {
      blocks.back().high = id;
      blocks.back().entryBytes += entrySize;
    }
  }

  CResourceData& data = context.m_data;
  data.Reset();
  data.WriteDword(static_cast<DWORD>(blocks.size()));
  size_t offset = 4 + kBlockSize * blocks.size();
  for (const Block& b : blocks) {
    data.WriteDword(b.low);
    data.WriteDword(b.high);
    data.WriteDword(static_cast<DWORD>(offset));
    offset += b.entryBytes;
  }
  for (size_t i = 0; i < entries.size(); ++i) {
    data.WriteWord(static_cast<WORD>(entries[i].size() + kEntryHeader));
    data.WriteWord(m_strings[order[i].second]->m_unicode ? 1 : 0);
    data.WriteBytes(entries[i].data(), entries[i].size());
  }
  context.AddToWriter();
}
