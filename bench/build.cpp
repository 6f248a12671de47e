// Building one module: a generated 20 MB executable with 50,000 strings, 5,000 messages and
// a version resource, all strings translated into ten languages. Reports the build of one
// language as a ratio to a plain copy of the source file measured in the same iterations,
// and how the time grows with the number of languages.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>

#include "BenchProject.h"
#include "formats/text/ResStringTable.h"
#include "platform/Files.h"
#include "project/TvlDoc.h"

namespace {

constexpr LANGID kLanguages[] = {0x040C, 0x0407, 0x0410, 0x0C0A, 0x0413, 0x0416, 0x041D, 0x0406, 0x040B, 0x0414};

struct Setup {
  Setup() {
    char tmpl[] = "/tmp/tvlbench-XXXXXX";
    dir = mkdtemp(tmpl);
    source = dir + "/App.exe";
    bench::MakeExecutable(source, 50000, 5000, 17 * 1024 * 1024, true);
    size = std::filesystem::file_size(source);
    doc.SetPathName(tvl::FromUtf8(dir + "/App.tvl"));
    auto m = std::make_unique<CModule>(tvl::FromUtf8(source), 0x0409, 0);
    m->SetDocument(&doc);
    m->LoadFromFile();
    CLanguageArray languages;
    for (LANGID l : kLanguages) languages.Add(CLanguage(l));
    doc.InsertModule(std::move(m), 0x0409, languages);
    module = doc.m_modules[0].get();
    CResStringTable& strings = module->m_resTable.m_stringTable;
    for (int i = 0; i < strings.GetCount(); ++i)
      for (LANGID l : kLanguages) strings.GetString(i)->m_value.SetTranslation(u"Traduction " + std::u16string(1, char16_t(u'a' + i % 26)), l);
  }
  ~Setup() { std::filesystem::remove_all(dir); }
  std::string dir, source;
  std::uintmax_t size = 0;
  CTvlDoc doc;
  CModule* module = nullptr;
};

Setup& Get() {
  static Setup setup;
  return setup;
}

void BM_BuildOneLanguageVsCopy(benchmark::State& state) {
  Setup& s = Get();
  double copy = 0, build = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    std::filesystem::copy_file(s.source, s.dir + "/copy.exe", std::filesystem::copy_options::overwrite_existing);
    auto t1 = std::chrono::steady_clock::now();
    bool ok = s.module->BuildTargets({kLanguages[0]}, {tvl::FromUtf8(s.dir + "/AppFRA.exe")}, s.module->GetSourcePath());
    auto t2 = std::chrono::steady_clock::now();
    if (!ok) state.SkipWithError("build failed");
    copy += bench::Seconds(t0, t1);
    build += bench::Seconds(t1, t2);
  }
  state.counters["file_MB"] = static_cast<double>(s.size) / 1e6;
  state.counters["build_s"] = build / static_cast<double>(state.iterations());
  state.counters["copy_s"] = copy / static_cast<double>(state.iterations());
  state.counters["ratio_vs_copy"] = copy > 0 ? build / copy : 0;
}
BENCHMARK(BM_BuildOneLanguageVsCopy)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_BuildLanguages(benchmark::State& state) {
  Setup& s = Get();
  std::vector<LANGID> languages(kLanguages, kLanguages + state.range(0));
  std::vector<std::u16string> targets;
  for (LANGID l : languages) targets.push_back(tvl::FromUtf8(s.dir + "/App" + std::to_string(l) + ".exe"));
  for (auto _ : state)
    if (!s.module->BuildTargets(languages, targets, s.module->GetSourcePath())) state.SkipWithError("build failed");
  state.counters["per_language_s"] = benchmark::Counter(static_cast<double>(state.range(0)),
                                                        benchmark::Counter::kIsIterationInvariantRate |
                                                            benchmark::Counter::kInvert);
}
BENCHMARK(BM_BuildLanguages)->Arg(1)->Arg(2)->Arg(5)->Arg(10)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

}  // namespace
