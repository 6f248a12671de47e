#include <gtest/gtest.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QScrollBar>
#include <QTest>

#include "ContentViewFixture.h"
#include "formats/layout/ResBinary.h"
#include "formats/layout/ResManifest.h"
#include "platform/Text.h"
#include "ui/views/ResourceHeaderView.h"
#include "ui/views/TextViews.h"
#include "workspace/ContentViewRules.h"

namespace {

// Makes the selected resource translatable through the header's check box.
void MakeTranslatable(CContentViewFixture& f) { f.frame->ResourcePane()->Header()->DoNotTranslateBox()->click(); }

}  // namespace

TEST(CBinaryView, DumpsTheBytesOfTheSelectedLanguage) {
  CContentViewFixture f;
  auto* data = f.SelectByText<CResBinary>(u"10", u"700");
  ASSERT_NE(data, nullptr);
  auto* view = f.View<CBinaryView>();
  ASSERT_NE(view, nullptr);
  const std::vector<BYTE>& source = data->m_data.m_data;
  EXPECT_EQ(view->Line(0), QStr(tvl::DumpLine(source.data(), source.size(), 0)));

  // A translation of several megabytes opens and scrolls at once: only visible lines are made.
  MakeTranslatable(f);
  std::vector<BYTE> big(8 * 1024 * 1024);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<BYTE>(i * 7);
  data->m_data.SetBlob(CContentViewFixture::kFrench, big);
  QElapsedTimer timer;
  timer.start();
  f.doc.UpdateAllViews(HintResourceChanged, data);
  view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
  view->viewport()->repaint();
  EXPECT_LT(timer.elapsed(), 500);
  EXPECT_EQ(view->verticalScrollBar()->maximum() + view->verticalScrollBar()->pageStep(),
            static_cast<int>(big.size() / 16));
  EXPECT_EQ(view->Line(0x7FFFF), QStr(tvl::DumpLine(big.data(), big.size(), 0x7FFFF)));
  EXPECT_TRUE(view->Line(0x7FFFF).startsWith(QStringLiteral("007FFFF0  ")));

  // Delete asks the header, which asks the user, then removes the translation.
  CRecordingSink sink;
  sink.answers.push_back(IDYES);
  view->setFocus();
  QTest::keyClick(view, Qt::Key_Delete);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text, u"Are you sure you want to delete the existing translation for this resource ?");
  EXPECT_FALSE(data->HasTranslation(CContentViewFixture::kFrench));
  EXPECT_EQ(view->Line(0), QStr(tvl::DumpLine(source.data(), source.size(), 0)));
}

TEST(CManifestView, ShowsTheManifestOfTheLanguageReadOnly) {
  CContentViewFixture f;
  auto* manifest = f.SelectResource<CResManifest>(u"XP Manifests", u"1");
  ASSERT_NE(manifest, nullptr);
  auto* view = f.View<CManifestView>();
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->isReadOnly());
  EXPECT_EQ(view->toPlainText(), QStr(manifest->m_text.m_text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));

  MakeTranslatable(f);
  CScratchDir dir;
  const std::string text = "<assembly>fr</assembly>";
  WriteFileBytes(dir.file("fr.manifest"), {text.begin(), text.end()});
  f.frame->ResourcePane()->Header()->ImportFrom(tvl::FromUtf8(dir.file("fr.manifest")));
  EXPECT_EQ(view->toPlainText(), QStringLiteral("<assembly>fr</assembly>"));
  // Marked do-not-translate again, the source is shown whatever the language holds.
  MakeTranslatable(f);
  EXPECT_NE(view->toPlainText(), QStringLiteral("<assembly>fr</assembly>"));
  f.doc.Undo();
  EXPECT_EQ(view->toPlainText(), QStringLiteral("<assembly>fr</assembly>"));
  f.SetLanguage(CContentViewFixture::kGerman);
  EXPECT_NE(view->toPlainText(), QStringLiteral("<assembly>fr</assembly>"));
}

TEST(CHtmlResView, ShowsThePageFromAFreshTemporaryFile) {
  CContentViewFixture f;
  auto* page = f.SelectByText<CResBinary>(u"23", u"INDEX.HTM");
  ASSERT_NE(page, nullptr);
  auto* view = f.View<CHtmlResView>();
  ASSERT_NE(view, nullptr);
  const QString first = view->ShownFile();
  QFileInfo info(first);
  EXPECT_TRUE(info.exists());
  EXPECT_EQ(info.suffix(), QStringLiteral("HTM"));
  EXPECT_EQ(info.size(), static_cast<qint64>(page->m_data.m_data.size()));
  EXPECT_TRUE(view->toPlainText().contains(QStringLiteral("Hello from a resource.")));
  // Each refresh writes a new file and removes the previous one; leaving the node removes the last.
  f.doc.UpdateAllViews(HintRefreshAll);
  const QString second = view->ShownFile();
  EXPECT_NE(second, first);
  EXPECT_FALSE(QFileInfo::exists(first));
  f.Select(f.FindNode(u"String Table"));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(QFileInfo::exists(second));
}
