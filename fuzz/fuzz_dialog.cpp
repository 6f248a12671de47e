// Dialog templates: parsed, written for their own and another language (auto-grow and the
// preview variant included), stored and loaded again.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/Archive.h"
#include "formats/layout/ResDialog.h"
#include "peimage/ResStream.h"
#include "resmodel/CompileContext.h"

namespace {

std::vector<BYTE> WriteFor(CResDialog& dialog, LANGID language, bool preview) {
  CResourceData data;
  data.m_language = language;
  data.m_fontFace = u"Tahoma";
  data.m_fontSize = 8;
  data.m_fontWeight = 400;
  data.m_preview = preview ? 1 : 0;
  dialog.WriteData(data);
  return data.GetBytes();
}

}  // namespace

// fontconfig keeps a little of its configuration parse for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const LANGID source = 0x0409, target = 0x0407;
  CResDialog dialog;
  dialog.m_identifier.SetOrdinal(1);
  dialog.m_statusChain.m_language = source;
  CResStream stream(data, static_cast<DWORD>(size), source);
  try {
    dialog.Parse(stream);
  } catch (const CResStreamException&) {
    return 0;
  }
  // Give every control and the caption a longer translation so that auto-grow measures.
  dialog.m_caption.SetTranslation(dialog.m_caption.m_text + u" (de)", target);
  for (auto& item : dialog.m_items) item->m_text.SetTranslation(item->m_text.m_text + u" verl\u00e4ngert", target);

  std::vector<BYTE> own = WriteFor(dialog, source, false);
  // What was written reads back as a template with the same controls.
  CResDialog again;
  CResStream reread(own.data(), static_cast<DWORD>(own.size()), source);
  again.Parse(reread);
  if (again.m_items.size() != dialog.m_items.size()) __builtin_trap();
  WriteFor(dialog, target, false);
  WriteFor(dialog, target, true);

  CArchive store;
  store.WriteObject(&dialog);
  const std::vector<BYTE>& bytes = store.GetStoredBytes();
  CArchive load(bytes.data(), bytes.size(), u"fuzz");
  std::unique_ptr<CResDialog> loaded = load.ReadObject<CResDialog>();
  load.Close();
  CArchive store2;
  store2.WriteObject(loaded.get());
  if (store2.GetStoredBytes() != bytes) __builtin_trap();
  return 0;
}
