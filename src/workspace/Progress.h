#pragma once
// How far the translation into one language has come over a whole project.
#include "platform/Types.h"

class CTvlDoc;

namespace tvl {

struct CProgress {
  int translated = 0;  // with a translation of their own
  int total = 0;       // every text to translate; texts marked not to translate are left out
};

CProgress CountProgress(CTvlDoc& doc, LANGID language);

}  // namespace tvl
