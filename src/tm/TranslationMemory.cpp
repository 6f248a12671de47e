#include "tm/TranslationMemory.h"

#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <tuple>
#include <unordered_map>

#include "platform/Text.h"
#include "tm/TmText.h"

namespace {

using tvl::FromUtf8;
using tvl::ToUtf8;

constexpr const char* kFormat = "tessalingvora translation memory 1";

// How many rows the word index may offer for one fuzzy lookup; the rarest words choose them.
constexpr int kMaxCandidates = 80;
constexpr size_t kMaxQueryWords = 8;
constexpr int kMaxPostings = 250;  // texts taken of one word
constexpr std::int64_t kCommonWord = 20000;  // texts holding it

// A file cut short (a copy broken off, a full disk) shows in its header: it gives more pages
// than the file holds. SQLite itself would only notice on reading the missing pages.
bool IsCutShort(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char h[100] = {};
  if (!in.read(reinterpret_cast<char*>(h), sizeof h)) return false;
  auto be = [&](int at, int n) {
    std::uint64_t v = 0;
    for (int i = 0; i < n; ++i) v = v << 8 | h[at + i];
    return v;
  };
  if (std::memcmp(h, "SQLite format 3", 16) != 0 || be(24, 4) != be(92, 4)) return false;
  std::uint64_t pageSize = be(16, 2) == 1 ? 65536 : be(16, 2);
  std::error_code ec;
  std::uint64_t size = std::filesystem::file_size(path, ec);
  return !ec && pageSize * be(28, 4) > size;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return s;
}

}  // namespace

// One prepared statement; every failure is a CTmError with SQLite's own words.
class CTranslationMemory::CStatement {
 public:
  CStatement(sqlite3* db, const char* sql) : m_db(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK) Fail();
  }
  ~CStatement() { sqlite3_finalize(m_stmt); }
  CStatement& Bind(int i, const std::string& s) {
    Check(sqlite3_bind_text(m_stmt, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT));
    return *this;
  }
  CStatement& Bind(int i, const std::u16string& s) { return Bind(i, ToUtf8(s)); }
  CStatement& Bind(int i, std::int64_t v) {
    Check(sqlite3_bind_int64(m_stmt, i, v));
    return *this;
  }
  // True while a row is there.
  bool Step() {
    int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) Fail();
    return false;
  }
  void Reset() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
  }
  std::string Text(int i) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, i));
    return p ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(m_stmt, i))) : std::string();
  }
  std::u16string Text16(int i) const { return FromUtf8(Text(i)); }
  std::int64_t Int(int i) const { return sqlite3_column_int64(m_stmt, i); }

 private:
  void Check(int rc) {
    if (rc != SQLITE_OK) Fail();
  }
  [[noreturn]] void Fail() { throw CTmError(sqlite3_errmsg(m_db)); }
  sqlite3* m_db;
  sqlite3_stmt* m_stmt = nullptr;
};

namespace tvl {
std::string PrimaryLanguage(const std::string& tag) { return Lower(tag.substr(0, tag.find_first_of("-_"))); }
}  // namespace tvl

CTranslationMemory::CTranslationMemory() = default;
CTranslationMemory::~CTranslationMemory() { sqlite3_close(m_db); }

std::string CTranslationMemory::DefaultPath() {
  const char* data = std::getenv("XDG_DATA_HOME");
  std::filesystem::path base;
  if (data && *data) {
    base = data;
  } else {
    const char* home = std::getenv("HOME");
    base = std::filesystem::path(home && *home ? home : ".") / ".local" / "share";
  }
  return (base / "tessalingvora" / "memory.tm").string();
}

void CTranslationMemory::Exec(const char* sql) const {
  char* message = nullptr;
  if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = message ? message : sqlite3_errmsg(m_db);
    sqlite3_free(message);
    throw CTmError(text);
  }
}

