#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <deque>
#include <filesystem>

#include "UiTestSupport.h"
#include "formats/text/ResStringTable.h"
#include "platform/Text.h"
#include "ui/dialogs/BatchBuildDlg.h"
#include "ui/dialogs/BuildDialogs.h"
#include "ui/dialogs/BuildTargetDlg.h"
#include "ui/dialogs/ImportTranslationDlg.h"
#include "ui/dialogs/InstallDialogs.h"
#include "ui/dialogs/ScribeDlgs.h"
#include "workspace/ViewRules.h"

namespace fs = std::filesystem;
using tvl::ui::CFileRequest;

namespace {

constexpr LANGID kGerman = 0x0407;
constexpr LANGID kFrench = 0x040C;
constexpr LANGID kItalian = 0x0410;

// Replaces the file chooser and the modal loop: files come from a script, and each dialog is
// shown and handed to the next driver, which works its widgets and closes it (or not).
struct CScriptedDialogs {
  CScriptedDialogs() {
    savedChooser = tvl::ui::SetFileChooser([this](QWidget*, const CFileRequest& request) {
      requests.push_back(request);
      if (files.empty()) return QString();
      QString file = files.front();
      files.pop_front();
      return file;
    });
    savedRunner = tvl::ui::SetModalRunner([this](QDialog& dialog) {
      titles << dialog.windowTitle();
      if (drivers.empty()) {
        ADD_FAILURE() << "unexpected dialog " << dialog.windowTitle().toStdString();
        return int(QDialog::Rejected);
      }
      auto driver = std::move(drivers.front());
      drivers.pop_front();
      dialog.show();
      driver(dialog);
      if (dialog.isVisible()) dialog.reject();
      return dialog.result();
    });
  }
  ~CScriptedDialogs() {
    tvl::ui::SetFileChooser(std::move(savedChooser));
    tvl::ui::SetModalRunner(std::move(savedRunner));
  }

  tvl::ui::FileChooser savedChooser;
  tvl::ui::ModalRunner savedRunner;
  std::deque<QString> files;
  std::vector<CFileRequest> requests;
  std::deque<std::function<void(QDialog&)>> drivers;
  QStringList titles;
};

template <class T>
T& As(QDialog& dialog) {
  auto* d = dynamic_cast<T*>(&dialog);
  if (!d) throw std::runtime_error("another dialog than expected: " + dialog.windowTitle().toStdString());
  return *d;
}

void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

// The message texts recorded since `from`.
std::vector<std::u16string> Texts(const CRecordingSink& sink, size_t from = 0) {
  std::vector<std::u16string> texts;
  for (size_t i = from; i < sink.messages.size(); ++i) texts.push_back(sink.messages[i].text);
  return texts;
}

CResString* String1(CModule& module) { return module.m_resTable.m_stringTable.FindString(1); }

// all32.exe beside a saved project whose target languages are `languages`; string 1 gets
// the given translation per language.
struct CProject {
  explicit CProject(const std::vector<std::pair<LANGID, std::u16string>>& languages) {
    fs::copy_file(FixturePath("all32.exe"), dir.file("App.exe"));
    CTvlDoc doc;
    CLanguageArray array;
    for (const auto& l : languages) array.Add(CLanguage(l.first));
    auto m = std::make_unique<CModule>(tvl::FromUtf8(dir.file("App.exe")), 0x0409, 0);
    m->SetDocument(&doc);
    EXPECT_TRUE(m->LoadFromFile());
    doc.InsertModule(std::move(m), 0x0409, array);
    for (const auto& l : languages)
      if (!l.second.empty()) String1(*doc.m_modules[0])->m_value.SetTranslation(l.second, l.first);
    EXPECT_TRUE(doc.OnSaveDocument(Path()));
  }
  std::u16string Path() const { return tvl::FromUtf8(dir.file("App.tvl")); }
  std::string File(const std::string& name) const { return dir.file(name); }
  CScratchDir dir;
};

// A main window over the project with these dialogs installed.
struct CBuildFixture {
  explicit CBuildFixture(const std::u16string& project) {
    if (!project.empty()) {
      EXPECT_TRUE(f.Open(project));
    }
    InstallBuildDialogs(*f.frame);
  }
  CModule& Module() { return *f.doc.m_modules.at(0); }
  CFrameFixture f;
};

// What our own reader finds as string 1 of a built file read in `language`.
std::u16string BuiltString1(const std::string& path, LANGID language) {
  CModule built(tvl::FromUtf8(path), language, 0);
  if (!built.LoadFromFile()) return u"<unreadable>";
  CResString* s = String1(built);
  return s ? s->m_value.GetText() : u"<missing>";
}

}  // namespace

