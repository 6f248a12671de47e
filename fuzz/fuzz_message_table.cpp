// Bytes as a message table through its handler in several code pages, then written back:
// the written table must read again, and the stored form must load and store to the same
// bytes.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

#include "archive/Archive.h"
#include "formats/text/ResMessageTable.h"
#include "peimage/ResStream.h"
#include "platform/Messages.h"
#include "resmodel/CompileContext.h"

namespace {

class CSilentSink : public CMessageSink {
 public:
  int Show(const std::u16string&, UINT, UINT) override { return IDOK; }
};

// Western, Cyrillic, Japanese (double-byte), Hindi (no ANSI code page), unknown.
constexpr LANGID kLanguages[] = {0x0409, 0x0419, 0x0411, 0x0439, 0x7FFF};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CSilentSink sink;
  static const bool installed = (SetMessageSink(&sink), true);
  (void)installed;
  if (size < 2) return 0;
  // Byte 0: the language read under; byte 1: the language written for.
  const LANGID source = kLanguages[data[0] % std::size(kLanguages)];
  const LANGID target = kLanguages[data[1] % std::size(kLanguages)];
  const BYTE* bytes = data + 2;
  const DWORD length = static_cast<DWORD>(size - 2);

  CResMessageTable table;
  CResStream stream(nullptr, CResName(WORD{11}), CResName(WORD{1}), source, source, bytes, length);
  table.AddResource(stream);
  table.UpdateStatus(target);

  CResourceWriter writer;
  CCompileContext context(source, target, &writer);
  table.Write(context);
  if (writer.GetCount() != (table.GetCount() ? 1u : 0u)) __builtin_trap();
  CResMessageTable back;
  for (const auto& e : writer.GetEntries()) {
    CResStream again(nullptr, CResName(WORD{11}), e->m_name.ToResName(), target, target, e->m_data.data(),
                     static_cast<DWORD>(e->m_data.size()));
    if (!back.AddResource(again) || back.GetCount() != table.GetCount()) __builtin_trap();
  }

  CArchive out;
  out.SerializeClass(RUNTIME_CLASS(CResStringTable));
  table.Serialize(out);
  const std::vector<BYTE> stored = out.GetStoredBytes();
  CArchive in(stored.data(), stored.size(), u"fuzz.tvl");
  CResMessageTable loaded;
  in.SerializeClass(RUNTIME_CLASS(CResStringTable));
  loaded.Serialize(in);
  in.Close();
  CArchive out2;
  out2.SerializeClass(RUNTIME_CLASS(CResStringTable));
  loaded.Serialize(out2);
  if (out2.GetStoredBytes() != stored) __builtin_trap();
  return 0;
}
