// Bytes as a version resource: parse, write it for a target language (full copy and
// satellite), read the written resource back, store and load it; the same bytes as a
// typed version text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/Archive.h"
#include "formats/text/ResVersion.h"
#include "peimage/ResStream.h"
#include "resmodel/CompileContext.h"

namespace {

void VersionText(const uint8_t* data, size_t size) {
  std::u16string text;
  for (size_t i = 0; i + 1 < size && text.size() < 64; i += 2) text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  WORD numbers[4];
  std::u16string canonical;
  if (!CResVersion::ParseVersionText(text, numbers, &canonical)) return;
  WORD again[4];
  if (!CResVersion::ParseVersionText(canonical, again, nullptr)) __builtin_trap();
  for (int i = 0; i < 4; ++i)
    if (again[i] != numbers[i]) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0x100000) return 0;
  VersionText(data, size);
  std::vector<BYTE> bytes(data, data + size);
  CResVersion version;
  version.m_statusChain.m_language = 0x0409;
  CResStream stream(bytes.data(), static_cast<DWORD>(bytes.size()), 0x0409);
  try {
    version.Parse(stream);
  } catch (const CResStreamException&) {
    return 0;
  }
  if (!version.m_values.empty()) version.m_values.front()->m_value.SetTranslation(u"\u00dcbersetzt", 0x0407);
  version.m_fileVersion.SetSizePos(0x0407, u"1, 2", 1, 2, 0xFFFF, 0xFFFF);
  version.UpdateStatus(0x0407);

  for (BYTE satellite : {0, 1}) {
    CResourceData out;
    out.m_language = 0x0407;
    out.m_satelliteDll = satellite;
    try {
      version.WriteData(out);
    } catch (const CStringException&) {
      continue;  // too large for 16-bit node lengths: left out of the target
    }
    std::vector<BYTE> written = out.GetBytes();
    CResVersion again;
    CResStream back(written.data(), static_cast<DWORD>(written.size()), 0x0407);
    again.Parse(back);  // what we write always reads back
    if (again.m_values.size() != version.m_values.size() || again.m_noFixedInfo != version.m_noFixedInfo)
      __builtin_trap();
    if (!again.m_noFixedInfo && (again.m_stringTables.size() != 1 || again.m_translations.size() != 1)) __builtin_trap();
  }

  CArchive store;
  store.WriteObject(&version);
  std::vector<BYTE> stored = store.GetStoredBytes();
  CArchive load(stored.data(), stored.size());
  auto loaded = load.ReadObject<CResVersion>();
  load.Close();
  CArchive store2;
  store2.WriteObject(loaded.get());
  if (store2.GetStoredBytes() != stored) __builtin_trap();
  return 0;
}
