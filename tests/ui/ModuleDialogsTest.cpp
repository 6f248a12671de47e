#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QFontComboBox>
#include <QHeaderView>
#include <QTest>
#include <QTreeWidget>
#include <deque>
#include <filesystem>
#include <functional>

#include "UiTestSupport.h"
#include "platform/Text.h"
#include "ui/dialogs/BatchBuildDlg.h"
#include "ui/dialogs/BuildTargetDlg.h"
#include "ui/dialogs/DialogSupport.h"
#include "ui/dialogs/InstallDialogs.h"
#include "ui/dialogs/LanguageDialogs.h"
#include "ui/dialogs/ModulePropertiesDlg.h"
#include "ui/dialogs/NewModuleWizard.h"
#include "ui/views/ProjectResView.h"
#include "workspace/ViewRules.h"

namespace {

const char16_t kMultiLanguage[] =
    u"This module contains multi-languages resources.\n\nTessalingvora does not currently support multi-languages "
    u"resource files. Please contact us and we will do our best to help you workaround this issue.";

// Answers the modal dialogs the program opens, in turn; a dialog nobody expected fails the test.
class CScriptedDialogs {
 public:
  CScriptedDialogs() {
    m_previous = tvl::ui::SetModalRunner([this](QDialog& dialog) {
      if (m_steps.empty()) {
        ADD_FAILURE() << "unexpected dialog " << dialog.windowTitle().toStdString();
        return static_cast<int>(QDialog::Rejected);
      }
      auto step = std::move(m_steps.front());
      m_steps.pop_front();
      return step(dialog);
    });
  }
  ~CScriptedDialogs() {
    EXPECT_TRUE(m_steps.empty()) << m_steps.size() << " dialogs did not open";
    tvl::ui::SetModalRunner(std::move(m_previous));
  }
  template <class T>
  void Expect(std::function<int(T&)> step) {
    m_steps.push_back([step](QDialog& dialog) {
      auto* typed = dynamic_cast<T*>(&dialog);
      if (!typed) {
        ADD_FAILURE() << "another dialog opened: " << dialog.windowTitle().toStdString();
        return static_cast<int>(QDialog::Rejected);
      }
      return step(*typed);
    });
  }

 private:
  tvl::ui::ModalRunner m_previous;
  std::deque<std::function<int(QDialog&)>> m_steps;
};

std::u16string U(const std::string& s) { return tvl::FromUtf8(s); }

bool NextShown(QWizard& w) { return w.button(QWizard::NextButton)->isVisible(); }
bool FinishShown(QWizard& w) { return w.button(QWizard::FinishButton)->isVisible(); }

void AnswerTargetLanguage(CScriptedDialogs& dialogs, LANGID language) {
  dialogs.Expect<CDialogTargetLanguage>([language](CDialogTargetLanguage& d) {
    EXPECT_TRUE(d.ChooseLanguage(language));
    d.accept();
    return d.result();
  });
}

void AnswerFilename(CScriptedDialogs& dialogs, const QString& text) {
  dialogs.Expect<CDialogFilename>([text](CDialogFilename& d) {
    d.Box()->setText(text);
    return static_cast<int>(QDialog::Accepted);
  });
}

// A project holding App.exe (all32.exe) with no target languages, not saved.
void InsertApp(CTvlDoc& doc, const CScratchDir& dir, const std::string& fixture = "all32.exe", int usesMfc = 0) {
  std::filesystem::copy_file(FixturePath(fixture), dir.file("App.exe"));
  auto m = std::make_unique<CModule>(U(dir.file("App.exe")), 0x0409, usesMfc);
  m->SetDocument(&doc);
  ASSERT_TRUE(m->LoadFromFile());
  doc.InsertModule(std::move(m), 0x0409, {});
}


// Whether every column shows its widest entry without cutting it.
void ExpectColumnsWhole(QTreeWidget* list) {
  const QAbstractItemView& view = *list;
  for (int c = 0; c < list->columnCount(); ++c)
    EXPECT_GE(list->header()->sectionSize(c), view.sizeHintForColumn(c)) << "column " << c;
}

int TotalColumnWidth(QTreeWidget* list) {
  int width = 0;
  for (int c = 0; c < list->columnCount(); ++c) width += list->header()->sectionSize(c);
  return width;
}

}  // namespace

