// Undo and redo of every kind of action give back the project file byte for byte: each
// change is made as the program's views make it (the action recorded first), then undone
// and redone twice.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "TestSupport.h"
#include "formats/layout/ResBinary.h"
#include "formats/layout/ResDialog.h"
#include "formats/text/ResAccelerator.h"
#include "formats/text/ResVersion.h"
#include "platform/Text.h"
#include "project/TvlDoc.h"
#include "project/Undo.h"

namespace fs = std::filesystem;

namespace {

constexpr LANGID kEnglish = 0x0409, kGerman = 0x0407, kFrench = 0x040C;

std::u16string U8(const std::string& s) { return tvl::FromUtf8(s); }

CResourceIdentifier Id(WORD ordinal) {
  CResourceIdentifier id;
  id.SetOrdinal(ordinal);
  return id;
}

// A saved project of all32.exe with German and French, where several items already have
// translations in both languages, German first.
struct UndoProject {
  UndoProject() {
    fs::copy_file(FixturePath("all32.exe"), dir.file("App.exe"));
    fs::copy_file(FixturePath("twolang.dll"), dir.file("Lib.dll"));
    doc.SetPathName(U8(dir.file("App.tvl")));
    CLanguageArray languages;
    languages.Add(CLanguage(kGerman));
    languages.Add(CLanguage(kFrench));
    auto m = std::make_unique<CModule>(U8(dir.file("App.exe")), kEnglish, 0);
    m->SetDocument(&doc);
    EXPECT_TRUE(m->LoadFromFile());
    doc.InsertModule(std::move(m), kEnglish, languages);

    CResDialog& d = Dialog();
    for (LANGID l : {kGerman, kFrench}) {
      d.m_caption.SetTranslation(l == kGerman ? u"Klassisch" : u"Classique", l);
      Control(1000).m_text.SetTranslation(l == kGerman ? u"Links:" : u"Gauche :", l);
      Control(1000).m_pos.SetPoint(l, 8, 7);
      Control(1000).m_size.SetPoint(l, 70, 8);
      d.m_font.SetFont(l, u"Tahoma", 8, 400, 0, 0);
      String(1).SetTranslation(l == kGerman ? u"Eins" : u"Un", l);
      Accel().m_key.SetHotKey(l, Accel().m_key.m_hotFlags, l == kGerman ? 'K' : 'L');
      std::unique_ptr<CLocalizedParam> replaced;
      std::vector<BYTE> bytes;
      EXPECT_TRUE(Bitmap().GetData(bytes, 0));
      bytes.back() = static_cast<BYTE>(l);
      EXPECT_TRUE(Bitmap().SetData(bytes, l, replaced));
      Module().m_resTable.UpdateStatus(l);
    }
    Bitmap().SetTranslatable(true);
    EXPECT_TRUE(doc.OnSaveDocument(doc.GetPathName()));
    doc.ClearUndo();
  }

  CModule& Module() { return *doc.m_modules.at(0); }
  CResDialog& Dialog() { return *static_cast<CResDialog*>(Module().m_resTable.m_dialogs.FindResource(Id(100))); }
  CResDialogItem& Control(DWORD id) {
    for (auto& item : Dialog().m_items)
      if (item->m_id == id) return *item;
    throw std::runtime_error("no control");
  }
  CLocalizedString& String(DWORD id) { return Module().m_resTable.m_stringTable.FindString(id)->m_value; }
  CResAcceleratorTable& Accels() {
    return *static_cast<CResAcceleratorTable*>(Module().m_resTable.m_accelerators.FindResource(Id(300)));
  }
  CResAccelerator& Accel() { return *Accels().GetEntry(1); }
  CResBinary& Bitmap() { return *static_cast<CResBinary*>(Module().m_resTable.m_bitmaps.FindResource(Id(601))); }
  CResVersion& Version() { return *static_cast<CResVersion*>(Module().m_resTable.m_version.GetResource(0)); }

  std::vector<BYTE> Stored() {
    EXPECT_TRUE(doc.OnSaveDocument(doc.GetPathName()));
    return ReadFileBytes(dir.file("App.tvl"));
  }

