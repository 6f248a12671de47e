#include "resmodel/ResTable.h"

#include <algorithm>

#include "archive/Archive.h"
#include "formats/layout/ResBinary.h"
#include "formats/layout/ResDialog.h"
#include "formats/layout/ResIcon.h"
#include "formats/layout/ResManifest.h"
#include "formats/layout/ResMenu.h"
#include "formats/layout/ResToolBar.h"
#include "formats/text/ResAccelerator.h"
#include "formats/text/ResVersion.h"

IMPLEMENT_SERIAL(CResTable, CObject, VERSIONABLE_SCHEMA | 2)

namespace {

// The fixed values of a handler. Formats without a resource class of their own yet keep
// their resources as raw bytes.
void Setup(CResourceType& h, WORD type, const CRuntimeClass* resourceClass, const char16_t* name, int folder,
           int folderSelected, int item, int itemSelected, const char16_t* extension, const char16_t* filter) {
  h.m_identifier.SetOrdinal(type);
  h.m_resourceClass = resourceClass;
  h.m_displayName = name;
  h.m_folderImages[0] = folder;
  h.m_folderImages[1] = folderSelected;
  h.m_itemImages[0] = item;
  h.m_itemImages[1] = itemSelected;
  h.m_fileExtension = extension;
  h.m_fileFilter = filter;
  h.m_createdOnDemand = 0;
}

}  // namespace

CResTable::CResTable() {
  Setup(m_menus, 4, RUNTIME_CLASS(CResMenu), u"Menus", 0, 2, 12, 12, u"", u"");
  Setup(m_dialogs, 5, RUNTIME_CLASS(CResDialog), u"Dialogs", 0, 2, 14, 14, u"", u"");
  Setup(m_accelerators, 9, RUNTIME_CLASS(CResAcceleratorTable), u"Accelerators", 0, 2, 18, 18, u"", u"");
  Setup(m_stringTable, 6, nullptr, u"String Table", 16, 16, 4, 4, u"bin", u"Resource Files (*.bin)");
  Setup(m_messageTable, 11, nullptr, u"Message Table", 16, 16, 4, 4, u"bin", u"Resource Files (*.bin)");
  Setup(m_icons, 14, RUNTIME_CLASS(CResIconGroup), u"Icons", 0, 2, 10, 10, u"ico", u"Icon Files (*.ico)");
  Setup(m_cursors, 12, RUNTIME_CLASS(CResIconGroup), u"Cursors", 0, 2, 6, 6, u"cur", u"Cursor Files (*.cur)");
  Setup(m_bitmaps, 2, RUNTIME_CLASS(CResBitmap), u"Bitmaps", 0, 2, 8, 8, u"bmp", u"Bitmap Files (*.bmp)");
  Setup(m_toolbars, 241, RUNTIME_CLASS(CResToolBar), u"Toolbars", 0, 2, 22, 22, u"bmp", u"Toolbar Bitmap Files (*.bmp)");
  Setup(m_version, 16, RUNTIME_CLASS(CResVersion), u"Version", 0, 2, 20, 20, u"", u"");
  Setup(m_manifests, 24, RUNTIME_CLASS(CResManifest), u"XP Manifests", 0, 2, 20, 20, u"xml", u"Manifest Files (*.xml)");
  // List order: the order in which the table writes, merges and lists its types.
  for (CResourceType* h : {static_cast<CResourceType*>(&m_dialogs), &m_menus, static_cast<CResourceType*>(&m_stringTable),
                           static_cast<CResourceType*>(&m_messageTable), static_cast<CResourceType*>(&m_toolbars),
                           &m_accelerators, static_cast<CResourceType*>(&m_icons),
                           static_cast<CResourceType*>(&m_cursors), &m_bitmaps, &m_version, &m_manifests}) {
    h->m_owner = this;
    m_types.push_back(h);
  }
  m_promptAndTips.m_table = this;
}

CResTable::~CResTable() = default;

void CResTable::Serialize(CArchive& ar) {
  UINT schema = ar.IsStoring() ? 2 : ar.GetObjectSchema();
  // Older files hold the handlers without class tags.
  bool tagged = ar.IsStoring() || schema == 0xFFFFFFFF || schema >= 2;
  SerializeBase(ar);
  struct Fixed {
    CResourceType* handler;
    const CRuntimeClass* tag;
  } stored[] = {
      {&m_accelerators, RUNTIME_CLASS(CResourceType)},  {&m_dialogs, RUNTIME_CLASS(CResDialogTable)},
      {&m_menus, RUNTIME_CLASS(CResourceType)},         {&m_stringTable, RUNTIME_CLASS(CResStringTable)},
      {&m_messageTable, RUNTIME_CLASS(CResStringTable)}, {&m_icons, RUNTIME_CLASS(CResIconTable)},
      {&m_cursors, RUNTIME_CLASS(CResIconTable)},       {&m_bitmaps, RUNTIME_CLASS(CResourceType)},
      {&m_toolbars, RUNTIME_CLASS(CResToolbarTable)},   {&m_version, RUNTIME_CLASS(CResourceType)},
      {&m_manifests, RUNTIME_CLASS(CResourceType)},
  };
  for (const Fixed& f : stored) {
    if (tagged) ar.SerializeClass(f.tag);
    f.handler->Serialize(ar);
  }
  m_promptAndTips.Serialize(ar);
}

bool CResTable::Load(const std::u16string& path, LANGID overrideLanguage) {
  if (!CResTableBase::Load(path, overrideLanguage)) return false;
  // A toolbar's bitmap is shown, translated and written with its toolbar.
  m_toolbars.LinkBitmaps(m_bitmaps);
  if (m_promptAndTips.m_enabled) m_promptAndTips.Build();
  return true;
}

void CResTable::Merge(const CResTableBase& other, bool copyProperties, bool importMode) {
  CResTableBase::Merge(other, copyProperties, importMode);
  const auto* theirs = dynamic_cast<const CResTable*>(&other);
  if (m_promptAndTips.m_enabled && theirs) {
    // Only the project's own versions carry prompts; a file read for import has none.
    const bool hasPrompts = copyProperties || importMode;
    m_promptAndTips.Merge(theirs->m_stringTable, copyProperties, importMode,
                          hasPrompts ? &theirs->m_promptAndTips : nullptr);
  }
}

void CResTable::Write(CCompileContext& context) {
  for (CResourceType* t : m_types) t->Write(context);
}

bool CResTable::HasMfcClues() const {
  if (m_toolbars.GetCount() > 0) return true;
  for (const auto& r : m_dialogs.m_resources)
    if (const auto* dialog = dynamic_cast<const CResDialog*>(r.get()); dialog && !dialog->m_dlgInit.empty()) return true;
  return false;
}

int CResTable::GetStatus(LANGID language) const {
  int status = kStatusNothingToTranslate;
  for (const CResourceType* t : m_types) status = std::min(status, t->GetStatus(language));
  return status;
}

void CResTable::UpdateStatus(LANGID language) {
  for (CResourceType* t : m_types) t->UpdateStatus(language);
}
