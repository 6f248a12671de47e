#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "archive/Archive.h"
#include "formats/layout/ResBinary.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "project/TvlDoc.h"

namespace {

std::u16string U8(const std::string& s) { return tvl::FromUtf8(s); }

// Records the hints a document sends.
struct CHintRecorder : CDocumentView {
  std::vector<int> hints;
  void OnUpdate(int hint, const void*) override { hints.push_back(hint); }
};

void Append(std::vector<BYTE>& v, std::initializer_list<int> bytes) {
  for (int b : bytes) v.push_back(static_cast<BYTE>(b));
}
void AppendAscii(std::vector<BYTE>& v, const std::string& s) { v.insert(v.end(), s.begin(), s.end()); }
void AppendWide(std::vector<BYTE>& v, const std::u16string& s) {
  Append(v, {0xFF, 0xFE, 0xFF, static_cast<int>(s.size())});
  for (char16_t c : s) Append(v, {c & 0xFF, c >> 8});
}

// A project of two fixture modules in two target languages, with a translated bitmap.
void BuildProject(CTvlDoc& doc, const CScratchDir& dir) {
  std::filesystem::create_directories(dir.file("bin"));
  std::filesystem::copy_file(FixturePath("all32.exe"), dir.file("bin/all32.exe"));
  std::filesystem::copy_file(FixturePath("twolang.dll"), dir.file("twolang.dll"));
  doc.SetPathName(U8(dir.file("proj/p.tvl")));
  std::filesystem::create_directories(dir.file("proj"));
  CLanguageArray languages;
  languages.Add(CLanguage(0x0407));
  languages.Add(CLanguage(0x040C));
  for (const char* f : {"bin/all32.exe", "twolang.dll"}) {
    auto m = std::make_unique<CModule>(U8(dir.file(f)), 0x0409, 0);
    m->SetDocument(&doc);
    ASSERT_TRUE(m->LoadFromFile());
    doc.InsertModule(std::move(m), 0x0409, languages);
  }
  CModule& first = *doc.m_modules[0];
  auto* bmp = static_cast<CResBinary*>(first.m_resTable.m_bitmaps.GetResource(0));
  std::vector<BYTE> file;
  ASSERT_TRUE(bmp->GetData(file, 0));
  std::unique_ptr<CLocalizedParam> replaced;
  ASSERT_TRUE(bmp->SetData(file, 0x0407, replaced));
  bmp->UpdateStatus(0x0407);
  first.m_outputNames.SetAt(0x0411, u"a.exe");  // buckets 14 and 13: the order is stable
  first.m_outputNames.SetAt(0x0407, u"b.exe");
  first.m_batchSelection = {0x0407, 0x040C};
}

}  // namespace

TEST(VersionString, FormsOfTheHeader) {
  EXPECT_EQ(VersionString(1, 0, 0, 10), u"1.0 Build 10");
  EXPECT_EQ(VersionString(1, 25, 0, 301), u"1.25 Build 301");
  EXPECT_EQ(VersionString(1, 5, 1, 12), u"1.05a Build 12");
  EXPECT_EQ(VersionString(1, 50, 0, 7), u"1.5 Build 7");
}

