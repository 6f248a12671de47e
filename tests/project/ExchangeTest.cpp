#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "formats/layout/ResBinary.h"
#include "peimage/PeImage.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "project/TvlDoc.h"
#include "resmodel/CompileContext.h"

namespace fs = std::filesystem;

namespace {

std::u16string U8(const std::string& s) { return tvl::FromUtf8(s); }

struct CScriptedChoices : CUserChoices {
  LANGID importLanguage = 0;
  LANGID guessedSeen = 0;
  std::vector<LANGID> scribe;
  LANGID ChooseImportLanguage(const CModule&, const std::u16string&, LANGID guessed) override {
    guessedSeen = guessed;
    return importLanguage;
  }
  std::vector<LANGID> ChooseScribeLanguages(const std::u16string&, const CLanguageArray&) override { return scribe; }
};

// A copy of a fixture with every resource under another language and one bitmap changed.
void MakeTranslatedCopy(const std::string& from, const std::string& to, LANGID language, WORD bitmapId, BYTE fill) {
  CPeImage image;
  ASSERT_TRUE(image.LoadFile(from));
  CResourceWriter writer;
  for (const CPeResource& r : image.GetResources()) {
    auto data = image.GetData(r);
    std::vector<BYTE> bytes(data.begin(), data.end());
    if (r.type == CResName(WORD{2}) && r.name == CResName(bitmapId))
      std::fill(bytes.begin() + 60, bytes.end(), fill);  // keep the header
    writer.Add(r.type, r.name, language, bytes.data(), bytes.size());
  }
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
  writer.Write(U8(to));
}

// A saved project of all32.exe with German, French and Italian; bitmap 601 translatable.
struct Project {
  Project() {
    fs::copy_file(FixturePath("all32.exe"), dir.file("App.exe"));
    doc.SetPathName(U8(dir.file("App.tvl")));
    CLanguageArray languages;
    for (LANGID l : {0x0407, 0x040C, 0x0410}) languages.Add(CLanguage(l));
    auto m = std::make_unique<CModule>(U8(dir.file("App.exe")), 0x0409, 0);
    m->SetDocument(&doc);
    EXPECT_TRUE(m->LoadFromFile());
    doc.InsertModule(std::move(m), 0x0409, languages);
    Bitmap()->SetTranslatable(true);
    doc.m_modules[0]->m_outputNames.SetAt(0x0407, u"de\\App.exe");
    doc.m_modules[0]->m_batchSelection = {0x0407};
    EXPECT_TRUE(doc.OnSaveDocument(doc.GetPathName()));
  }
  CResBinary* Bitmap(CTvlDoc* d = nullptr) {
    CResourceIdentifier id;
    id.SetOrdinal(601);
    return static_cast<CResBinary*>((d ? d : &doc)->m_modules[0]->m_resTable.m_bitmaps.FindResource(id));
  }
  CScratchDir dir;
  CTvlDoc doc;
};

}  // namespace

TEST(UpdateSource, AsksByTimeAndKeepsTheModuleInPlace) {
  Project p;
  CModule* old = p.doc.m_modules[0].get();
  p.doc.ClearUndo();
  {
    CRecordingSink sink;
    sink.answers = {IDCANCEL};
    EXPECT_FALSE(p.doc.UpdateSource(old));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text.rfind(u"The updated source file seems identical (same timestamp).", 0), 0u);
    EXPECT_EQ(sink.messages[0].type & MB_ICONMASK, MB_ICONQUESTION);
    EXPECT_EQ(p.doc.m_modules[0].get(), old);
  }
  fs::last_write_time(p.dir.file("App.exe"), fs::last_write_time(p.dir.file("App.exe")) - std::chrono::hours(1));
  {
    CRecordingSink sink;
    sink.answers = {IDCANCEL};
    p.doc.UpdateSource(old);
    EXPECT_EQ(sink.messages.at(0).text.rfind(u"The updated source file is OLDER", 0), 0u);
    EXPECT_EQ(sink.messages[0].type & MB_ICONMASK, MB_ICONWARNING);
  }
  fs::last_write_time(p.dir.file("App.exe"), fs::last_write_time(p.dir.file("App.exe")) + std::chrono::hours(2));
  std::unique_ptr<CLocalizedParam> replaced;
  std::vector<BYTE> file;
  ASSERT_TRUE(p.Bitmap()->GetData(file, 0));
  ASSERT_TRUE(p.Bitmap()->SetData(file, 0x0407, replaced));
  p.doc.AddLanguage(0x0407);
  CRecordingSink sink;
  EXPECT_TRUE(p.doc.UpdateSource(old));
  EXPECT_EQ(sink.messages.at(0).text.rfind(u"Please confirm update of the source contents.", 0), 0u);
  CModule* fresh = p.doc.m_modules[0].get();
  EXPECT_NE(fresh, old);
  EXPECT_EQ(fresh->GetSourcePath(), u".\\App.exe");
  EXPECT_EQ(*fresh->m_outputNames.Find(0x0407), u"de\\App.exe");
  EXPECT_EQ(fresh->m_batchSelection, std::vector<WORD>{0x0407});
  EXPECT_TRUE(p.Bitmap()->HasTranslation(0x0407));  // unchanged bytes keep their translation
  EXPECT_EQ(p.Bitmap()->GetStatus(0x0407), 1);
  EXPECT_FALSE(p.doc.CanUndo());
  EXPECT_TRUE(p.doc.IsModified());
}

