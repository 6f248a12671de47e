// The dialog preview against the platform's own arithmetic: base units computed here from the
// font's metrics, rectangles converted with them, window sizes from pictures of the platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <cmath>
#include <memory>

#include "../formats/DialogTestUtil.h"
#include "formats/layout/DialogTemplate.h"
#include "ui/views/DialogPreview.h"
#include "ui/views/DialogView.h"
#include "workspace/CommandIds.h"

namespace {

using namespace dlgtest;

// ((width of "A".."Z" + "a".."z") / 26 + 1) / 2 across, the character height down.
struct BaseUnits {
  int x = 0;
  int y = 0;
};
BaseUnits UnitsOf(const CDialogFont& font) {
  const int height = -static_cast<int>(std::lround(font.pointSize * 96.0 / 72.0));
  auto measure = tvl::CMeasureFont::Open(font.face, height, font.weight == 0xFFFF ? 400 : font.weight, font.italic);
  if (!measure) return {};
  int sum = 0;
  for (char16_t c = u'A'; c <= u'Z'; ++c) sum += measure->GetCharWidth(c) + measure->GetCharWidth(c + 32);
  return {(sum / 26 + 1) / 2, measure->GetHeight()};
}

// Multiply then divide, halves away from zero.
int Scale(int v, int num, int den) { return static_cast<int>(std::lround(static_cast<double>(v) * num / den)); }

CPreviewSource Source(LANGID language) {
  CPreviewSource s;
  s.language = language;
  s.sourceLanguage = kEnglish;
  s.fontFace = u"Tahoma";
  s.fontSize = 8;
  return s;
}

struct DialogCase {
  const char* fixture;
  CResName name;
  LANGID language;
};

class DialogPreviewFixture : public ::testing::Test {
 protected:
  CResDialog* Load(const char* fixture, const CResName& name) {
    m_table = LoadTable(fixture);
    if (!m_table) return nullptr;
    return FindDialog(*m_table, name);
  }
  std::unique_ptr<CResTable> m_table;
};

}  // namespace

TEST_F(DialogPreviewFixture, EveryControlSitsWhereItsDialogUnitsSay) {
  const DialogCase cases[] = {
      {"all32.exe", CResName(100), kEnglish}, {"all32.exe", CResName(100), kFrench},
      {"all32.exe", CResName(101), kFrench},  {"all32.exe", CResName(u"NAMEDDLG"), kFrench},
      {"all64.exe", CResName(101), kEnglish}, {"mfc64.exe", CResName(102), kEnglish},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.fixture) + " language " + std::to_string(c.language));
    CResDialog* dialog = Load(c.fixture, c.name);
    ASSERT_NE(dialog, nullptr);
    // A long translation makes the first static grow in the French preview.
    if (c.language == kFrench && !dialog->m_items.empty())
      dialog->m_items[0]->m_text.SetTranslation(u"Une traduction nettement plus longue", kFrench);
    std::unique_ptr<CDialogPreview> preview(BuildDialogPreview(*dialog, Source(c.language), ID_VIEW_TRANSLATABLE, nullptr));
    CDialogTemplate t = CDialogTemplate::Parse(Write(*dialog, c.language, true));
    BaseUnits units = UnitsOf(t.font);
    ASSERT_GT(units.x, 0);
    ASSERT_EQ(preview->ControlCount(), static_cast<int>(t.controls.size()));
    const QPoint origin = preview->ClientOrigin();
    for (int i = 0; i < preview->ControlCount(); ++i) {
      const tvl::Rect& r = t.controls[static_cast<size_t>(i)].rect;
      QRect want(Scale(r.left, units.x, 4), Scale(r.top, units.y, 8), 0, 0);
      want.setRight(Scale(r.right, units.x, 4) - 1);
      want.setBottom(Scale(r.bottom, units.y, 8) - 1);
      QRect got = preview->Control(i)->geometry().translated(-origin);
      EXPECT_EQ(got.topLeft(), want.topLeft()) << "control " << i;
      // An icon static takes its icon's size, as the platform sizes it.
      const PreviewKind kind = preview->Control(i)->Kind();
      if (kind == PreviewKind::Icon) {
        EXPECT_EQ(got.size(), QSize(32, 32)) << "control " << i;
        continue;
      }
      EXPECT_EQ(got.width(), want.width()) << "control " << i;
      // A drop-down combo box is as high as its closed field, not as its list.
      const bool dropDown = kind == PreviewKind::ComboBox && (t.controls[i].style & 3) != 1;
      if (!dropDown) {
        EXPECT_EQ(got.height(), want.height()) << "control " << i;
      }
    }
    if (c.language == kFrench && dialog->m_items[0]->IsClass(0x82, u"Static")) {
      const CResDialogItem& first = *dialog->m_items[0];
      EXPECT_GT(t.controls[0].rect.right, first.m_pos.m_x + first.m_size.m_x);
    }
  }
}

TEST(DialogPreview, ShellDlgUnitsAreThePlatformsSixByThirteen) {
  BaseUnits u = UnitsOf({true, u"MS Shell Dlg", 8, 400, 0, 0});
  EXPECT_EQ(u.x, 6);
  EXPECT_EQ(u.y, 13);
}

