#include "workspace/Progress.h"

#include "project/TextItems.h"
#include "resmodel/LocalizedParam.h"

namespace tvl {

CProgress CountProgress(CTvlDoc& doc, LANGID language) {
  CProgress p;
  for (const CExchangeItem& item : CollectProjectItems(doc)) {
    if (item.m_doNotTranslate) continue;
    ++p.total;
    if (item.m_value->GetValueStatus(language) != 0) ++p.translated;
  }
  return p;
}

}  // namespace tvl