TEST(ModuleDialogs, WizardInsertsTheFirstModuleAndUndoTakesItOut) {
  CRecordingSink sink;
  CScratchDir dir;
  std::filesystem::copy_file(FixturePath("all32.exe"), dir.file("App.exe"));
  CFrameFixture f;
  InstallModuleDialogs(*f.frame);
  ASSERT_TRUE(f.frame->Action(ID_FILE_INSERT_MODULE)->isEnabled());

  CScriptedDialogs dialogs;
  dialogs.Expect<CWizardNewModule>([&](CWizardNewModule& w) {
    w.show();
    EXPECT_EQ(w.currentId(), 1);
    EXPECT_EQ(w.currentPage()->title(), QStringLiteral("Welcome to the New Module Wizard"));
    w.Page1()->FileNameBox()->setText(QStrU8("  " + dir.file("App.exe") + " "));
    w.next();
    EXPECT_EQ(w.currentId(), 2);
    // The guessed language is preselected from the catalogue without countries.
    EXPECT_EQ(w.Page2()->SourceLanguageList()->currentData().toUInt(), 0x0409u);
    EXPECT_FALSE(w.Page2()->ShowCountries()->isChecked());
    const int withoutCountries = w.Page2()->SourceLanguageList()->count();
    w.Page2()->ShowCountries()->setChecked(true);
    EXPECT_GT(w.Page2()->SourceLanguageList()->count(), withoutCountries);
    EXPECT_EQ(w.Page2()->SourceLanguageList()->currentData().toUInt(), 0x0409u);
    w.Page2()->ShowCountries()->setChecked(false);
    EXPECT_TRUE(NextShown(w));
    EXPECT_FALSE(FinishShown(w));
    w.next();
    EXPECT_EQ(w.currentId(), 3);
    EXPECT_TRUE(FinishShown(w));
    EXPECT_FALSE(NextShown(w));
    w.Page3()->NewButton()->click();
    EXPECT_TRUE(NextShown(w));
    // German chosen as source afterwards is taken out of the translations.
    w.back();
    w.Page2()->SourceLanguageList()->setCurrentIndex(w.Page2()->SourceLanguageList()->findData(0x0407u));
    w.next();
    EXPECT_EQ(w.Page3()->Translations()->count(), 0);
    EXPECT_TRUE(FinishShown(w));
    w.back();
    w.Page2()->SourceLanguageList()->setCurrentIndex(w.Page2()->SourceLanguageList()->findData(0x0409u));
    w.next();
    w.Page3()->NewButton()->click();
    w.next();
    EXPECT_EQ(w.currentId(), 4);
    QTreeWidget* list = w.Page4()->OutputFiles();
    EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("Language"));
    // At least as wide as made, wider for "German (Germany)".
    EXPECT_GE(list->columnWidth(0), 100);
    EXPECT_EQ(list->columnWidth(1), 300);
    ExpectColumnsWhole(list);
    EXPECT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("AppDEU.exe"));
    list->clearSelection();
    w.Page4()->OnEdit();
    list->setCurrentItem(list->topLevelItem(0));
    w.Page4()->OnEdit();
    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("German.exe"));
    // Clearing an edited name brings the default back, and an edit back to it stores nothing.
    w.Page4()->OnEdit();
    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("AppDEU.exe"));
    w.Page4()->OnEdit();
    w.accept();
    return w.result();
  });
  AnswerTargetLanguage(dialogs, 0x0407);
  AnswerTargetLanguage(dialogs, 0x0407);
  AnswerFilename(dialogs, QStringLiteral(" German.exe "));
  AnswerFilename(dialogs, QStringLiteral("  "));
  AnswerFilename(dialogs, QStringLiteral("Deutsch.exe"));
  f.frame->RunCommand(ID_FILE_INSERT_MODULE);

  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text, u"Please select an item in the list.");
  EXPECT_EQ(sink.messages[0].type, static_cast<UINT>(MB_ICONERROR));
  ASSERT_EQ(f.doc.m_modules.size(), 1u);
  CModule& module = *f.doc.m_modules[0];
  EXPECT_EQ(module.GetName(), u"App.exe");
  EXPECT_EQ(f.doc.m_sourceLanguage.GetLanguage(), 0x0409);
  ASSERT_EQ(f.doc.m_languages.GetSize(), 1);
  EXPECT_EQ(f.doc.m_languages[0].GetLanguage(), 0x0407);
  EXPECT_EQ(module.GetTargetFileName(0x0407), u"Deutsch.exe");
  EXPECT_EQ(module.m_usesMfc, 1);  // "I don't know" counts as MFC
  EXPECT_FALSE(module.m_satelliteDll);
  EXPECT_FALSE(module.m_noDuplicateNeutral);
  EXPECT_TRUE(f.doc.IsModified());
  EXPECT_TRUE(f.frame->windowTitle().endsWith(QLatin1Char('*')));
  EXPECT_NE(f.FindNode(u"App.exe"), nullptr);

  f.frame->RunCommand(ID_EDIT_UNDO);
  EXPECT_TRUE(f.doc.m_modules.empty());
  EXPECT_EQ(f.FindNode(u"App.exe"), nullptr);
  // The languages the insertion gave the project stay, so the project is still not saved.
  EXPECT_EQ(f.doc.m_languages.GetSize(), 1);
  EXPECT_TRUE(f.doc.IsModified());
  f.frame->RunCommand(ID_EDIT_REDO);
  ASSERT_EQ(f.doc.m_modules.size(), 1u);
  EXPECT_EQ(f.doc.m_modules[0]->GetTargetFileName(0x0407), u"Deutsch.exe");
  EXPECT_NE(f.FindNode(u"App.exe"), nullptr);
}

