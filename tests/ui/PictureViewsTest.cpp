#include <gtest/gtest.h>

#include <QBuffer>
#include <QCheckBox>
#include <QImageReader>

#include "ContentViewFixture.h"
#include "formats/layout/ResBinary.h"
#include "formats/layout/ResIcon.h"
#include "platform/Text.h"
#include "ui/views/PictureViews.h"
#include "ui/views/ResourceHeaderView.h"

namespace {

QStringList Captions(const CPictureView* view) {
  QStringList captions;
  for (const CPictureEntry& e : view->Entries()) captions << e.caption;
  return captions;
}

// Pictures equal pixel by pixel, compared premultiplied as the reader keeps them.
void ExpectSamePixels(const QImage& mine, const QImage& reference, const std::string& what) {
  ASSERT_FALSE(mine.isNull()) << what;
  ASSERT_EQ(mine.size(), reference.size()) << what;
  QImage a = mine.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  QImage b = reference.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  int differences = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      if (p != q && ++differences < 4) ADD_FAILURE() << what << " " << x << "," << y << " " << std::hex << p << " " << q;
    }
  EXPECT_EQ(differences, 0) << what;
}

std::vector<BYTE> PngBytes(const QImage& image) {
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return {data.begin(), data.end()};
}

}  // namespace

TEST(CBitmapView, CaptionGivesSizeAndColoursOfEachFixtureDepth) {
  CContentViewFixture f;
  const struct {
    const char16_t* label;
    const char* caption;
  } cases[] = {{u"600", "8 x 6 pixels. 16 colors (4 bpp)"},
               {u"601", "8 x 8 pixels. True colors (24 bpp)"},
               {u"\"LOGO\"", "5 x 3 pixels. 256 colors (8 bpp)"}};
  for (const auto& c : cases) {
    ASSERT_NE(f.SelectResource<CResBitmap>(u"Bitmaps", c.label), nullptr);
    auto* view = f.View<CBitmapView>();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(Captions(view), QStringList{QString::fromLatin1(c.caption)});
    ASSERT_EQ(view->Entries().size(), 1u);
    // The picture sits below the caption, and the scrollable area holds both.
    const CPictureEntry& e = view->Entries()[0];
    EXPECT_GT(e.imageRect.top(), e.captionRect.bottom());
    EXPECT_TRUE(view->widget()->rect().contains(e.imageRect));
  }
}

TEST(CBitmapView, PicturesDecodeAsAnIndependentReaderReadsTheFiles) {
  for (const char* name : {"core4.bmp", "info24.bmp", "info8.bmp", "toolbar.bmp"}) {
    std::vector<BYTE> file = ReadFileBytes(FixturePath(std::string("data/") + name));
    std::vector<BYTE> bytes;
    ASSERT_TRUE(CResBitmap::FileToBitmap(file, bytes)) << name;
    ExpectSamePixels(tvl::ui::BitmapImage(bytes), QImage(QString::fromStdString(FixturePath(std::string("data/") + name))),
                     name);
  }
}

TEST(CBitmapView, AnImportedBitmapIsShownForItsLanguage) {
  CContentViewFixture f;
  CScratchDir dir;
  auto* bitmap = f.SelectResource<CResBitmap>(u"Bitmaps", u"601");
  ASSERT_NE(bitmap, nullptr);
  CResourceHeaderView* header = f.frame->ResourcePane()->Header();
  header->DoNotTranslateBox()->click();
  // Exported, edited (a wider picture) and imported back.
  header->ExportTo(tvl::FromUtf8(dir.file("601.bmp")));
  QImage edited(QString::fromStdString(dir.file("601.bmp")));
  ASSERT_FALSE(edited.isNull());
  edited = edited.scaled(12, 4).convertToFormat(QImage::Format_RGB888);
  edited.setPixel(0, 0, qRgb(255, 0, 0));
  ASSERT_TRUE(edited.save(QString::fromStdString(dir.file("edited.bmp")), "BMP"));
  header->ImportFrom(tvl::FromUtf8(dir.file("edited.bmp")));
  auto* view = f.View<CBitmapView>();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(Captions(view), QStringList{QStringLiteral("12 x 4 pixels. True colors (24 bpp)")});
  EXPECT_EQ(view->Entries()[0].image.pixel(0, 0), qRgb(255, 0, 0));
  // Another language and the undone import show the source picture.
  f.SetLanguage(CContentViewFixture::kGerman);
  EXPECT_EQ(Captions(view), QStringList{QStringLiteral("8 x 8 pixels. True colors (24 bpp)")});
  f.SetLanguage(CContentViewFixture::kFrench);
  f.doc.Undo();
  EXPECT_EQ(Captions(view), QStringList{QStringLiteral("8 x 8 pixels. True colors (24 bpp)")});
}

