// Rebuilding the dialog preview: a dialog of 100 controls (statics, buttons, check boxes,
// edits, combo boxes with initial strings) written for the preview, read back and made into
// widgets, for a translated language and again for the source language (switching
// language). The figure that matters is the time per build; the view needs it well under
// 100 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>
#include <string>

#include "formats/layout/DlgInit.h"
#include "formats/layout/ResDialog.h"
#include "platform/Text.h"
#include "ui/views/DialogPreview.h"
#include "workspace/CommandIds.h"

namespace {

constexpr LANGID kSource = 0x0409;
constexpr LANGID kTarget = 0x0407;
constexpr int kControls = 100;

std::u16string Text(const std::string& s) { return tvl::FromUtf8(s); }

void AddControl(CResDialog& d, int i) {
  auto item = std::make_unique<CResDialogItem>();
  const int kind = i % 5;  // static, push button, check box, edit, combo box
  const WORD classes[] = {0x82, 0x80, 0x80, 0x81, 0x85};
  item->m_id = static_cast<DWORD>(1000 + i);
  item->m_class.SetOrdinal(classes[kind]);
  item->m_style = 0x50000000 | (kind == 2 ? 0x3 : 0) | (kind == 4 ? 0x3 : 0);
  item->m_noText = CResDialogItem::ShowsNoText(item->m_class, item->m_style);
  item->m_pos.m_language = item->m_size.m_language = item->m_text.m_language = kSource;
  item->m_pos.m_x = 7 + (i % 4) * 100;
  item->m_pos.m_y = 7 + (i / 4) * 15;
  item->m_size.m_x = 90;
  item->m_size.m_y = kind == 4 ? 60 : 12;
  if (kind < 3) {
    item->m_text.m_text = Text("Option number " + std::to_string(i));
    item->m_text.SetTranslation(Text("Einstellung mit der Nummer " + std::to_string(i)), kTarget);
  }
  if (kind == 4) {
    for (const char* s : {"First", "Second", "Third"}) {
      auto text = std::make_unique<CLocalizedString>();
      text->m_text = Text(s);
      text->m_language = kSource;
      text->SetTranslation(Text(std::string(s) + " (de)"), kTarget);
      d.m_dlgInit.push_back(std::make_unique<CDlgInitMsg>(static_cast<WORD>(item->m_id), kDlgInitComboAddString,
                                                         std::move(text)));
    }
  }
  d.m_items.push_back(std::move(item));
}

CResDialog& Dialog() {
  static const std::unique_ptr<CResDialog> dialog = [] {
    auto d = std::make_unique<CResDialog>();
    d->m_statusChain.m_language = kSource;
    d->m_isEx = true;
    d->m_style = 0x80C80048;  // popup, caption, system menu, DS_SETFONT | DS_FIXEDSYS
    d->m_caption.m_text = u"A hundred controls";
    d->m_caption.m_language = kSource;
    d->m_size.m_language = kSource;
    d->m_size.m_x = 420;
    d->m_size.m_y = 400;
    d->m_font.m_text = u"MS Shell Dlg";
    d->m_font.m_pointSize = 8;
    d->m_font.m_weight = 400;
    d->m_font.m_language = kSource;
    for (int i = 0; i < kControls; ++i) AddControl(*d, i);
    d->m_itemCount = kControls;
    return d;
  }();
  return *dialog;
}

QApplication& App() {
  static int argc = 1;
  static char name[] = "bench_dialog_preview";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *app;
}

void Build(benchmark::State& state, LANGID language) {
  App();
  CPreviewSource source;
  source.language = language;
  source.sourceLanguage = kSource;
  source.fontFace = u"Tahoma";
  source.fontSize = 8;
  for (auto _ : state) {
    std::unique_ptr<CDialogPreview> preview(BuildDialogPreview(Dialog(), source, ID_VIEW_TRANSLATABLE, nullptr));
    // Laid out and painted once, as the view shows it.
    QImage image = preview->grab().toImage();
    benchmark::DoNotOptimize(image.constBits());
  }
}

void BM_PreviewTranslated100Controls(benchmark::State& state) { Build(state, kTarget); }
void BM_PreviewSource100Controls(benchmark::State& state) { Build(state, kSource); }

}  // namespace

BENCHMARK(BM_PreviewTranslated100Controls)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewSource100Controls)->Unit(benchmark::kMillisecond);