// Sizes of the windows the platform drew for dialogs without menu bar.
TEST_F(DialogPreviewFixture, WindowIsAsLargeAsThePlatformsOwn) {
  const struct {
    const char* fixture;
    CResName name;
    int width;
    int height;
  } cases[] = {{"all32.exe", CResName(u"NAMEDDLG"), 156, 90},
               {"mfc64.exe", CResName(102), 246, 155},
               {"twolang.dll", CResName(100), 186, 106}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fixture);
    CResDialog* dialog = Load(c.fixture, c.name);
    ASSERT_NE(dialog, nullptr);
    std::unique_ptr<CDialogPreview> preview(BuildDialogPreview(*dialog, Source(kEnglish), ID_VIEW_TRANSLATABLE, nullptr));
    EXPECT_EQ(preview->size(), QSize(c.width, c.height));
  }
}

TEST_F(DialogPreviewFixture, ControlsAreDressedByClass) {
  CResDialog* dialog = Load("all32.exe", CResName(101));
  ASSERT_NE(dialog, nullptr);
  std::unique_ptr<CDialogPreview> preview(BuildDialogPreview(*dialog, Source(kFrench), ID_VIEW_TRANSLATABLE, nullptr));
  // name: edit, combo box with its strings, list box, push button, ActiveX, progress, default button.
  const PreviewKind kinds[] = {PreviewKind::Text,       PreviewKind::Edit,     PreviewKind::ComboBox,
                               PreviewKind::ListBox,    PreviewKind::PushButton, PreviewKind::Bordered,
                               PreviewKind::Progress,   PreviewKind::PushButton};
  ASSERT_EQ(preview->ControlCount(), 8);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(preview->Control(i)->Kind(), kinds[i]) << i;
  EXPECT_EQ(preview->Control(5)->Text(), QStringLiteral("Missing ActiveX Control"));
  EXPECT_EQ(preview->Control(2)->Entries(), QStringList({"Alpha", "Beta"}));
  EXPECT_EQ(preview->Control(2)->ShownEntry(), 0);
  EXPECT_EQ(preview->Control(3)->Entries(), QStringList({"Gamma", "Delta"}));
  EXPECT_EQ(preview->Caption(), QStringLiteral("Extended dialog"));

  // The icon static of dialog 100 shows the module's icon 400 at 32 x 32.
  CResDialog* classic = FindDialog(*m_table, CResName(100));
  ASSERT_NE(classic, nullptr);
  std::unique_ptr<CDialogPreview> withIcon(BuildDialogPreview(*classic, Source(kFrench), ID_VIEW_TRANSLATABLE, nullptr));
  EXPECT_EQ(withIcon->Control(14)->Kind(), PreviewKind::Icon);
  EXPECT_EQ(withIcon->Control(14)->Picture().size(), QSize(32, 32));

  // A class nobody registered shows its text in a bordered static.
  dialog->m_items[4]->m_class.SetString(u"NoSuchClass");
  std::unique_ptr<CDialogPreview> again(BuildDialogPreview(*dialog, Source(kFrench), ID_VIEW_TRANSLATABLE, nullptr));
  EXPECT_EQ(again->Control(4)->Kind(), PreviewKind::Bordered);
  EXPECT_EQ(again->Control(4)->Text(), QStringLiteral("Data"));
}

TEST_F(DialogPreviewFixture, PicturesScaleWithTheZoom) {
  CResDialog* dialog = Load("mfc64.exe", CResName(102));
  ASSERT_NE(dialog, nullptr);
  for (int zoom : {100, 150, 200}) {
    QImage image = RenderDialogPreview(*dialog, Source(kEnglish), zoom);
    EXPECT_EQ(image.size(), QSize(246, 155) * zoom / 100) << zoom;
  }
  // The preview shows the combo box's first string, "Red".
  std::unique_ptr<CDialogPreview> preview(BuildDialogPreview(*dialog, Source(kEnglish), ID_VIEW_TRANSLATABLE, nullptr));
  // Its strings belong to the first control, whose index 0 is also the value that ends the
  // data in a module: they are shown all the same.
  ASSERT_GE(preview->Control(0)->Entries().size(), 1);
  EXPECT_EQ(preview->Control(0)->Entries().value(0), QStringLiteral("Red"));
  EXPECT_EQ(preview->Control(0)->ShownEntry(), 0);
}

TEST(DialogPreview, ErrorFormCarriesMessage1103) {
  CErrorCreatingDialogView form;
  auto* text = form.findChild<QLabel*>(QStringLiteral("ErrorText"));
  ASSERT_NE(text, nullptr);
  EXPECT_TRUE(text->text().startsWith(QStringLiteral("There are a number of reasons why a dialog would refuse to load.")));
  EXPECT_TRUE(text->text().contains(QStringLiteral("that we didnot foresee.\nPlease report")));
}

TEST_F(DialogPreviewFixture, RichEditOfAnyClassNameAndUnknownClassesAreDrawn) {
  CResDialog* dialog = Load("all32.exe", CResName(WORD{100}));
  ASSERT_NE(dialog, nullptr);
  dialog->m_items[3]->m_class.SetString(u"RichEdit20A");    // the edit box
  dialog->m_items[2]->m_class.SetString(u"NoSuchClass32");  // "Center"
  std::unique_ptr<CDialogPreview> preview(BuildDialogPreview(*dialog, Source(kEnglish), ID_VIEW_TRANSLATABLE, nullptr));
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(preview->Control(3)->Kind(), PreviewKind::RichEdit);
  EXPECT_EQ(preview->Control(2)->Kind(), PreviewKind::Bordered);
  EXPECT_EQ(preview->Control(2)->Text(), QStringLiteral("Center"));
}