TEST(ModuleDialogs, WizardPageOrderFollowsTheProjectsLanguages) {
  CRecordingSink sink;
  {
    // Modules but no translation languages: the wizard ends on page 2 with the project's source.
    CScratchDir dir;
    CTvlDoc doc;
    InsertApp(doc, dir);
    std::filesystem::copy_file(FixturePath("all64.exe"), dir.file("Other.exe"));
    CWizardNewModule w(doc);
    w.show();
    w.Page1()->FileNameBox()->setText(QStrU8(dir.file("Other.exe")));
    w.next();
    ASSERT_EQ(w.currentId(), 2);
    QComboBox* languages = w.Page2()->SourceLanguageList();
    ASSERT_EQ(languages->count(), 1);
    EXPECT_EQ(languages->currentData().toUInt(), 0x0409u);
    w.Page2()->ShowCountries()->setChecked(true);
    EXPECT_EQ(languages->count(), 1);
    EXPECT_EQ(languages->currentData().toUInt(), 0x0409u);
    EXPECT_TRUE(FinishShown(w));
    EXPECT_FALSE(NextShown(w));
    w.accept();
    EXPECT_EQ(w.result(), QDialog::Accepted);
    ASSERT_NE(w.m_module, nullptr);
  }
  {
    // Translation languages: page 3 is skipped both ways.
    CProjectFile project;
    CTvlDoc doc;
    ASSERT_TRUE(doc.OnOpenDocument(project.Path()));
    std::filesystem::copy_file(FixturePath("all64.exe"), project.dir.file("Other.exe"));
    CWizardNewModule w(doc);
    w.show();
    tvl::ui::CFileRequest asked;
    tvl::ui::FileChooser previous = tvl::ui::SetFileChooser([&](QWidget*, const tvl::ui::CFileRequest& r) {
      asked = r;
      return QStringLiteral("Other.exe");
    });
    w.Page1()->BrowseButton()->click();
    tvl::ui::SetFileChooser(std::move(previous));
    EXPECT_EQ(asked.title, QStringLiteral("Select Executable File"));
    EXPECT_EQ(asked.defaultExtension, QStringLiteral("exe"));
    EXPECT_EQ(asked.start, QStrU8(project.dir.path()));
    EXPECT_EQ(w.Page1()->FileNameBox()->text(), QStringLiteral("Other.exe"));
    w.next();
    ASSERT_EQ(w.currentId(), 2);
    EXPECT_TRUE(NextShown(w));
    w.next();
    ASSERT_EQ(w.currentId(), 4);
    ASSERT_EQ(w.Page4()->OutputFiles()->topLevelItemCount(), 2);
    EXPECT_EQ(w.Page4()->OutputFiles()->topLevelItem(1)->text(1), QStringLiteral("OtherFRA.exe"));
    w.back();
    EXPECT_EQ(w.currentId(), 2);
    w.reject();
    EXPECT_EQ(doc.m_modules.size(), 1u);
  }
  EXPECT_TRUE(sink.messages.empty());
}

