#include "workspace/Progress.h"

#include "project/TextItems.h"
#include "resmodel/LocalizedParam.h"

namespace tvl {

CProgress CountProgress(CTvlDoc& doc, LANGID language) {
  CProgress p;
  for (const CExchangeItem& item : CollectProjectItems(doc)) {
    if (item.m_doNotTranslate) continue;
    ++p.total;
    switch (item.m_value->GetValueStatus(language)) {
      case 0: break;
      case 1: ++p.toReview; break;
      default: ++p.translated; break;
    }
  }
  return p;
}

}  // namespace tvl
