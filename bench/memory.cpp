// The translation memory at size: 500,000 segments inserted (segments per second), exact and
// fuzzy lookups among them (median and 99th percentile per lookup, in milliseconds), and the
// pre-translation of a project of 50,000 strings, half of them in the memory and a tenth
// changed by a word since.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "BenchProject.h"
#include "formats/text/ResStringTable.h"
#include "project/TvlDoc.h"
#include "tm/ProjectMemory.h"
#include "tm/TmText.h"

namespace {

constexpr int kSegments = 500000, kBatch = 10000, kStrings = 50000, kLookups = 2000;

// Sentences of 3 to 14 words from a vocabulary of 20,000, the first words far more common
// than the last, as in real texts.
class CSentences {
 public:
  std::u16string Next() {
    std::uniform_int_distribution<int> length(3, 14);
    std::u16string s;
    for (int i = 0, n = length(m_random); i < n; ++i) s += (i ? u" " : u"") + Word();
    return s + u".";
  }
  std::u16string Word() {
    double u = std::uniform_real_distribution<double>(0, 1)(m_random);
    int index = static_cast<int>(20000 * u * u * u);
    std::u16string w = index % 7 ? u"w" : u"W";
    for (int v = index + 1; v; v /= 26) w += static_cast<char16_t>(u'a' + v % 26);
    return w;
  }
  // The sentence with one of its words replaced.
  std::u16string Changed(std::u16string s) {
    size_t space = s.find(u' ', s.size() / 2);
    if (space == std::u16string::npos) return s + u" " + Word();
    size_t end = std::min(s.find(u' ', space + 1), s.size() - 1);
    return s.substr(0, space + 1) + Word() + u"x" + s.substr(end);
  }
  std::mt19937 m_random{1234};
};

struct Setup {
  Setup() {
    char tmpl[] = "/tmp/tvlbench-XXXXXX";
    dir = mkdtemp(tmpl);
    for (int i = 0; i < kSegments; ++i) sources.push_back(texts.Next());
  }
  ~Setup() { std::filesystem::remove_all(dir); }
  std::vector<CTmSegment> Batch(int from) const {
    std::vector<CTmSegment> batch;
    for (int i = from; i < std::min(from + kBatch, kSegments); ++i)
      batch.push_back({"en-US", sources[i], "fr-FR", u"fr " + sources[i], "App.exe", "6/1", "text", i});
    return batch;
  }
  std::string dir;
  CSentences texts;
  std::vector<std::u16string> sources;
  CTranslationMemory memory;  // filled by the first benchmark
};

Setup& Get() {
  static Setup setup;
  return setup;
}

double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

void BM_MemoryInsert(benchmark::State& state) {
  Setup& s = Get();
  double seconds = 0;
  for (auto _ : state) {
    std::filesystem::remove(s.dir + "/memory.tm");
    s.memory.Open(s.dir + "/memory.tm");
    auto start = std::chrono::steady_clock::now();
    for (int from = 0; from < kSegments; from += kBatch) s.memory.Add(s.Batch(from));
    seconds += bench::Seconds(start, std::chrono::steady_clock::now());
  }
  state.counters["segments_per_second"] = kSegments * static_cast<double>(state.iterations()) / seconds;
  state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(s.dir + "/memory.tm")) / 1e6;
}

void Lookups(benchmark::State& state, bool fuzzy) {
  Setup& s = Get();
  std::vector<double> ms;
  size_t found = 0, reachable = 0;  // reachable: the changed text is still a 70 % match of its original
  std::mt19937 pick(99);
  for (auto _ : state) {
    for (int i = 0; i < kLookups; ++i) {
      const std::u16string& original = s.sources[pick() % kSegments];
      std::u16string text = fuzzy ? s.texts.Changed(original) : original;
      reachable += tvl::MatchPercent(tvl::AnalyseTmText(text), tvl::AnalyseTmText(original)) >= (fuzzy ? 70 : 100);
      auto start = std::chrono::steady_clock::now();
      auto matches = s.memory.Lookup("en-US", "fr-FR", text, fuzzy ? 70 : 100, 3);
      ms.push_back(1000 * bench::Seconds(start, std::chrono::steady_clock::now()));
      found += !matches.empty();
    }
  }
  state.counters["median_ms"] = Percentile(ms, 0.5);
  state.counters["p99_ms"] = Percentile(ms, 0.99);
  state.counters["found_share"] = static_cast<double>(found) / static_cast<double>(ms.size());
  state.counters["reachable_share"] = static_cast<double>(reachable) / static_cast<double>(ms.size());
}

void BM_ExactLookup(benchmark::State& state) { Lookups(state, false); }
void BM_FuzzyLookup(benchmark::State& state) { Lookups(state, true); }

void BM_Pretranslate(benchmark::State& state) {
  Setup& s = Get();
  const int minMatch = static_cast<int>(state.range(0));
  CPretranslateResult result;
  double seconds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    CTvlDoc doc;
    std::string exe = s.dir + "/App.exe";
    bench::MakeExecutable(exe, kStrings, 0, 0, false);
    doc.SetPathName(tvl::FromUtf8(s.dir + "/App.tvl"));
    auto m = std::make_unique<CModule>(tvl::FromUtf8(exe), 0x0409, 0);
    m->SetDocument(&doc);
    m->LoadFromFile();
    CLanguageArray languages;
    languages.Add(CLanguage(0x040C));
    doc.InsertModule(std::move(m), 0x0409, languages);
    // Even strings were in the last build (every tenth of them changed since), odd ones are new.
    CResStringTable& strings = doc.m_modules[0]->m_resTable.m_stringTable;
    for (int i = 0; i < strings.GetCount(); ++i) {
      const std::u16string& known = s.sources[static_cast<size_t>(i) * 7 % kSegments];
      strings.GetString(i)->m_value.m_text = i % 2 ? s.texts.Next() : i % 20 == 0 ? s.texts.Changed(known) : known;
    }
    state.ResumeTiming();
    auto start = std::chrono::steady_clock::now();
    tvl::Pretranslate(doc, s.memory, 0x040C, minMatch, result);
    seconds += bench::Seconds(start, std::chrono::steady_clock::now());
  }
  state.counters["seconds"] = seconds / static_cast<double>(state.iterations());
  state.counters["exact"] = static_cast<double>(result.m_exact);
  state.counters["fuzzy"] = static_cast<double>(result.m_fuzzy);
}

}  // namespace

BENCHMARK(BM_MemoryInsert)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_ExactLookup)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FuzzyLookup)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Pretranslate)->Arg(100)->Arg(80)->Unit(benchmark::kSecond)->Iterations(1);