TEST(ModuleDialogs, WizardRefusesFilesInOrderAndKeepsItsPage) {
  CRecordingSink sink;
  CScratchDir dir;
  CTvlDoc doc;
  InsertApp(doc, dir);
  WriteFileBytes(dir.file("junk.exe"), {'n', 'o', 't', ' ', 'P', 'E'});
  std::filesystem::copy_file(FixturePath("all64.exe"), dir.file("Other.exe"));
  CWizardNewModule w(doc);
  w.show();
  auto tryName = [&](const std::string& name) {
    w.Page1()->FileNameBox()->setText(QStrU8(name));
    w.next();
    EXPECT_EQ(w.currentId(), 1) << name;
  };
  tryName("   ");
  tryName("Other.exe");
  tryName(dir.file("missing.exe"));
  tryName(dir.file("App.exe"));
  tryName(dir.file("junk.exe"));
  tryName(FixturePath("icononly32.dll"));
  tryName(FixturePath("twolang.dll"));
  std::vector<std::u16string> expected = {
      u"Please specify the module filename.",
      u"Relative paths cannot be resolved because the Tessalingvora project file is not saved yet.",
      u"The file does not exist.",
      u"The file is already in the Tessalingvora project.",
      u"The file cannot be loaded.",
      u"This file does not contain any resources.",
      kMultiLanguage};
  ASSERT_EQ(sink.messages.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(sink.messages[i].text, expected[i]);
    EXPECT_EQ(sink.messages[i].type, static_cast<UINT>(MB_ICONERROR));
  }

  // Once the project is saved, the relative name resolves against its folder.
  ASSERT_TRUE(doc.OnSaveDocument(U(dir.file("P.tvl"))));
  sink.messages.clear();
  w.Page1()->FileNameBox()->setText(QStringLiteral("Other.exe"));
  w.next();
  ASSERT_EQ(w.currentId(), 2);
  EXPECT_EQ(w.m_fullPath, U(dir.file("Other.exe")));

  w.Page2()->SourceLanguageList()->setCurrentIndex(-1);
  w.accept();
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text, u"Please specify the source language of the selected file.");
  EXPECT_EQ(w.currentId(), 2);

  // A file that vanished before Finish: the message, and the wizard back on its first page.
  w.Page2()->SourceLanguageList()->setCurrentIndex(0);
  std::filesystem::remove(dir.file("Other.exe"));
  w.accept();
  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[1].text, u"Failed to load file " + U(dir.file("Other.exe")));
  EXPECT_EQ(w.currentId(), 1);
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(w.Page1()->FileNameBox()->text(), QStringLiteral("Other.exe"));
  EXPECT_EQ(w.m_module, nullptr);
}

TEST(ModuleDialogs, LanguagesDialogAddsAndRemovesThroughTheProject) {
  CRecordingSink sink;
  CFrameFixture f;
  InstallModuleDialogs(*f.frame);
  {
    // An empty project has no source language yet: only the message.
    CScriptedDialogs none;
    f.frame->RunCommand(ID_TRANSLATIONS_LANGUAGES);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, u"Please insert a module in the project before defining the translations.");
    EXPECT_EQ(sink.messages[0].type, static_cast<UINT>(MB_ICONINFORMATION));
  }
  sink.messages.clear();
  CProjectFile project;
  ASSERT_TRUE(f.Open(project.Path()));

  CScriptedDialogs dialogs;
  dialogs.Expect<CDialogLanguages>([&](CDialogLanguages& d) {
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Languages"));
    EXPECT_EQ(d.SourceName()->text(), QStringLiteral("English"));  // the catalogue's name
    QListWidget* list = d.Translations();
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentRow(), 0);
    d.NewButton()->click();
    EXPECT_EQ(list->count(), 3);
    EXPECT_EQ(list->currentItem()->data(Qt::UserRole).toUInt(), 0x0C0Au);
    list->clearSelection();
    int beeps = tvl::ui::BeepCount();
    d.RemoveButton()->click();
    EXPECT_EQ(tvl::ui::BeepCount(), beeps + 1);
    EXPECT_EQ(list->count(), 3);
    list->setCurrentRow(0);  // German
    d.RemoveButton()->click();
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentRow(), 0);
    d.accept();
    return d.result();
  });
  dialogs.Expect<CDialogTargetLanguage>([&](CDialogTargetLanguage& d) {
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Select Language"));
    d.accept();  // nothing chosen
    EXPECT_TRUE(d.ChooseLanguage(0x0409));
    d.accept();
    EXPECT_NE(d.result(), QDialog::Accepted);
    EXPECT_TRUE(d.ChooseLanguage(0x0C0A));
    d.accept();
    return d.result();
  });
  f.frame->RunCommand(ID_TRANSLATIONS_LANGUAGES);

  ASSERT_EQ(sink.messages.size(), 2u);
  EXPECT_EQ(sink.messages[0].text, u"Please select a language.");
  EXPECT_EQ(sink.messages[1].text, u"This language already exists in the application.");
  ASSERT_EQ(f.doc.m_languages.GetSize(), 2);
  EXPECT_EQ(f.doc.m_languages[0].GetLanguage(), 0x040C);
  EXPECT_EQ(f.doc.m_languages[1].GetLanguage(), 0x0C0A);
  EXPECT_TRUE(f.doc.IsModified());
  QComboBox* frameList = f.frame->LanguageList();
  EXPECT_GE(frameList->findData(0x0C0Au), 0);
  EXPECT_LT(frameList->findData(0x0407u), 0);
  // The new language has a status in every resource.
  EXPECT_GE(f.doc.m_modules[0]->m_resTable.GetStatus(0x0C0A), 0);
}