TEST(ProjectFile, NewDocumentSavedAtOnceMatchesTheLayout) {
  CScratchDir dir;
  CTvlDoc doc;
  std::u16string path = U8(dir.file("new.tvl"));
  ASSERT_TRUE(doc.OnSaveDocument(path));
  std::vector<BYTE> bytes = ReadFileBytes(dir.file("new.tvl"));

  std::vector<BYTE> expected;
  AppendAscii(expected, "Tessalingvora File");
  Append(expected, {0, 3, 0, 0, 0});
  AppendWide(expected, ProgramVersionString());
  size_t idAt = expected.size();
  expected.resize(expected.size() + 32, 0);  // project id (random) and origin id (zero)
  Append(expected, {0xFF, 0xFF, 1, 0, 9, 0});
  AppendAscii(expected, "CLanguage");
  Append(expected, {0, 0, 0xFF, 0xFE, 0xFF, 0, 0, 0, 0, 0, 0, 0});
  Append(expected, {0xFF, 0xFF, 0, 0, 8, 0});
  AppendAscii(expected, "CObArray");
  Append(expected, {0, 0});
  ASSERT_EQ(bytes.size(), expected.size());
  std::copy(bytes.begin() + static_cast<long>(idAt), bytes.begin() + static_cast<long>(idAt + 16),
            expected.begin() + static_cast<long>(idAt));
  EXPECT_EQ(bytes, expected);
  EXPECT_FALSE(std::all_of(bytes.begin() + static_cast<long>(idAt), bytes.begin() + static_cast<long>(idAt + 16),
                           [](BYTE b) { return b == 0; }));
  EXPECT_EQ(doc.GetPathName(), path);
}

TEST(ProjectFile, FixtureProjectSavesLoadsAndSavesToIdenticalBytes) {
  CScratchDir dir;
  CTvlDoc doc;
  BuildProject(doc, dir);
  std::u16string path = U8(dir.file("proj/p.tvl"));
  ASSERT_TRUE(doc.OnSaveDocument(path));
  EXPECT_FALSE(doc.IsModified());
  std::vector<BYTE> first = ReadFileBytes(dir.file("proj/p.tvl"));

  CTvlDoc loaded;
  ASSERT_TRUE(loaded.OnOpenDocument(path));
  ASSERT_EQ(loaded.m_modules.size(), 2u);
  EXPECT_EQ(loaded.m_projectId, doc.m_projectId);
  EXPECT_EQ(loaded.m_sourceLanguage.GetLanguage(), 0x0409);
  EXPECT_EQ(loaded.m_languages.GetSize(), 2);
  const CModule& m = *loaded.m_modules[0];
  EXPECT_EQ(m.GetSourcePath(), u"..\\bin\\all32.exe");  // stored relative, in the platform's form
  EXPECT_EQ(m.GetFullSourcePath(), U8(dir.file("bin/all32.exe")));
  EXPECT_EQ(loaded.m_modules[1]->GetSourcePath(), u"..\\twolang.dll");
  EXPECT_EQ(m.m_batchSelection, (std::vector<WORD>{0x0407, 0x040C}));
  EXPECT_EQ(m.m_sourceTime, tvl::GetFileTime(U8(dir.file("bin/all32.exe"))));
  EXPECT_EQ(m.m_resTable.m_bitmaps.GetResource(0)->GetStatus(0x0407), 1);
  EXPECT_EQ(m.m_resTable.m_bitmaps.GetResource(1)->GetStatus(0x040C), 0);
  EXPECT_EQ(m.m_outputNames.GetKeys(), (std::vector<WORD>{0x0407, 0x0411}));

  ASSERT_TRUE(loaded.OnSaveDocument(U8(dir.file("proj/again.tvl"))));
  EXPECT_EQ(ReadFileBytes(dir.file("proj/again.tvl")), first);
  EXPECT_EQ(std::filesystem::status(dir.file("proj/again.tvl")).permissions() & std::filesystem::perms::others_read,
            std::filesystem::status(dir.file("proj/p.tvl")).permissions() & std::filesystem::perms::others_read);
  // Nothing but the target remains in the folder: the temporary file was renamed.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("proj")), {}), 2);
}

