// Bytes as a toolbar resource followed by a .bmp file: the first byte gives the length of
// the toolbar part. Parse the toolbar, give it a bitmap, import the file as a translation,
// export it, write, and store and load the toolbar.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "archive/Archive.h"
#include "formats/layout/ResToolBar.h"
#include "peimage/ResStream.h"
#include "resmodel/CompileContext.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 0x100000) return 0;
  const size_t split = std::min<size_t>(data[0], size - 1);
  // Exact-size copies, so that a read past either end is caught.
  std::vector<BYTE> resource(data + 1, data + 1 + split);
  std::vector<BYTE> file(data + 1 + split, data + size);
  CResToolBar toolbar;
  CResStream stream(resource.data(), static_cast<DWORD>(resource.size()), 0x0409);
  try {
    toolbar.Parse(stream);
  } catch (const CResStreamException&) {
    if (!toolbar.m_items.m_data.empty() || toolbar.m_width || toolbar.m_height) __builtin_trap();
    return 0;
  }

  std::unique_ptr<CLocalizedParam> replaced;
  toolbar.SetData(file, 0x0407, replaced);  // refused: no bitmap yet
  toolbar.m_bitmap = std::make_unique<CResBitmap>();
  toolbar.m_bitmap->m_data.m_data = file;
  toolbar.m_bitmap->SetTranslatable(true);
  const bool accepted = toolbar.SetData(file, 0x0407, replaced);
  std::vector<BYTE> exported;
  if (accepted != toolbar.HasTranslation(0x0407)) __builtin_trap();
  toolbar.GetData(exported, 0x0407);
  toolbar.UpdateStatus(0x0407);

  CResourceData out;
  out.m_language = 0x0407;
  toolbar.WriteData(out);
  if (out.GetBytes() != resource) __builtin_trap();  // the toolbar is the same in every language

  CArchive store;
  store.WriteObject(&toolbar);
  std::vector<BYTE> stored = store.GetStoredBytes();
  CArchive load(stored.data(), stored.size());
  auto loaded = load.ReadObject<CResToolBar>();
  load.Close();
  CArchive store2;
  store2.WriteObject(loaded.get());
  if (store2.GetStoredBytes() != stored) __builtin_trap();
  return 0;
}