TEST(ModuleDialogs, LanguageDialogListsCodePageAndFont) {
  CRecordingSink sink;
  {
    CLanguage german(0x0407);
    CDialogTargetLanguage d(german, true, true, {});
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Language Properties"));
    EXPECT_EQ(d.LanguageList()->count(), 1);
    CDialogTargetLanguage s(german, false, true, {});
    EXPECT_EQ(s.windowTitle(), QStringLiteral("Source Language Properties"));
  }
  {
    CLanguage source;
    CDialogTargetLanguage d(source, false, false, {0x0409, 0x0407});
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Select Source Language"));
    EXPECT_EQ(d.LanguageList()->count(), 2);
  }
  CLanguage language;
  language.SetPreviewFont(u"Arial", 10);
  CDialogTargetLanguage d(language, true, false, {});
  // A new record has no language: countries are shown and nothing is chosen.
  EXPECT_TRUE(d.ShowCountries()->isChecked());
  EXPECT_FALSE(d.FontButton()->isEnabled());
  EXPECT_EQ(d.FontText()->text(), QStringLiteral("Arial (10pt)"));
  EXPECT_TRUE(d.ChooseLanguage(0x0408));  // Greek: Arial writes it
  EXPECT_TRUE(d.FontButton()->isEnabled());
  EXPECT_TRUE(d.CodePageText()->text().startsWith(QStringLiteral("Codepage: 1253")))
      << d.CodePageText()->text().toStdString();
  EXPECT_EQ(d.FontText()->text(), QStringLiteral("Arial (10pt)"));
  EXPECT_TRUE(d.ChooseLanguage(0x0411));  // Japanese: Arial does not
  EXPECT_TRUE(d.CodePageText()->text().startsWith(QStringLiteral("Codepage: 932")));
  EXPECT_EQ(d.FontText()->text(), QStringLiteral("Default"));

  // Show countries keeps the chosen language across both lists.
  const int withCountries = d.LanguageList()->count();
  d.ShowCountries()->setChecked(false);
  EXPECT_LT(d.LanguageList()->count(), withCountries);
  EXPECT_EQ(d.SelectedLanguage(), 0x0411);
  d.ShowCountries()->setChecked(true);
  EXPECT_EQ(d.SelectedLanguage(), 0x0411);

  {
    CScriptedDialogs dialogs;
    dialogs.Expect<CDialogPreviewFont>([](CDialogPreviewFont& font) {
      EXPECT_EQ(font.Points(), 9);  // the language's default size
      font.Size()->setValue(12);
      return static_cast<int>(QDialog::Accepted);
    });
    d.FontButton()->click();
  }
  const QString face = d.FontText()->text().section(QStringLiteral(" ("), 0, 0);
  EXPECT_TRUE(d.FontText()->text().endsWith(QStringLiteral(" (12pt)"))) << d.FontText()->text().toStdString();
  d.accept();
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(language.GetLanguage(), 0x0411);
  EXPECT_EQ(QStr(language.GetFontName()), face);
  EXPECT_EQ(language.GetFontSize(), 12u);
  EXPECT_TRUE(sink.messages.empty());
}

