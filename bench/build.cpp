// Building one module: a generated 20 MB executable with 50,000 strings, 5,000 messages and
// a version resource, all strings translated into ten languages. Reports the build of one
// language as a ratio to a plain copy of the source file measured in the same iterations,
// the time of each step of a build, how the time grows with the number of languages, and
// eight languages built by two jobs against one.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "BenchProject.h"
#include "formats/text/ResStringTable.h"
#include "peimage/ResourceUpdate.h"
#include "platform/Files.h"
#include "project/ParallelBuild.h"
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
  double syncedCopy = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    std::filesystem::copy_file(s.source, s.dir + "/copy.exe", std::filesystem::copy_options::overwrite_existing);
    auto t1 = std::chrono::steady_clock::now();
    bool ok = s.module->BuildTargets({kLanguages[0]}, {tvl::FromUtf8(s.dir + "/AppFRA.exe")}, s.module->GetSourcePath());
    auto t2 = std::chrono::steady_clock::now();
    // The build makes its target durable before renaming it; a copy that does the same.
    std::filesystem::copy_file(s.source, s.dir + "/copy2.exe", std::filesystem::copy_options::overwrite_existing);
    int fd = ::open((s.dir + "/copy2.exe").c_str(), O_RDONLY);
    ::fsync(fd);
    ::close(fd);
    auto t3 = std::chrono::steady_clock::now();
    if (!ok) state.SkipWithError("build failed");
    copy += bench::Seconds(t0, t1);
    build += bench::Seconds(t1, t2);
    syncedCopy += bench::Seconds(t2, t3);
  }
  state.counters["file_MB"] = static_cast<double>(s.size) / 1e6;
  state.counters["build_s"] = build / static_cast<double>(state.iterations());
  state.counters["copy_s"] = copy / static_cast<double>(state.iterations());
  state.counters["ratio_vs_copy"] = copy > 0 ? build / copy : 0;
  state.counters["ratio_vs_synced_copy"] = syncedCopy > 0 ? build / syncedCopy : 0;
}
BENCHMARK(BM_BuildOneLanguageVsCopy)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// The steps of one language's build, each as a ratio to a plain copy: compiling the model
// into resources, planning the new file (both update passes, nothing written), writing it,
// and making it durable and renaming it.
void BM_BuildSteps(benchmark::State& state) {
  Setup& s = Get();
  CModuleBuildSource source;
  if (!s.module->PrepareBuild(s.module->GetSourcePath(), source)) state.SkipWithError("no source");
  double copy = 0, compile = 0, plan = 0, write = 0, commit = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    std::filesystem::copy_file(s.source, s.dir + "/copy.exe", std::filesystem::copy_options::overwrite_existing);
    auto t1 = std::chrono::steady_clock::now();
    CResourceWriter writer;
    CCompileContext context(0x0409, kLanguages[0], &writer);
    context.m_data.m_language = kLanguages[0];
    context.m_data.m_sourceLanguage = 0x0409;
    s.module->m_resTable.Write(context);
    auto t2 = std::chrono::steady_clock::now();
    auto passes = [&](tvl::CResourceUpdate& u) {
      u.BeginReading(s.source, true);
      u.AddPlaceholder(tvl::ResId::Id(11), tvl::ResId::Id(1), 0x0409, writer.GetTotalLength());
      u.CommitPlanned();
      u.BeginPlanned(true);
      for (const auto& e : writer.GetEntries())
        u.AddBorrowed(e->m_type.IsString() ? tvl::ResId::Name(e->m_type.m_name) : tvl::ResId::Id(e->m_type.m_ordinal),
                      e->m_name.IsString() ? tvl::ResId::Name(e->m_name.m_name) : tvl::ResId::Id(e->m_name.m_ordinal),
                      e->m_language, e->m_data.data(), e->m_data.size());
    };
    tvl::CResourceUpdate planOnly;
    passes(planOnly);
    if (!planOnly.CommitPlanned()) state.SkipWithError("plan failed");
    planOnly.Discard();
    auto t3 = std::chrono::steady_clock::now();
    tvl::ReplacingFile working(s.dir + "/steps.exe");
    tvl::CResourceUpdate update;
    passes(update);
    if (!update.CommitTo(working.Descriptor())) state.SkipWithError("write failed");
    auto t4 = std::chrono::steady_clock::now();
    working.Commit();
    auto t5 = std::chrono::steady_clock::now();
    copy += bench::Seconds(t0, t1);
    compile += bench::Seconds(t1, t2);
    plan += bench::Seconds(t2, t3);
    write += bench::Seconds(t3, t4) - bench::Seconds(t2, t3);  // the plan is made again before writing
    commit += bench::Seconds(t4, t5);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["copy_ms"] = 1e3 * copy / n;
  state.counters["compile_vs_copy"] = compile / copy;
  state.counters["plan_vs_copy"] = plan / copy;
  state.counters["write_vs_copy"] = write / copy;
  state.counters["sync_rename_vs_copy"] = commit / copy;
}
BENCHMARK(BM_BuildSteps)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// Eight languages of one module built by two jobs, as a ratio to one job in the same run.
void BM_EightLanguagesTwoJobs(benchmark::State& state) {
  Setup& s = Get();
  std::vector<CModuleBuildRequest> requests = {{s.module, std::vector<LANGID>(kLanguages, kLanguages + 8), {}}};
  double one = 0, two = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    bool ok = BuildModules(requests, 1)[0];
    auto t1 = std::chrono::steady_clock::now();
    ok = BuildModules(requests, 2)[0] && ok;
    auto t2 = std::chrono::steady_clock::now();
    if (!ok) state.SkipWithError("build failed");
    one += bench::Seconds(t0, t1);
    two += bench::Seconds(t1, t2);
  }
  state.counters["one_job_s"] = one / static_cast<double>(state.iterations());
  state.counters["two_jobs_vs_one"] = two / one;
  state.counters["processors"] = static_cast<double>(std::thread::hardware_concurrency());
}
BENCHMARK(BM_EightLanguagesTwoJobs)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

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