TEST(ProjectFile, EveryFixtureResourceSurvivesSaveAndLoad) {
  for (const char* fixture : {"all64.exe", "mfc32.exe", "overlay32.exe", "reloc64.dll", "neutralver32.dll"}) {
    CScratchDir dir;
    CTvlDoc doc;
    auto m = std::make_unique<CModule>(U8(FixturePath(fixture)), 0x0409, 1);
    ASSERT_TRUE(m->LoadFromFile()) << fixture;
    doc.InsertModule(std::move(m), 0x0409, {});
    ASSERT_TRUE(doc.OnSaveDocument(U8(dir.file("p.tvl"))));
    CTvlDoc loaded;
    ASSERT_TRUE(loaded.OnOpenDocument(U8(dir.file("p.tvl")))) << fixture;
    const CResTable& a = doc.m_modules[0]->m_resTable;
    const CResTable& b = loaded.m_modules[0]->m_resTable;
    ASSERT_EQ(a.GetTypes().size(), b.GetTypes().size()) << fixture;
    for (size_t t = 0; t < a.GetTypes().size(); ++t) {
      ASSERT_EQ(a.GetTypes()[t]->GetCount(), b.GetTypes()[t]->GetCount()) << fixture;
      if (a.GetTypes()[t]->IsStringTable()) continue;  // counts strings, holds no resources
      for (int r = 0; r < a.GetTypes()[t]->GetCount(); ++r) {
        std::vector<BYTE> x, y;
        a.GetTypes()[t]->GetResource(r)->GetData(x, 0);
        b.GetTypes()[t]->GetResource(r)->GetData(y, 0);
        EXPECT_EQ(x, y) << fixture;
      }
    }
  }
}

TEST(ProjectFile, BadFilesLeaveAnEmptyDocumentWithTheArchiveMessage) {
  CScratchDir dir;
  CTvlDoc doc;
  BuildProject(doc, dir);
  ASSERT_TRUE(doc.OnSaveDocument(U8(dir.file("proj/p.tvl"))));
  std::vector<BYTE> good = ReadFileBytes(dir.file("proj/p.tvl"));

  std::string bad = dir.file("bad.tvl");
  WriteFileBytes(bad, {'X', 'Y', 'Z'});
  {
    CRecordingSink sink;
    CTvlDoc d;
    EXPECT_FALSE(d.OnOpenDocument(U8(bad)));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, U8(bad) + u" has a bad format.");
    EXPECT_TRUE(d.m_modules.empty());
  }
  WriteFileBytes(bad, {0xFF, 0x01, 0, 0});
  {
    CRecordingSink sink;
    CTvlDoc d;
    EXPECT_FALSE(d.OnOpenDocument(U8(bad)));
    EXPECT_EQ(sink.messages.at(0).text, U8(bad) + u" has a bad format.");
  }
  // Truncated anywhere: one message, an empty document, never a crash.
  for (size_t n = 0; n < good.size(); n += 1 + n / 8) {
    WriteFileBytes(bad, std::vector<BYTE>(good.begin(), good.begin() + static_cast<long>(n)));
    CRecordingSink sink;
    CTvlDoc d;
    CHintRecorder views;
    d.AddView(&views);
    EXPECT_FALSE(d.OnOpenDocument(U8(bad))) << n;
    EXPECT_EQ(sink.messages.size(), 1u) << n;
    EXPECT_TRUE(d.m_modules.empty());
    EXPECT_EQ(d.m_sourceLanguage.GetLanguage(), 0);
    EXPECT_NE(std::find(views.hints.begin(), views.hints.end(), HintRebuildTree), views.hints.end());
  }
}

TEST(ProjectFile, NewerFormatsAreRefusedWithTheirMessage) {
  CScratchDir dir;
  auto header = [](int format, const std::u16string& version) {
    std::vector<BYTE> v;
    AppendAscii(v, "Tessalingvora File");
    Append(v, {0, format & 0xFF, (format >> 8) & 0xFF, 0, 0});
    AppendWide(v, version);
    v.resize(v.size() + 64, 0);
    return v;
  };
  std::string f = dir.file("n.tvl");
  WriteFileBytes(f, header(4, u"9.0 Build 1"));
  {
    CRecordingSink sink;
    CTvlDoc d;
    EXPECT_FALSE(d.OnOpenDocument(U8(f)));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text,
              u"Can't read file because it was created using a newer version of Tessalingvora (9.0 Build 1).");
  }
  WriteFileBytes(f, header(1000, u"x"));
  {
    CRecordingSink sink;
    CTvlDoc d;
    EXPECT_FALSE(d.OnOpenDocument(U8(f)));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, u"Can't read file because it was created using a newer version of Tessalingvora.");
  }
}