TEST(ModuleDialogs, ModulePropertiesStoreOnlyCustomOutputNames) {
  CRecordingSink sink;
  CFrameFixture f;
  InstallModuleDialogs(*f.frame);
  CProjectFile project;
  ASSERT_TRUE(f.Open(project.Path()));
  CModule* module = f.doc.m_modules[0].get();

  CScriptedDialogs dialogs;
  dialogs.Expect<CDialogModuleProperties>([&](CDialogModuleProperties& d) {
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Module Properties - App.exe"));
    EXPECT_EQ(d.SourceLanguage()->text(), QStringLiteral("English (United States)"));
    EXPECT_FALSE(d.NoDuplicate()->isEnabled());
    QTreeWidget* list = d.OutputFiles();
    EXPECT_EQ(list->topLevelItemCount(), 2);
    d.EditButton()->click();  // nothing selected
    list->setCurrentItem(list->topLevelItem(0));
    d.OnEdit();
    list->setCurrentItem(list->topLevelItem(1));
    d.OnEdit();
    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("Custom.exe"));
    d.SatelliteDll()->setChecked(true);
    EXPECT_TRUE(d.NoDuplicate()->isEnabled());
    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("Custom.dll"));
    EXPECT_EQ(list->topLevelItem(1)->text(1), QStringLiteral("APPFRA.dll"));
    d.SatelliteDll()->setChecked(false);
    EXPECT_FALSE(d.NoDuplicate()->isChecked());
    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("Custom.exe"));
    EXPECT_EQ(list->topLevelItem(1)->text(1), QStringLiteral("APPFRA.exe"));
    d.UsesMfc()->setChecked(true);
    d.accept();
    return d.result();
  });
  AnswerFilename(dialogs, QStringLiteral("Custom.exe"));
  AnswerFilename(dialogs, QStringLiteral("APPFRA.EXE"));  // the default name in other letters
  EXPECT_TRUE(f.frame->Hooks().moduleProperties(module));

  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text, u"Please select an item in the list.");
  EXPECT_EQ(module->GetTargetFileName(0x0407), u"Custom.exe");
  EXPECT_EQ(module->m_outputNames.Find(0x040C), nullptr);
  EXPECT_EQ(module->GetTargetFileName(0x040C), u"AppFRA.exe");
  // Switching MFC on rebuilt the tree over the same project.
  EXPECT_EQ(module->m_usesMfc, 1);
  EXPECT_NE(f.FindNode(u"App.exe"), nullptr);
}

TEST(ModuleDialogs, ModulePropertiesValidateAChangedSourceName) {
  CRecordingSink sink;
  CProjectFile project;
  CTvlDoc doc;
  ASSERT_TRUE(doc.OnOpenDocument(project.Path()));
  std::filesystem::copy_file(FixturePath("all64.exe"), project.dir.file("Other.exe"));
  auto other = std::make_unique<CModule>(U(project.dir.file("Other.exe")), 0x0409, 0);
  other->SetDocument(&doc);
  ASSERT_TRUE(other->LoadFromFile());
  doc.InsertModule(std::move(other), 0x0409, {});
  CModule& module = *doc.m_modules[0];

  CDialogModuleProperties d(module);
  const QString stored = d.SourceFileName()->text();
  EXPECT_EQ(stored, QStringLiteral("./App.exe"));
  for (const char* typed : {" ", ".\\APP.EXE", ".\\Other.exe", "/no/such/folder/App.exe"}) {
    d.SourceFileName()->setText(QString::fromUtf8(typed));
    d.accept();
    EXPECT_NE(d.result(), QDialog::Accepted) << typed;
  }
  std::vector<std::u16string> expected = {u"Please specify the module filename.", u"The file does not exist.",
                                          u"The file is already in the Tessalingvora project.",
                                          u"The file does not exist."};
  ASSERT_EQ(sink.messages.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(sink.messages[i].text, expected[i]);

  // An unchanged name is not checked, even when its file is gone.
  std::filesystem::remove(project.dir.file("App.exe"));
  d.SourceFileName()->setText(stored);
  d.accept();
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(sink.messages.size(), expected.size());

  // A relative name needs a saved project.
  CScratchDir dir;
  CTvlDoc unsaved;
  InsertApp(unsaved, dir);
  CDialogModuleProperties u(*unsaved.m_modules[0]);
  u.SourceFileName()->setText(QStringLiteral("Other.exe"));
  u.accept();
  ASSERT_EQ(sink.messages.size(), expected.size() + 1);
  EXPECT_EQ(sink.messages.back().text,
            u"Relative paths cannot be resolved because the Tessalingvora project file is not saved yet.");
}

TEST(ModuleDialogs, ModulePropertiesAskBeforeDroppingMfc) {
  CRecordingSink sink;
  CScratchDir dir;
  CTvlDoc doc;
  InsertApp(doc, dir, "mfc32.exe", 1);
  CModule& module = *doc.m_modules[0];
  ASSERT_TRUE(module.m_resTable.HasMfcClues());
  ASSERT_GT(module.m_resTable.m_promptAndTips.GetCount(), 0u);
  ASSERT_TRUE(doc.CanUndo());  // the insertion

  {
    CDialogModuleProperties d(module);
    d.UsesMfc()->setChecked(false);
    sink.answers = {IDNO};
    d.accept();
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text,
              u"Tessalingvora found clues of MFC support in this module. Are you sure it does not support MFC ?");
    EXPECT_EQ(sink.messages[0].type, static_cast<UINT>(MB_YESNO | MB_ICONWARNING));
    EXPECT_NE(d.result(), QDialog::Accepted);
    EXPECT_EQ(module.m_usesMfc, 1);
    sink.answers = {IDYES};
    d.accept();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(module.m_usesMfc, 0);
    EXPECT_FALSE(module.m_resTable.m_promptAndTips.m_enabled);
    EXPECT_FALSE(doc.CanUndo());
  }
  module.m_resTable.m_promptAndTips.RemoveAll();
  {
    // Switching MFC on builds the command prompts, without a question.
    CDialogModuleProperties d(module);
    d.UsesMfc()->setChecked(true);
    d.accept();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(module.m_usesMfc, 1);
    EXPECT_GT(module.m_resTable.m_promptAndTips.GetCount(), 0u);
  }
  EXPECT_EQ(sink.messages.size(), 2u);
}


