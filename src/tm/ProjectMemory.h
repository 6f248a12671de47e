#pragma once
// A project and the memory: its translations as segments, and its untranslated texts filled
// from the memory as one action that can be undone.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "project/Undo.h"
#include "tm/TranslationMemory.h"

class CTvlDoc;

namespace tvl {
// Every translated text (status 1 or more) of the project, of one language or (0) all.
std::vector<CTmSegment> ProjectSegments(CTvlDoc& doc, LANGID language, std::int64_t time);
// The segment for one text's translation; false for texts the memory does not keep.
bool MakeSegment(LANGID sourceLanguage, const std::u16string& source, LANGID targetLanguage,
                 const std::u16string& target, const std::string& id, std::int64_t time, CTmSegment& segment);
}  // namespace tvl

// The translations a pre-translation made, held to be taken back (and put again).
class CUndoPretranslate : public CUndoTranslate {
  DECLARE_DYNAMIC(CUndoPretranslate)
 public:
  void Apply(std::vector<CObject*>& touched) override;
  CTvlDoc* m_document = nullptr;
  std::vector<std::unique_ptr<CUndoTranslateString>> m_steps;
  // Called after each undo and redo: a change all over the project is for every view to show.
  std::function<void()> m_afterApply;
};

struct CPretranslateResult {
  size_t m_exact = 0;      // filled as translated
  size_t m_fuzzy = 0;      // filled for review
  size_t m_remaining = 0;  // untranslated texts the memory had nothing for
};

namespace tvl {
// Fills the language's untranslated texts: exact matches as translated (status 1), matches
// at or above minMatch below 100 as not up to date (status 0). Returns what it changed, or
// nullptr when nothing; throws CTmError when the memory cannot be read, before any change.
std::unique_ptr<CUndoPretranslate> Pretranslate(CTvlDoc& doc, const CTranslationMemory& memory, LANGID language,
                                                int minMatch, CPretranslateResult& result);
}  // namespace tvl

namespace tvl {
// What the user is told of a memory that cannot be used, with the memory's file.
std::u16string MemoryErrorText(const CTranslationMemory& memory, const CTmError& error);
// "Pre-translated 12 texts into fr-FR: 10 exact matches (translated), 2 matches of 90 % or
// more (to review); 5 texts left untranslated."
std::string PretranslateSummary(const CPretranslateResult& result, LANGID language, int minMatch);
}  // namespace tvl
