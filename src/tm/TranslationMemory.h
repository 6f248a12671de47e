#pragma once
// The translation memory: every translation made, as segments in an SQLite file of its own
// (one per user unless another is named), looked up by exact key and by match percentage.
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

struct sqlite3;

// A memory file that cannot be opened, read or written; nothing was changed.
class CTmError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct CTmSegment {
  std::string m_sourceLanguage;  // a tag: "en-US"
  std::u16string m_source;
  std::string m_targetLanguage;
  std::u16string m_target;
  // Where the translation was made: module, "type/resource" and element, when known.
  std::string m_module, m_resource, m_element;
  std::int64_t m_time = 0;  // seconds since 1970
};

struct CTmMatch {
  CTmSegment m_segment;
  int m_percent = 0;
  std::u16string m_suggestion;  // the stored target fitted to the text looked up
};

class CTranslationMemory {
 public:
  CTranslationMemory();
  ~CTranslationMemory();
  CTranslationMemory(const CTranslationMemory&) = delete;
  CTranslationMemory& operator=(const CTranslationMemory&) = delete;

  // $XDG_DATA_HOME/tessalingvora/memory.tm (~/.local/share when the variable is unset).
  static std::string DefaultPath();

  // Opens the file, made when missing; throws CTmError for a file that is not a memory or
  // is damaged.
  void Open(const std::string& path);
  bool IsOpen() const { return m_db != nullptr; }
  const std::string& GetPath() const { return m_path; }

  // Adds the segments in one transaction: all or none. A segment already held (same
  // languages, source and target) only gets the newer time and context. Returns how many
  // were new.
  size_t Add(const std::vector<CTmSegment>& segments);
  size_t Count() const;
  void ForEach(const std::function<void(const CTmSegment&)>& visit) const;

  // The best matches at or above minPercent, best first: exact ones (100) before fuzzy
  // ones; among equals the same element, then the newest. Languages match by their
  // primary subtag ("fr" serves "fr-FR" and "fr-CA"), the exact tag first.
  // Many lookups in a row (a pre-translation) read one state of the file, without taking
  // and dropping its lock for each.
  class CReading {
   public:
    explicit CReading(const CTranslationMemory& memory);
    ~CReading();
    CReading(const CReading&) = delete;
    CReading& operator=(const CReading&) = delete;

   private:
    const CTranslationMemory& m_memory;
    bool m_begun = false;
  };

  std::vector<CTmMatch> Lookup(const std::string& sourceLanguage, const std::string& targetLanguage,
                               std::u16string_view source, int minPercent, size_t maxResults,
                               const std::string& element = {}) const;

 private:
  class CStatement;
  void Exec(const char* sql) const;
  bool IsEmpty() const;
  void CreateSchema();
  std::vector<std::int64_t> Candidates(const std::u16string& words, size_t wordCount, int minPercent) const;

  std::int64_t Frequency(const std::string& word) const;

  sqlite3* m_db = nullptr;
  std::string m_path;
  // How many texts hold a word, as last read: it only orders the words of a lookup.
  mutable std::unordered_map<std::string, std::int64_t> m_frequencies;
};

namespace tvl {
// "fr" of "fr-FR": the part languages are matched by.
std::string PrimaryLanguage(const std::string& tag);
}  // namespace tvl