TEST(BuildDialogs, FilterStringsBecomeQtNameFilters) {
  EXPECT_EQ(tvl::ui::QtNameFilters(QStr(tvl::ui::kExecutableFilter)),
            (QStringList{"Executable Files (*.exe *.dll *.ocx *.cpl)", "All Files (*)"}));
  EXPECT_EQ(tvl::ui::QtNameFilters("Tessalingvora Files (*.tvl)|*.tvl|All Files (*.*)|*.*||"),
            (QStringList{"Tessalingvora Files (*.tvl)", "All Files (*)"}));
  EXPECT_EQ(tvl::ui::QtNameFilters("Text|*.txt"), QStringList{"Text (*.txt)"});
  EXPECT_TRUE(tvl::ui::QtNameFilters("").isEmpty());
}

TEST(BuildDialogs, BuildTargetChecksItsFieldsInOrderThenBuilds) {
  CProject project({{kGerman, u"Eins"}, {kFrench, u"Un"}});
  CBuildFixture b(project.Path());
  CRecordingSink sink;
  CScriptedDialogs script;
  const QString folder = QString::fromStdString(project.dir.path());
  const std::string target = project.File("out/App-fr.exe");

  script.files = {QString::fromStdString(target)};
  script.drivers.push_back([&](QDialog& d) {
    auto& dlg = As<CDialogCreateTargetFile>(d);
    // Opened on the module and the language of the main window.
    EXPECT_EQ(dlg.ModuleList()->currentText(), "App.exe");
    EXPECT_EQ(dlg.LanguageList()->currentData().toUInt(), kFrench);
    EXPECT_EQ(dlg.SourceName()->text(), QStringLiteral("./App.exe"));  // stored as .\App.exe
    EXPECT_EQ(dlg.OutputName()->text(), "AppFRA.exe");
    dlg.LanguageList()->setCurrentIndex(dlg.LanguageList()->findData(kGerman));
    EXPECT_EQ(dlg.OutputName()->text(), "Deutsch.exe");  // the names follow the language

    auto refusal = [&](QWidget* focused) {
      size_t before = sink.messages.size();
      Click(dlg.OkButton());
      EXPECT_TRUE(dlg.isVisible());
      if (focused) {
        EXPECT_EQ(dlg.focusWidget(), focused);
      }
      return sink.messages.size() == before + 1 ? sink.messages.back().text : u"<no single message>";
    };
    dlg.ModuleList()->setCurrentIndex(-1);
    dlg.LanguageList()->setCurrentIndex(-1);
    EXPECT_EQ(refusal(dlg.ModuleList()), u"Please specify the module.");
    dlg.ModuleList()->setCurrentIndex(0);
    EXPECT_EQ(refusal(dlg.LanguageList()), u"Please specify the language.");
    dlg.LanguageList()->setCurrentIndex(dlg.LanguageList()->findData(kFrench));
    dlg.OutputName()->setText("   ");
    EXPECT_EQ(refusal(dlg.OutputName()), u"Please specify the output filename.");
    dlg.OutputName()->setText(folder);
    EXPECT_EQ(refusal(dlg.OutputName()), FormatMessageText(u"'%1' is a directory. Please specify a file name.",
                                                           {Arg(U16(folder))}));
    Click(dlg.BrowseOutputButton());
    EXPECT_EQ(dlg.OutputName()->text(), QString::fromStdString(target));
    dlg.SourceName()->clear();
    EXPECT_EQ(refusal(dlg.SourceName()), u"Please specify the source filename.");
    dlg.SourceName()->setText(folder);
    EXPECT_EQ(refusal(dlg.SourceName()),
              FormatMessageText(u"'%1' is a directory. Please specify a file name.", {Arg(U16(folder))}));
    dlg.SourceName()->setText("App.exe");
    Click(dlg.OkButton());
    EXPECT_FALSE(dlg.isVisible());
  });
  b.Module().m_outputNames.SetAt(kGerman, u".\\Deutsch.exe");
  b.f.SetLanguage(kFrench);
  QTest::keyClick(b.f.frame.get(), Qt::Key_F7);
  EXPECT_EQ(script.titles, QStringList{"Build Target File"});
  ASSERT_EQ(script.requests.size(), 1u);
  EXPECT_EQ(script.requests[0].title, "Select Target File");
  EXPECT_TRUE(script.requests[0].save);

  ASSERT_FALSE(sink.messages.empty());
  EXPECT_EQ(sink.messages.back().text, u"Target file(s) created successfully:\n\n" + tvl::FromUtf8(target));
  EXPECT_EQ(sink.messages.back().type & MB_ICONMASK, MB_ICONINFORMATION);
  EXPECT_EQ(BuiltString1(target, kFrench), u"Un");
  EXPECT_TRUE(BuildSuccessList().empty());
  EXPECT_FALSE(b.f.doc.IsModified());
}

