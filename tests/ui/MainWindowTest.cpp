#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QMimeData>
#include <QUrl>
#include <QTest>
#include <QTreeWidget>

#include "UiTestSupport.h"
#include "ui/GuiApplication.h"
#include "ui/views/ProjectResView.h"
#include "ui/views/TranslationView.h"
#include "platform/Text.h"
#include "workspace/CommandIds.h"

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

TEST(MainWindow, LanguageChangesOfTheProjectReachTheList) {
  CFrameFixture f;
  CProjectFile project;
  ASSERT_TRUE(f.Open(project.Path()));
  f.SetLanguage(0x0407);
  QComboBox* list = f.frame->LanguageList();

  // Spanish is added: it sorts after French and German, before "Languages...", and becomes
  // the selected language.
  CLanguageArray working = f.doc.m_languages;
  working.Add(CLanguage(0x0C0A));
  f.doc.ApplyLanguages(working);
  ASSERT_EQ(list->count(), 5);
  EXPECT_EQ(list->itemData(3).toUInt(), 0x0C0Au);
  EXPECT_EQ(f.frame->GetSelectedLanguage(), 0x0C0A);

  // Removing the selected language selects the first entry, the source.
  f.SetLanguage(0x0407);
  CLanguageArray fewer;
  fewer.Add(CLanguage(0x040C));
  fewer.Add(CLanguage(0x0C0A));
  f.doc.ApplyLanguages(fewer);
  EXPECT_EQ(list->count(), 4);
  EXPECT_EQ(f.frame->GetSelectedLanguage(), 0x0409);
  EXPECT_EQ(list->currentIndex(), 0);
}

TEST(MainWindow, DroppingAProjectFileOpensIt) {
  CFrameFixture f;
  CProjectFile project;
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdU16String(project.Path()))});
  QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(f.frame.get(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(f.frame.get(), &drop);
  EXPECT_EQ(f.doc.GetPathName(), project.Path());
  ASSERT_NE(f.frame->Tree()->Root(), nullptr);
  EXPECT_EQ(f.frame->Tree()->Root()->m_children.size(), 1u);
  ASSERT_FALSE(f.frame->RecentFiles().empty());
  EXPECT_EQ(f.frame->RecentFiles()[0], project.Path());
}

TEST(MainWindow, MessageTypesChooseIconAndButtons) {
  auto question = CreateMessageBox(u"Sure?", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
  EXPECT_EQ(question->icon(), QMessageBox::Question);
  EXPECT_EQ(question->standardButtons(), QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(static_cast<QAbstractButton*>(question->defaultButton()), question->button(QMessageBox::No));
  auto error = CreateMessageBox(u"Bad", MB_ICONERROR);
  EXPECT_EQ(error->icon(), QMessageBox::Critical);
  EXPECT_EQ(error->standardButtons(), QMessageBox::Ok);
  auto save = CreateMessageBox(u"Save?", MB_YESNOCANCEL | MB_ICONWARNING);
  EXPECT_EQ(save->icon(), QMessageBox::Warning);
  EXPECT_EQ(static_cast<QAbstractButton*>(save->defaultButton()), save->button(QMessageBox::Yes));
}

// The command states are checked right after each change, with no event processed in
// between: a state that waited for a later refresh would read as the one before.
TEST(MainWindowCommands, UndoAndRedoFollowEachEditAtOnce) {
  CFrameFixture f;
  CProjectFile project;
  ASSERT_TRUE(f.Open(project.Path()));
  f.SetLanguage(0x040C);
  f.Select(f.FindNode(u"String Table"));
  QAction* undo = f.frame->Action(ID_EDIT_UNDO);
  QAction* redo = f.frame->Action(ID_EDIT_REDO);
  ASSERT_FALSE(undo->isEnabled());
  // Committed with the mouse, so that no key press passes by on the way.
  auto commit = [&](const QString& text) {
    f.frame->Editor()->TranslationBox()->setPlainText(text);
    QTest::mouseClick(f.frame->Editor()->OkButton(), Qt::LeftButton);
  };
  commit(QStringLiteral("Un"));
  EXPECT_TRUE(undo->isEnabled());
  EXPECT_FALSE(redo->isEnabled());
  EXPECT_EQ(f.frame->windowTitle().right(1), QStringLiteral("*"));
  f.frame->RunCommand(ID_EDIT_UNDO);
  EXPECT_TRUE(redo->isEnabled());
  commit(QStringLiteral("Deux"));
  EXPECT_FALSE(redo->isEnabled());
}

TEST(MainWindowCommands, ModuleCommandsFollowTheSelectionFocusAndDeletion) {
  CRecordingSink sink;
  CFrameFixture f;
  f.frame->Hooks().moduleProperties = [](CModule*) { return false; };
  CProjectFile project;
  ASSERT_TRUE(f.Open(project.Path()));
  QAction* del = f.frame->Action(ID_EDIT_DELETE);
  const struct {
    const char16_t* node;
    bool moduleSelected;
  } selections[] = {{u"App.exe", true}, {u"String Table", false}, {u"App.exe", true}};
  f.frame->Tree()->setFocus();
  for (const auto& s : selections) {
    f.Select(f.FindNode(s.node));
    EXPECT_EQ(f.frame->Action(ID_MODULE_PROPERTIES)->isEnabled(), s.moduleSelected) << tvl::ToUtf8(s.node);
    EXPECT_EQ(del->isEnabled(), s.moduleSelected) << tvl::ToUtf8(s.node);
    EXPECT_EQ(del->text(), QStringLiteral("&Delete Module\tDel"));
  }
  // The editor takes the focus once it offers a string.
  f.SetLanguage(0x040C);
  f.Select(f.FindNode(u"String Table"));
  f.frame->Editor()->TranslationBox()->setFocus();
  EXPECT_EQ(del->text(), QStringLiteral("&Delete Translation\tDel"));
  f.frame->Tree()->setFocus();
  EXPECT_EQ(del->text(), QStringLiteral("&Delete Module\tDel"));
  f.Select(f.FindNode(u"App.exe"));

  const int moduleCommands[] = {ID_UPDATE_SOURCE, ID_UPDATE_SOURCE_ALL, ID_MODULE_PROPERTIES, ID_EDIT_DELETE};
  sink.answers = {IDYES};
  QTest::keyClick(f.frame->Tree(), Qt::Key_Delete);
  ASSERT_TRUE(f.doc.m_modules.empty());
  for (int id : moduleCommands) EXPECT_FALSE(f.frame->Action(id)->isEnabled()) << id;
  EXPECT_TRUE(f.frame->Action(ID_EDIT_UNDO)->isEnabled());

  f.frame->RunCommand(ID_EDIT_UNDO);
  ASSERT_EQ(f.doc.m_modules.size(), 1u);
  for (int id : moduleCommands) EXPECT_TRUE(f.frame->Action(id)->isEnabled()) << id;
}
