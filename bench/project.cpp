// Saving and loading a project of 200,000 strings in ten languages (about two million value
// nodes), as MB/s and as a ratio to writing and reading the same number of bytes with plain
// file I/O in the same iterations; and the peak memory of the loaded project.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "BenchProject.h"
#include "formats/text/ResStringTable.h"
#include "project/TvlDoc.h"

namespace {

constexpr LANGID kLanguages[] = {0x040C, 0x0407, 0x0410, 0x0C0A, 0x0413, 0x0416, 0x041D, 0x0406, 0x040B, 0x0414};

struct Setup {
  Setup() {
    char tmpl[] = "/tmp/tvlbench-XXXXXX";
    dir = mkdtemp(tmpl);
    std::string exe = dir + "/App.exe";
    bench::MakeExecutable(exe, 200000, 0, 0, false);
    project = dir + "/App.tvl";
    CTvlDoc doc;
    doc.SetPathName(tvl::FromUtf8(project));
    auto m = std::make_unique<CModule>(tvl::FromUtf8(exe), 0x0409, 0);
    m->SetDocument(&doc);
    m->LoadFromFile();
    CLanguageArray languages;
    for (LANGID l : kLanguages) languages.Add(CLanguage(l));
    doc.InsertModule(std::move(m), 0x0409, languages);
    CResStringTable& strings = doc.m_modules[0]->m_resTable.m_stringTable;
    for (int i = 0; i < strings.GetCount(); ++i)
      for (LANGID l : kLanguages)
        strings.GetString(i)->m_value.SetTranslation(u"Traduction num\u00e9ro " + std::u16string(1, char16_t(u'a' + i % 26)), l);
    doc.OnSaveDocument(tvl::FromUtf8(project));
    bytes = bench::ReadBytes(project);
  }
  ~Setup() { std::filesystem::remove_all(dir); }
  std::string dir, project;
  std::vector<BYTE> bytes;
};

Setup& Get() {
  static Setup setup;
  return setup;
}

// Bytes the allocator has handed out and not taken back.
long HeapInUse() { return static_cast<long>(mallinfo2().uordblks); }

double PlainWrite(const std::string& path, const std::vector<BYTE>& bytes) {
  auto t0 = std::chrono::steady_clock::now();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  return bench::Seconds(t0, std::chrono::steady_clock::now());
}

double PlainRead(const std::string& path, size_t size) {
  std::vector<BYTE> buffer(size);
  auto t0 = std::chrono::steady_clock::now();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  size_t n = std::fread(buffer.data(), 1, size, f);
  std::fclose(f);
  benchmark::DoNotOptimize(n);
  return bench::Seconds(t0, std::chrono::steady_clock::now());
}

void BM_LoadProject(benchmark::State& state) {
  Setup& s = Get();
  double plain = 0, load = 0;
  long heapBefore = 0, heapAfter = 0;
  for (auto _ : state) {
    plain += PlainRead(s.project, s.bytes.size());
    heapBefore = HeapInUse();
    auto t0 = std::chrono::steady_clock::now();
    CTvlDoc doc;
    if (!doc.OnOpenDocument(tvl::FromUtf8(s.project))) state.SkipWithError("load failed");
    load += bench::Seconds(t0, std::chrono::steady_clock::now());
    heapAfter = HeapInUse();  // with the loaded project still alive
  }
  double n = static_cast<double>(state.iterations());
  state.counters["file_MB"] = static_cast<double>(s.bytes.size()) / 1e6;
  state.counters["load_MBps"] = static_cast<double>(s.bytes.size()) / 1e6 / (load / n);
  state.counters["ratio_vs_plain_read"] = load / plain;
  state.counters["memory_vs_file"] =
      static_cast<double>(heapAfter - heapBefore) / static_cast<double>(s.bytes.size());
}
BENCHMARK(BM_LoadProject)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_SaveProject(benchmark::State& state) {
  Setup& s = Get();
  CTvlDoc doc;
  doc.OnOpenDocument(tvl::FromUtf8(s.project));
  double plain = 0, save = 0;
  for (auto _ : state) {
    plain += PlainWrite(s.dir + "/plain.bin", s.bytes);
    auto t0 = std::chrono::steady_clock::now();
    if (!doc.OnSaveDocument(tvl::FromUtf8(s.dir + "/saved.tvl"))) state.SkipWithError("save failed");
    save += bench::Seconds(t0, std::chrono::steady_clock::now());
  }
  double n = static_cast<double>(state.iterations());
  state.counters["save_MBps"] = static_cast<double>(s.bytes.size()) / 1e6 / (save / n);
  state.counters["ratio_vs_plain_write"] = save / plain;
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
