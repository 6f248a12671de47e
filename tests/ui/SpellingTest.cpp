#include <gtest/gtest.h>

#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include "UiTestSupport.h"
#include "platform/SpellDictionary.h"
#include "ui/views/SpellHighlighter.h"
#include "ui/views/StringTableView.h"
#include "ui/views/TranslationView.h"
#include "workspace/SpellChecker.h"

namespace {

constexpr LANGID kFrench = 0x040C;
constexpr LANGID kJapanese = 0x0411;

bool HaveFrench() { return !tvl::FindDictionary("fr-FR", tvl::DictionaryFolders()).empty(); }

// The project in French on its string table, the personal word lists in a scratch folder.
struct SpellingFixture {
  SpellingFixture() : dataHome("XDG_DATA_HOME", data.path().c_str()) { Start(); }
  // A new window, as the next run of the program.
  void Start() {
    menu.reset();
    f.reset();
    f = std::make_unique<CFrameFixture>();
    EXPECT_TRUE(f->Open(project.Path()));
    f->SetLanguage(kFrench);
    f->Select(f->FindNode(u"String Table"));
  }
  CTranslationView* editor() const { return f->frame->Editor(); }
  CTranslationEdit* box() const { return editor()->TranslationBox(); }
  void Type(const QString& text) {
    box()->setFocus();
    box()->selectAll();
    QTest::keyClick(box(), Qt::Key_Delete);
    QTest::keyClicks(box(), text);
  }
  // The underlined parts of the translation box, as text.
  QStringList Marked() const {
    QStringList out;
    for (QTextBlock b = box()->document()->begin(); b.isValid(); b = b.next())
      for (const QTextLayout::FormatRange& r : b.layout()->formats())
        if (r.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline)
          out << b.text().mid(r.start, r.length);
    return out;
  }
  // The context menu's actions over the first occurrence of `word`.
  QMenu* MenuOver(const QString& word) {
    QTextCursor c(box()->document());
    c.setPosition(static_cast<int>(box()->toPlainText().indexOf(word)) + 2);
    menu.reset(box()->createStandardContextMenu());
    box()->m_decorateMenu(menu.get(), box()->cursorRect(c).center());
    return menu.get();
  }
  QAction* Action(const QString& text) const {
    for (QAction* a : menu->actions())
      if (a->text() == text) return a;
    return nullptr;
  }

  CScratchDir data;
  CScopedEnv dataHome;
  CProjectFile project;
  std::unique_ptr<CFrameFixture> f;
  // The box's own menu: goes before the box does.
  std::unique_ptr<QMenu> menu;
};

}  // namespace

TEST(TranslationSpelling, MarksMisspelledFrenchButNotPlaceholdersOrMnemonics) {
  if (!HaveFrench()) GTEST_SKIP() << "no French dictionary installed (scripts/setup.sh installs one)";
  SpellingFixture s;
  s.Type(QStringLiteral("Ouvrir le fichierr %s %1!u! %-5.2f\\n{0} &Fichier Fi&chierr"));
  EXPECT_EQ(s.Marked(), (QStringList{QStringLiteral("fichierr"), QStringLiteral("Fi"), QStringLiteral("chierr")}));
  EXPECT_TRUE(s.editor()->SpellingNote()->isHidden());

  // A suggestion replaces the word and keeps its mnemonic.
  QMenu* menu = s.MenuOver(QStringLiteral("Fi&chierr"));
  ASSERT_NE(s.Action(QStringLiteral("&Add to dictionary")), nullptr);
  QAction* fix = s.Action(QStringLiteral("Fichier"));  // in the word's case
  ASSERT_NE(fix, nullptr);
  EXPECT_LT(menu->actions().indexOf(fix), menu->actions().indexOf(s.Action(QStringLiteral("&Delete Translation"))));
  fix->trigger();
  EXPECT_TRUE(s.box()->toPlainText().endsWith(QStringLiteral("&Fichier Fi&chier")));
  EXPECT_EQ(s.Marked(), QStringList{QStringLiteral("fichierr")});

  // A correct word offers nothing of spelling.
  s.MenuOver(QStringLiteral("Ouvrir"));
  EXPECT_EQ(s.Action(QStringLiteral("&Add to dictionary")), nullptr);
}

TEST(TranslationSpelling, AddedWordIsNoLongerMarkedAndKeptForTheNextRun) {
  if (!HaveFrench()) GTEST_SKIP() << "no French dictionary installed (scripts/setup.sh installs one)";
  SpellingFixture s;
  const QString text = QStringLiteral("Le fichierr de tessalingvoraa");
  s.Type(text);
  EXPECT_EQ(s.Marked(), (QStringList{QStringLiteral("fichierr"), QStringLiteral("tessalingvoraa")}));
  s.MenuOver(QStringLiteral("tessalingvoraa"));
  QAction* add = s.Action(QStringLiteral("&Add to dictionary"));
  ASSERT_NE(add, nullptr);
  add->trigger();
  EXPECT_EQ(s.Marked(), QStringList{QStringLiteral("fichierr")});
  EXPECT_EQ(ReadFileText(s.data.file("tessalingvora/spelling/fr_FR.txt")), "tessalingvoraa\n");

  s.Start();
  s.Type(text);
  EXPECT_EQ(s.Marked(), QStringList{QStringLiteral("fichierr")});
}

TEST(TranslationSpelling, LanguageWithoutDictionaryMarksNothingAndSaysSo) {
  if (!tvl::FindDictionary("ja-JP", tvl::DictionaryFolders()).empty()) GTEST_SKIP() << "a Japanese dictionary is installed";
  SpellingFixture s;
  CLanguageArray languages = s.f->doc.m_languages;
  languages.Add(CLanguage(kJapanese));
  s.f->doc.ApplyLanguages(languages);
  s.f->SetLanguage(kJapanese);
  s.f->Select(s.f->FindNode(u"String Table"));
  ASSERT_TRUE(s.editor()->IsFormEnabled());
  s.Type(QStringLiteral("fichierr xqzt"));
  EXPECT_TRUE(s.Marked().isEmpty());
  QLabel* note = s.editor()->SpellingNote();
  EXPECT_FALSE(note->isHidden());
  EXPECT_TRUE(note->text().contains(QStringLiteral("Japanese"))) << note->text().toStdString();
  // Back in French the note goes and the marks come.
  if (!HaveFrench()) return;
  s.f->SetLanguage(kFrench);
  s.f->Select(s.f->FindNode(u"String Table"));
  s.Type(QStringLiteral("fichierr"));
  EXPECT_TRUE(note->isHidden());
  EXPECT_EQ(s.Marked(), QStringList{QStringLiteral("fichierr")});
  // The source language has nothing to check and nothing to say.
  s.f->SetLanguage(0x0409);
  EXPECT_TRUE(note->isHidden());
}
