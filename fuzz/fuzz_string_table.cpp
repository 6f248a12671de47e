// Bytes as string blocks through the string table handler, then written back: every block
// written must read again, and the stored form must load and store to the same bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/Archive.h"
#include "formats/text/ResStringTable.h"
#include "peimage/ResStream.h"
#include "platform/Messages.h"
#include "resmodel/CompileContext.h"

namespace {

class CSilentSink : public CMessageSink {
 public:
  int Show(const std::u16string&, UINT, UINT) override { return IDOK; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CSilentSink sink;
  static const bool installed = (SetMessageSink(&sink), true);
  (void)installed;
  if (size < 3) return 0;
  // Byte 0 and 1: the block's name (an odd first byte makes it a named block, which is
  // refused); byte 2: whether the same bytes come again in a second language.
  const WORD block = static_cast<WORD>(data[0] | data[1] << 8);
  const CResName name = (data[0] & 1) && data[1] == 0xFF ? CResName(u"NAMED") : CResName(block);
  const BYTE* bytes = data + 3;
  const DWORD length = static_cast<DWORD>(size - 3);

  CResStringTable table;
  CResStream first(nullptr, CResName(WORD{6}), name, 0x0409, 0x0409, bytes, length);
  table.AddResource(first);
  if (data[2] & 1) {
    CResStream second(nullptr, CResName(WORD{6}), name, 0x0407, 0x0407, bytes, length);
    table.AddResource(second);
  }
  table.UpdateStatus(0x0407);

  CResourceWriter writer;
  CCompileContext context(0x0409, 0x0407, &writer);
  table.Write(context);
  CResStringTable back;
  for (const auto& e : writer.GetEntries()) {
    CResStream again(nullptr, CResName(WORD{6}), e->m_name.ToResName(), 0x0407, 0x0407, e->m_data.data(),
                     static_cast<DWORD>(e->m_data.size()));
    if (e->m_data.size() < 32 || !back.AddResource(again)) __builtin_trap();
  }

  CArchive out;
  out.WriteObject(&table);
  const std::vector<BYTE> stored = out.GetStoredBytes();
  CArchive in(stored.data(), stored.size(), u"fuzz.tvl");
  std::unique_ptr<CResStringTable> loaded = in.ReadObject<CResStringTable>();
  in.Close();
  CArchive out2;
  out2.WriteObject(loaded.get());
  if (out2.GetStoredBytes() != stored) __builtin_trap();
  return 0;
}