// Also notes whether the wait cursor was up while a message was shown.
struct CCursorSink : CRecordingSink {
  int Show(const std::u16string& text, UINT type, UINT helpId) override {
    waitCursorShown = waitCursorShown || QApplication::overrideCursor() != nullptr;
    return CRecordingSink::Show(text, type, helpId);
  }
  bool waitCursorShown = false;
};

TEST(BuildDialogs, BuildTargetStaysOpenWhenTheBuildFails) {
  CProject project({{kFrench, u"Un"}});
  CBuildFixture b(project.Path());
  CCursorSink sink;
  CScriptedDialogs script;
  script.drivers.push_back([&](QDialog& d) {
    auto& dlg = As<CDialogCreateTargetFile>(d);
    dlg.SourceName()->setText("Missing.exe");  // differs in time from the module's source: re-read, fails
    Click(dlg.OkButton());
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.OutputName()->selectedText(), dlg.OutputName()->text());
  });
  b.f.frame->Hooks().buildTarget(&b.Module(), kFrench);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text.rfind(u"Failed to build the target file:\nFailed to load the source file.", 0), 0u);
  EXPECT_FALSE(sink.waitCursorShown);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_FALSE(fs::exists(project.File("AppFRA.exe")));
  EXPECT_TRUE(BuildSuccessList().empty());
}

TEST(BuildDialogs, BuildCommandsNeedABuildableProject) {
  CBuildFixture b(u"");
  CRecordingSink sink;
  CScriptedDialogs script;  // any dialog opened fails the test
  b.f.frame->Hooks().buildTarget(nullptr, 0);
  b.f.frame->Hooks().batchBuild();
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[0].text.rfind(u"There are no executable modules defined.", 0), 0u);
  EXPECT_EQ(sink.messages[1].text, sink.messages[0].text);
}

TEST(BuildDialogs, BatchBuildKeepsItsCheckMarksInTheProject) {
  CProject project({{kGerman, u"Eins"}, {kFrench, u"Un"}});
  CRecordingSink sink;
  {
    CBuildFixture b(project.Path());
    CScriptedDialogs script;
    auto rows = [](CDialogBatchBuild& dlg) {
      std::vector<std::pair<QString, bool>> r;
      for (int i = 0; i < dlg.Targets()->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = dlg.Targets()->topLevelItem(i);
        r.emplace_back(item->text(1), item->checkState(0) == Qt::Checked);
      }
      return r;
    };
    // Escape stores nothing.
    script.drivers.push_back([&](QDialog& d) {
      auto& dlg = As<CDialogBatchBuild>(d);
      dlg.Targets()->topLevelItem(0)->setCheckState(0, Qt::Checked);
      QTest::keyClick(&dlg, Qt::Key_Escape);
    });
    // Sorting by a column and back; Close stores the marks.
    script.drivers.push_back([&](QDialog& d) {
      auto& dlg = As<CDialogBatchBuild>(d);
      QTreeWidget* list = dlg.Targets();
      EXPECT_EQ(list->headerItem()->text(0), "Module");
      EXPECT_EQ(list->headerItem()->text(1), "Language");
      EXPECT_EQ(list->headerItem()->text(2), "Output File");
      ASSERT_EQ(rows(dlg), (std::vector<std::pair<QString, bool>>{{"German", false}, {"French", false}}));
      EXPECT_EQ(list->topLevelItem(1)->text(2), "AppFRA.exe");
      QHeaderView* header = list->header();
      QPoint language(header->sectionViewportPosition(1) + 5, header->height() / 2);
      QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, language);
      EXPECT_EQ(list->topLevelItem(0)->text(1), "French");
      QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, language);
      EXPECT_EQ(list->topLevelItem(0)->text(1), "German");
      list->topLevelItem(1)->setCheckState(0, Qt::Checked);  // French
      Click(dlg.CloseButton());
      EXPECT_FALSE(dlg.isVisible());
    });
    b.f.frame->RunCommand(ID_BATCH_BUILD);
    EXPECT_FALSE(b.f.doc.IsModified());
    EXPECT_TRUE(b.Module().m_batchSelection.empty());
    b.f.frame->RunCommand(ID_BATCH_BUILD);
    EXPECT_TRUE(b.f.doc.IsModified());
    EXPECT_EQ(b.Module().m_batchSelection, std::vector<WORD>{kFrench});
    EXPECT_TRUE(b.f.frame->SaveDocument());
    EXPECT_TRUE(sink.messages.empty());
  }

  CBuildFixture b(project.Path());
  CScriptedDialogs script;
  script.drivers.push_back([&](QDialog& d) {
    auto& dlg = As<CDialogBatchBuild>(d);
    QTreeWidget* list = dlg.Targets();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(list->topLevelItem(1)->checkState(0), Qt::Checked);
    EXPECT_EQ(list->topLevelItem(1)->data(0, Qt::UserRole).toUInt(), 0u * 65536 + kFrench);

    Click(dlg.DeselectAllButton());
    Click(dlg.BuildButton());
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(Texts(sink), std::vector<std::u16string>{
                               u"No target selected.\n\nPlease check the box in front of each target to be built."});
    Click(dlg.SelectAllButton());
    Click(dlg.BuildButton());
    EXPECT_FALSE(dlg.isVisible());
  });
  b.f.frame->RunCommand(ID_BATCH_BUILD);
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[1].text, u"Target file(s) created successfully:\n\n" +
                                       tvl::FromUtf8(project.File("AppDEU.exe")) + u"\n" +
                                       tvl::FromUtf8(project.File("AppFRA.exe")) + u"\n");
  EXPECT_EQ(BuiltString1(project.File("AppDEU.exe"), kGerman), u"Eins");
  EXPECT_EQ(BuiltString1(project.File("AppFRA.exe"), kFrench), u"Un");
  EXPECT_EQ(b.Module().m_batchSelection, (std::vector<WORD>{kGerman, kFrench}));
  EXPECT_TRUE(BuildSuccessList().empty());
}

