#include <gtest/gtest.h>

#include <QComboBox>
#include <QSplitter>

#include "UiTestSupport.h"
#include "app/Settings.h"
#include "ui/QtSettingsStore.h"

TEST(Settings, MissingOrOddValuesFallBackToTheDefaults) {
  tvl::CMemorySettingsStore store;
  CMainFrameSettings first;
  first.Load(store);
  EXPECT_FALSE(first.m_placement.has_value());
  EXPECT_EQ(first.m_viewMode, 32782);
  EXPECT_TRUE(first.m_showNonTranslatable);
  EXPECT_EQ(first.m_language, 0);

  CRegistry reg(store);
  ASSERT_TRUE(reg.CreateAppKey(u"MainFrame"));
  reg.WriteDword(u"ViewMode", 12345);
  reg.WriteDword(u"ShowNonTranslatableItems", 1);
  reg.WriteDword(u"SplitterHorzPosition", 3);
  std::vector<BYTE> shortRecord = CWindowPlacement().ToBytes();
  shortRecord.pop_back();
  reg.WriteBinary(u"Placement", shortRecord);
  CMainFrameSettings odd;
  odd.Load(store);
  EXPECT_EQ(odd.m_viewMode, 32782);
  EXPECT_FALSE(odd.m_showNonTranslatable);
  EXPECT_FALSE(odd.m_placement.has_value());
  EXPECT_EQ(odd.m_splitterHorz, 10u);  // the tree keeps at least 10 pixels

  tvl::CMemorySettingsStore other;
  CRegistry reg2(other);
  ASSERT_TRUE(reg2.CreateAppKey(u"MainFrame"));
  CWindowPlacement minimized;
  minimized.m_showCmd = CWindowPlacement::kMinimized;
  minimized.m_right = minimized.m_bottom = 100;
  reg2.WriteBinary(u"Placement", minimized.ToBytes());
  reg2.WriteDword(u"ViewMode", 32784);
  CMainFrameSettings again;
  again.Load(other);
  EXPECT_FALSE(again.m_placement.has_value());
  EXPECT_EQ(again.m_viewMode, 32784);
  EXPECT_FALSE(again.m_showNonTranslatable);  // the flag defaults to off outside 32782

  // A DWORD is not a binary value, nor the other way round.
  std::vector<BYTE> bytes;
  EXPECT_FALSE(reg.ReadBinary(u"ViewMode", bytes));
  DWORD v = 7;
  EXPECT_FALSE(reg.ReadDword(u"Placement", v));
  EXPECT_EQ(v, 7u);
}

TEST(Settings, PlacementIsMovedIntoTheWorkArea) {
  CWindowPlacement p;
  p.m_showCmd = 99;  // unknown: normal
  p.m_left = 3000;
  p.m_top = -500;
  p.m_right = 3800;
  p.m_bottom = 100;
  std::optional<CWindowPlacement> read = CWindowPlacement::FromBytes(p.ToBytes());
  ASSERT_TRUE(read.has_value());
  read->FitToWorkArea(0, 0, 1920, 1040);
  EXPECT_EQ(read->m_showCmd, CWindowPlacement::kNormal);
  EXPECT_EQ(read->m_left, 1120);
  EXPECT_EQ(read->m_top, 0);
  EXPECT_EQ(read->m_right, 1920);
  EXPECT_EQ(read->m_bottom, 600);
  std::vector<BYTE> wrongLength = p.ToBytes();
  wrongLength[0] = 40;
  EXPECT_FALSE(CWindowPlacement::FromBytes(wrongLength).has_value());
}

TEST(Settings, WindowStateSurvivesARestart) {
  CScratchDir dir;
  std::string ini = dir.file("Workspace.ini");
  CProjectFile project;
  {
    CFrameFixture f(ini);
    ASSERT_TRUE(f.Open(project.Path()));
    f.SetLanguage(0x0407);
    f.frame->ChooseModeEntry(1);
    f.frame->RowSplitter()->setSizes({400, 190});
    f.frame->ColumnSplitter()->setSizes({230, 700});
    ASSERT_TRUE(f.frame->close());
  }
  tvl::ui::CIniSettingsStore store(QStrU8(ini));
  EXPECT_EQ(store.ReadDword(u"MainFrame", u"Language"), 0x0407u);
  EXPECT_EQ(store.ReadDword(u"MainFrame", u"ViewMode"), 32782u);
  EXPECT_EQ(store.ReadDword(u"MainFrame", u"ShowNonTranslatableItems"), 0u);
  EXPECT_EQ(store.ReadBinary(u"MainFrame", u"Placement").value_or(std::vector<BYTE>()).size(), 44u);
  EXPECT_EQ(store.ReadDword(u"MainFrame", u"SplitterHorzPosition"), 230u);
  EXPECT_EQ(store.ReadString(u"Recent File List", u"File1"), project.Path());

  CFrameFixture g(ini);
  ASSERT_TRUE(g.Open(project.Path()));
  EXPECT_EQ(g.frame->GetSelectedLanguage(), 0x0407);
  EXPECT_EQ(g.frame->GetMode(), 32782);
  EXPECT_FALSE(g.frame->GetShowNonTranslatable());
  EXPECT_EQ(g.frame->ModeList()->currentIndex(), 1);
  EXPECT_EQ(g.frame->ColumnSplitter()->sizes().value(0), 230);
  EXPECT_EQ(g.frame->RowSplitter()->sizes().value(1), 190);
  ASSERT_EQ(g.frame->RecentFiles().size(), 1u);
}
