// Writing translated dialogs: 2,000 dialogs of 30 controls each for a target language, with
// auto-grow measuring every translated static and button, against the same dialogs written
// for their source language (no measuring), and the measuring alone.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "formats/layout/ResDialog.h"
#include "formats/layout/ResDialogTable.h"
#include "platform/Text.h"
#include "resmodel/CompileContext.h"

namespace {

constexpr LANGID kSource = 0x0409;
constexpr LANGID kTarget = 0x0407;
constexpr int kDialogs = 2000;
constexpr int kControls = 30;

std::u16string Text(const char* s, int n) {
  std::string t = std::string(s) + " " + std::to_string(n);
  return std::u16string(t.begin(), t.end());
}

std::unique_ptr<CResDialog> MakeDialog(int d) {
  auto dialog = std::make_unique<CResDialog>();
  dialog->m_identifier.SetOrdinal(static_cast<WORD>(100 + d));
  dialog->m_statusChain.m_language = kSource;
  dialog->m_isEx = true;
  dialog->m_style = 0x80C80048;  // popup, caption, DS_SETFONT | DS_FIXEDSYS
  dialog->m_caption.m_text = Text("Settings dialog", d);
  dialog->m_caption.m_language = kSource;
  dialog->m_caption.SetTranslation(Text("Einstellungsdialog", d), kTarget);
  dialog->m_size.m_language = kSource;
  dialog->m_size.m_x = 300;
  dialog->m_size.m_y = 250;
  dialog->m_font.m_text = u"MS Shell Dlg";
  dialog->m_font.m_pointSize = 8;
  dialog->m_font.m_weight = 400;
  dialog->m_font.m_language = kSource;
  static const char* const english[] = {"Name:", "Open the file", "Remember me", "Address"};
  static const char* const german[] = {"Vollst\xc3\xa4ndiger Name des Benutzers:", "Die Datei jetzt \xc3\xb6""ffnen",
                                       "Angemeldet bleiben auf diesem Rechner", "Anschrift"};
  for (int i = 0; i < kControls; ++i) {
    auto item = std::make_unique<CResDialogItem>();
    const int kind = i % 4;  // static, push button, check box, edit
    item->m_id = static_cast<DWORD>(1000 + i);
    item->m_class.SetOrdinal(kind == 0 ? 0x82 : kind == 3 ? 0x81 : 0x80);
    item->m_style = 0x50000000 | (kind == 2 ? 0x3 : 0) | (kind == 0 && i % 8 == 4 ? 0x2 : 0);
    item->m_pos.m_language = item->m_size.m_language = item->m_text.m_language = kSource;
    item->m_pos.m_x = 7 + (i % 2) * 140;
    item->m_pos.m_y = 7 + (i / 2) * 15;
    item->m_size.m_x = kind == 1 ? 50 : 60;
    item->m_size.m_y = kind == 0 && i % 12 == 0 ? 20 : 12;  // some statics wrap
    item->m_text.m_text = Text(english[kind], i);
    std::string g = std::string(german[kind]) + " " + std::to_string(i + d % 7);
    item->m_text.SetTranslation(tvl::FromUtf8(g), kTarget);
    dialog->m_items.push_back(std::move(item));
  }
  dialog->m_itemCount = kControls;
  return dialog;
}

CResDialogTable& Dialogs() {
  static const std::unique_ptr<CResDialogTable> table = [] {
    auto t = std::make_unique<CResDialogTable>();
    t->m_identifier.SetOrdinal(5);
    for (int d = 0; d < kDialogs; ++d) t->AddResourceObject(MakeDialog(d));
    return t;
  }();
  return *table;
}

void WriteAll(benchmark::State& state, LANGID language) {
  CResDialogTable& table = Dialogs();
  size_t bytes = 0;
  for (auto _ : state) {
    CResourceWriter writer;
    CCompileContext context(kSource, language, &writer);
    context.m_data.m_language = language;
    context.m_data.m_fontFace = u"Tahoma";
    context.m_data.m_fontSize = 8;
    context.m_data.m_fontWeight = 400;
    table.Write(context);
    bytes = writer.GetTotalLength();
    benchmark::DoNotOptimize(bytes);
  }
  state.SetItemsProcessed(state.iterations() * kDialogs);
  state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_WriteTranslatedDialogsWithAutoGrow(benchmark::State& state) { WriteAll(state, kTarget); }
void BM_WriteSourceDialogsNoMeasuring(benchmark::State& state) { WriteAll(state, kSource); }

// Measuring alone: every control's rectangle for the target language, one measuring context
// per dialog as the writer makes it.
void BM_MeasureOnly(benchmark::State& state) {
  CResDialogTable& table = Dialogs();
  CResourceData data;
  data.m_language = kTarget;
  data.m_fontFace = u"Tahoma";
  data.m_fontSize = 8;
  for (auto _ : state) {
    int sum = 0;
    for (const auto& r : table.m_resources) {
      const auto& dialog = static_cast<const CResDialog&>(*r);
      CTemplateMeasuringContext context;
      context.Create(CTemplateMeasuringContext::BuildTemplate(dialog.m_isEx, dialog.m_style, dialog.ChooseFont(data)));
      for (const auto& item : dialog.m_items) sum += item->GetItemRect(kTarget, &context).right;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kDialogs);
}

}  // namespace

BENCHMARK(BM_WriteTranslatedDialogsWithAutoGrow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteSourceDialogsNoMeasuring)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeasureOnly)->Unit(benchmark::kMillisecond);
