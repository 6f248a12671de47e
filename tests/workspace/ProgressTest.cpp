#include <gtest/gtest.h>

#include <functional>

#include "FixtureProject.h"
#include "formats/layout/ResDialog.h"
#include "workspace/CommandIds.h"
#include "workspace/Progress.h"
#include "workspace/ProjectNodes.h"

using namespace tvl;

namespace {

constexpr LANGID kFrench = CFixtureProject::kFrench;

struct TreeFixture : CFixtureProject {
  TreeFixture() {
    CResourceIdentifier id;
    id.SetOrdinal(100);
    dialog = dynamic_cast<CResDialog*>(Module().m_resTable.m_dialogs.FindResource(id));
    EXPECT_NE(dialog, nullptr);
    root = BuildProjectTree(doc);
    root->UpdateStatus(kFrench, ID_VIEW_ALL_ITEMS);
  }
  std::vector<CLocalizedString*> DialogTexts() {
    std::vector<CExchangeItem> items;
    CollectResourceItems(Module().m_resTable.m_dialogs, *dialog, {}, items);
    std::vector<CLocalizedString*> values;
    for (const CExchangeItem& item : items) values.push_back(item.m_value);
    return values;
  }
  // What the tree does after a change: the resource's status, then the counts upwards.
  void Changed(CResource* resource) {
    resource->UpdateStatus(kFrench);
    CProjectNode* node = root->FindNode(resource);
    node->RefreshStatus(kFrench);
    node->m_parent->RefreshStatus(kFrench);
    RecountProgress(node, kFrench);
  }
  CResDialog* dialog = nullptr;
  std::unique_ptr<CProjectNodeDocument> root;
};

}  // namespace

TEST(Progress, TreeNodesCountTheirTextsAndTellTheirState) {
  TreeFixture f;
  const CProgress whole = CountProgress(f.doc, kFrench);
  EXPECT_EQ(f.root->m_progress, whole);
  EXPECT_GT(whole.total, 20);
  EXPECT_EQ(whole.translated, 0);
  CProjectNode* node = f.root->FindNode(f.dialog);
  CProjectNode* module = node->m_parent->m_parent;
  std::vector<CLocalizedString*> texts = f.DialogTexts();
  const int n = static_cast<int>(texts.size());
  ASSERT_GE(n, 3);
  EXPECT_EQ(node->m_progress, (CProgress{0, n, 0}));
  EXPECT_EQ(node->GetProgress(false), NodeProgress::Untranslated);
  EXPECT_EQ(node->GetProgress(true), NodeProgress::Source);
  node->m_notTranslatable = true;
  EXPECT_EQ(node->GetProgress(false), NodeProgress::Ignored);
  node->m_notTranslatable = false;

  const struct {
    const char* step;
    std::function<void()> change;
    CProgress counts;
    NodeProgress state, moduleState;
  } steps[] = {
      {"one text", [&] { texts[0]->SetTranslation(u"Un", kFrench); }, {1, n, 0}, NodeProgress::Partial,
       NodeProgress::Partial},
      {"its source changed", [&] { texts[0]->SetStatus(kFrench, 0); }, {0, n, 1}, NodeProgress::OutOfDate,
       NodeProgress::OutOfDate},
      {"every text",
       [&] {
         for (CLocalizedString* t : texts) t->SetTranslation(u"Fait", kFrench);
       },
       {n, n, 0}, NodeProgress::Translated, NodeProgress::Partial},
      {"one marked not to translate", [&] { texts[1]->SetDoNotTranslate(true); }, {n - 1, n - 1, 0},
       NodeProgress::Translated, NodeProgress::Partial},
  };
  for (const auto& s : steps) {
    s.change();
    f.Changed(f.dialog);
    EXPECT_EQ(node->m_progress, s.counts) << s.step;
    EXPECT_EQ(node->GetProgress(false), s.state) << s.step;
    EXPECT_EQ(module->GetProgress(false), s.moduleState) << s.step;
    // Counted upwards after each change, the root agrees with a count of the whole project.
    EXPECT_EQ(f.root->m_progress, CountProgress(f.doc, kFrench)) << s.step;
  }
}