  // Applies an action as the project tree does: the action, then the touched tables' statuses.
  void ApplyAction(CUndoAction* action) {
    ASSERT_NE(action, nullptr);
    std::vector<CObject*> touched;
    action->Apply(touched);
    if (auto* t = dynamic_cast<CUndoTranslate*>(action))
      for (CObject* o : touched)
        if (auto* type = dynamic_cast<CResourceType*>(o)) type->UpdateStatus(t->m_language);
  }

  // Performs the change, then checks that undo and redo give back the stored bytes.
  void ExpectExactUndoRedo(const char* what, const std::function<void()>& change) {
    SCOPED_TRACE(what);
    std::vector<BYTE> before = Stored();
    change();
    std::vector<BYTE> after = Stored();
    ASSERT_NE(before, after) << "the change changed nothing";
    for (int round = 0; round < 2; ++round) {
      ApplyAction(doc.Undo());
      EXPECT_EQ(Stored(), before) << "undo, round " << round;
      ApplyAction(doc.Redo());
      EXPECT_EQ(Stored(), after) << "redo, round " << round;
    }
  }

  CScratchDir dir;
  CTvlDoc doc;
};

// The translation editor's commit of a text item of a resource: the state it replaces is
// recorded, then the value is set (or erased) and the resource's status refreshed.
void CommitText(CTvlDoc& doc, CResource& resource, CLocalizedString& head, LANGID language,
                const std::u16string* text) {
  auto action = std::make_unique<CUndoTranslateString>();
  action->m_object = &resource;
  action->m_language = language;
  action->m_head = &head;
  if (const CLocalizedParam* n = head.FindValue(language); n && n != &head) {
    action->m_text = static_cast<const CLocalizedString*>(n)->m_text;
    action->m_status = n->m_status;
    action->m_chainIndex = tvl::TranslationIndex(head, language);
  }
  doc.AddUndoAction(std::move(action));
  if (text)
    head.SetTranslation(*text, language);
  else
    head.RemoveTranslation(language, true);
  resource.UpdateStatus(language);
}

}  // namespace

TEST(UndoStoredBytes, TextTranslationsNewChangedErasedAndToggled) {
  UndoProject p;
  const std::u16string text = u"Neu";
  CResDialog& d = p.Dialog();
  // A control text of a language that had none, one that had one, one erased before another
  // language's node, and the do-not-translate switch.
  p.ExpectExactUndoRedo("new control text", [&] { CommitText(p.doc, d, p.Control(1001).m_text, kFrench, &text); });
  p.ExpectExactUndoRedo("changed control text", [&] { CommitText(p.doc, d, p.Control(1000).m_text, kFrench, &text); });
  p.ExpectExactUndoRedo("erased control text", [&] { CommitText(p.doc, d, p.Control(1000).m_text, kGerman, nullptr); });
  p.ExpectExactUndoRedo("do-not-translate", [&] {
    auto action = std::make_unique<CUndoTranslateString>();
    action->m_object = &d;
    action->m_language = kGerman;
    action->m_head = &d.m_caption;
    action->m_toggle = 1;
    p.doc.AddUndoAction(std::move(action));
    d.m_caption.SetDoNotTranslate(true);
    d.UpdateStatus(kGerman);
  });
  // A version number, new and then changed, exchanged as its four numbers.
  CResVersion& v = p.Version();
  auto setVersion = [&](const std::u16string& text) {
    auto action = std::make_unique<CUndoTranslateString>();
    action->m_object = &v;
    action->m_language = kFrench;
    action->m_head = &v.m_fileVersion;
    action->m_sizePosMode = 1;
    if (const auto* n = static_cast<const CLocalizedString*>(v.m_fileVersion.FindValue(kFrench))) {
      action->m_text = n->m_text;
      action->m_status = n->m_status;
    }
    p.doc.AddUndoAction(std::move(action));
    ASSERT_TRUE(CResVersion::SetVersionText(v.m_fileVersion, kFrench, text));
    v.UpdateStatus(kFrench);
  };
  p.ExpectExactUndoRedo("new version number", [&] { setVersion(u"2, 0, 0, 7"); });
  p.ExpectExactUndoRedo("changed version number", [&] { setVersion(u"3, 1, 0, 65535"); });
  EXPECT_EQ(p.doc.GetUndoList().GetCount(), 6u);
}