TEST(BuildDialogs, ImportTranslationOfABuiltTarget) {
  // A French build of the fixture, made from one project...
  CProject translated({{kFrench, u"Un"}});
  {
    CTvlDoc doc;
    CRecordingSink quiet;
    ASSERT_TRUE(doc.OnOpenDocument(translated.Path()));
    ASSERT_TRUE(doc.m_modules[0]->BuildLanguages({kFrench}));
    BuildSuccessList().clear();
  }
  const QString french = QString::fromStdString(translated.File("AppFRA.exe"));

  // ... imported into another that has German only.
  CProject project({{kGerman, u""}});
  CBuildFixture b(project.Path());
  CRecordingSink sink;
  CScriptedDialogs script;
  script.files = {QString(), french};
  script.drivers.push_back([&](QDialog& d) {
    auto& dlg = As<CDialogImportTranslation>(d);
    QComboBox* list = dlg.LanguageList();
    EXPECT_EQ(list->findData(0x0409), -1);  // never the source language
    EXPECT_EQ(list->currentData().toUInt(), kFrench);
    dlg.ShowCountries()->setChecked(true);
    EXPECT_NE(list->findText("French (Canada)"), -1);
    EXPECT_EQ(list->currentData().toUInt(), kFrench);
    list->setCurrentIndex(-1);
    Click(dlg.OkButton());
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(Texts(sink), std::vector<std::u16string>{u"Please select a language."});
    list->setCurrentIndex(list->findData(kFrench));
    Click(dlg.OkButton());
    EXPECT_FALSE(dlg.isVisible());
  });
  b.f.frame->RunCommand(ID_IMPORT_TRANSLATION);  // the chooser is cancelled: nothing happens
  EXPECT_TRUE(script.titles.isEmpty());
  b.f.frame->RunCommand(ID_IMPORT_TRANSLATION);
  ASSERT_EQ(script.requests.size(), 2u);
  EXPECT_FALSE(script.requests[1].save);
  EXPECT_EQ(script.requests[1].defaultExtension, "exe");
  EXPECT_EQ(script.titles, QStringList{"Import Translation"});

  EXPECT_EQ(sink.messages.size(), 1u);
  ASSERT_EQ(b.f.doc.m_languages.GetSize(), 2);
  EXPECT_EQ(b.f.doc.m_languages[1].GetLanguage(), kFrench);
  EXPECT_EQ(String1(b.Module())->m_value.GetText(kFrench), u"Un");
  EXPECT_TRUE(b.f.doc.IsModified());
  EXPECT_FALSE(b.f.doc.CanUndo());

  // Imported again for a language the project has: that language becomes the selected one.
  b.f.SetLanguage(kGerman);
  script.files = {french};
  script.drivers.push_back([&](QDialog& d) { Click(As<CDialogImportTranslation>(d).OkButton()); });
  b.f.frame->RunCommand(ID_IMPORT_TRANSLATION);
  EXPECT_EQ(b.f.doc.m_languages.GetSize(), 2);
  EXPECT_EQ(b.f.frame->GetSelectedLanguage(), kFrench);
}

