// Dialog initialisation data: the entries read in two code pages, written back for the
// dialog's language and for the preview, and the stored form loaded from arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "archive/Archive.h"
#include "formats/layout/DlgInit.h"
#include "formats/layout/ResDialog.h"
#include "peimage/ResStream.h"
#include "resmodel/CompileContext.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte picks the code page, the rest is the resource.
  const UINT codePage = (data[0] & 1) ? 932 : 1252;
  const LANGID language = (data[0] & 1) ? 0x0411 : 0x0409;
  CResDialog dialog;
  dialog.m_statusChain.m_language = language;
  CResStream stream(data + 1, static_cast<DWORD>(size - 1), language);
  try {
    tvl::ReadDlgInitEntries(stream, codePage, dialog.m_dlgInit);
  } catch (const CResStreamException&) {
    dialog.m_dlgInit.clear();
  }
  for (const auto& entry : dialog.m_dlgInit) {
    auto item = std::make_unique<CResDialogItem>();
    item->m_id = entry->m_controlId;
    dialog.m_items.push_back(std::move(item));
    if (CLocalizedString* text = entry->GetText()) text->SetTranslation(text->m_text + u"\u00e9", 0x0408);
  }
  for (bool preview : {false, true}) {
    CResourceData out;
    out.m_language = language;
    out.m_preview = preview ? 1 : 0;
    try {
      dialog.WriteDlgInit(out);
    } catch (const CException&) {
    }
    if (!preview && !dialog.m_dlgInit.empty()) {
      // Written for its own language, the data reads back into as many entries.
      std::vector<BYTE> bytes = out.GetBytes();
      CResStream reread(bytes.data(), static_cast<DWORD>(bytes.size()), language);
      std::vector<std::unique_ptr<CDlgInitMsg>> entries;
      tvl::ReadDlgInitEntries(reread, codePage, entries);
      if (entries.size() != dialog.m_dlgInit.size()) __builtin_trap();
    }
  }
  CResourceData greek;
  greek.m_language = 0x0408;
  try {
    dialog.WriteDlgInit(greek);
  } catch (const CException&) {
  }
  // The same bytes as a stored entry.
  try {
    CArchive ar(data, size, u"fuzz");
    std::unique_ptr<CDlgInitMsg> loaded = ar.ReadObject<CDlgInitMsg>();
    ar.Close();
  } catch (const CException&) {
  }
  return 0;
}