TEST(UndoStoredBytes, StringTableEdits) {
  UndoProject p;
  CResStringTable& table = p.Module().m_resTable.m_stringTable;
  // As the string table view records: the table as object, the id as index, both statuses.
  auto commit = [&](DWORD id, LANGID language, const std::u16string* text) {
    CLocalizedString& value = table.FindString(id)->m_value;
    const CLocalizedParam* n = value.FindValue(language);
    bool hasValue = n && n != &value;
    int before = value.GetValueStatus(language);
    auto action = std::make_unique<CUndoTranslateResString>();
    action->m_object = &table;
    action->m_language = language;
    action->m_status = before;
    action->m_head = &value;
    action->m_text = hasValue ? static_cast<const CLocalizedString*>(n)->m_text : std::u16string();
    action->m_chainIndex = tvl::TranslationIndex(value, language);
    action->m_index1 = static_cast<int>(id);
    if (text)
      value.SetTranslation(*text, language);
    else
      value.RemoveTranslation(language, true);
    action->m_status1 = before;
    action->m_status2 = value.GetValueStatus(language);
    p.doc.AddUndoAction(std::move(action));
    table.UpdateStatus(language);
  };
  const std::u16string zwei = u"Zwei", eins = u"Eins!";
  p.ExpectExactUndoRedo("new string", [&] { commit(2, kGerman, &zwei); });
  p.ExpectExactUndoRedo("changed string", [&] { commit(1, kGerman, &eins); });
  p.ExpectExactUndoRedo("erased string", [&] { commit(1, kGerman, nullptr); });
}

TEST(UndoStoredBytes, DialogFontNewAndChanged) {
  UndoProject p;
  CResDialog& d = p.Dialog();
  // As the resource header records a font change: the other state's font value.
  auto choose = [&](LANGID language, WORD size, WORD weight) {
    auto action = std::make_unique<CUndoTranslateFont>();
    action->m_object = &d;
    action->m_language = language;
    action->m_head = &d.m_font;
    if (const auto* n = static_cast<const CLocalizedFontReference*>(d.m_font.FindValue(language)); n && n != &d.m_font) {
      action->m_text = n->m_text;
      action->m_status = n->m_status;
      action->m_pointSize = n->m_pointSize;
      action->m_weight = n->m_weight;
      action->m_italic = n->m_italic;
      action->m_charSet = n->m_charSet;
      action->m_chainIndex = tvl::TranslationIndex(d.m_font, language);
    }
    p.doc.AddUndoAction(std::move(action));
    d.m_font.SetFont(language, u"Arial", size, weight, 1, 0);
    d.UpdateStatus(language);
  };
  p.ExpectExactUndoRedo("changed font", [&] { choose(kGerman, 10, 700); });
  d.m_font.RemoveTranslation(kFrench, true);
  p.ExpectExactUndoRedo("new font", [&] { choose(kFrench, 9, 400); });
}

TEST(UndoStoredBytes, AcceleratorKeys) {
  UndoProject p;
  CResAcceleratorTable& table = p.Accels();
  auto setKey = [&](CResAccelerator& entry, LANGID language, bool erase) {
    auto action = std::make_unique<CUndoTranslateAccel>();
    action->m_object = &table;
    action->m_language = language;
    action->m_head = &entry.m_key;
    const auto* n = static_cast<const CLocalizedHotKey*>(entry.m_key.FindValue(language));
    bool hasValue = n && n != &entry.m_key;
    const CLocalizedHotKey& current = hasValue ? *n : entry.m_key;
    action->m_key = current.m_key;
    action->m_flags = current.m_hotFlags;
    action->m_status = n ? n->m_status : 0;
    action->m_noValue = hasValue ? 0 : 1;
    action->m_chainIndex = tvl::TranslationIndex(entry.m_key, language);
    p.doc.AddUndoAction(std::move(action));
    if (erase)
      entry.m_key.RemoveTranslation(language, true);
    else
      entry.m_key.SetHotKey(language, current.m_hotFlags, 'Q');
    table.UpdateStatus(language);
  };
  p.ExpectExactUndoRedo("new key", [&] { setKey(*table.GetEntry(0), kFrench, false); });
  p.ExpectExactUndoRedo("changed key", [&] { setKey(p.Accel(), kFrench, false); });
  p.ExpectExactUndoRedo("erased key", [&] { setKey(p.Accel(), kGerman, true); });
}

