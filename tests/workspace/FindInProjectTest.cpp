#include <gtest/gtest.h>

#include <set>

#include "FixtureProject.h"
#include "workspace/TextFinder.h"

using namespace tvl;

namespace {

// The ids found, without the module name.
std::set<std::string> Find(CFixtureProject& p, const char16_t* pattern, CFindOptions options = {}) {
  CTextMatcher matcher(pattern, options);
  std::set<std::string> ids;
  for (const CFindMatch& m : FindInProject(p.doc, matcher, CFixtureProject::kFrench)) ids.insert(m.id.substr(m.id.find('/')));
  return ids;
}

bool AnyUnder(const std::set<std::string>& ids, const std::string& prefix) {
  for (const std::string& id : ids)
    if (id.rfind(prefix, 0) == 0) return true;
  return false;
}

}  // namespace

TEST(FindInProject, FindsStringsDialogsMenusAndKeys) {
  CFixtureProject p;
  std::set<std::string> open = Find(p, u"open");
  EXPECT_TRUE(AnyUnder(open, "/6/"));
  EXPECT_TRUE(AnyUnder(open, "/4/200/"));
  EXPECT_EQ(Find(p, u"^(left|right)", {false, false, true}),
            (std::set<std::string>{"/5/100/control/1000#0", "/5/100/control/1001#0"}));
  // Keys are found by their combination and by their command.
  EXPECT_EQ(Find(p, u"Ctrl+Shift+Delete"), (std::set<std::string>{"/9/300/key/1004#0"}));
  EXPECT_TRUE(Find(p, u"1004", {true, false, false}).count("/9/300/key/1004#0"));
  // A string's number is its id; the kind words of the ids are not.
  EXPECT_TRUE(Find(p, u"16", {true, false, false}).count("/6/16/text"));
  EXPECT_LT(Find(p, u"text").size(), 5u);
  EXPECT_TRUE(Find(p, u"no such text anywhere").empty());
  EXPECT_TRUE(Find(p, u"[broken", {false, false, true}).empty());
  EXPECT_TRUE(Find(p, u"").empty());
}

TEST(FindInProject, FindsTranslationsOfTheLanguage) {
  CFixtureProject p;
  p.Value(tvl::ToUtf8(p.Module().GetName()) + "/6/16/text")->SetTranslation(u"Seize", CFixtureProject::kFrench);
  EXPECT_EQ(Find(p, u"seize"), (std::set<std::string>{"/6/16/text"}));
  CTextMatcher matcher(u"seize", {});
  EXPECT_TRUE(FindInProject(p.doc, matcher, 0x0407).empty());
}