TEST(BuildDialogs, ExportAndImportATranslatorsCopy) {
  CProject project({{kGerman, u"Eins"}, {kFrench, u"Un"}, {kItalian, u"Uno"}});
  CBuildFixture b(project.Path());
  CRecordingSink sink;
  CScriptedDialogs script;
  const std::string copyPath = project.File("copy/Translator.tvl");
  fs::create_directories(project.File("copy"));

  script.files = {QString::fromStdString(copyPath)};
  script.drivers.push_back([&](QDialog& d) {
    auto& dlg = As<CDialogExportSE>(d);
    QListWidget* list = dlg.Languages();
    ASSERT_EQ(list->count(), 3);
    EXPECT_TRUE(tvl::ui::CheckedLanguages(*list).empty());
    Click(dlg.OkButton());
    Click(dlg.BrowseButton());
    EXPECT_EQ(dlg.FileName()->text(), QString::fromStdString(copyPath));
    Click(dlg.OkButton());
    EXPECT_TRUE(dlg.isVisible());
    list->item(0)->setCheckState(Qt::Checked);
    list->item(2)->setCheckState(Qt::Checked);
    Click(dlg.OkButton());
    EXPECT_FALSE(dlg.isVisible());
  });
  b.f.frame->RunCommand(ID_EXPORT_SCRIBE);
  EXPECT_EQ(Texts(sink), (std::vector<std::u16string>{u"Please specify the filename.",
                                                      u"Please select at least one translation (check its box)."}));
  ASSERT_EQ(script.requests.size(), 1u);
  EXPECT_EQ(script.requests[0].title, "Select Scribe Edition Project File Name");
  EXPECT_EQ(b.f.doc.GetPathName(), project.Path());
  EXPECT_FALSE(b.f.doc.IsModified());

  // The translator changes German and Italian.
  {
    CTvlDoc copy;
    ASSERT_TRUE(copy.OnOpenDocument(tvl::FromUtf8(copyPath)));
    ASSERT_EQ(copy.m_languages.GetSize(), 2);
    EXPECT_EQ(copy.m_languages[0].GetLanguage(), kGerman);
    EXPECT_EQ(copy.m_languages[1].GetLanguage(), kItalian);
    EXPECT_EQ(copy.m_originId, b.f.doc.m_projectId);
    CResString* s = String1(*copy.m_modules[0]);
    EXPECT_EQ(s->m_value.FindValue(kFrench), nullptr);
    s->m_value.SetTranslation(u"Zwei", kGerman);
    s->m_value.SetTranslation(u"Due", kItalian);
    ASSERT_TRUE(copy.OnSaveDocument(tvl::FromUtf8(copyPath)));
  }

  // Only German comes back.
  sink.messages.clear();
  sink.answers = {IDOK, IDYES};  // the refusal, then the question
  script.files = {QString::fromStdString(copyPath)};
  script.drivers.push_back([&](QDialog& d) {
    auto& dlg = As<CDialogImportFromSE>(d);
    QListWidget* list = dlg.Languages();
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "German");
    EXPECT_EQ(list->item(1)->text(), "Italian");
    Click(dlg.OkButton());
    EXPECT_TRUE(dlg.isVisible());
    list->item(0)->setCheckState(Qt::Checked);
    Click(dlg.OkButton());
    EXPECT_FALSE(dlg.isVisible());
  });
  b.f.frame->RunCommand(ID_IMPORT_SCRIBE);
  ASSERT_EQ(script.requests.size(), 2u);
  EXPECT_EQ(script.requests[1].title, "Select Scribe Edition Project");
  EXPECT_EQ(script.requests[1].start, QString::fromStdString(project.dir.path()));
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[0].text, u"Please select at least one translation (check its box).");
  EXPECT_EQ(sink.messages[1].text, u"File:\n  " + tvl::FromUtf8(copyPath) +
                                       u"\n\nTranslation(s):\n  German\n\nThese translations will now be imported. "
                                       u"They will overwrite existing translations (if any).\n\nContinue ?  (Undo "
                                       u"not available)");
  CResString* s = String1(b.Module());
  EXPECT_EQ(s->m_value.GetText(kGerman), u"Zwei");
  EXPECT_EQ(s->m_value.GetText(kFrench), u"Un");
  EXPECT_EQ(s->m_value.GetText(kItalian), u"Uno");
  EXPECT_TRUE(b.f.doc.IsModified());
  EXPECT_FALSE(b.f.doc.CanUndo());
}
