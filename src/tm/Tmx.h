#pragma once
// Translation memories exchanged with other tools: TMX 1.4b written, and read from 1.1 to
// 1.4 files as other tools export them (xml:lang or lang, inline codes in the segments).
#include <string>
#include <vector>

#include "tm/TranslationMemory.h"

namespace tvl {
// One <tu> per segment; the context goes into x-module, x-resource and x-element properties.
std::string WriteTmx(const std::vector<CTmSegment>& segments);

// Every pair of a unit's source variant with each of its other variants. Inline codes
// (<bpt>, <ept>, <it>, <ut>) are dropped, <ph> is kept when it holds a placeholder the
// program knows, <hi> gives its text and <sub> (a text of its own) is left out. False with
// a message naming the place of the fault; nothing is returned then.
bool ReadTmx(const std::string& bytes, std::vector<CTmSegment>& segments, std::string& error);
}  // namespace tvl
