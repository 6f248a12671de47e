// Bytes as an accelerator table: parse, translate some keys, write, read the written
// table back, and store and load it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/Archive.h"
#include "formats/text/ResAccelerator.h"
#include "peimage/ResStream.h"
#include "resmodel/CompileContext.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0x100000) return 0;
  // An exact-size copy, so that a read past the end is caught.
  std::vector<BYTE> bytes(data, data + size);
  CResAcceleratorTable table;
  CResStream stream(bytes.data(), static_cast<DWORD>(bytes.size()), 0x0409);
  try {
    table.Parse(stream);
  } catch (const CResStreamException&) {
    return 0;
  }
  table.SetTranslatable(true);
  for (size_t i = 0; i < table.GetCount(); i += 2) {
    const CLocalizedHotKey& k = table.GetEntry(i)->m_key;
    table.GetEntry(i)->m_key.SetHotKey(0x0407, k.m_hotFlags, static_cast<WORD>(k.m_key + 1));
  }
  table.UpdateStatus(0x0407);

  CResourceData out;
  out.m_language = 0x0407;
  table.WriteData(out);
  std::vector<BYTE> written = out.GetBytes();
  if (written.size() != table.GetCount() * 8) __builtin_trap();
  CResAcceleratorTable again;
  CResStream back(written.data(), static_cast<DWORD>(written.size()), 0x0407);
  again.Parse(back);  // what we write is always a whole table
  if (again.GetCount() != table.GetCount()) __builtin_trap();

  CArchive store;
  store.WriteObject(&table);
  std::vector<BYTE> stored = store.GetStoredBytes();
  CArchive load(stored.data(), stored.size());
  auto loaded = load.ReadObject<CResAcceleratorTable>();
  load.Close();
  CArchive store2;
  store2.WriteObject(loaded.get());
  if (store2.GetStoredBytes() != stored) __builtin_trap();
  return 0;
}