TEST(ProjectFile, OlderFormatsLoadAndSavingAsksTheUpdateQuestion) {
  CScratchDir dir;
  // Build the body once with the current writer, then put older headers in front of it.
  CTvlDoc doc;
  BuildProject(doc, dir);
  ASSERT_TRUE(doc.OnSaveDocument(U8(dir.file("proj/p.tvl"))));
  std::vector<BYTE> current = ReadFileBytes(dir.file("proj/p.tvl"));
  size_t versionLen = ProgramVersionString().size();
  size_t bodyAt = 19 + 4 + 4 + 2 * versionLen + 32;
  std::vector<BYTE> body(current.begin() + static_cast<long>(bodyAt), current.end());

  for (int format : {0, 1, 2}) {
    std::vector<BYTE> file;
    if (format > 0) {
      AppendAscii(file, "Tessalingvora File");
      Append(file, {0, format, 0, 0, 0});
      AppendWide(file, u"1.0 Build 5");
    }
    file.insert(file.end(), body.begin(), body.end());
    std::string path = dir.file("proj/old" + std::to_string(format) + ".tvl");
    WriteFileBytes(path, file);
    CTvlDoc old;
    ASSERT_TRUE(old.OnOpenDocument(U8(path))) << format;
    EXPECT_EQ(old.m_format, format);
    EXPECT_EQ(old.m_version, format == 0 ? u"0.52 or 0.53" : u"1.0 Build 5");
    EXPECT_EQ(old.m_modules.size(), 2u);
    EXPECT_TRUE(old.m_originId.IsZero());
    EXPECT_FALSE(old.m_projectId.IsZero());  // a fresh id: older headers have none

    CRecordingSink sink;
    sink.answers = {IDNO};
    EXPECT_FALSE(old.DoSave({}));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_NE(sink.messages[0].text.find(u"former version of Tessalingvora (" + old.m_version + u")"),
              std::u16string::npos);
    EXPECT_EQ(ReadFileBytes(path), file);  // "No" leaves the file untouched
    sink.answers = {IDYES};
    EXPECT_TRUE(old.DoSave({}));
    CTvlDoc again;
    ASSERT_TRUE(again.OnOpenDocument(U8(path)));
    EXPECT_EQ(again.m_format, 3);
    EXPECT_EQ(again.m_projectId, old.m_projectId);
  }
}

TEST(Module, SchemaOneLoadsWithEmptyBatchSelectionAndZeroTime) {
  CModule m(u"/x/Editor.exe", 0x0409, 1);
  m.m_batchSelection = {0x0407};
  m.m_sourceTime = 12345;
  CArchive out;
  out.WriteObject(&m);
  std::vector<BYTE> bytes = out.GetStoredBytes();
  // Schema 3 -> 1: drop the batch selection (count 1 + one WORD) and the time (two DWORDs).
  ASSERT_EQ(bytes[2], 3);
  bytes[2] = 1;
  std::vector<BYTE> oneWord = {0x01, 0x00, 0x07, 0x04};
  auto at = std::search(bytes.begin(), bytes.end(), oneWord.begin(), oneWord.end());
  ASSERT_NE(at, bytes.end());
  bytes.erase(at, at + 4 + 8);
  CArchive in(bytes.data(), bytes.size(), u"m.tvl");
  auto loaded = in.ReadObject<CModule>();
  in.Close();
  EXPECT_TRUE(loaded->m_batchSelection.empty());
  EXPECT_EQ(loaded->m_sourceTime, 0u);
  EXPECT_EQ(loaded->GetName(), u"Editor.exe");
  EXPECT_EQ(loaded->m_usesMfc, 1);
  EXPECT_EQ(loaded->m_resTable.m_promptAndTips.m_enabled, 1);
}

