// Bytes as a TMX file: reading never crashes; what was read, written again, reads back the
// same; and every text read goes through the matching code (analysis, percentage, marked
// differences, fitted suggestion) without reaching outside its text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tm/TmText.h"
#include "tm/Tmx.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::vector<CTmSegment> read, again;
  std::string error;
  if (!tvl::ReadTmx(bytes, read, error)) return 0;
  if (!tvl::ReadTmx(tvl::WriteTmx(read), again, error) || again.size() != read.size()) std::abort();
  for (size_t i = 0; i < read.size(); ++i) {
    if (again[i].m_source != read[i].m_source || again[i].m_target != read[i].m_target) std::abort();
    CTmText source = tvl::AnalyseTmText(read[i].m_source), target = tvl::AnalyseTmText(read[i].m_target);
    int percent = tvl::MatchPercent(source, target);
    if (percent < 0 || percent > 100) std::abort();
    for (auto [begin, end] : tvl::DifferingSpans(source, target))
      if (begin > end || end > read[i].m_source.size()) std::abort();
    tvl::AdaptTranslation(source, read[i].m_target, target);
  }
  return 0;
}
