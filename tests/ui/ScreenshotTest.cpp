#include <gtest/gtest.h>

#include <QDir>
#include <QPixmap>
#include <QTest>

#include "UiTestSupport.h"
#include "ui/GuiApplication.h"
#include "ui/views/ProjectResView.h"
#include <QMessageBox>

// Pictures of the main window for a reviewer: written only when TVL_SCREENSHOT_DIR names a
// folder, e.g. TVL_SCREENSHOT_DIR=/tmp tests_ui --gtest_filter='Screenshots.*'.
TEST(Screenshots, MainWindowStates) {
  QString dir = qEnvironmentVariable("TVL_SCREENSHOT_DIR");
  if (dir.isEmpty()) GTEST_SKIP() << "TVL_SCREENSHOT_DIR is not set";
  CFrameFixture f;
  f.frame->resize(1100, 720);
  CProjectFile project;
  ASSERT_TRUE(f.Open(project.Path()));
  QTest::qWait(50);
  EXPECT_TRUE(f.frame->grab().save(QDir(dir).filePath(QStringLiteral("tvl-project.png"))));
  f.SetLanguage(0x040C);
  f.frame->ChooseModeEntry(2);
  f.Select(f.FindNode(u"String Table"));
  QTest::qWait(50);
  EXPECT_TRUE(f.frame->grab().save(QDir(dir).filePath(QStringLiteral("tvl-strings.png"))));

  f.frame->ChooseModeEntry(0);
  f.Select(f.FindNode(u"600"));
  QTest::qWait(50);
  EXPECT_TRUE(f.frame->grab().save(QDir(dir).filePath(QStringLiteral("tvl-bitmap.png"))));

  auto question = CreateMessageBox(u"Should the translation use the source text unchanged ?",
                                   MB_YESNO | MB_ICONQUESTION, f.frame.get());
  question->show();
  QTest::qWait(50);
  EXPECT_TRUE(question->grab().save(QDir(dir).filePath(QStringLiteral("tvl-question.png"))));
}
