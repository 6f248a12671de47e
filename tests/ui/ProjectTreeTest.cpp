#include <gtest/gtest.h>

#include <QComboBox>
#include <QListWidget>
#include <QTest>
#include <filesystem>

#include "platform/Text.h"

#include "UiTestSupport.h"
#include "formats/text/ResStringTable.h"
#include "ui/views/ProjectResView.h"
#include "ui/views/ResourceAndHeaderViews.h"
#include "ui/views/ResourceHeaderView.h"
#include "ui/views/StringTableView.h"

namespace {

struct TreeFixture : CFrameFixture {
  TreeFixture() {
    EXPECT_TRUE(Open(project.Path()));
    module = doc.m_modules[0].get();
  }
  CProjectResView* tree() const { return frame->Tree(); }
  bool Displayed(const std::u16string& label) const {
    CProjectNode* n = FindNode(label);
    return n && n->m_treeItem;
  }
  CProjectFile project;
  CModule* module = nullptr;
};

}  // namespace

TEST(ProjectTree, NodesFollowTheModelAndOpenTheirViews) {
  TreeFixture f;
  CProjectNodeDocument* root = f.tree()->Root();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->GetLabel(), u"App.tvl");
  ASSERT_EQ(root->m_children.size(), 1u);
  CProjectNode* module = root->m_children[0].get();
  EXPECT_EQ(module->GetLabel(), u"App.exe");
  // One node per type holding resources; the tables have no children.
  size_t types = 0;
  for (CResourceType* t : f.module->m_resTable.GetTypes()) types += t->GetCount() > 0 ? 1 : 0;
  EXPECT_EQ(module->m_children.size(), types);
  CProjectNode* strings = f.FindNode(u"String Table");
  ASSERT_NE(strings, nullptr);
  EXPECT_TRUE(strings->m_children.empty());
  EXPECT_EQ(strings->m_image, 16);
  EXPECT_EQ(f.FindNode(u"Bitmaps")->m_children.size(), 3u);
  EXPECT_EQ(f.FindNode(u"600")->m_image, 8);

  // The document opens its form without a header, a table its list, a module an empty list.
  EXPECT_EQ(f.tree()->SelectedNode(), root);
  EXPECT_EQ(f.frame->ResourcePane()->Header(), nullptr);
  EXPECT_NE(qobject_cast<CDocumentNodeView*>(f.frame->ResourcePane()->View()), nullptr);
  f.Select(strings);
  ASSERT_NE(f.StringView(), nullptr);
  EXPECT_EQ(f.StringView()->Table(), &f.module->m_resTable.m_stringTable);
  EXPECT_EQ(f.frame->ResourcePane()->Header()->Title(), QStringLiteral("Type: String Table."));
  f.Select(module);
  EXPECT_NE(qobject_cast<QListWidget*>(f.frame->ResourcePane()->View()), nullptr);
  EXPECT_EQ(f.frame->ResourcePane()->Header()->Title(), QStringLiteral("Module: App.exe."));
}

TEST(ProjectTree, FiltersHideAndGhostWhatIsNotToBeTranslated) {
  TreeFixture f;
  f.SetLanguage(0x040C);
  // Bitmaps are not translated unless asked: ghosted in All Items, hidden in the others.
  CProjectNode* bitmap = f.FindNode(u"600");
  EXPECT_TRUE(bitmap->m_notTranslatable);
  EXPECT_TRUE(f.Displayed(u"600"));
  EXPECT_TRUE(f.FindNode(u"Bitmaps")->m_notTranslatable);
  f.frame->ChooseModeEntry(1);
  EXPECT_FALSE(f.Displayed(u"600"));
  EXPECT_FALSE(f.Displayed(u"Bitmaps"));
  EXPECT_TRUE(f.Displayed(u"String Table"));

  // A table whose strings are all translated leaves "To be translated" and comes back in
  // "All Translatable Items" with the translated image.
  CResStringTable& table = f.module->m_resTable.m_stringTable;
  for (int i = 0; i < table.GetCount(); ++i) table.GetString(i)->m_value.SetTranslation(u"x", 0x040C);
  table.UpdateStatus(0x040C);
  f.frame->ChooseModeEntry(2);
  EXPECT_FALSE(f.Displayed(u"String Table"));
  EXPECT_TRUE(f.Displayed(u"Message Table"));
  f.frame->ChooseModeEntry(1);
  ASSERT_TRUE(f.Displayed(u"String Table"));
  EXPECT_EQ(f.FindNode(u"String Table")->GetImage(), 17);
  EXPECT_EQ(f.FindNode(u"Message Table")->GetImage(), 16);
}