// Stored paths are shown with '/' in every dialog and stored again with '\' when relative;
// what the user leaves alone is not a change.
TEST(ModuleDialogs, PathsShownWithSlashesAndStoredAsTheProjectNeeds) {
  CRecordingSink sink;
  CFrameFixture f;
  InstallDialogs(*f.frame);
  CProjectFile project;
  std::filesystem::create_directories(project.dir.file("bin"));
  std::filesystem::copy_file(project.dir.file("App.exe"), project.dir.file("bin/App.exe"));
  ASSERT_TRUE(f.Open(project.Path()));
  CModule* module = f.doc.m_modules[0].get();
  module->SetSourcePath(U(project.dir.file("bin/App.exe")));
  ASSERT_EQ(module->GetSourcePath(), u".\\bin\\App.exe");
  module->m_outputNames.SetAt(0x0407, u"..\\out\\Deutsch.exe");

  CScriptedDialogs dialogs;
  dialogs.Expect<CDialogModuleProperties>([&](CDialogModuleProperties& d) {
    EXPECT_EQ(d.SourceFileName()->text(), QStringLiteral("./bin/App.exe"));
    QTreeWidget* list = d.OutputFiles();
    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("../out/Deutsch.exe"));
    EXPECT_EQ(list->topLevelItem(1)->text(1), QStringLiteral("AppFRA.exe"));
    list->setCurrentItem(list->topLevelItem(1));
    d.OnEdit();
    EXPECT_EQ(list->topLevelItem(1)->text(1), QStringLiteral("fr/AppFRA.exe"));
    d.accept();
    return d.result();
  });
  AnswerFilename(dialogs, QStringLiteral("fr/AppFRA.exe"));
  EXPECT_TRUE(f.frame->Hooks().moduleProperties(module));
  EXPECT_TRUE(sink.messages.empty());  // the source name was not validated: it did not change
  EXPECT_EQ(module->GetSourcePath(), u".\\bin\\App.exe");
  EXPECT_EQ(module->GetTargetFileName(0x0407), u"..\\out\\Deutsch.exe");
  EXPECT_EQ(module->GetTargetFileName(0x040C), u"fr\\AppFRA.exe");

  dialogs.Expect<CDialogBatchBuild>([&](CDialogBatchBuild& d) {
    EXPECT_EQ(d.Targets()->topLevelItem(0)->text(2), QStringLiteral("../out/Deutsch.exe"));
    EXPECT_EQ(d.Targets()->topLevelItem(1)->text(2), QStringLiteral("fr/AppFRA.exe"));
    return static_cast<int>(QDialog::Rejected);
  });
  f.frame->Hooks().batchBuild();
  dialogs.Expect<CDialogCreateTargetFile>([&](CDialogCreateTargetFile& d) {
    EXPECT_EQ(d.SourceName()->text(), QStringLiteral("./bin/App.exe"));
    EXPECT_EQ(d.OutputName()->text(), QStringLiteral("fr/AppFRA.exe"));
    return static_cast<int>(QDialog::Rejected);
  });
  f.frame->Hooks().buildTarget(module, 0x040C);
}