void CTranslationMemory::Open(const std::string& path) {
  sqlite3_close(m_db);
  m_db = nullptr;
  std::error_code ec;
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder, ec);
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  m_db = db;
  m_path = path;
  try {
    if (rc != SQLITE_OK) throw CTmError(db ? sqlite3_errmsg(db) : "out of memory");
    if (IsCutShort(path)) throw CTmError("the file is cut short");
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, 2000);
    if (IsEmpty()) {
      CreateSchema();
    } else {
      CStatement format(m_db, "SELECT value FROM tm_meta WHERE key = 'format'");
      if (!format.Step() || format.Text(0) != kFormat) throw CTmError("not a translation memory of this program");
    }  // the statements end before the journal mode may change
    // Lookups read pages all over a large memory: mapped, they cost no system call each.
    Exec("PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL; PRAGMA mmap_size = 1073741824;"
         "PRAGMA cache_size = -32768");
  } catch (const CTmError& e) {
    sqlite3_close(m_db);
    m_db = nullptr;
    throw CTmError(path + ": " + e.what());
  }
}

bool CTranslationMemory::IsEmpty() const {
  CStatement tables(m_db, "SELECT count(*) FROM sqlite_master");
  tables.Step();
  return tables.Int(0) == 0;
}

void CTranslationMemory::CreateSchema() {
  Exec(
      "BEGIN IMMEDIATE;"
      "CREATE TABLE tm_meta (key TEXT PRIMARY KEY, value TEXT);"
      "CREATE TABLE tm_segment (id INTEGER PRIMARY KEY, source_lang TEXT NOT NULL, source TEXT NOT NULL,"
      " target_lang TEXT NOT NULL, target TEXT NOT NULL, source_key TEXT NOT NULL, source_primary TEXT NOT NULL,"
      " target_primary TEXT NOT NULL, words INTEGER NOT NULL, module TEXT, resource TEXT, element TEXT,"
      " time INTEGER NOT NULL);"
      "CREATE UNIQUE INDEX tm_segment_key ON tm_segment (source_key, source_lang, target_lang, source, target);"
      // Contentless: the words are only there to find candidates, the text sits in tm_segment.
      "CREATE VIRTUAL TABLE tm_words USING fts5 (words, content = '', tokenize = 'unicode61 remove_diacritics 0');"
      "CREATE VIRTUAL TABLE tm_vocabulary USING fts5vocab (tm_words, row);");
  CStatement meta(m_db, "INSERT INTO tm_meta VALUES ('format', ?)");
  meta.Bind(1, std::string(kFormat)).Step();
  Exec("COMMIT");
}