TEST(ProjectTree, HidingTheSelectionSelectsTheNearestShownAncestor) {
  TreeFixture f;
  f.SetLanguage(0x040C);
  auto* bitmap601 = static_cast<CResource*>(const_cast<void*>(f.FindNode(u"601")->GetObject()));
  bitmap601->SetTranslatable(true);
  f.frame->RunCommand(32788);  // Refresh
  f.Select(f.FindNode(u"600"));
  f.frame->ChooseModeEntry(1);
  EXPECT_EQ(f.tree()->SelectedNode(), f.FindNode(u"Bitmaps"));
  EXPECT_EQ(f.frame->ResourcePane()->ShownObject(), &f.module->m_resTable.m_bitmaps);

  f.frame->ChooseModeEntry(0);
  bitmap601->SetTranslatable(false);
  f.frame->RunCommand(32788);
  f.Select(f.FindNode(u"600"));
  f.frame->ChooseModeEntry(1);
  EXPECT_EQ(f.tree()->SelectedNode(), f.FindNode(u"App.exe"));
}

TEST(ProjectTree, ModesNeedATranslationLanguage) {
  TreeFixture f;
  CRecordingSink sink;
  // The source is selected: "To be translated" is refused and the list keeps its entry.
  f.frame->ChooseModeEntry(2);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text, u"This mode cannot be used when the source language is selected. Please select a "
                                   u"translation language first.");
  EXPECT_EQ(sink.messages[0].type, static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(f.frame->GetMode(), 32782);
  EXPECT_EQ(f.frame->ModeList()->currentIndex(), 0);

  // Going back to the source falls back to 32782 and keeps the flag.
  f.SetLanguage(0x040C);
  f.frame->ChooseModeEntry(1);
  f.frame->ChooseModeEntry(2);
  f.SetLanguage(0x0409);
  EXPECT_EQ(f.frame->ModeList()->currentIndex(), 1);
  f.SetLanguage(0x040C);
  f.frame->ChooseModeEntry(0);
  f.frame->ChooseModeEntry(2);
  f.SetLanguage(0x0409);
  EXPECT_EQ(f.frame->ModeList()->currentIndex(), 0);
  EXPECT_TRUE(f.frame->GetShowNonTranslatable());
  EXPECT_EQ(sink.messages.size(), 1u);
}

TEST(ProjectTree, DeletingAModuleIsUndone) {
  TreeFixture f;
  CRecordingSink sink;
  f.Select(f.FindNode(u"String Table"));
  f.tree()->setFocus();
  QTest::keyClick(f.tree(), Qt::Key_Delete);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text, u"Please select the module you want to delete from the document.");

  f.Select(f.FindNode(u"App.exe"));
  sink.answers = {IDNO};
  QTest::keyClick(f.tree(), Qt::Key_Delete);
  EXPECT_EQ(sink.messages.back().text, u"Are you sure you want to delete App.exe from the document ?");
  EXPECT_EQ(f.doc.m_modules.size(), 1u);

  sink.answers = {IDYES};
  QTest::keyClick(f.tree(), Qt::Key_Delete);
  EXPECT_TRUE(f.doc.m_modules.empty());
  EXPECT_TRUE(f.tree()->Root()->m_children.empty());
  EXPECT_EQ(f.tree()->SelectedNode(), f.tree()->Root());
  EXPECT_TRUE(f.doc.IsModified());

  f.frame->RunCommand(57643);  // Undo
  ASSERT_EQ(f.doc.m_modules.size(), 1u);
  EXPECT_EQ(f.doc.m_modules[0].get(), f.module);  // the same module object comes back
  ASSERT_NE(f.FindNode(u"App.exe"), nullptr);
  EXPECT_EQ(f.tree()->SelectedNode(), f.FindNode(u"App.exe"));
  f.frame->RunCommand(57644);  // Redo
  EXPECT_TRUE(f.doc.m_modules.empty());
  EXPECT_EQ(f.FindNode(u"App.exe"), nullptr);
}