// Next and Back never change the wizard's width, whatever the file's path; the output list
// shows its columns whole (scrolling for a long name) and the path wraps on page 2.
TEST(ModuleDialogs, WizardKeepsOneWidthAcrossPages) {
  CRecordingSink sink;
  CScratchDir dir;
  std::string deep = dir.file("a folder with a rather long name/and another one below it/and one more to be sure");
  std::filesystem::create_directories(deep);
  std::filesystem::copy_file(FixturePath("all32.exe"), deep + "/App.exe");
  CFrameFixture f;
  InstallModuleDialogs(*f.frame);
  CScriptedDialogs dialogs;
  dialogs.Expect<CWizardNewModule>([&](CWizardNewModule& w) {
    w.show();
    QTest::qWait(20);
    std::vector<int> widths = {w.width()};
    w.Page1()->FileNameBox()->setText(QStrU8(deep + "/App.exe"));
    w.next();
    QTest::qWait(20);
    widths.push_back(w.width());
    QLabel* name = w.Page2()->FileNameText();
    EXPECT_EQ(name->text().remove(QChar(0x200B)), QStrU8(deep + "/App.exe"));
    EXPECT_LE(name->heightForWidth(name->width()), name->height());  // every line shown
    w.next();
    w.Page3()->NewButton()->click();
    w.Page3()->NewButton()->click();
    QTest::qWait(20);
    widths.push_back(w.width());
    w.next();
    QTest::qWait(20);
    widths.push_back(w.width());
    QTreeWidget* list = w.Page4()->OutputFiles();
    list->setCurrentItem(list->topLevelItem(0));
    w.Page4()->OnEdit();
    QTest::qWait(20);
    widths.push_back(w.width());
    ExpectColumnsWhole(list);
    EXPECT_GT(TotalColumnWidth(list), list->viewport()->width());  // the long name scrolls
    w.back();
    w.back();
    QTest::qWait(20);
    widths.push_back(w.width());
    for (size_t i = 1; i < widths.size(); ++i) EXPECT_EQ(widths[i], widths[0]) << "step " << i;
    return static_cast<int>(QDialog::Rejected);
  });
  AnswerTargetLanguage(dialogs, 0x0407);
  AnswerTargetLanguage(dialogs, 0x0C0C);  // French (Canada): longer than 100 pixels
  AnswerFilename(dialogs, QStringLiteral("a/translated/program/in/a/folder/of/its/own/far/below/App-German.exe"));
  f.frame->RunCommand(ID_FILE_INSERT_MODULE);
}

// Module Properties and Batch Build open wide enough to show each column whole.
TEST(ModuleDialogs, ListsShowTheirColumnsWhole) {
  CRecordingSink sink;
  CFrameFixture f;
  InstallDialogs(*f.frame);
  CProjectFile project;
  ASSERT_TRUE(f.Open(project.Path()));
  CModule* module = f.doc.m_modules[0].get();
  module->m_outputNames.SetAt(0x0407, u"translations\\german\\release\\App for German speaking users.exe");
  CScriptedDialogs dialogs;
  dialogs.Expect<CDialogModuleProperties>([&](CDialogModuleProperties& d) {
    d.show();
    QTest::qWait(20);
    ExpectColumnsWhole(d.OutputFiles());
    EXPECT_LE(TotalColumnWidth(d.OutputFiles()), d.OutputFiles()->viewport()->width());
    return static_cast<int>(QDialog::Rejected);
  });
  f.frame->Hooks().moduleProperties(module);
  dialogs.Expect<CDialogBatchBuild>([&](CDialogBatchBuild& d) {
    d.show();
    QTest::qWait(20);
    ExpectColumnsWhole(d.Targets());
    EXPECT_LE(TotalColumnWidth(d.Targets()), d.Targets()->viewport()->width());
    return static_cast<int>(QDialog::Rejected);
  });
  f.frame->Hooks().batchBuild();
}