size_t CTranslationMemory::Add(const std::vector<CTmSegment>& segments) {
  if (!m_db) throw CTmError("no translation memory is open");
  m_frequencies.clear();
  Exec("BEGIN IMMEDIATE");
  size_t added = 0;
  try {
    CStatement find(m_db,
                    "SELECT id FROM tm_segment WHERE source_key = ? AND source_lang = ? AND target_lang = ? AND "
                    "source = ? AND target = ?");
    CStatement update(m_db, "UPDATE tm_segment SET time = max(time, ?), module = ?, resource = ?, element = ? WHERE id = ?");
    CStatement insert(m_db,
                      "INSERT INTO tm_segment (source_lang, source, target_lang, target, source_key, source_primary,"
                      " target_primary, words, module, resource, element, time) VALUES (?,?,?,?,?,?,?,?,?,?,?,?)");
    CStatement words(m_db, "INSERT INTO tm_words (rowid, words) VALUES (?, ?)");
    for (const CTmSegment& s : segments) {
      if (s.m_source.empty() || s.m_target.empty()) continue;
      CTmText text = tvl::AnalyseTmText(s.m_source);
      find.Bind(1, text.key).Bind(2, s.m_sourceLanguage).Bind(3, s.m_targetLanguage).Bind(4, s.m_source).Bind(5, s.m_target);
      if (find.Step()) {
        update.Bind(1, s.m_time).Bind(2, s.m_module).Bind(3, s.m_resource).Bind(4, s.m_element).Bind(5, find.Int(0));
        update.Step();
        update.Reset();
      } else {
        insert.Bind(1, s.m_sourceLanguage).Bind(2, s.m_source).Bind(3, s.m_targetLanguage).Bind(4, s.m_target);
        insert.Bind(5, text.key).Bind(6, tvl::PrimaryLanguage(s.m_sourceLanguage)).Bind(7, tvl::PrimaryLanguage(s.m_targetLanguage));
        insert.Bind(8, static_cast<std::int64_t>(text.WordCount())).Bind(9, s.m_module).Bind(10, s.m_resource);
        insert.Bind(11, s.m_element).Bind(12, s.m_time);
        insert.Step();
        insert.Reset();
        words.Bind(1, static_cast<std::int64_t>(sqlite3_last_insert_rowid(m_db))).Bind(2, text.IndexWords());
        words.Step();
        words.Reset();
        ++added;
      }
      find.Reset();
    }
    Exec("COMMIT");
  } catch (...) {
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
  return added;
}

size_t CTranslationMemory::Count() const {
  if (!m_db) return 0;
  CStatement count(m_db, "SELECT count(*) FROM tm_segment");
  count.Step();
  return static_cast<size_t>(count.Int(0));
}

void CTranslationMemory::ForEach(const std::function<void(const CTmSegment&)>& visit) const {
  if (!m_db) return;
  CStatement all(m_db,
                 "SELECT source_lang, source, target_lang, target, module, resource, element, time FROM tm_segment "
                 "ORDER BY id");
  while (all.Step())
    visit({all.Text(0), all.Text16(1), all.Text(2), all.Text16(3), all.Text(4), all.Text(5), all.Text(6), all.Int(7)});
}

std::int64_t CTranslationMemory::Frequency(const std::string& word) const {
  if (auto known = m_frequencies.find(word); known != m_frequencies.end()) return known->second;
  if (m_frequencies.size() > 200000) m_frequencies.clear();
  CStatement frequency(m_db, "SELECT doc FROM tm_vocabulary WHERE term = ?");
  frequency.Bind(1, word);
  std::int64_t docs = frequency.Step() ? frequency.Int(0) : 0;
  m_frequencies.emplace(word, docs);
  return docs;
}

CTranslationMemory::CReading::CReading(const CTranslationMemory& memory) : m_memory(memory) {
  m_begun = memory.m_db && sqlite3_get_autocommit(memory.m_db) && sqlite3_exec(memory.m_db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
}

CTranslationMemory::CReading::~CReading() {
  if (m_begun) sqlite3_exec(m_memory.m_db, "COMMIT", nullptr, nullptr, nullptr);
}

std::vector<std::int64_t> CTranslationMemory::Candidates(const std::u16string& words, size_t wordCount,
                                                         int minPercent) const {
  // A text at minPercent differs in at most this many words, so one of the rarest
  // (allowed + 1) words must be in it; one more word lets the texts that share two of them
  // come first among many that share one.
  size_t allowed = wordCount * static_cast<size_t>(100 - minPercent) / 100 + 1;
  std::set<std::string> distinct;
  std::string all = ToUtf8(words);
  for (size_t at = 0; at <= all.size();) {
    size_t space = std::min(all.find(' ', at), all.size());
    if (space > at) distinct.insert(all.substr(at, space - at));
    at = space + 1;
  }
  std::vector<std::pair<std::int64_t, std::string>> byRarity;
  for (const std::string& w : distinct)
    if (std::int64_t docs = Frequency(w)) byRarity.emplace_back(docs, w);
  std::sort(byRarity.begin(), byRarity.end());
  size_t chosen = std::min({byRarity.size(), allowed + 1, kMaxQueryWords});
  // The word taken over the count only helps to rank; a word in many texts does not.
  if (chosen == allowed + 1 && chosen > 1 && byRarity[chosen - 1].first > kCommonWord) --chosen;
  auto quoted = [](const std::string& w) { return "\"" + w + "\""; };  // words hold no quote
  // The texts holding these words. A common word's texts are narrowed to those that also
  // hold one of the (allowed + 1) rarest other words, which a match must, so a lookup costs
  // about the same in a memory of any size.
  std::unordered_map<std::int64_t, int> shared;
  CStatement postings(m_db, "SELECT rowid FROM tm_words WHERE tm_words MATCH ? ORDER BY rowid DESC LIMIT ?");
  for (size_t i = 0; i < chosen; ++i) {
    std::string query = quoted(byRarity[i].second), others;
    for (size_t j = 0, n = 0; byRarity[i].first > kMaxPostings && j < byRarity.size() && n <= allowed; ++j)
      if (j != i) {
        others += (n++ ? " OR " : "") + quoted(byRarity[j].second);
      }
    if (!others.empty()) query += " AND (" + others + ")";
    postings.Bind(1, query).Bind(2, static_cast<std::int64_t>(kMaxPostings));
    while (postings.Step()) ++shared[postings.Int(0)];
    postings.Reset();
  }
  std::vector<std::pair<int, std::int64_t>> ranked;
  ranked.reserve(shared.size());
  for (auto [id, n] : shared) ranked.emplace_back(n, id);
  size_t keep = std::min(ranked.size(), static_cast<size_t>(kMaxCandidates));
  std::partial_sort(ranked.begin(), ranked.begin() + static_cast<long>(keep), ranked.end(), std::greater<>());
  std::vector<std::int64_t> ids;
  for (size_t i = 0; i < keep; ++i) ids.push_back(ranked[i].second);
  return ids;
}

std::vector<CTmMatch> CTranslationMemory::Lookup(const std::string& sourceLanguage, const std::string& targetLanguage,
                                                 std::u16string_view source, int minPercent, size_t maxResults,
                                                 const std::string& element) const {
  std::vector<CTmMatch> matches;
  if (!m_db || source.empty()) return matches;
  CReading reading(*this);
  CTmText wanted = tvl::AnalyseTmText(source);
  const std::string sp = tvl::PrimaryLanguage(sourceLanguage), tp = tvl::PrimaryLanguage(targetLanguage);
  const char* columns = "SELECT source_lang, source, target_lang, target, module, resource, element, time FROM tm_segment ";
  auto take = [&](CStatement& row, int percent, const CTmText& stored) {
    CTmMatch m{{row.Text(0), row.Text16(1), row.Text(2), row.Text16(3), row.Text(4), row.Text(5), row.Text(6), row.Int(7)},
               percent, {}};
    m.m_suggestion = tvl::AdaptTranslation(stored, m.m_segment.m_target, wanted);
    matches.push_back(std::move(m));
  };
  CStatement exact(m_db, (std::string(columns) + "WHERE source_key = ? AND source_primary = ? AND target_primary = ?").c_str());
  exact.Bind(1, wanted.key).Bind(2, sp).Bind(3, tp);
  while (exact.Step()) take(exact, 100, tvl::AnalyseTmText(exact.Text16(1)));
  if (minPercent < 100) {
    size_t words = wanted.WordCount();
    std::vector<std::int64_t> ids = Candidates(wanted.IndexWords(), words, std::max(minPercent, 1));
    CStatement row(m_db, (std::string(columns) + "WHERE id = ? AND source_primary = ? AND target_primary = ? AND words BETWEEN ? AND ?").c_str());
    // The word counts a text at minPercent can have.
    auto low = static_cast<std::int64_t>(words * static_cast<size_t>(minPercent) / 100);
    auto high = static_cast<std::int64_t>(minPercent > 0 ? words * 100 / static_cast<size_t>(minPercent) + 1 : 1 << 30);
    for (std::int64_t id : ids) {
      row.Bind(1, id).Bind(2, sp).Bind(3, tp).Bind(4, low - 1).Bind(5, high);
      if (row.Step()) {
        CTmText stored = tvl::AnalyseTmText(row.Text16(1));
        int percent = tvl::MatchPercent(wanted, stored);
        if (percent >= minPercent && percent < 100) take(row, percent, stored);
      }
      row.Reset();
    }
  }
  auto rank = [&](const CTmMatch& m) {
    const CTmSegment& s = m.m_segment;
    bool sameElement = !element.empty() && s.m_module + "/" + s.m_resource + "/" + s.m_element == element;
    bool sameTags = s.m_sourceLanguage == sourceLanguage && s.m_targetLanguage == targetLanguage;
    return std::make_tuple(m.m_percent, s.m_source == source, sameElement, sameTags, s.m_time);
  };
  std::stable_sort(matches.begin(), matches.end(), [&](const CTmMatch& a, const CTmMatch& b) { return rank(a) > rank(b); });
  // One suggestion once: the same translation stored from several places is one match.
  std::vector<CTmMatch> out;
  for (CTmMatch& m : matches) {
    if (out.size() >= maxResults) break;
    bool repeated = std::any_of(out.begin(), out.end(), [&](const CTmMatch& o) { return o.m_suggestion == m.m_suggestion; });
    if (!repeated) out.push_back(std::move(m));
  }
  return out;
}