TEST(ProjectTree, ModulesSortByNameAndTheWalkWrapsAround) {
  CScratchDir dir;
  std::filesystem::copy_file(FixturePath("all32.exe"), dir.file("zeta.exe"));
  std::filesystem::copy_file(FixturePath("neutral64.dll"), dir.file("Alpha.dll"));
  CFrameFixture f;
  CLanguageArray french;
  french.Add(CLanguage(0x040C));
  for (const char* name : {"zeta.exe", "Alpha.dll"}) {
    auto m = std::make_unique<CModule>(tvl::FromUtf8(dir.file(name)), 0x0409, 0);
    m->SetDocument(&f.doc);
    ASSERT_TRUE(m->LoadFromFile());
    f.doc.InsertModule(std::move(m), 0x0409, french);
  }
  CProjectNodeDocument* root = f.frame->Tree()->Root();
  ASSERT_EQ(root->m_children.size(), 2u);
  EXPECT_EQ(root->m_children[0]->GetLabel(), u"Alpha.dll");
  EXPECT_EQ(root->m_children[1]->GetLabel(), u"zeta.exe");
  // The module inserted last is selected.
  EXPECT_EQ(f.frame->Tree()->SelectedNode(), root->m_children[0].get());

  // From the last leaf the walk wraps to the first leaf with work left.
  f.SetLanguage(0x040C);
  std::vector<CProjectNode*> leaves;
  CollectLeaves(root, leaves);
  ASSERT_GT(leaves.size(), 2u);
  CProjectNode* last = leaves.back();
  CProjectNode* first = nullptr;
  for (CProjectNode* n : leaves)
    if (n->m_treeItem && n->m_visible && n->m_status == 0) {
      first = n;
      break;
    }
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(FindNextToTranslate(root, last), first);

  // A deleted module comes back to its place in the project's list (the build order).
  ASSERT_EQ(f.doc.m_modules[0]->GetName(), u"zeta.exe");
  CModule* zeta = f.doc.m_modules[0].get();
  CRecordingSink sink;
  sink.answers = {IDYES};
  f.Select(root->m_children[1].get());
  f.frame->Tree()->OnDeleteModule();
  ASSERT_EQ(f.doc.m_modules.size(), 1u);
  f.frame->RunCommand(57643);  // Undo
  ASSERT_EQ(f.doc.m_modules.size(), 2u);
  EXPECT_EQ(f.doc.m_modules[0].get(), zeta);
}

TEST(ProjectTree, UpdateSourceRebuildsTheTreeWhileAListIsOpen) {
  TreeFixture f;
  CRecordingSink sink;
  f.SetLanguage(0x040C);
  f.Select(f.FindNode(u"String Table"));
  f.module->m_resTable.m_stringTable.FindString(1)->m_value.SetTranslation(u"Un", 0x040C);
  f.doc.SetModifiedFlag(true);
  ASSERT_NE(f.StringView(), nullptr);
  f.frame->RunCommand(32796);  // Update Source of the selected node's module, confirmed with OK
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_FALSE(f.doc.CanUndo());
  ASSERT_EQ(f.doc.m_modules.size(), 1u);
  EXPECT_NE(f.doc.m_modules[0].get(), f.module);
  // The tree stands on the fresh module, and the translation came across.
  CProjectNode* module = f.FindNode(u"App.exe");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(module->GetObject(), f.doc.m_modules[0].get());
  EXPECT_EQ(f.doc.m_modules[0]->m_resTable.m_stringTable.FindString(1)->m_value.GetText(0x040C), u"Un");
  f.Select(f.FindNode(u"String Table"));
  ASSERT_NE(f.StringView(), nullptr);
  EXPECT_EQ(f.StringView()->Table(), &f.doc.m_modules[0]->m_resTable.m_stringTable);
}
