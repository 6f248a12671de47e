// Bytes as a menu template (MENU or MENUEX by its version word): parse, translate some
// texts, write, read the written menu back, merge both ways, and store and load it.
#include <cstddef>
#include <cstdint>
#include <set>
#include <vector>

#include "archive/Archive.h"
#include "formats/layout/ResMenu.h"
#include "peimage/ResStream.h"
#include "resmodel/CompileContext.h"

namespace {
std::vector<BYTE> Write(CResMenu& menu, LANGID language) {
  CResourceData out;
  out.m_language = language;
  menu.WriteData(out);
  return out.GetBytes();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0x100000) return 0;
  // An exact-size copy, so that a read past the end is caught.
  std::vector<BYTE> bytes(data, data + size);
  CResMenu menu;
  CResStream stream(bytes.data(), static_cast<DWORD>(bytes.size()), 0x0409);
  try {
    menu.Parse(stream);
  } catch (const CResStreamException&) {
    return 0;
  }
  std::vector<CResMenuItem*> items = menu.Flatten();
  for (size_t i = 0; i < items.size(); i += 2) items[i]->m_label.SetTranslation(u"x&y", 0x0407);
  menu.UpdateStatus(0x0407);

  // What we write is always a whole menu with the same items.
  std::vector<BYTE> written = Write(menu, 0x0407);
  CResMenu again;
  CResStream back(written.data(), static_cast<DWORD>(written.size()), 0x0407);
  again.Parse(back);
  if (again.Flatten().size() != items.size()) __builtin_trap();
  if (Write(again, 0x0407) != written) __builtin_trap();

  menu.Merge(again, false, false);
  again.Merge(menu, true, false);
  again.Merge(menu, false, true);
  std::set<DWORD> ids;
  menu.CollectCommandIds(ids);

  CArchive store;
  store.WriteObject(&menu);
  std::vector<BYTE> stored = store.GetStoredBytes();
  CArchive load(stored.data(), stored.size());
  auto loaded = load.ReadObject<CResMenu>();
  load.Close();
  CArchive store2;
  store2.WriteObject(loaded.get());
  if (store2.GetStoredBytes() != stored) __builtin_trap();
  return 0;
}
