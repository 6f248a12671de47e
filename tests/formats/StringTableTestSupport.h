#pragma once
// Raw string blocks and message tables, streams over them, and what a handler writes.
#include <string>
#include <vector>

#include "TestSupport.h"
#include "peimage/ResStream.h"
#include "resmodel/CompileContext.h"
#include "resmodel/ResourceType.h"

namespace strtest {

inline void PutWord(std::vector<BYTE>& out, WORD w) {
  out.push_back(static_cast<BYTE>(w));
  out.push_back(static_cast<BYTE>(w >> 8));
}

inline void PutDword(std::vector<BYTE>& out, DWORD d) {
  PutWord(out, static_cast<WORD>(d));
  PutWord(out, static_cast<WORD>(d >> 16));
}

inline WORD WordAt(const std::vector<BYTE>& b, size_t offset) {
  return static_cast<WORD>(b.at(offset) | (b.at(offset + 1) << 8));
}

inline DWORD DwordAt(const std::vector<BYTE>& b, size_t offset) {
  return WordAt(b, offset) | (static_cast<DWORD>(WordAt(b, offset + 2)) << 16);
}

// A string block: entry i of `entries` at index i, an empty text standing for no string;
// missing entries up to 16 are empty.
inline std::vector<BYTE> BlockBytes(const std::vector<std::u16string>& entries) {
  std::vector<BYTE> out;
  for (size_t i = 0; i < 16; ++i) {
    const std::u16string text = i < entries.size() ? entries[i] : std::u16string();
    PutWord(out, static_cast<WORD>(text.size()));
    for (char16_t c : text) PutWord(out, c);
  }
  return out;
}

inline std::vector<WORD> Words(const std::vector<BYTE>& bytes) {
  std::vector<WORD> out;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) out.push_back(WordAt(bytes, i));
  return out;
}

// A stream as the walk hands it over: type, name and language of one resource.
inline CResStream Stream(const std::vector<BYTE>& bytes, WORD type, const CResName& name, LANGID language) {
  return CResStream(nullptr, CResName(type), name, language, language, bytes.data(), static_cast<DWORD>(bytes.size()));
}

// Everything a handler writes for one target language.
inline std::vector<CResourceEntry> WriteFor(CResourceType& handler, LANGID language, LANGID source = 0x0409) {
  CResourceWriter writer;
  CCompileContext context(source, language, &writer);
  handler.Write(context);
  std::vector<CResourceEntry> out;
  for (const auto& e : writer.GetEntries()) out.push_back(*e);
  return out;
}

// One message table entry as a resource compiler lays it out.
struct RawMessage {
  std::vector<BYTE> text;  // without padding
  WORD flags;
};

inline RawMessage Utf16Message(const std::u16string& text) {
  RawMessage m{{}, 1};
  for (char16_t c : text) PutWord(m.text, c);
  PutWord(m.text, 0);
  return m;
}

inline RawMessage AnsiMessage(const std::string& bytes) {
  RawMessage m{std::vector<BYTE>(bytes.begin(), bytes.end()), 0};
  m.text.push_back(0);
  return m;
}

struct RawBlock {
  DWORD low;
  std::vector<RawMessage> messages;
};

inline std::vector<BYTE> MessageTableBytes(const std::vector<RawBlock>& blocks) {
  std::vector<BYTE> head, body;
  PutDword(head, static_cast<DWORD>(blocks.size()));
  const size_t headSize = 4 + 12 * blocks.size();
  for (const RawBlock& b : blocks) {
    PutDword(head, b.low);
    PutDword(head, b.low + static_cast<DWORD>(b.messages.size()) - 1);
    PutDword(head, static_cast<DWORD>(headSize + body.size()));
    for (const RawMessage& m : b.messages) {
      std::vector<BYTE> text = m.text;
      while (text.size() % 4) text.push_back(0);
      PutWord(body, static_cast<WORD>(text.size() + 4));
      PutWord(body, m.flags);
      body.insert(body.end(), text.begin(), text.end());
    }
  }
  head.insert(head.end(), body.begin(), body.end());
  return head;
}

inline std::u16string FixtureU(const std::string& name) {
  std::string p = FixturePath(name);
  return std::u16string(p.begin(), p.end());
}

}  // namespace strtest
