#include <gtest/gtest.h>

#include "TestSupport.h"
#include "archive/Archive.h"
#include "formats/layout/ResBinary.h"
#include "formats/layout/ResDialog.h"
#include "project/TvlDoc.h"
#include "project/Undo.h"

namespace {

std::vector<BYTE> StoreChain(CLocalizedParam& head) {
  CArchive ar;
  head.Serialize(ar);
  return ar.GetStoredBytes();
}

std::unique_ptr<CUndoTranslateString> Edit(CLocalizedString& head, LANGID lang, const std::u16string& text) {
  // What a view records before it changes the model: the state the edit replaces.
  auto action = std::make_unique<CUndoTranslateString>();
  action->m_head = &head;
  action->m_language = lang;
  const CLocalizedParam* n = head.FindValue(lang);
  action->m_text = n && n != &head ? static_cast<const CLocalizedString*>(n)->m_text : u"";
  action->m_status = n ? n->m_status : 0;
  head.SetTranslation(text, lang);
  return action;
}

void ApplyAll(CUndoAction* a) {
  std::vector<CObject*> touched;
  a->Apply(touched);
}

}  // namespace

TEST(UndoList, FiftyOneEditsDropTheFirst) {
  CTvlDoc doc;
  CLocalizedString head(u"src", 0x0409, 0);
  for (int i = 0; i < 51; ++i) doc.AddUndoAction(Edit(head, 0x0407, u"v" + std::u16string(1, char16_t(u'A' + i % 26))));
  EXPECT_EQ(doc.GetUndoList().GetCount(), 50u);
  int undone = 0;
  while (CUndoAction* a = doc.Undo()) {
    ApplyAll(a);
    ++undone;
  }
  EXPECT_EQ(undone, 50);
  // The first edit stays: its value is still there after undoing everything else.
  EXPECT_EQ(head.GetText(0x0407), u"vA");
  EXPECT_FALSE(doc.CanUndo());
  EXPECT_TRUE(doc.CanRedo());
}

TEST(UndoList, NewEditAfterUndoDropsTheRedoBranch) {
  CTvlDoc doc;
  CLocalizedString head(u"src", 0x0409, 0);
  doc.AddUndoAction(Edit(head, 0x0407, u"a"));
  doc.AddUndoAction(Edit(head, 0x0407, u"b"));
  doc.AddUndoAction(Edit(head, 0x0407, u"c"));
  ApplyAll(doc.Undo());
  ApplyAll(doc.Undo());
  EXPECT_EQ(head.GetText(0x0407), u"a");
  doc.AddUndoAction(Edit(head, 0x0407, u"d"));
  EXPECT_FALSE(doc.CanRedo());
  EXPECT_EQ(doc.GetUndoList().GetCount(), 2u);
}

TEST(UndoTranslateString, UndoRemovesANewValueAndRedoRestoresItExactly) {
  CLocalizedString head(u"src", 0x0409, 0);
  head.SetTranslation(u"fr", 0x040C);
  std::vector<BYTE> before = StoreChain(head);
  CTvlDoc doc;
  doc.AddUndoAction(Edit(head, 0x0407, u"de"));
  head.SetStatus(0x0407, 1);
  std::vector<BYTE> after = StoreChain(head);

  ApplyAll(doc.Undo());
  EXPECT_EQ(head.FindValue(0x0407), nullptr);
  EXPECT_EQ(StoreChain(head), before);
  ApplyAll(doc.Redo());
  EXPECT_EQ(head.GetText(0x0407), u"de");
  EXPECT_EQ(head.GetValueStatus(0x0407), 1);
  EXPECT_EQ(StoreChain(head), after);
}

TEST(UndoTranslateString, ToggleFlipsDoNotTranslateBothWays) {
  CLocalizedString head(u"src", 0x0409, 0);
  CUndoTranslateString a;
  a.m_head = &head;
  a.m_toggle = 1;
  head.SetDoNotTranslate(true);
  ApplyAll(&a);
  EXPECT_FALSE(head.IsDoNotTranslate());
  ApplyAll(&a);
  EXPECT_TRUE(head.IsDoNotTranslate());
}

TEST(UndoTranslateResource, DetachAndAttachExchangeTheTranslation) {
  CResBinary r;
  r.m_statusChain.m_language = 0x0409;
  r.m_data.m_language = 0x0409;
  r.m_data.m_data = {1, 2};
  std::unique_ptr<CLocalizedParam> replaced;
  r.SetData({7}, 0x0407, replaced);
  r.UpdateStatus(0x0407);

  CUndoTranslateResource a;
  a.m_object = &r;
  a.m_language = 0x0407;
  ApplyAll(&a);  // takes the translation out
  EXPECT_FALSE(r.HasTranslation(0x0407));
  EXPECT_EQ(r.GetStatus(0x0407), 0);
  ApplyAll(&a);  // puts it back with its status
  EXPECT_EQ(r.GetBytes(0x0407), std::vector<BYTE>{7});
  EXPECT_EQ(r.GetStatus(0x0407), 1);
}

