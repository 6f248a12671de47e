// Files that are not what they claim to be (folders, FIFOs, devices) and files that cannot be
// written: each is refused with a message that says which file and why, and nothing blocks.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "TestSupport.h"
#include "platform/Text.h"
#include "project/ModuleFile.h"
#include "project/TvlDoc.h"

namespace fs = std::filesystem;

namespace {

std::u16string U8(const std::string& s) { return tvl::FromUtf8(s); }

// A saved project folder holding a folder, a FIFO and a regular executable.
struct OddFiles {
  OddFiles() {
    fs::create_directory(dir.file("folder.exe"));
    EXPECT_EQ(::mkfifo(dir.file("fifo.exe").c_str(), 0600), 0);
    doc.SetPathName(U8(dir.file("p.tvl")));
  }
  CScratchDir dir;
  CTvlDoc doc;
};

}  // namespace

TEST(ModuleFileCheck, FoldersFifosAndDevicesCannotBeLoadedAndSayWhy) {
  OddFiles f;
  struct Case {
    std::string path;
    bool survey;
    std::u16string reason;
  };
  const Case cases[] = {
      {f.dir.file("folder.exe"), true, u"Is a directory"},   {f.dir.file("folder.exe"), false, u"Is a directory"},
      {f.dir.file("fifo.exe"), true, u"Exec format error"},  {f.dir.file("fifo.exe"), false, u"Exec format error"},
      {"/dev/zero", true, u"Exec format error"},
  };
  for (const Case& c : cases) {
    CModuleFileCheck check = CheckModuleFile(&f.doc, U8(c.path), nullptr, c.survey);
    EXPECT_EQ(check.m_problem, ModuleFileProblem::CannotLoad) << c.path;
    EXPECT_EQ(check.Text(), u"The file cannot be loaded.\n\n" + c.reason) << c.path;
  }
  // The survey on its own refuses them too, and at once.
  CLanguageSurvey survey;
  std::u16string reason;
  EXPECT_EQ(SurveyModuleFile(U8(f.dir.file("fifo.exe")), survey, &reason), ModuleFileProblem::CannotLoad);
  EXPECT_EQ(reason, u"Exec format error");
}

TEST(ModuleFileCheck, UpdateSourceFromAFolderFailsWithTheReason) {
  OddFiles f;
  fs::copy_file(FixturePath("all32.exe"), f.dir.file("App.exe"));
  auto m = std::make_unique<CModule>(U8(f.dir.file("App.exe")), 0x0409, 0);
  m->SetDocument(&f.doc);
  ASSERT_TRUE(m->LoadFromFile());
  CLanguageArray languages;
  languages.Add(CLanguage(0x0407));
  f.doc.InsertModule(std::move(m), 0x0409, languages);
  CModule* module = f.doc.m_modules[0].get();
  module->SetSourcePath(U8(f.dir.file("folder.exe")));
  CRecordingSink sink;
  EXPECT_FALSE(f.doc.UpdateSource(module));
  ASSERT_FALSE(sink.messages.empty());
  EXPECT_EQ(sink.messages.back().text,
            u"Failed to load updated source file.\n" + U8(f.dir.file("folder.exe")) + u"\nIs a directory");
}

TEST(ProjectFileKinds, FoldersAndFifosAreRefusedWithoutBlocking) {
  OddFiles f;
  for (const char* name : {"folder.exe", "fifo.exe"}) {
    CTvlDoc doc;
    CRecordingSink sink;
    EXPECT_FALSE(doc.OnOpenDocument(U8(f.dir.file(name))));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text.rfind(u"Unable to open " + U8(f.dir.file(name)), 0), 0u);
  }
}

TEST(SaveDocument, AFailureNamesTheFileSaysItWasNotSavedAndKeepsEverything) {
  OddFiles f;
  f.doc.SetModifiedFlag(true);
  std::u16string path = U8(f.dir.file("missing/p.tvl"));
  CRecordingSink sink;
  EXPECT_FALSE(f.doc.OnSaveDocument(path));
  EXPECT_TRUE(f.doc.IsModified());
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text,
            u"Unable to create " + path + u".  No such file or directory\n\nFailed to save document.");
  EXPECT_EQ(std::distance(fs::directory_iterator(f.dir.path()), fs::directory_iterator()), 2);  // nothing new

  // Saved where it can be: the project file appears, no working file beside it.
  sink.messages.clear();
  EXPECT_TRUE(f.doc.OnSaveDocument(U8(f.dir.file("p.tvl"))));
  EXPECT_FALSE(f.doc.IsModified());
  EXPECT_EQ(std::distance(fs::directory_iterator(f.dir.path()), fs::directory_iterator()), 3);
}