TEST(Module, OutputNamesSharingABucketReverseOnEachLoad) {
  CModule m(u"/x/Editor.exe", 0x0409, 0);
  m.m_outputNames.SetAt(0x0409, u"a.exe");
  m.m_outputNames.SetAt(0x0407, u"b.exe");  // 0x0407 / 16 and 0x0409 / 16 are both 64: bucket 13
  EXPECT_EQ(m.m_outputNames.GetKeys(), (std::vector<WORD>{0x0407, 0x0409}));
  CArchive out;
  out.WriteObject(&m);
  std::vector<BYTE> bytes = out.GetStoredBytes();
  CArchive in(bytes.data(), bytes.size(), u"m.tvl");
  auto loaded = in.ReadObject<CModule>();
  in.Close();
  EXPECT_EQ(loaded->m_outputNames.GetKeys(), (std::vector<WORD>{0x0409, 0x0407}));
  EXPECT_EQ(*loaded->m_outputNames.Find(0x0407), u"b.exe");
}

TEST(Module, DefaultTargetNamesAndFullPaths) {
  CScratchDir dir;
  CTvlDoc doc;
  doc.m_sourceLanguage.SetLanguage(0x0409);
  doc.SetPathName(U8(dir.file("p.tvl")));
  CModule m(u"/x/Editor.exe", 0, 1);
  m.SetDocument(&doc);
  EXPECT_EQ(m.m_sourceLanguage, 0x0409);
  EXPECT_EQ(m.DefaultTargetFileName(0x0407), u"EditorDEU.exe");
  m.m_satelliteDll = true;
  EXPECT_EQ(m.DefaultTargetFileName(0x0407), u"EditorDEU.dll");
  CModule enu(u"/x/EditorENU.dll", 0x0409, 0);
  enu.SetDocument(&doc);
  EXPECT_EQ(enu.DefaultTargetFileName(0x0C0C), u"EditorFRC.dll");
  enu.m_outputNames.SetAt(0x0C0C, u"out\\fr.dll");
  EXPECT_EQ(enu.GetTargetFileName(0x0C0C), u"out\\fr.dll");

  EXPECT_EQ(m.MakeFullPath(u"  out\\EditorDEU.exe "), U8(dir.file("out/EditorDEU.exe")));
  EXPECT_EQ(m.MakeFullPath(u"/abs/x.exe"), u"/abs/x.exe");
  auto message = [&](const std::u16string& p) {
    try {
      m.MakeFullPath(p);
    } catch (const CException& e) {
      return e.GetErrorText();
    }
    return std::u16string(u"<none>");
  };
  EXPECT_EQ(message(u"  "), u"Please specify the target filename.");
  EXPECT_EQ(message(U8(dir.path())), u"'" + U8(dir.path()) + u"' is a directory. Please specify a file name.");
  CModule unsaved(u"/x/a.exe", 0x0409, 0);
  EXPECT_EQ(message(u"x"), u"<none>");
  EXPECT_THROW(unsaved.MakeFullPath(u"rel.exe"), CStringException);
}

TEST(Document, InsertSettlesLanguagesAndSendsHintsInOrder) {
  CScratchDir dir;
  CTvlDoc doc;
  CHintRecorder views;
  doc.AddView(&views);
  CLanguageArray wizard;
  wizard.Add(CLanguage(0x0407));
  auto m = std::make_unique<CModule>(U8(FixturePath("twolang.dll")), 0x0409, 0);
  ASSERT_TRUE(m->LoadFromFile());
  views.hints.clear();
  doc.InsertModule(std::move(m), 0x0409, wizard);
  EXPECT_EQ(views.hints, (std::vector<int>{HintTargetLanguageAdded, HintModuleInserted, HintSourceLanguageAdded}));
  EXPECT_TRUE(doc.IsModified());
  // Every resource has a status for every target language at once.
  for (const CResourceType* t : doc.m_modules[0]->m_resTable.GetTypes())
    for (const auto& r : t->m_resources) EXPECT_NE(r->m_statusChain.FindValue(0x0407), nullptr);

  // A later module gets the project's languages; the wizard's are ignored now.
  CLanguageArray other;
  other.Add(CLanguage(0x0411));
  auto m2 = std::make_unique<CModule>(U8(FixturePath("neutral64.dll")), 0x0409, 0);
  ASSERT_TRUE(m2->LoadFromFile());
  views.hints.clear();
  doc.InsertModule(std::move(m2), 0x0409, other);
  EXPECT_EQ(views.hints, (std::vector<int>{HintModuleInserted}));
  EXPECT_EQ(doc.m_languages.GetSize(), 1);
  EXPECT_EQ(doc.FindModuleByName(u"NEUTRAL64.DLL"), 1);
  EXPECT_NE(doc.FindModule(U8(FixturePath("twolang.dll"))), nullptr);
}