TEST(UndoStoredBytes, WholeResourceTranslations) {
  UndoProject p;
  CResBinary& bitmap = p.Bitmap();
  auto record = [&](LANGID language) {
    auto action = std::make_unique<CUndoTranslateResource>();
    action->m_object = &bitmap;
    action->m_language = language;
    action->m_status = bitmap.GetStatus(language);
    return action;
  };
  // Confirming a translation, importing one over an existing one, switching
  // do-not-translate, and deleting a translation.
  bitmap.SetTranslationStatus(kGerman, 0);
  p.ExpectExactUndoRedo("confirmed", [&] {
    auto action = record(kGerman);
    action->m_statusOnly = 1;
    bitmap.SetTranslationStatus(kGerman, 1);
    p.doc.AddUndoAction(std::move(action));
    bitmap.UpdateStatus(kGerman);
  });
  // The first of several values: undo must put it back before the others, not at the end.
  auto firstLanguage = [&] {
    EXPECT_NE(bitmap.m_data.GetNext()->GetNext(), nullptr);
    return bitmap.m_data.GetNext()->m_language;
  };
  p.ExpectExactUndoRedo("import over existing", [&] {
    LANGID first = firstLanguage();
    auto action = record(first);
    action->m_places = tvl::TranslationPlaces(bitmap, first);
    std::unique_ptr<CLocalizedParam> replaced;
    ASSERT_TRUE(bitmap.SetData(ReadFileBytes(FixturePath("data/info8.bmp")), first, replaced));
    action->m_detached = std::move(replaced);
    p.doc.AddUndoAction(std::move(action));
    bitmap.UpdateStatus(first);
  });
  p.ExpectExactUndoRedo("resource do-not-translate", [&] {
    auto action = record(kGerman);
    action->m_toggle = 1;
    p.doc.AddUndoAction(std::move(action));
    bitmap.SetTranslatable(false);
  });
  p.ExpectExactUndoRedo("deleted resource translation", [&] {
    LANGID first = firstLanguage();
    auto action = record(first);
    action->m_places = tvl::TranslationPlaces(bitmap, first);
    action->m_detached = bitmap.DetachTranslation(first);
    p.doc.AddUndoAction(std::move(action));
    bitmap.UpdateStatus(first);
  });
}

TEST(UndoStoredBytes, LayoutMovesAndSizes) {
  UndoProject p;
  CResDialog& d = p.Dialog();
  // As layout mode records a move or resize of a control (-1: the dialog itself).
  auto move = [&](int index, CLocalizedPoint* pos, CLocalizedPoint* size, LANGID language, int dx) {
    auto action = std::make_unique<CUndoMoveSize>();
    action->m_object = &d;
    action->m_language = language;
    action->m_controlIndex = index;
    auto record = [&](CLocalizedPoint* head, BYTE& recorded, BYTE& noValue, int& status, int& a, int& b) {
      if (!head) return;
      recorded = 1;
      const auto* n = static_cast<const CLocalizedPoint*>(head->FindValue(language));
      bool hasValue = n && n != head;
      const CLocalizedPoint& current = hasValue ? *n : *head;
      noValue = hasValue ? 0 : 1;
      status = n ? n->m_status : 0;
      a = current.m_x;
      b = current.m_y;
    };
    action->m_positionHead = pos;
    action->m_sizeHead = size;
    record(pos, action->m_positionRecorded, action->m_positionNoValue, action->m_positionStatus, action->m_x,
           action->m_y);
    record(size, action->m_sizeRecorded, action->m_sizeNoValue, action->m_sizeStatus, action->m_cx, action->m_cy);
    p.doc.AddUndoAction(std::move(action));
    for (CLocalizedPoint* head : {pos, size})
      if (head) {
        const CLocalizedParam* n = head->FindValue(language);
        const auto& current = static_cast<const CLocalizedPoint&>(n ? *n : *head);
        head->SetPoint(language, current.m_x + dx, current.m_y);
      }
    d.UpdateStatus(language);
  };
  CResDialogItem& label = p.Control(1000);
  CResDialogItem& edit = p.Control(1003);
  p.ExpectExactUndoRedo("moved", [&] { move(0, &label.m_pos, nullptr, kGerman, 3); });
  p.ExpectExactUndoRedo("moved and sized", [&] { move(3, &edit.m_pos, &edit.m_size, kFrench, 2); });
  p.ExpectExactUndoRedo("dialog size", [&] { move(-1, nullptr, &d.m_size, kGerman, 10); });
}

