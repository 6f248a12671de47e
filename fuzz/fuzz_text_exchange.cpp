// Bytes as a translator's file (XLIFF 1.2 or 2, PO or JSON): reading never crashes, and whatever was
// read, written again in the same format, reads back to the same entries.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "project/TextExchange.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const ExchangeFormat format = static_cast<ExchangeFormat>(data[0] % 4);
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  ImportFile file;
  std::string error;
  if (!tvl::ReadExchange(bytes, format, file, error)) return 0;

  ExchangeDocument doc;
  doc.m_sourceTag = "en-US";
  doc.m_targetTag = file.m_targetTag.empty() ? "fr-FR" : file.m_targetTag;
  doc.m_groups.emplace_back();
  doc.m_groups.back().m_original = "fuzz.exe";
  for (const ImportEntry& e : file.m_entries) {
    ExchangeUnit unit;
    unit.m_id = e.m_id;
    unit.m_source = e.m_source.value_or(u"");
    unit.m_translation = e.m_translation;
    unit.m_status = e.m_fuzzy ? 0 : 1;
    doc.m_groups.back().m_units.push_back(unit);
  }
  ImportFile again;
  std::string written = tvl::WriteExchange(doc, format);
  if (!tvl::ReadExchange(written, format, again, error)) {
    std::fprintf(stderr, "written file does not read again: %s\n", error.c_str());
    std::abort();
  }
  if (again.m_entries.size() != file.m_entries.size()) std::abort();
  for (size_t i = 0; i < file.m_entries.size(); ++i)
    if (again.m_entries[i].m_id != file.m_entries[i].m_id ||
        again.m_entries[i].m_translation != file.m_entries[i].m_translation)
      std::abort();
  return 0;
}
