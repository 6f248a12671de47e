#include "formats/layout/ResDialogTable.h"

#include <algorithm>
#include <new>

#include "formats/layout/DlgInit.h"
#include "formats/layout/ResDialog.h"
#include "peimage/PeImage.h"
#include "peimage/ResStream.h"
#include "platform/Files.h"
#include "resmodel/CompileContext.h"

IMPLEMENT_SERIAL(CResDialogTable, CResourceType, VERSIONABLE_SCHEMA | 1)

void CResDialogTable::Write(CCompileContext& context) {
  CResourceType::Write(context);
  context.m_type = CResName(WORD{RT_DLGINIT});
  for (const auto& resource : m_resources) {
    auto* dialog = dynamic_cast<CResDialog*>(resource.get());
    if (!dialog) continue;
    // Initialisation data belongs to its dialog: left out where the dialog is.
    if (dialog->m_doNotTranslate && context.m_data.m_satelliteDll && context.m_data.m_noDuplicateNeutral) continue;
    context.m_name = dialog->m_identifier.ToResName();
    context.m_data.Reset();
    try {
      dialog->WriteDlgInit(context.m_data);
    } catch (const CException&) {
      continue;  // the data cannot be written in this language: left out of the target
    }
    if (context.m_data.GetSize() > 0) context.AddToWriter();
  }
}

int CResDialogTable::RestoreHelpIds(const std::u16string& sourcePath) {
  // Only extended dialogs have help ids: without one the source need not be read at all.
  if (std::none_of(m_resources.begin(), m_resources.end(), [](const auto& r) {
        auto* dialog = dynamic_cast<CResDialog*>(r.get());
        return dialog && dialog->m_isEx;
      }))
    return 0;
  CPeImage image;
  if (!image.LoadFile(tvl::NativePath(sourcePath))) return 0;
  int restored = 0;
  const CResName type(WORD{5});
  for (const auto& resource : m_resources) {
    auto* dialog = dynamic_cast<CResDialog*>(resource.get());
    if (!dialog || !dialog->m_isEx) continue;
    const CResName name = dialog->m_identifier.ToResName();
    const CPeResource* found = image.FindResourceEx(type, name, dialog->GetSourceLanguage());
    if (!found) found = image.FindResource(type, name);
    if (!found) continue;
    std::span<const BYTE> data = image.GetData(*found);
    if (data.empty()) continue;
    // Read without the module: the initialisation data is not needed here.
    CResStream stream(nullptr, type, name, found->language, found->language, data.data(),
                      static_cast<DWORD>(data.size()));
    CResDialog source;
    try {
      source.Parse(stream);
    } catch (const CException&) {
      continue;
    } catch (const std::bad_alloc&) {
      continue;
    }
    if (source.m_isEx && dialog->TakeHelpIds(source)) ++restored;
  }
  return restored;
}
