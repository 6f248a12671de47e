#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <filesystem>
#include <map>
#include <set>
#include <vector>

#include "UiTestSupport.h"
#include "platform/Text.h"
#include "ui/dialogs/InstallDialogs.h"
#include "ui/views/ProjectResView.h"
#include "ui/views/TranslationView.h"
#include "workspace/ViewRules.h"

namespace {

// What a menu shows of each item: text and enabled state, separators left out.
using MenuState = std::vector<std::pair<QString, bool>>;

MenuState StateOf(const QMenu& menu) {
  MenuState state;
  for (const QAction* a : menu.actions())
    if (!a->isSeparator() && a->isVisible()) state.emplace_back(a->text(), a->isEnabled());
  return state;
}

QAction* TopAction(QMenuBar* bar, const QString& title) {
  for (QAction* a : bar->actions())
    if (a->text() == title) return a;
  return nullptr;
}

// Opens the menu as the user does, reads it while it is shown and closes it again.
MenuState OpenAndRead(CMainFrame& frame, const QString& title, bool byKeyboard) {
  QMenuBar* bar = frame.menuBar();
  QAction* top = TopAction(bar, title);
  if (!top) return {};
  if (byKeyboard) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : &frame, static_cast<Qt::Key>(title.at(title.indexOf(u'&') + 1).toUpper().unicode()),
                    Qt::AltModifier);
  } else {
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(top).center());
  }
  QTest::qWait(20);
  MenuState state;
  if (QApplication::activePopupWidget() == top->menu()) state = StateOf(*top->menu());
  // Escape closes the menu; a second one leaves the menu bar's keyboard mode.
  for (int i = 0; i < 2 && (QApplication::activePopupWidget() || QApplication::focusWidget() == bar); ++i)
    QTest::keyClick(QApplication::activePopupWidget() ? QApplication::activePopupWidget() : bar, Qt::Key_Escape);
  QTest::qWait(20);
  return state;
}

// The letter after a single '&'; 0 when there is none.
QChar Mnemonic(const QString& text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'&') continue;
    if (text[i + 1] == u'&') {
      ++i;
      continue;
    }
    return text[i + 1].toLower();
  }
  return {};
}

// Every menu of the bar with its submenus, and the bar itself as the menu of the titles.
void CollectMenus(QMenu* menu, std::vector<QMenu*>& menus) {
  menus.push_back(menu);
  for (QAction* a : menu->actions())
    if (a->menu()) CollectMenus(a->menu(), menus);
}

// A frame over the fixture project with the dialogs installed.
struct MenuFixture : CFrameFixture {
  MenuFixture() {
    InstallDialogs(*frame);
    EXPECT_TRUE(Open(project.Path()));
  }
  CProjectFile project;
};

}  // namespace

// A menu opened with Alt and its letter shows what the mouse-opened one shows: the states
// of the pane that had the focus, not of the menu bar that takes it.
TEST(MenuCommands, KeyboardAndMouseOpenTheSameMenu) {
  CRecordingSink sink;
  MenuFixture f;
  f.SetLanguage(0x040C);
  const struct {
    const char* pane;
    const char16_t* node;
    QString deleteText;
    bool deleteEnabled;  // a module can go; the string offered has no translation to delete
  } cases[] = {{"tree", u"App.exe", QStringLiteral("&Delete Module\tDel"), true},
               {"editor", u"String Table", QStringLiteral("&Delete Translation\tDel"), false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pane);
    f.Select(f.FindNode(c.node));
    QWidget* pane = std::string(c.pane) == "tree" ? static_cast<QWidget*>(f.frame->Tree())
                                                  : static_cast<QWidget*>(f.frame->Editor()->TranslationBox());
    for (const char* menu : {"&Edit", "&File", "T&ranslations"}) {
      SCOPED_TRACE(menu);
      pane->setFocus();
      QTest::qWait(10);
      ASSERT_EQ(QApplication::focusWidget(), pane);
      MenuState byMouse = OpenAndRead(*f.frame, QString::fromLatin1(menu), false);
      ASSERT_FALSE(byMouse.empty());
      EXPECT_EQ(QApplication::focusWidget(), pane);
      MenuState byKeyboard = OpenAndRead(*f.frame, QString::fromLatin1(menu), true);
      EXPECT_EQ(byKeyboard, byMouse);
      EXPECT_EQ(QApplication::focusWidget(), pane);
    }
    MenuState edit = OpenAndRead(*f.frame, QStringLiteral("&Edit"), true);
    auto del = std::find_if(edit.begin(), edit.end(), [&c](const auto& item) { return item.first == c.deleteText; });
    ASSERT_NE(del, edit.end());
    EXPECT_EQ(del->second, c.deleteEnabled);
  }
}