TEST(CIconView, ListsEveryImageOfEachGroupWithItsCaption) {
  CContentViewFixture f;
  const struct {
    const char16_t* type;
    const char16_t* label;
    const char* file;
    QStringList captions;
  } cases[] = {
      {u"Icons", u"400", "data/app.ico",
       {"16x16  16 colors (4 bpp)", "32x32  16 colors (4 bpp)", "16x16  True colors (32 bpp)"}},
      {u"Icons", u"\"SMALLICON\"", "data/small.ico", {"16x16  Monochrome (1 bpp)", "24x24  256 colors (8 bpp)"}},
      {u"Cursors", u"500", "data/arrow.cur", {"32x32", "16x16"}},
  };
  for (const auto& c : cases) {
    ASSERT_NE(f.SelectResource<CResIconGroup>(c.type, c.label), nullptr);
    auto* view = f.View<CIconView>();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(Captions(view), c.captions);
    // Each picture as the platform's own reader of the file sees it, one below the other.
    QImageReader reader(QString::fromStdString(FixturePath(c.file)));
    int previousBottom = -10;
    for (size_t i = 0; i < view->Entries().size(); ++i) {
      ASSERT_TRUE(reader.jumpToImage(static_cast<int>(i)));
      ExpectSamePixels(view->Entries()[i].image, reader.read(), c.file + std::to_string(i));
      EXPECT_GE(view->Entries()[i].imageRect.top(), previousBottom + 20);
      previousBottom = view->Entries()[i].imageRect.bottom();
    }
  }
}

TEST(CIconView, AnImageTheModuleLacksIsReportedMissing) {
  CContentViewFixture f;
  auto* group = f.SelectResource<CResIconGroup>(u"Icons", u"400");
  ASSERT_NE(group, nullptr);
  auto& source = static_cast<CIcon&>(*group->m_images.m_object);
  source.m_images[1].m_bytes.clear();
  f.doc.UpdateAllViews(HintRefreshAll);
  auto* view = f.View<CIconView>();
  QStringList captions = Captions(view);
  ASSERT_EQ(captions.size(), 3);
  EXPECT_EQ(captions[1],
            QStringLiteral("Missing RT_ICON resource %1 (plane 2 of icon 400)").arg(source.m_images[1].GetImageId()));
  EXPECT_TRUE(view->Entries()[1].image.isNull());
  EXPECT_FALSE(view->Entries()[2].image.isNull());
}

TEST(CIconView, APngCompressedImageIsShown) {
  CContentViewFixture f;
  CScratchDir dir;
  auto* group = f.SelectResource<CResIconGroup>(u"Icons", u"\"SMALLICON\"");
  ASSERT_NE(group, nullptr);
  f.frame->ResourcePane()->Header()->DoNotTranslateBox()->click();
  QImage picture(20, 10, QImage::Format_ARGB32);
  picture.fill(qRgba(0, 0, 255, 255));
  picture.setPixel(3, 4, qRgba(0, 0, 0, 0));
  std::vector<BYTE> png = PngBytes(picture);
  // An .ico file of one PNG image.
  std::vector<BYTE> ico = {0, 0, 1, 0, 1, 0, 20, 10, 0, 0, 1, 0, 32, 0};
  DWORD size = static_cast<DWORD>(png.size());
  for (int i = 0; i < 4; ++i) ico.push_back(static_cast<BYTE>(size >> (8 * i)));
  for (BYTE b : {22, 0, 0, 0}) ico.push_back(b);
  ico.insert(ico.end(), png.begin(), png.end());
  WriteFileBytes(dir.file("png.ico"), ico);
  f.frame->ResourcePane()->Header()->ImportFrom(tvl::FromUtf8(dir.file("png.ico")));
  auto* view = f.View<CIconView>();
  ASSERT_EQ(Captions(view), QStringList{QStringLiteral("20x10  True colors (32 bpp)")});
  const QImage& shown = view->Entries()[0].image;
  ASSERT_EQ(shown.size(), QSize(20, 10));
  EXPECT_EQ(shown.pixel(0, 0), qRgba(0, 0, 255, 255));
  EXPECT_EQ(qAlpha(shown.pixel(3, 4)), 0);
}