TEST(UpdateSource, MissingFileIsReportedAndChangesNothing) {
  Project p;
  fs::remove(p.dir.file("App.exe"));
  CRecordingSink sink;
  EXPECT_FALSE(p.doc.UpdateSource(p.doc.m_modules[0].get()));
  EXPECT_EQ(sink.messages.at(0).text.rfind(u"Error opening the updated source file " + U8(p.dir.file("App.exe")) + u".\n\n", 0), 0u);
  // Every module at once: the question (defaulting to Cancel) is answered, the missing file
  // is reported and its module left as it was.
  CModule* before = p.doc.m_modules[0].get();
  sink.answers = {IDOK};
  p.doc.UpdateSourceAll();
  EXPECT_EQ(sink.messages.back().text, u"Failed to load updated source file.");
  EXPECT_EQ(p.doc.m_modules[0].get(), before);
}

TEST(ImportTranslation, FillsOnlyMissingTranslationsAndAddsTheLanguage) {
  Project p;
  MakeTranslatedCopy(FixturePath("all32.exe"), p.dir.file("App_es.exe"), 0x0C0A, 601, 0x55);
  CScriptedChoices choices;
  choices.importLanguage = 0x0C0A;
  CRecordingSink sink;
  ASSERT_TRUE(p.doc.ImportTranslation(p.doc.m_modules[0].get(), U8(p.dir.file("App_es.exe")), choices));
  EXPECT_EQ(choices.guessedSeen, 0x0409);  // the copied version resource still names English first
  EXPECT_GE(p.doc.m_languages.Find(0x0C0A), 0);
  std::vector<BYTE> spanish = p.Bitmap()->GetBytes(0x0C0A);
  ASSERT_TRUE(p.Bitmap()->HasTranslation(0x0C0A));
  EXPECT_EQ(spanish.back(), 0x55);
  EXPECT_EQ(p.Bitmap()->GetStatus(0x0C0A), 1);

  // Importing again from another file leaves the existing translation.
  MakeTranslatedCopy(FixturePath("all32.exe"), p.dir.file("App_es2.exe"), 0x0C0A, 601, 0x66);
  ASSERT_TRUE(p.doc.ImportTranslation(p.doc.m_modules[0].get(), U8(p.dir.file("App_es2.exe")), choices));
  EXPECT_EQ(p.Bitmap()->GetBytes(0x0C0A), spanish);
  EXPECT_FALSE(p.doc.CanUndo());
}

TEST(ImportTranslation, RefusesTheSourceAndMultiLanguageFiles) {
  Project p;
  CScriptedChoices choices;
  choices.importLanguage = 0x040C;
  {
    CRecordingSink sink;
    sink.answers = {IDNO};
    EXPECT_FALSE(p.doc.ImportTranslation(p.doc.m_modules[0].get(), U8(p.dir.file("App.exe")), choices));
    EXPECT_EQ(sink.messages.at(0).text.rfind(u"You cannot import the source file of the module !", 0), 0u);
    EXPECT_EQ(sink.messages.size(), 1u);
  }
  {
    CRecordingSink sink;
    EXPECT_FALSE(p.doc.ImportTranslation(p.doc.m_modules[0].get(), U8(FixturePath("twolang.dll")), choices));
    EXPECT_EQ(sink.messages.at(0).text.rfind(u"This file contains multi-languages resources.", 0), 0u);
  }
  {
    CRecordingSink sink;
    EXPECT_FALSE(p.doc.ImportTranslation(p.doc.m_modules[0].get(), U8(FixturePath("README.md")), choices));
    EXPECT_EQ(sink.messages.at(0).text, u"Cannot load module.");
  }
}