TEST(MenuCommands, NoTwoItemsOfAMenuShareAMnemonic) {
  MenuFixture f;
  std::vector<QMenu*> menus;
  for (QAction* top : f.frame->menuBar()->actions())
    if (top->menu()) CollectMenus(top->menu(), menus);
  ASSERT_GE(menus.size(), 6u);
  std::vector<std::pair<QString, std::vector<QString>>> levels;
  std::vector<QString> titles;
  for (QAction* top : f.frame->menuBar()->actions()) titles.push_back(top->text());
  levels.emplace_back(QStringLiteral("menu bar"), titles);
  for (QMenu* menu : menus) {
    std::vector<QString> texts;
    for (QAction* a : menu->actions())
      if (!a->isSeparator() && a->isVisible()) texts.push_back(a->text());
    levels.emplace_back(menu->title(), texts);
  }
  size_t items = 0;
  for (const auto& [name, texts] : levels) {
    std::map<QChar, QString> seen;
    for (const QString& text : texts) {
      ++items;
      QChar letter = Mnemonic(text);
      if (letter.isNull()) continue;
      auto [it, fresh] = seen.emplace(letter, text);
      EXPECT_TRUE(fresh) << name.toStdString() << ": \"" << text.toStdString() << "\" and \""
                         << it->second.toStdString() << "\" share '" << QString(letter).toStdString() << "'";
    }
  }
  EXPECT_GT(items, 40u);
  // Nor does a menu title share its letter with a box or button of the window: Alt and the
  // letter would then not open the menu.
  f.SetLanguage(0x040C);
  f.Select(f.FindNode(u"String Table"));
  std::set<QChar> letters;
  for (QAction* top : f.frame->menuBar()->actions()) letters.insert(Mnemonic(top->text()));
  for (QWidget* w : f.frame->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(f.frame.get())) continue;
    QString text;
    if (auto* label = qobject_cast<QLabel*>(w); label && label->buddy()) text = label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
    QChar letter = Mnemonic(text);
    EXPECT_TRUE(letter.isNull() || !letters.count(letter)) << text.toStdString();
  }
  // The other texts of the delete command keep its letter.
  EXPECT_EQ(Mnemonic(QStringLiteral("&Delete Module\tDel")), Mnemonic(f.frame->Action(ID_EDIT_DELETE)->text()));
}

TEST(MenuCommands, RecentFilesShowAnAmpersandAsItIs) {
  CScratchDir dir;
  std::filesystem::create_directories(dir.file("Tom & Jerry"));
  CProjectFile project;
  std::filesystem::copy_file(tvl::ToUtf8(project.Path()), dir.file("Tom & Jerry/p.tvl"));
  std::filesystem::copy_file(project.dir.file("App.exe"), dir.file("Tom & Jerry/App.exe"));
  CFrameFixture f;
  ASSERT_TRUE(f.Open(tvl::FromUtf8(dir.file("Tom & Jerry/p.tvl"))));
  const QAction* recent = nullptr;
  for (QAction* a : f.frame->menuBar()->actions().first()->menu()->actions())
    if (a->isVisible() && a->text().startsWith(QStringLiteral("&1 "))) recent = a;
  ASSERT_NE(recent, nullptr);
  EXPECT_TRUE(recent->text().endsWith(QStringLiteral("Tom && Jerry/p.tvl"))) << recent->text().toStdString();
  EXPECT_EQ(Mnemonic(recent->text()), QChar(u'1'));
}

// Each key has one name in every shortcut text ("Alt+Enter" as the tree's menu says, never
// "Alt+Return" beside it), and the key named does what the text says.
TEST(MenuCommands, ShortcutTextsNameEachKeyOneWay) {
  MenuFixture f;
  std::vector<QMenu*> menus;
  for (QAction* top : f.frame->menuBar()->actions())
    if (top->menu()) CollectMenus(top->menu(), menus);
  std::set<QString> names;
  for (QMenu* menu : menus) {
    for (QAction* a : menu->actions()) {
      if (a->isSeparator()) continue;
      qsizetype tab = a->text().indexOf(u'\t');
      QString keys = tab >= 0 ? a->text().mid(tab + 1) : a->shortcut().toString(QKeySequence::NativeText);
      for (const QString& key : keys.split(u'+', Qt::SkipEmptyParts)) names.insert(key.trimmed());
    }
  }
  const std::vector<std::vector<QString>> synonyms = {
      {QStringLiteral("Enter"), QStringLiteral("Return")}, {QStringLiteral("Del"), QStringLiteral("Delete")},
      {QStringLiteral("Esc"), QStringLiteral("Escape")},   {QStringLiteral("Ins"), QStringLiteral("Insert")},
      {QStringLiteral("Ctrl"), QStringLiteral("Control")}, {QStringLiteral("PgUp"), QStringLiteral("PageUp")},
      {QStringLiteral("PgDown"), QStringLiteral("PageDown")}};
  for (const auto& group : synonyms) {
    int used = 0;
    for (const QString& name : group) used += names.count(name) ? 1 : 0;
    EXPECT_LE(used, 1) << group[0].toStdString() << " has two names";
  }
  EXPECT_TRUE(names.count(QStringLiteral("Enter")));
  EXPECT_TRUE(names.count(QStringLiteral("Del")));

  // Alt+Enter on the module runs Properties.
  int properties = 0;
  f.frame->Hooks().moduleProperties = [&properties](CModule*) { return ++properties, false; };
  f.frame->UpdateCommandUi();
  f.Select(f.FindNode(u"App.exe"));
  f.frame->Tree()->setFocus();
  QTest::keyClick(f.frame->Tree(), Qt::Key_Return, Qt::AltModifier);
  QTest::keyClick(f.frame->Tree(), Qt::Key_Enter, Qt::AltModifier | Qt::KeypadModifier);
  EXPECT_EQ(properties, 2);
}
