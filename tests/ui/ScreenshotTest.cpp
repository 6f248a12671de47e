#include <gtest/gtest.h>

#include <QDialog>
#include <QDir>
#include <QPixmap>
#include <QTest>

#include "UiTestSupport.h"
#include "ui/GuiApplication.h"
#include "ui/dialogs/DialogSupport.h"
#include "ui/dialogs/InstallDialogs.h"
#include "ui/views/ProjectResView.h"
#include "workspace/ViewRules.h"
#include <QMenu>
#include <QMessageBox>
#include <QTextBlock>

#include "formats/text/ResStringTable.h"
#include "ui/views/StringTableView.h"
#include "ui/views/TranslationView.h"

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
  question->hide();

  // The dialogs behind the menu commands, each pictured as it opens and then cancelled.
  InstallDialogs(*f.frame);
  QString name;
  int shots = 0;
  tvl::ui::ModalRunner previous = tvl::ui::SetModalRunner([&](QDialog& dialog) {
    dialog.show();
    QTest::qWait(50);
    EXPECT_TRUE(dialog.grab().save(QDir(dir).filePath(QStringLiteral("tvl-dialog-%1.png").arg(name))));
    ++shots;
    dialog.reject();
    return static_cast<int>(QDialog::Rejected);
  });
  const std::pair<int, const char*> commands[] = {{ID_FILE_INSERT_MODULE, "insert-module"},
                                                  {ID_TRANSLATIONS_LANGUAGES, "languages"},
                                                  {ID_TRANSLATIONS_BUILD, "build"},
                                                  {ID_BATCH_BUILD, "batch-build"}};
  for (auto [command, label] : commands) {
    name = QString::fromLatin1(label);
    f.frame->RunCommand(command);
  }
  tvl::ui::SetModalRunner(std::move(previous));
  EXPECT_EQ(shots, 4);
}

// The editor with a three-line message, and a misspelled French word underlined with the
// context menu's suggestions.
TEST(Screenshots, EditorAndSpelling) {
  QString dir = qEnvironmentVariable("TVL_SCREENSHOT_DIR");
  if (dir.isEmpty()) GTEST_SKIP() << "TVL_SCREENSHOT_DIR is not set";
  CScratchDir data;
  CScopedEnv dataHome("XDG_DATA_HOME", data.path().c_str());
  CFrameFixture f;
  CProjectFile project;
  ASSERT_TRUE(f.Open(project.Path()));
  f.SetLanguage(0x040C);
  f.Select(f.FindNode(u"String Table"));
  CResString* s = f.doc.m_modules[0]->m_resTable.m_stringTable.FindString(16);
  ASSERT_NE(s, nullptr);
  s->m_value.m_text = u"The file could not be opened.\r\nCheck that it exists and that you may read it,\r\nthen try again.";
  CStringTableView* view = f.StringView();
  view->setCurrentIndex(view->Model()->index(view->RowOfId(16), 0));
  QTest::qWait(50);
  EXPECT_TRUE(f.frame->grab().save(QDir(dir).filePath(QStringLiteral("tvl-editor-multiline.png"))));

  CTranslationEdit* box = f.frame->Editor()->TranslationBox();
  box->setFocus();
  QTest::keyClicks(box, QStringLiteral("Impossible d'ouvrir le fichierr %s."));
  QTest::qWait(50);
  EXPECT_TRUE(f.frame->grab().save(QDir(dir).filePath(QStringLiteral("tvl-spelling.png"))));
  QTextCursor c(box->document());
  c.setPosition(static_cast<int>(box->toPlainText().indexOf(QStringLiteral("fichierr"))) + 2);
  std::unique_ptr<QMenu> menu(box->createStandardContextMenu());
  box->m_decorateMenu(menu.get(), box->cursorRect(c).center());
  menu->popup(box->viewport()->mapToGlobal(box->cursorRect(c).bottomLeft()));
  QTest::qWait(50);
  EXPECT_TRUE(menu->grab().save(QDir(dir).filePath(QStringLiteral("tvl-spelling-menu.png"))));
}
