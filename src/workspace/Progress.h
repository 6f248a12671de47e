#pragma once
// How far the translation into one language has come: over a whole project (the status
// bar) and per resource or table (the project tree), counted without building item ids so
// that a table of many thousand strings recounts in a fraction of a millisecond.
#include "platform/Types.h"

class CTvlDoc;
class CLocalizedParam;
class CResource;
class CResourceType;

namespace tvl {

struct CProgress {
  int translated = 0;  // with a translation of their own that is up to date
  int total = 0;       // every text to translate; texts marked not to translate are left out
  int outOfDate = 0;   // with a translation whose source changed since (stored status 0)
  CProgress& operator+=(const CProgress& other) {
    translated += other.translated;
    total += other.total;
    outOfDate += other.outOfDate;
    return *this;
  }
  bool operator==(const CProgress&) const = default;
};

// A value with a translation node of its own for the language whose status is 0: the
// source changed after it was translated, or it was reset.
bool IsOutOfDate(const CLocalizedParam& head, LANGID language);

// The texts of one resource (not a string table) of a type.
CProgress CountResource(const CResourceType& type, CResource& resource, LANGID language);
// The texts of a string or message table; in the module's string table the commands'
// prompts and tooltips stand for the strings they are kept in.
CProgress CountTable(const CResourceType& table, LANGID language);
CProgress CountProgress(CTvlDoc& doc, LANGID language);

}  // namespace tvl
