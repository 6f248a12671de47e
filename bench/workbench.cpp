// The translator's workbench on a project of 60,000 strings, in the program's window
// (offscreen): finding "encoding" in the whole project, filtering the string list by it,
// and what one committed translation costs now that the tree and the status bar count
// only the changed table, against counting every text item of the project (what each
// commit paid before).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <cstdlib>
#include <filesystem>

#include "BenchProject.h"
#include "formats/text/ResStringTable.h"
#include "project/TextItems.h"
#include "project/TvlDoc.h"
#include "resmodel/LocalizedParam.h"
#include "ui/MainWindow.h"
#include "ui/QtSettingsStore.h"
#include "ui/views/FindViews.h"
#include "ui/views/ProjectResView.h"
#include "ui/views/ResourceAndHeaderViews.h"
#include "ui/views/StringTableView.h"
#include "ui/views/TranslationView.h"
#include "workspace/CommandIds.h"
#include "workspace/Progress.h"
#include "workspace/ProjectNodes.h"
#include "workspace/TextFinder.h"

namespace {

constexpr int kStrings = 60000;
constexpr LANGID kFrench = 0x040C;

QApplication& App() {
  static int argc = 1;
  static char name[] = "bench_workbench";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *app;
}

struct Workbench {
  Workbench() {
    App();
    char tmpl[] = "/tmp/tvlbench-XXXXXX";
    dir = mkdtemp(tmpl);
    std::string exe = dir + "/App.exe";
    bench::MakeExecutable(exe, kStrings, 0, 0, false);
    CTvlDoc maker;
    auto m = std::make_unique<CModule>(tvl::FromUtf8(exe), 0x0409, 0);
    m->SetDocument(&maker);
    m->LoadFromFile();
    CLanguageArray languages;
    languages.Add(CLanguage(kFrench));
    maker.InsertModule(std::move(m), 0x0409, languages);
    // Six strings spread over the table mention the word looked for.
    CResStringTable& strings = maker.m_modules[0]->m_resTable.m_stringTable;
    for (int i = 0; i < strings.GetCount(); i += kStrings / 6)
      strings.GetString(i)->m_value.m_text = u"Unknown encoding in line %d";
    const std::string project = dir + "/App.tvl";
    maker.OnSaveDocument(tvl::FromUtf8(project));

    frame = std::make_unique<CMainFrame>(doc, std::make_unique<tvl::ui::CIniSettingsStore>(
                                                  QString::fromStdString(dir + "/Workspace.ini")));
    frame->show();
    frame->OpenDocumentFile(tvl::FromUtf8(project));
    frame->ChooseLanguage(kFrench);
    CProjectNode* table = frame->Tree()->Root()->FindNode(&doc.m_modules[0]->m_resTable.m_stringTable);
    frame->Tree()->SelectNode(table);
  }
  ~Workbench() {
    frame.reset();
    std::filesystem::remove_all(dir);
  }
  std::string dir;
  CTvlDoc doc;
  std::unique_ptr<CMainFrame> frame;
};

// Made on first use, and taken down in main while the application still stands: left to the
// exit handlers, the window was sometimes destroyed after what its widgets need.
std::unique_ptr<Workbench>& Holder() {
  static std::unique_ptr<Workbench> workbench;
  return workbench;
}

Workbench& Get() {
  if (!Holder()) Holder() = std::make_unique<Workbench>();
  return *Holder();
}

void FindInProject(benchmark::State& state, const QString& pattern) {
  Workbench& w = Get();
  auto* results = w.frame->findChild<CFindResultsView*>();
  results->Fields()->Edit()->setText(pattern);
  for (auto _ : state) {
    results->Search();
    benchmark::DoNotOptimize(results->Hits().size());
  }
  state.counters["hits"] = static_cast<double>(results->Hits().size());
}

void BM_FindEncodingInProject(benchmark::State& state) { FindInProject(state, QStringLiteral("encoding")); }
// The worst case for the results list: every string matches.
void BM_FindEveryStringInProject(benchmark::State& state) { FindInProject(state, QStringLiteral("number")); }

void BM_FilterStringListByEncoding(benchmark::State& state) {
  Workbench& w = Get();
  auto* bar = w.frame->findChild<CFindBar*>();
  CStringTableView* list = w.frame->ResourcePane()->StringView();
  for (auto _ : state) {
    bar->Fields()->Edit()->setText(QStringLiteral("encoding"));
    benchmark::DoNotOptimize(list->Model()->rowCount());
    state.PauseTiming();
    state.counters["rows"] = list->Model()->rowCount();
    bar->Fields()->Edit()->clear();
    state.ResumeTiming();
  }
}

// The editor's commit of the offered string, with every view's share of it (the list
// moving on, the tree's images and counts, the status bar).
void BM_CommitOneString(benchmark::State& state) {
  Workbench& w = Get();
  int n = 0;
  for (auto _ : state) {
    CTranslationRequest request = w.frame->Editor()->LastRequest();
    request.m_text = u"Traduction " + tvl::FromUtf8(std::to_string(++n));
    w.doc.UpdateAllViews(HintTranslationCommitted, &request);
  }
}

// What the status bar paid on each commit hint before: every text item of the project.
void BM_CountEveryItemOfTheProject(benchmark::State& state) {
  Workbench& w = Get();
  for (auto _ : state) {
    int translated = 0;
    for (const CExchangeItem& item : tvl::CollectProjectItems(w.doc))
      translated += item.m_value->GetValueStatus(kFrench) != 0;
    benchmark::DoNotOptimize(translated);
  }
}

// The table's own recount, as the tree does it after a commit.
void BM_RecountTheTable(benchmark::State& state) {
  Workbench& w = Get();
  for (auto _ : state) {
    tvl::CProgress p = tvl::CountTable(w.doc.m_modules[0]->m_resTable.m_stringTable, kFrench);
    benchmark::DoNotOptimize(p.translated);
  }
}

// A change of language or mode: every node of the tree counted again.
void BM_CountTheWholeTree(benchmark::State& state) {
  Workbench& w = Get();
  std::unique_ptr<CProjectNodeDocument> root = BuildProjectTree(w.doc);
  for (auto _ : state) {
    root->UpdateStatus(kFrench, ID_VIEW_ALL_ITEMS);
    benchmark::DoNotOptimize(root->m_progress.total);
  }
}

}  // namespace

BENCHMARK(BM_FindEncodingInProject)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindEveryStringInProject)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterStringListByEncoding)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CommitOneString)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountEveryItemOfTheProject)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecountTheTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountTheWholeTree)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  Holder().reset();
  benchmark::Shutdown();
  return 0;
}
