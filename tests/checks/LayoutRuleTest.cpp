#include <gtest/gtest.h>

#include "checks/LayoutRule.h"
#include "formats/layout/DlgInit.h"
#include "formats/layout/ResDialog.h"
#include "resmodel/CompileContext.h"

namespace {

constexpr LANGID kSource = 0x0409, kTarget = 0x040C;

struct Control {
  WORD classOrdinal;
  DWORD style;
  int x, y, cx, cy;
  const char16_t* source;
  const char16_t* translation;  // nullptr: not translated
};

// A 200 x 100 dialog in 8-point MS Shell Dlg holding the controls.
std::unique_ptr<CResDialog> MakeDialog(const std::vector<Control>& controls) {
  auto dialog = std::make_unique<CResDialog>();
  dialog->m_isEx = true;
  dialog->m_style = 0x80C80048;
  dialog->m_size.m_language = dialog->m_font.m_language = kSource;
  dialog->m_size.m_x = 200;
  dialog->m_size.m_y = 100;
  dialog->m_font.m_text = u"MS Shell Dlg";
  dialog->m_font.m_pointSize = 8;
  dialog->m_font.m_weight = 400;
  DWORD id = 1000;
  for (const Control& c : controls) {
    auto item = std::make_unique<CResDialogItem>();
    item->m_id = id++;
    item->m_class.SetOrdinal(c.classOrdinal);
    item->m_style = 0x50000000 | c.style;
    item->m_pos.m_language = item->m_size.m_language = item->m_text.m_language = kSource;
    item->m_pos.m_x = c.x;
    item->m_pos.m_y = c.y;
    item->m_size.m_x = c.cx;
    item->m_size.m_y = c.cy;
    item->m_text.m_text = c.source;
    if (c.translation) item->m_text.SetTranslation(c.translation, kTarget);
    dialog->m_items.push_back(std::move(item));
  }
  return dialog;
}

std::vector<size_t> Reported(const CResDialog& dialog) {
  CResourceData data;
  data.m_language = kTarget;
  data.m_fontFace = u"Tahoma";
  data.m_fontSize = 8;
  CTemplateMeasuringContext context;
  context.Create(CTemplateMeasuringContext::BuildTemplate(dialog.m_isEx, dialog.m_style, dialog.ChooseFont(data)));
  std::vector<size_t> out;
  for (const auto& [index, hit] : CLayoutRule().Check(dialog, kTarget, context)) out.push_back(index);
  return out;
}

const char16_t* const kLong = u"Une traduction nettement plus longue que le texte source";
const char16_t* const kMedium = u"Nom complet de l'utilisateur";  // grows, yet stays inside

}  // namespace

TEST(LayoutRule, ReportsWhatGrowingBreaks) {
  struct {
    const char* name;
    std::vector<Control> controls;
    std::vector<size_t> reported;
  } cases[] = {
      {"grows into its neighbour", {{0x82, 0, 7, 7, 40, 8, u"Name", kMedium}, {0x82, 0, 60, 7, 40, 8, u"Other", nullptr}}, {0}},
      {"grows with room to spare", {{0x82, 0, 7, 7, 40, 8, u"Name", u"Nom"}, {0x82, 0, 60, 7, 40, 8, u"Other", nullptr}}, {}},
      {"grows out of the dialog", {{0x82, 0, 150, 7, 40, 8, u"Name", kLong}}, {0}},
      {"source already overlaps", {{0x82, 0, 7, 7, 60, 8, u"Name", kMedium}, {0x82, 0, 50, 7, 40, 8, u"Other", nullptr}}, {}},
      {"multi-line button does not grow", {{0x80, 0x2000, 7, 7, 40, 14, u"Go", kLong}}, {0}},
      {"scrolling edit cuts nothing", {{0x81, 0x80, 7, 7, 40, 14, u"Text", kLong}}, {}},
      {"fixed edit cuts its text", {{0x81, 0, 7, 7, 40, 14, u"Text", kLong}}, {0}},
      {"untranslated", {{0x82, 0, 7, 7, 40, 8, u"Name", nullptr}, {0x82, 0, 60, 7, 40, 8, u"Other", nullptr}}, {}},
  };
  for (const auto& c : cases) {
    auto dialog = MakeDialog(c.controls);
    EXPECT_EQ(Reported(*dialog), c.reported) << c.name;
  }
}

TEST(LayoutRule, ComboEntryWiderThanItsBox) {
  auto dialog = MakeDialog({{0x85, 0x3, 7, 7, 60, 50, u"", nullptr}});
  dialog->m_items[0]->m_noText = true;
  auto add = [&](const char16_t* source, const char16_t* translation) {
    auto text = std::make_unique<CLocalizedString>(source, kSource, 0);
    text->SetTranslation(translation, kTarget);
    dialog->m_dlgInit.push_back(std::make_unique<CDlgInitMsg>(WORD{1000}, kDlgInitComboAddString, std::move(text)));
  };
  add(u"Red", u"Rouge");
  EXPECT_TRUE(Reported(*dialog).empty());
  add(u"Blue", kLong);
  EXPECT_EQ(Reported(*dialog), std::vector<size_t>{0});
}
