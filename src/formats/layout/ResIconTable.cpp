#include "formats/layout/ResIconTable.h"

#include "formats/layout/ResIcon.h"
#include "resmodel/CompileContext.h"

IMPLEMENT_SERIAL(CResIconTable, CResourceType, VERSIONABLE_SCHEMA | 1)

void CResIconTable::Write(CCompileContext& context) {
  const bool icons = IsIconTable();
  const LANGID language = context.m_data.m_language;
  CResourceData& data = context.m_data;
  auto leftOut = [&](const CResource& group) {
    return group.m_doNotTranslate && data.m_satelliteDll && data.m_noDuplicateNeutral;
  };
  // Both passes walk the groups and their images in the same order, so the ids the
  // directories get are those of the images written in the first pass.
  context.m_type = CResName(WORD{icons ? WORD{3} : WORD{1}});
  WORD id = 1;
  for (const auto& r : m_resources) {
    const auto* group = dynamic_cast<const CResIconGroup*>(r.get());
    if (!group || leftOut(*group)) continue;
    for (const CIconImage& image : group->GetImages(language).m_images) {
      data.Reset();
      data.WriteBytes(image.m_bytes.data(), image.m_bytes.size());
      context.m_name = CResName(id++);
      context.AddToWriter();
    }
  }
  context.m_type = m_identifier.ToResName();
  id = 1;
  for (const auto& r : m_resources) {
    const auto* group = dynamic_cast<const CResIconGroup*>(r.get());
    if (!group || leftOut(*group)) continue;
    const CIcon& images = group->GetImages(language);
    data.Reset();
    data.WriteWord(0);
    data.WriteWord(icons ? 1 : 2);
    data.WriteWord(static_cast<WORD>(images.m_images.size()));
    for (const CIconImage& image : images.m_images) {
      data.WriteBytes(image.m_entry, 12);
      data.WriteWord(id++);
    }
    context.m_name = group->m_identifier.ToResName();
    context.AddToWriter();
  }
}
