// Checking a big project: 50,000 strings and 500 dialogs of 20 controls, translated into ten
// languages, with a lost placeholder in every hundredth string. Reports the texts checked per
// second, the seconds per language, and the share of the time spent measuring dialogs.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>

#include "BenchProject.h"
#include "checks/ProjectChecker.h"
#include "formats/layout/ResDialog.h"
#include "formats/layout/ResDialogTable.h"
#include "formats/text/ResStringTable.h"
#include "project/TvlDoc.h"

namespace {

constexpr LANGID kSource = 0x0409;
constexpr LANGID kLanguages[] = {0x040C, 0x0407, 0x0410, 0x0C0A, 0x0413, 0x0416, 0x041D, 0x0406, 0x040B, 0x0414};
constexpr int kStrings = 50000, kDialogs = 500, kControls = 20;

std::unique_ptr<CResDialog> MakeDialog(int d) {
  auto dialog = std::make_unique<CResDialog>();
  dialog->m_identifier.SetOrdinal(static_cast<WORD>(100 + d));
  dialog->m_statusChain.m_language = kSource;
  dialog->m_isEx = true;
  dialog->m_style = 0x80C80048;  // popup, caption, DS_SETFONT | DS_FIXEDSYS
  dialog->m_caption.m_language = dialog->m_size.m_language = dialog->m_font.m_language = kSource;
  dialog->m_caption.m_text = u"Settings";
  dialog->m_size.m_x = 300;
  dialog->m_size.m_y = 170;
  dialog->m_font.m_text = u"MS Shell Dlg";
  dialog->m_font.m_pointSize = 8;
  dialog->m_font.m_weight = 400;
  for (int i = 0; i < kControls; ++i) {
    auto item = std::make_unique<CResDialogItem>();
    const int kind = i % 4;  // static, push button, check box, edit
    item->m_id = static_cast<DWORD>(1000 + i);
    item->m_class.SetOrdinal(kind == 0 ? 0x82 : kind == 3 ? 0x81 : 0x80);
    item->m_style = 0x50000000 | (kind == 2 ? 0x3 : 0);
    item->m_pos.m_language = item->m_size.m_language = item->m_text.m_language = kSource;
    item->m_pos.m_x = 7 + (i % 2) * 140;
    item->m_pos.m_y = 7 + (i / 2) * 15;
    item->m_size.m_x = kind == 1 ? 50 : 60;
    item->m_size.m_y = 12;
    item->m_text.m_text = u"&Option " + std::u16string(1, char16_t(u'A' + i));
    for (LANGID l : kLanguages)
      item->m_text.SetTranslation(u"&Einstellung Nummer " + std::u16string(1, char16_t(u'A' + i + d % 3)), l);
    dialog->m_items.push_back(std::move(item));
  }
  dialog->m_itemCount = kControls;
  return dialog;
}

struct Setup {
  Setup() {
    char tmpl[] = "/tmp/tvlbench-XXXXXX";
    dir = mkdtemp(tmpl);
    std::string exe = dir + "/App.exe";
    bench::MakeExecutable(exe, kStrings, 0, 0, false);
    doc.SetPathName(tvl::FromUtf8(dir + "/App.tvl"));
    auto m = std::make_unique<CModule>(tvl::FromUtf8(exe), kSource, 0);
    m->SetDocument(&doc);
    m->LoadFromFile();
    CLanguageArray languages;
    for (LANGID l : kLanguages) languages.Add(CLanguage(l));
    doc.InsertModule(std::move(m), kSource, languages);
    CResTable& table = doc.m_modules[0]->m_resTable;
    for (int d = 0; d < kDialogs; ++d) table.m_dialogs.AddResourceObject(MakeDialog(d));
    CResStringTable& strings = table.m_stringTable;
    for (int i = 0; i < strings.GetCount(); ++i) {
      CLocalizedString& value = strings.GetString(i)->m_value;
      value.m_text += u" %s";
      for (LANGID l : kLanguages) value.SetTranslation(i % 100 ? u"Traduction %s" : u"Traduction", l);
    }
  }
  ~Setup() { std::filesystem::remove_all(dir); }
  std::string dir;
  CTvlDoc doc;
};

Setup& Get() {
  static Setup setup;
  return setup;
}

void BM_CheckProject(benchmark::State& state) {
  Setup& s = Get();
  const bool layout = state.range(0) != 0;
  CProjectChecker checker(s.doc);
  CCheckStatistics total;
  size_t findings = 0;
  for (auto _ : state) {
    findings = checker.Run({{}, layout}).size();
    const CCheckStatistics& r = checker.GetStatistics();
    total.texts += r.texts;
    total.seconds += r.seconds;
    total.layoutSeconds += r.layoutSeconds;
  }
  const double languages = static_cast<double>(std::size(kLanguages)) * static_cast<double>(state.iterations());
  state.counters["texts_per_second"] = static_cast<double>(total.texts) / total.seconds;
  state.counters["seconds_per_language"] = total.seconds / languages;
  state.counters["layout_share"] = total.layoutSeconds / total.seconds;
  state.counters["findings"] = static_cast<double>(findings);
}

}  // namespace

BENCHMARK(BM_CheckProject)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(2);