TEST(Document, ApplyLanguagesRemovesChangesAndAdds) {
  CTvlDoc doc;
  EXPECT_FALSE([&] {
    CRecordingSink sink;
    bool ok = doc.CanDefineLanguages();
    EXPECT_EQ(sink.messages.at(0).text, u"Please insert a module in the project before defining the translations.");
    return ok;
  }());
  auto m = std::make_unique<CModule>(U8(FixturePath("twolang.dll")), 0x0409, 0);
  ASSERT_TRUE(m->LoadFromFile());
  CLanguageArray initial;
  initial.Add(CLanguage(0x0407));
  initial.Add(CLanguage(0x040C));
  doc.InsertModule(std::move(m), 0x0409, initial);
  doc.SetModifiedFlag(false);

  CHintRecorder views;
  doc.AddView(&views);
  CLanguageArray working;
  CLanguage fr(0x040C);
  fr.SetPreviewFont(u"Arial", 9);
  working.Add(fr);
  working.Add(CLanguage(0x0410));
  doc.ApplyLanguages(working);
  EXPECT_EQ(views.hints, (std::vector<int>{HintLanguageRemoved, HintLanguageChanged, HintTargetLanguageAdded}));
  ASSERT_EQ(doc.m_languages.GetSize(), 2);
  EXPECT_EQ(doc.m_languages[0].GetLanguage(), 0x040C);
  EXPECT_EQ(doc.m_languages[0].GetFontName(), u"Arial");
  EXPECT_EQ(doc.m_languages[1].GetLanguage(), 0x0410);
  EXPECT_TRUE(doc.IsModified());
  const CResource* dialog = doc.m_modules[0]->m_resTable.m_dialogs.GetResource(0);
  EXPECT_NE(dialog->m_statusChain.FindValue(0x0410), nullptr);
  // What the modules hold for a removed language stays in them.
  EXPECT_NE(dialog->m_statusChain.FindValue(0x0407), nullptr);
}

TEST(Document, CheckReadyToBuildMessages) {
  CTvlDoc doc;
  CRecordingSink sink;
  EXPECT_FALSE(doc.CheckReadyToBuild());
  EXPECT_EQ(sink.messages.back().text.rfind(u"There are no executable modules defined.", 0), 0u);
  auto m = std::make_unique<CModule>(U8(FixturePath("twolang.dll")), 0x0409, 0);
  ASSERT_TRUE(m->LoadFromFile());
  doc.InsertModule(std::move(m), 0x0409, {});
  EXPECT_FALSE(doc.CheckReadyToBuild());
  EXPECT_EQ(sink.messages.back().text.rfind(u"There are no translations defined.", 0), 0u);
  doc.AddLanguage(0x0407);
  EXPECT_FALSE(doc.CheckReadyToBuild());  // never saved, and no save-as here
  EXPECT_EQ(sink.messages.back().type & MB_ICONMASK, MB_ICONINFORMATION);
  doc.SetPathName(u"/tmp/x.tvl");
  EXPECT_TRUE(doc.CheckReadyToBuild());
}
