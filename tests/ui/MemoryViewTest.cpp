#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QSpinBox>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "UiTestSupport.h"
#include "formats/text/ResStringTable.h"
#include "platform/Text.h"
#include "tm/TranslationMemory.h"
#include "ui/dialogs/DialogSupport.h"
#include "ui/views/MemoryView.h"
#include "ui/views/StringTableView.h"
#include "ui/views/TranslationView.h"
#include "workspace/CommandIds.h"

namespace {

constexpr LANGID kFrench = 0x040C;

// The project open in French on its string table, with a memory that knows two of its strings.
struct MemoryFixture : CFrameFixture {
  MemoryFixture() {
    // A memory of its own: other tests commit into the program's.
    if (const char* p = getenv("XDG_DATA_HOME")) previousData = p;
    setenv("XDG_DATA_HOME", data.path().c_str(), 1);
    EXPECT_TRUE(Open(project.Path()));
    SetLanguage(kFrench);
    Select(FindNode(u"String Table"));
    view()->Memory()->Add({{"en-US", u"Fifteen", "fr-FR", u"Quinze", "", "", "", 1},
                           {"en-US", u"Sixteen", "fr-FR", u"Seize", "", "", "", 1},
                           {"en-US", u"Open the file\nOpen", "fr-FR", u"Ouvrir le fichier\nOuvrir", "", "", "", 1}});
  }
  CMemoryMatchesView* view() const { return frame->findChild<CMemoryMatchesView*>(); }
  void Offer(DWORD id) {
    StringView()->setFocus();
    StringView()->setCurrentIndex(StringView()->Model()->index(StringView()->RowOfId(id), 0));
  }
  const CLocalizedString& String(DWORD id) const { return doc.m_modules[0]->m_resTable.m_stringTable.FindString(id)->m_value; }
  std::vector<unsigned char> Saved(const char* name) {
    EXPECT_TRUE(doc.OnSaveDocument(tvl_test_u16(project.dir.file(name))));
    return ReadFileBytes(project.dir.file(name));
  }
  ~MemoryFixture() { setenv("XDG_DATA_HOME", previousData.c_str(), 1); }
  CScratchDir data;
  std::string previousData;
  CProjectFile project;
};

}  // namespace

TEST(MemoryView, ShowsTheMatchesAndCtrlDigitPutsOneIntoTheEditor) {
  MemoryFixture f;
  f.Offer(1001);  // "Open a file\nOpen": one word changed
  ASSERT_EQ(f.view()->Matches().size(), 1u);
  EXPECT_GE(f.view()->Matches()[0].m_percent, 70);
  EXPECT_LT(f.view()->Matches()[0].m_percent, 100);
  EXPECT_EQ(f.view()->topLevelItemCount(), 1);
  f.Offer(15);
  ASSERT_EQ(f.view()->topLevelItemCount(), 1);
  EXPECT_TRUE(f.view()->topLevelItem(0)->text(0).startsWith(QStringLiteral("100 %")));
  QTest::keyClick(f.frame->Editor()->TranslationBox(), Qt::Key_1, Qt::ControlModifier);
  EXPECT_EQ(f.frame->Editor()->TranslationBox()->toPlainText(), QStringLiteral("Quinze"));
  EXPECT_FALSE(f.view()->Insert(1));  // only one match
  QTest::keyClick(f.frame->Editor()->TranslationBox(), Qt::Key_Return);
  EXPECT_EQ(f.String(15).GetText(kFrench), u"Quinze");
}

TEST(MemoryView, CommittedTranslationsGoIntoTheMemory) {
  MemoryFixture f;
  f.Offer(1);
  f.TypeAndCommit(QStringLiteral("Un"));
  auto matches = f.view()->Memory()->Lookup("en-US", "fr-FR", u"One", 100, 3);
  ASSERT_EQ(matches.size(), 1u);
  EXPECT_EQ(matches[0].m_suggestion, u"Un");
  EXPECT_EQ(matches[0].m_segment.m_element, "text");
}

TEST(MemoryView, PretranslateIsOneUndoableStep) {
  MemoryFixture f;
  std::vector<unsigned char> before = f.Saved("before.tvl");
  size_t undoSteps = f.doc.GetUndoList().GetCount();
  auto previous = tvl::ui::SetModalRunner([](QDialog& d) {
    auto* dialog = dynamic_cast<CPretranslateDlg*>(&d);
    if (!dialog) return static_cast<int>(QDialog::Accepted);  // the summary
    EXPECT_EQ(dialog->Language(), kFrench);
    dialog->MinMatchBox()->setValue(70);
    return static_cast<int>(QDialog::Accepted);
  });
  CRecordingSink sink;
  f.frame->findChild<QAction*>("pretranslate")->trigger();
  tvl::ui::SetModalRunner(previous);
  ASSERT_FALSE(sink.messages.empty());
  EXPECT_EQ(tvl::ToUtf8(sink.messages.back().text).rfind(
                "Pre-translated 3 texts into fr-FR: 2 exact matches (translated), 1 match of 70 % or more (to review); ", 0),
            0u)
      << tvl::ToUtf8(sink.messages.back().text);
  EXPECT_EQ(f.String(16).GetText(kFrench), u"Seize");
  EXPECT_EQ(f.String(16).FindValue(kFrench)->m_status, 1);
  EXPECT_EQ(f.String(1001).FindValue(kFrench)->m_status, 0);
  EXPECT_EQ(f.doc.GetUndoList().GetCount(), undoSteps + 1);
  f.frame->RunCommand(ID_EDIT_UNDO);
  QTest::qWait(10);
  EXPECT_EQ(f.String(16).FindValue(kFrench), nullptr);
  EXPECT_EQ(f.Saved("undone.tvl"), before);
}

TEST(MemoryView, TheSettingsNameTheMemoryFile) {
  CScratchDir config;
  std::ofstream(config.file("Workspace.ini")) << "[Translation Memory]\nFile=" << config.file("chosen.tm") << "\n";
  CFrameFixture f(config.file("Workspace.ini"));
  CTranslationMemory* memory = f.frame->findChild<CMemoryMatchesView*>()->Memory();
  ASSERT_NE(memory, nullptr);
  EXPECT_EQ(memory->GetPath(), config.file("chosen.tm"));
  EXPECT_TRUE(std::filesystem::exists(config.file("chosen.tm")));
}

// Pictures for a reviewer (see tools/screenshots): the matches of a changed string, and the
// Pre-translate dialog.
TEST(Screenshots, MemoryMatches) {
  QString dir = qEnvironmentVariable("TVL_SCREENSHOT_DIR");
  if (dir.isEmpty()) GTEST_SKIP() << "TVL_SCREENSHOT_DIR is not set";
  MemoryFixture f;
  f.frame->resize(1100, 720);
  f.Offer(1001);
  QTest::qWait(50);
  EXPECT_TRUE(f.frame->grab().save(QDir(dir).filePath(QStringLiteral("tvl-memory-matches.png"))));
  auto previous = tvl::ui::SetModalRunner([&](QDialog& d) {
    d.show();
    QTest::qWait(50);
    EXPECT_TRUE(d.grab().save(QDir(dir).filePath(QStringLiteral("tvl-dialog-pretranslate.png"))));
    return static_cast<int>(QDialog::Rejected);
  });
  f.frame->findChild<QAction*>("pretranslate")->trigger();
  tvl::ui::SetModalRunner(previous);
}
