#include "formats/layout/ResToolbarTable.h"

#include "archive/Archive.h"
#include "formats/layout/ResToolBar.h"
#include "resmodel/CompileContext.h"

IMPLEMENT_SERIAL(CResToolbarTable, CResourceType, VERSIONABLE_SCHEMA | 1)

void CResToolbarTable::Serialize(CArchive& ar) {
  CResourceType::Serialize(ar);
  if (ar.IsLoading())
    for (const auto& r : m_resources)
      if (auto* toolbar = dynamic_cast<CResToolBar*>(r.get()); toolbar && toolbar->m_bitmap)
        toolbar->m_bitmap->m_owner = this;
}

void CResToolbarTable::Write(CCompileContext& context) {
  CResourceType::Write(context);
  context.m_type = CResName(WORD{2});
  for (const auto& r : m_resources)
    if (auto* toolbar = dynamic_cast<CResToolBar*>(r.get()); toolbar && toolbar->m_bitmap)
      toolbar->m_bitmap->Write(context);
}

void CResToolbarTable::LinkBitmaps(CResourceType& bitmaps) {
  for (const auto& r : m_resources) {
    auto* toolbar = dynamic_cast<CResToolBar*>(r.get());
    if (!toolbar || toolbar->m_bitmap) continue;
    auto* bitmap = dynamic_cast<CResBitmap*>(bitmaps.FindResource(toolbar->m_identifier));
    if (!bitmap) continue;
    bitmaps.RemoveResource(bitmap).release();
    toolbar->m_bitmap.reset(bitmap);
    bitmap->m_owner = this;
  }
}