TEST(UndoStoredBytes, ModulesInsertedAndDeleted) {
  UndoProject p;
  p.ExpectExactUndoRedo("module inserted", [&] {
    auto m = std::make_unique<CModule>(U8(p.dir.file("Lib.dll")), kEnglish, 0);
    ASSERT_TRUE(m->LoadFromFile());
    CLanguageArray none;
    p.doc.InsertModule(std::move(m), kEnglish, none);
  });
  ASSERT_EQ(p.doc.m_modules.size(), 2u);
  // The first of two: undo puts it back in its place.
  p.ExpectExactUndoRedo("first module deleted", [&] { p.doc.DeleteModule(0); });
  p.ApplyAction(p.doc.Undo());
  ASSERT_EQ(p.doc.m_modules.size(), 2u);
  p.ExpectExactUndoRedo("last module deleted", [&] { p.doc.DeleteModule(1); });
}

TEST(UndoListRules, MoveStepsMergeOnlyForTheSameControlPartAndKind) {
  CTvlDoc doc;
  auto step = [&](int control, BYTE position, BYTE kind, BYTE mergeable = 1) {
    auto a = std::make_unique<CUndoMoveSize>();
    a->m_controlIndex = control;
    a->m_positionRecorded = position;
    a->m_sizeRecorded = position ? 0 : 1;
    a->m_mergeKind = kind;
    a->m_mergeable = mergeable;
    doc.AddUndoAction(std::move(a));
    return doc.GetUndoList().GetCount();
  };
  EXPECT_EQ(step(2, 1, 0), 1u);
  EXPECT_EQ(step(2, 1, 0), 1u);     // the same drag
  EXPECT_EQ(step(2, 0, 0), 2u);     // a resize of the same control
  EXPECT_EQ(step(2, 0, 1), 3u);     // another kind of step
  EXPECT_EQ(step(2, 0, 1, 0), 4u);  // not mergeable itself
  EXPECT_EQ(step(2, 0, 1), 5u);     // nor after one that is not
  // After an undo the step starts a new action instead of joining the undone one.
  doc.Undo();
  EXPECT_EQ(step(2, 0, 1), 5u);
  EXPECT_FALSE(doc.CanRedo());
}

TEST(UndoListRules, AFullListDropsTheRedoBranchBeforeTheOldest) {
  CTvlDoc doc;
  CLocalizedString head(u"src", kEnglish, 0);
  auto edit = [&](const std::u16string& text) {
    auto a = std::make_unique<CUndoTranslateString>();
    a->m_head = &head;
    a->m_language = kGerman;
    const auto* n = static_cast<const CLocalizedString*>(head.FindValue(kGerman));
    if (n && n != &head) {
      a->m_text = n->m_text;
      a->m_status = n->m_status;
    }
    doc.AddUndoAction(std::move(a));
    head.SetTranslation(text, kGerman);
  };
  for (int i = 0; i < 50; ++i) edit(u"v" + tvl::FromUtf8(std::to_string(i)));
  std::vector<CObject*> touched;
  doc.Undo()->Apply(touched);
  edit(u"last");
  // The undone action made room: all 50 remain, the first one still undoable.
  EXPECT_EQ(doc.GetUndoList().GetCount(), 50u);
  while (CUndoAction* a = doc.Undo()) a->Apply(touched);
  EXPECT_EQ(head.FindValue(kGerman), nullptr);
}
