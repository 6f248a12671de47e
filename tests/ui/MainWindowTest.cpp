#include <gtest/gtest.h>

#include <QComboBox>
#include <QTreeWidget>

#include "UiTestSupport.h"
#include "ui/GuiApplication.h"
#include "ui/views/ProjectResView.h"

TEST(MainWindow, TitleNamesProgramProjectAndModifiedMark) {
  EXPECT_EQ(MainWindowTitle(u"Example.tvl", false), u"Tessalingvora - Example.tvl  ");
  EXPECT_EQ(MainWindowTitle(u"Example.tvl", true), u"Tessalingvora - Example.tvl *");
  CFrameFixture f;
  EXPECT_EQ(f.frame->windowTitle(), QStringLiteral("Tessalingvora - Untitled  "));
  CProjectFile project;
  ASSERT_TRUE(f.Open(project.Path()));
  EXPECT_EQ(f.frame->windowTitle(), QStringLiteral("Tessalingvora - App.tvl  "));
  f.doc.SetModifiedFlag(true);
  f.frame->UpdateTitle();
  EXPECT_EQ(f.frame->windowTitle(), QStringLiteral("Tessalingvora - App.tvl *"));
}

TEST(MainWindow, LanguageListHoldsSourceFirstTargetsSortedAndLanguagesLast) {
  CFrameFixture f;
  CProjectFile project;
  ASSERT_TRUE(f.Open(project.Path()));
  QComboBox* list = f.frame->LanguageList();
  ASSERT_EQ(list->count(), 4);
  EXPECT_TRUE(list->itemText(0).endsWith(QStringLiteral(" (Source)"))) << list->itemText(0).toStdString();
  EXPECT_EQ(list->itemData(0).toUInt(), 0x0409u);
  // German was added first but French sorts before it.
  EXPECT_EQ(list->itemData(1).toUInt(), 0x040Cu);
  EXPECT_EQ(list->itemData(2).toUInt(), 0x0407u);
  EXPECT_EQ(list->itemText(3), QStringLiteral("Languages..."));
  EXPECT_EQ(list->itemData(3).toUInt(), 0xFFFFu);
  EXPECT_EQ(f.frame->GetSelectedLanguage(), 0x0409);
}
