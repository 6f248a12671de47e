// Storing and loading one million CLocalizedString-like records through the object archive,
// against a plain memcpy of the same number of bytes measured in the same run.
//
// A record is what a translation value holds: WORD language, DWORD status, WORD flags, a
// string of about 20 characters, and a reference to the next record of its chain. The
// records form 250,000 chains of 4 (a source value and three languages), held by one
// CObArray, as the values of a project's elements are held by their elements.
//
// Counters: bytes_per_second (archive bytes stored or loaded per second) and
// ratio_vs_memcpy (time of the archive operation / time of memcpy of the same bytes; 1 would
// be as fast as copying the file image).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "archive/Archive.h"
#include "archive/Collections.h"

namespace {

class BenchString : public CObject {
  DECLARE_SERIAL(BenchString)

  void Serialize(CArchive& ar) override {
    if (ar.IsStoring()) {
      ar << m_language << m_status << m_flags << m_text;
      ar.WriteObject(m_next.get());
    } else {
      ar.GetObjectSchema();
      ar >> m_language >> m_status >> m_flags >> m_text;
      m_next = ar.ReadObject<BenchString>();
    }
  }

  WORD m_language = 0;
  DWORD m_status = 0;
  WORD m_flags = 0;
  std::u16string m_text;
  std::unique_ptr<BenchString> m_next;
};

IMPLEMENT_SERIAL(BenchString, CObject, VERSIONABLE_SCHEMA | 1)

constexpr size_t kRecords = 1000000;
constexpr size_t kChain = 4;

const CTypedObArray<BenchString>& Records() {
  static CTypedObArray<BenchString> records = [] {
    CTypedObArray<BenchString> array;
    const WORD languages[kChain] = {0x0409, 0x0407, 0x040C, 0x0411};
    for (size_t c = 0; c < kRecords / kChain; ++c) {
      std::unique_ptr<BenchString> head;
      for (size_t k = kChain; k-- > 0;) {
        auto node = std::make_unique<BenchString>();
        node->m_language = languages[k];
        node->m_status = k == 0 ? 0 : 1;
        node->m_flags = static_cast<WORD>(c & 3);
        node->m_text = u"Translated text " + std::u16string(1, static_cast<char16_t>(u'A' + c % 26)) + u" #" +
                       std::u16string(1, static_cast<char16_t>(u'0' + k));
        node->m_next = std::move(head);
        head = std::move(node);
      }
      array.Add(std::move(head));
    }
    return array;
  }();
  return records;
}

std::vector<BYTE> StoreRecords() {
  CArchive ar;
  ar.SerializeClass(RUNTIME_CLASS(CObArray));
  const_cast<CTypedObArray<BenchString>&>(Records()).Serialize(ar);
  return ar.GetStoredBytes();
}

const std::vector<BYTE>& StoredImage() {
  static const std::vector<BYTE> image = StoreRecords();
  return image;
}

// Seconds for one memcpy of n bytes: the median of several, destination already touched.
double MemcpySeconds(size_t n) {
  static std::vector<BYTE> src(n, 0x5A), dst(n, 0);
  std::vector<double> times;
  for (int i = 0; i < 15; ++i) {
    auto t0 = std::chrono::steady_clock::now();
    std::memcpy(dst.data(), src.data(), n);
    benchmark::ClobberMemory();
    auto t1 = std::chrono::steady_clock::now();
    times.push_back(std::chrono::duration<double>(t1 - t0).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void BM_ArchiveStore(benchmark::State& state) {
  const size_t bytes = StoredImage().size();
  const double memcpyTime = MemcpySeconds(bytes);
  double total = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    std::vector<BYTE> out = StoreRecords();
    benchmark::DoNotOptimize(out.data());
    total += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.counters["records"] = kRecords;
  state.counters["archive_bytes"] = static_cast<double>(bytes);
  state.counters["ratio_vs_memcpy"] = total / state.iterations() / memcpyTime;
}

void BM_ArchiveLoad(benchmark::State& state) {
  const std::vector<BYTE>& image = StoredImage();
  const double memcpyTime = MemcpySeconds(image.size());
  double total = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    {
      CArchive ar(image.data(), image.size(), u"bench.tvl");
      ar.SerializeClass(RUNTIME_CLASS(CObArray));
      CTypedObArray<BenchString> loaded;
      loaded.Serialize(ar);
      ar.Close();
      benchmark::DoNotOptimize(loaded.GetSize());
      total += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }  // freeing the records is not part of loading
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * image.size()));
  state.counters["records"] = kRecords;
  state.counters["archive_bytes"] = static_cast<double>(image.size());
  state.counters["ratio_vs_memcpy"] = total / state.iterations() / memcpyTime;
}

void BM_Memcpy(benchmark::State& state) {
  const size_t n = StoredImage().size();
  std::vector<BYTE> src(n, 0x5A), dst(n, 0);
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), n);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * n));
}

}  // namespace

BENCHMARK(BM_ArchiveStore)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ArchiveLoad)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();