TEST(UndoTranslateResource, ImportOverAnExistingTranslationUndoesAndRedoes) {
  CResBinary r;
  r.m_statusChain.m_language = 0x0409;
  r.m_data.m_language = 0x0409;
  r.m_data.m_data = {1};
  std::unique_ptr<CLocalizedParam> replaced;
  r.SetData({2}, 0x0407, replaced);
  // A second import replaces the first; the action holds the replaced value.
  CUndoTranslateResource a;
  a.m_object = &r;
  a.m_language = 0x0407;
  a.m_status = 1;
  r.SetData({3}, 0x0407, replaced);
  a.m_detached = std::move(replaced);
  ApplyAll(&a);
  EXPECT_EQ(r.GetBytes(0x0407), std::vector<BYTE>{2});
  ApplyAll(&a);
  EXPECT_EQ(r.GetBytes(0x0407), std::vector<BYTE>{3});
  ApplyAll(&a);
  EXPECT_EQ(r.GetBytes(0x0407), std::vector<BYTE>{2});
  int nodes = 0;
  for (const CLocalizedParam* n = r.m_data.GetNext(); n; n = n->GetNext()) ++nodes;
  EXPECT_EQ(nodes, 1);  // never two values for one language
}

TEST(UndoMoveSize, DragStepsMergeButTwoControlsGiveTwoActions) {
  CTvlDoc doc;
  CLocalizedPoint pos;
  pos.m_language = 0x0409;
  pos.m_x = 10;
  pos.m_y = 20;
  auto step = [&](int control, int dx) {
    auto a = std::make_unique<CUndoMoveSize>();
    a->m_positionHead = &pos;
    a->m_language = 0x0407;
    a->m_controlIndex = control;
    a->m_positionRecorded = 1;
    const CLocalizedParam* n = pos.FindValue(0x0407);
    a->m_positionNoValue = (n && n != &pos) ? 0 : 1;
    const auto* cur = static_cast<const CLocalizedPoint*>(n && n != &pos ? n : &pos);
    a->m_x = cur->m_x;
    a->m_y = cur->m_y;
    a->m_mergeable = 1;
    doc.AddUndoAction(std::move(a));
    pos.SetPoint(0x0407, cur->m_x + dx, cur->m_y);
  };
  for (int i = 0; i < 5; ++i) step(3, 1);
  EXPECT_EQ(doc.GetUndoList().GetCount(), 1u);
  EXPECT_EQ(static_cast<CLocalizedPoint*>(pos.FindValue(0x0407))->m_x, 15);
  ApplyAll(doc.Undo());
  EXPECT_EQ(pos.FindValue(0x0407), nullptr);  // before the drag there was no German position
  ApplyAll(doc.Redo());
  EXPECT_EQ(static_cast<CLocalizedPoint*>(pos.FindValue(0x0407))->m_x, 15);
  step(4, 1);
  EXPECT_EQ(doc.GetUndoList().GetCount(), 2u);
}

TEST(UndoMoveSize, StepsMergeOnlyOnTheSameDialogLanguageAndKind) {
  CTvlDoc doc;
  CResDialog first, second;
  auto add = [&](CObject* dialog, LANGID language, BYTE kind, BYTE position) {
    auto a = std::make_unique<CUndoMoveSize>();
    a->m_object = dialog;
    a->m_language = language;
    a->m_controlIndex = 2;
    a->m_positionRecorded = position;
    a->m_sizeRecorded = position ? 0 : 1;
    a->m_mergeable = 1;
    a->m_mergeKind = kind;
    doc.AddUndoAction(std::move(a));
    return doc.GetUndoList().GetCount();
  };
  EXPECT_EQ(add(&first, 0x0407, 1, 1), 1u);
  EXPECT_EQ(add(&first, 0x0407, 1, 1), 1u);  // another Left
  EXPECT_EQ(add(&first, 0x0407, 0, 1), 2u);  // Up
  EXPECT_EQ(add(&first, 0x0407, 0, 0), 3u);  // Shift+Up resizes
  EXPECT_EQ(add(&second, 0x0407, 0, 0), 4u); // the same control index in another dialog
  EXPECT_EQ(add(&second, 0x040C, 0, 0), 5u); // another language
  EXPECT_EQ(add(&second, 0x040C, 0, 0), 5u);
}

TEST(UndoModuleAction, InsertionUndoesAndRedoesTheSameModule) {
  CTvlDoc doc;
  auto m = std::make_unique<CModule>(tvl_test_u16(FixturePath("twolang.dll")), 0x0409, 0);
  ASSERT_TRUE(m->LoadFromFile());
  CModule* raw = m.get();
  doc.InsertModule(std::move(m), 0x0409, {});
  ASSERT_TRUE(doc.CanUndo());
  ApplyAll(doc.Undo());
  EXPECT_TRUE(doc.m_modules.empty());
  ApplyAll(doc.Redo());
  ASSERT_EQ(doc.m_modules.size(), 1u);
  EXPECT_EQ(doc.m_modules[0].get(), raw);

  doc.DeleteModule(0);
  EXPECT_TRUE(doc.m_modules.empty());
  ApplyAll(doc.Undo());
  ASSERT_EQ(doc.m_modules.size(), 1u);
  EXPECT_EQ(doc.m_modules[0].get(), raw);

  // Operations that replace the model empty the list.
  doc.DeleteContents();
  EXPECT_FALSE(doc.CanUndo());
  EXPECT_FALSE(doc.CanRedo());
}
