#include <gtest/gtest.h>

#include "checks/CheckSettings.h"
#include "checks/ProjectChecker.h"
#include "platform/Profile.h"

namespace {

CCheckSettings FromIni(const char* text) {
  CCheckSettings settings;
  settings.Load(tvl::CProfileSettingsStore(tvl::CProfileFile::FromBytes(text)));
  return settings;
}

}  // namespace

TEST(CheckSettings, KeptInTheStoreAndReadFromTheFileTheInterfaceWrites) {
  tvl::CMemorySettingsStore empty;
  CCheckSettings defaults;
  defaults.Load(empty);
  EXPECT_EQ(defaults, CCheckSettings());
  EXPECT_TRUE(defaults.RuleEnabled("layout"));

  CCheckSettings chosen;
  chosen.m_disabledRules = {"layout", "text-shape"};
  chosen.m_minSeverity = ECheckSeverity::kError;
  chosen.m_identicalTranslation = false;
  tvl::CMemorySettingsStore store;
  ASSERT_TRUE(chosen.Save(store));
  CCheckSettings read;
  read.Load(store);
  EXPECT_EQ(read, chosen);

  // The INI file as the settings store writes it, beside the window's own values.
  CCheckSettings ini = FromIni(
      "[MainFrame]\nViewMode=32782\n[Checks]\nplaceholders=1\nlayout=0\ncode-page=0\nMinSeverity=error\n"
      "IdenticalTranslation=0\n");
  EXPECT_EQ(ini.m_disabledRules, (std::set<std::string>{"code-page", "layout"}));
  EXPECT_EQ(ini.m_minSeverity, ECheckSeverity::kError);
  EXPECT_FALSE(ini.m_identicalTranslation);
  // Nonsense keeps the defaults; a file cannot be written through.
  CCheckSettings odd = FromIni("[Checks]\nlayout=off\nMinSeverity=fatal\nIdenticalTranslation=-1\n");
  EXPECT_EQ(odd, CCheckSettings());
  tvl::CProfileSettingsStore readOnly(tvl::CProfileFile::FromBytes(""));
  EXPECT_FALSE(chosen.Save(readOnly));
}

TEST(CheckSettings, AppliedToARun) {
  CCheckSettings settings;
  settings.m_disabledRules = {"layout"};
  settings.m_identicalTranslation = false;
  CCheckOptions options;
  settings.ApplyTo(options);
  EXPECT_FALSE(options.layout);  // nothing is measured for a rule that does not run
  EXPECT_FALSE(options.identicalTranslation);
  EXPECT_EQ(options.disabledRules, settings.m_disabledRules);
  EXPECT_EQ(ParseSeverity("error"), ECheckSeverity::kError);
  EXPECT_EQ(ParseSeverity("Error"), std::nullopt);
}
