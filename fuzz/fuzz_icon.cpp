// Bytes as an icon or cursor group directory, and as an .ico or .cur file imported into an
// icon group and a cursor group. An accepted icon file exports and imports back equal; the
// groups are written through their table and stored and loaded.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "archive/Archive.h"
#include "formats/layout/ResIcon.h"
#include "formats/layout/ResIconTable.h"
#include "peimage/ResStream.h"
#include "resmodel/CompileContext.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0x100000) return 0;
  // An exact-size copy, so that a read past the end is caught.
  std::vector<BYTE> bytes(data, data + size);
  auto group = std::make_unique<CResIconGroup>();
  CResStream stream(bytes.data(), static_cast<DWORD>(bytes.size()), 0x0409);
  try {
    group->Parse(stream);
  } catch (const CResStreamException&) {
    group = std::make_unique<CResIconGroup>();
    group->m_images.m_object = std::make_unique<CIcon>();
  }
  group->m_identifier.SetOrdinal(1);
  group->GetSourceImages().GetBestImage(group->m_isIcon != 0);

  CResIconTable table;
  for (BYTE isIcon : {BYTE{1}, BYTE{0}}) {
    auto target = std::make_unique<CResIconGroup>();
    target->m_isIcon = isIcon;
    target->m_images.m_object = std::make_unique<CIcon>();
    target->SetTranslatable(true);
    std::unique_ptr<CLocalizedParam> replaced;
    if (!target->SetData(bytes, 0x0407, replaced)) {
      if (target->HasTranslation(0x0407)) __builtin_trap();
      continue;
    }
    std::vector<BYTE> file;
    target->GetData(file, 0x0407);
    if (!target->SetData(file, 0x040C, replaced)) __builtin_trap();
    if (isIcon && !target->GetImages(0x040C).IsEqual(target->GetImages(0x0407), true)) __builtin_trap();
    target->GetImages(0x0407).GetBestImage(isIcon != 0);
    target->UpdateStatus(0x0407);
    target->m_identifier.SetOrdinal(isIcon ? 2 : 3);
    table.AddResourceObject(std::move(target));
  }
  table.AddResourceObject(std::move(group));

  CResourceWriter writer;
  CCompileContext context(0x0409, 0x0407, &writer);
  context.m_data.m_language = 0x0407;
  table.Write(context);

  CArchive store;
  store.WriteObject(&table);
  std::vector<BYTE> stored = store.GetStoredBytes();
  CArchive load(stored.data(), stored.size());
  auto loaded = load.ReadObject<CResIconTable>();
  load.Close();
  CArchive store2;
  store2.WriteObject(loaded.get());
  if (store2.GetStoredBytes() != stored) __builtin_trap();
  return 0;
}