TEST(ScribeEdition, ExportTwoOfThreeThenImportChangesOnlyThose) {
  Project p;
  std::unique_ptr<CLocalizedParam> replaced;
  for (LANGID l : {0x0407, 0x040C, 0x0410}) {
    std::vector<BYTE> file;
    ASSERT_TRUE(p.Bitmap()->GetData(file, 0));
    file.back() = static_cast<BYTE>(l & 0xFF);
    ASSERT_TRUE(p.Bitmap()->SetData(file, l, replaced));
  }
  ASSERT_TRUE(p.doc.OnSaveDocument(p.doc.GetPathName()));
  CGuid id = p.doc.m_projectId;
  std::u16string path = p.doc.GetPathName();

  ASSERT_TRUE(p.doc.CanExportScribe());
  ASSERT_TRUE(p.doc.ExportScribe(u"copy.tvl", {0x0407, 0x040C}));
  ASSERT_TRUE(p.doc.ExportScribe(u"copy2.tvl", {0x0407, 0x040C}));
  EXPECT_EQ(p.doc.m_projectId, id);
  EXPECT_EQ(p.doc.GetPathName(), path);
  EXPECT_FALSE(p.doc.IsModified());
  EXPECT_TRUE(p.doc.m_exportLanguages.IsEmpty());

  // The translator's copy: two languages, chains holding only them, our id as origin.
  CTvlDoc copy;
  ASSERT_TRUE(copy.OnOpenDocument(U8(p.dir.file("copy.tvl"))));
  CTvlDoc copy2;
  ASSERT_TRUE(copy2.OnOpenDocument(U8(p.dir.file("copy2.tvl"))));
  EXPECT_EQ(copy.m_originId, id);
  EXPECT_EQ(copy2.m_originId, id);
  EXPECT_FALSE(copy.m_projectId == copy2.m_projectId);
  ASSERT_EQ(copy.m_languages.GetSize(), 2);
  EXPECT_FALSE(p.Bitmap(&copy)->HasTranslation(0x0410));

  // The translator changes German, and the copy comes back.
  std::vector<BYTE> german = p.Bitmap(&copy)->GetBytes(0x0407);
  german.back() = 0xEE;
  ASSERT_TRUE(p.Bitmap(&copy)->SetData(ReadFileBytes(FixturePath("data/info8.bmp")), 0x0407, replaced));
  ASSERT_TRUE(copy.OnSaveDocument(U8(p.dir.file("back.tvl"))));

  std::vector<BYTE> frenchBefore = p.Bitmap()->GetBytes(0x040C);
  std::vector<BYTE> italianBefore = p.Bitmap()->GetBytes(0x0410);
  CScriptedChoices choices;
  choices.scribe = {0x0407};
  CRecordingSink sink;
  sink.answers = {IDYES};
  ASSERT_TRUE(p.doc.ImportScribe(U8(p.dir.file("back.tvl")), choices));
  EXPECT_EQ(sink.messages.at(0).text.rfind(u"File:\n  " + U8(p.dir.file("back.tvl")) + u"\n\nTranslation(s):\n  ", 0), 0u);
  EXPECT_EQ(p.Bitmap()->GetBytes(0x0407), p.Bitmap(&copy)->GetBytes(0x0407));
  EXPECT_EQ(p.Bitmap()->GetBytes(0x040C), frenchBefore);
  EXPECT_EQ(p.Bitmap()->GetBytes(0x0410), italianBefore);
  EXPECT_FALSE(p.doc.CanUndo());
}

TEST(ScribeEdition, ImportChecksOriginLanguagesAndModules) {
  Project p;
  ASSERT_TRUE(p.doc.ExportScribe(u"copy.tvl", {0x0410}));
  // A project that no longer has Italian: offered, but nothing to import.
  CLanguageArray noItalian;
  noItalian.Add(CLanguage(0x0407));
  noItalian.Add(CLanguage(0x040C));
  p.doc.ApplyLanguages(noItalian);
  CScriptedChoices choices;
  choices.scribe = {0x0410};
  {
    CRecordingSink sink;
    EXPECT_FALSE(p.doc.ImportScribe(U8(p.dir.file("copy.tvl")), choices));
    EXPECT_EQ(sink.messages.back().text, u"None of the selected languages are declared in this Tessalingvora project.");
  }
  // A copy of another project asks first.
  CTvlDoc other;
  fs::copy_file(FixturePath("all32.exe"), p.dir.file("Other.exe"));
  auto m = std::make_unique<CModule>(U8(p.dir.file("Other.exe")), 0x0409, 0);
  ASSERT_TRUE(m->LoadFromFile());
  other.InsertModule(std::move(m), 0x0409, noItalian);
  other.SetPathName(U8(p.dir.file("Other.tvl")));
  ASSERT_TRUE(other.ExportScribe(u"othercopy.tvl", {0x0407}));
  choices.scribe = {0x0407};
  CRecordingSink sink;
  sink.answers = {IDOK, IDYES};
  EXPECT_FALSE(p.doc.ImportScribe(U8(p.dir.file("othercopy.tvl")), choices));
  EXPECT_EQ(sink.messages[0].text.rfind(u"The file you want to import was not created using this project.", 0), 0u);
  EXPECT_EQ(sink.messages.back().text, u"The modules contained in the selected file do not match the module in this project.");
}
