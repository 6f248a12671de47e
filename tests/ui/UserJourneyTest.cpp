// Two whole sessions at the main window, driven as a user would: menu commands, keys, typing
// in the translation box, and the dialogs answered through the same seams as their own tests.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSplitter>
#include <QTest>
#include <QTreeWidget>
#include <QWizard>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>

#include "UiTestSupport.h"
#include "formats/text/ResStringTable.h"
#include "peimage/PeImage.h"
#include "platform/Text.h"
#include "ui/dialogs/BatchBuildDlg.h"
#include "ui/dialogs/BuildDialogs.h"
#include "ui/dialogs/BuildTargetDlg.h"
#include "ui/dialogs/DialogSupport.h"
#include "ui/dialogs/ImportTranslationDlg.h"
#include "ui/dialogs/InstallDialogs.h"
#include "ui/dialogs/LanguageDialogs.h"
#include "ui/dialogs/ModulePropertiesDlg.h"
#include "ui/dialogs/NewModuleWizard.h"
#include "ui/dialogs/ScribeDlgs.h"
#include "ui/views/ProjectResView.h"
#include "ui/views/StringTableView.h"
#include "ui/views/TranslationView.h"
#include "workspace/ViewRules.h"

namespace fs = std::filesystem;

namespace {

constexpr LANGID kEnglish = 0x0409;
constexpr LANGID kGerman = 0x0407;
constexpr LANGID kFrench = 0x040C;
constexpr int kRecentFileFirst = 57616;

using Texts = std::vector<std::u16string>;

// The user in front of every modal dialog and file chooser: each dialog that opens is shown
// and handed to the next scripted hand, which works its widgets; each chooser answers the
// next scripted path. A dialog nobody expected fails the test.
class CUser {
 public:
  CUser() {
    m_runner = tvl::ui::SetModalRunner([this](QDialog& d) { return Run(d); });
    m_chooser = tvl::ui::SetFileChooser([this](QWidget*, const tvl::ui::CFileRequest& r) {
      chooserTitles << r.title;
      return NextFile();
    });
  }
  ~CUser() {
    EXPECT_TRUE(m_hands.empty()) << m_hands.size() << " expected dialogs did not open";
    EXPECT_TRUE(files.empty()) << files.size() << " file choices were not asked for";
    tvl::ui::SetModalRunner(std::move(m_runner));
    tvl::ui::SetFileChooser(std::move(m_chooser));
  }

  template <class T>
  void Then(std::function<void(T&)> hand) {
    m_hands.push_back([hand](QDialog& dialog) {
      auto* typed = dynamic_cast<T*>(&dialog);
      if (!typed) {
        ADD_FAILURE() << "another dialog opened: " << dialog.windowTitle().toStdString();
        return;
      }
      hand(*typed);
    });
  }

  std::deque<QString> files;
  QStringList titles;
  QStringList chooserTitles;

 private:
  int Run(QDialog& dialog) {
    titles << dialog.windowTitle();
    if (m_hands.empty()) {
      ADD_FAILURE() << "unexpected dialog " << dialog.windowTitle().toStdString();
      return QDialog::Rejected;
    }
    auto hand = std::move(m_hands.front());
    m_hands.pop_front();
    QPointer<QWidget> before = QApplication::activeWindow();
    dialog.show();
    hand(dialog);
    if (dialog.isVisible()) dialog.reject();
    // What the window manager does when a dialog goes: the window below is active again.
    if (before) {
      before->activateWindow();
      EXPECT_TRUE(QTest::qWaitForWindowActive(before.data()));
    }
    return dialog.result();
  }
  QString NextFile() {
    if (files.empty()) {
      ADD_FAILURE() << "a file chooser nobody expected";
      return {};
    }
    QString f = files.front();
    files.pop_front();
    return f;
  }

  tvl::ui::ModalRunner m_runner;
  tvl::ui::FileChooser m_chooser;
  std::deque<std::function<void(QDialog&)>> m_hands;
};

// The messages shown since the last call.
struct CMessages {
  Texts operator()() {
    Texts t;
    for (; seen < sink.messages.size(); ++seen) t.push_back(sink.messages[seen].text);
    return t;
  }
  CRecordingSink sink;
  size_t seen = 0;
};

// The pause between two things a user does: the title and the command states follow the
// project at idle time.
void Pause() { QTest::qWait(300); }

void Click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

// Types a translation into the editor as the keyboard would: Ctrl+Enter between lines,
// Enter to commit.
void TypeTranslation(CFrameFixture& f, const QString& text) {
  CTranslationEdit* box = f.frame->Editor()->TranslationBox();
  box->setFocus();
  box->selectAll();
  QTest::keyClick(box, Qt::Key_Delete);
  const QStringList lines = text.split(QLatin1Char('\n'));
  for (int i = 0; i < lines.size(); ++i) {
    if (i > 0) QTest::keyClick(box, Qt::Key_Return, Qt::ControlModifier);
    for (QChar c : lines[i]) {
      // QTest only knows the keys of ASCII characters; others arrive as text alone, as from an
      // input method.
      if (c.unicode() < 128)
        QTest::keyClick(box, c.toLatin1());
      else
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
  }
  QTest::keyClick(box, Qt::Key_Return);
}

CResString* String(CModule& module, DWORD id) { return module.m_resTable.m_stringTable.FindString(id); }

// The translation a string holds for a language; empty when it has none.
std::u16string Translation(CModule& module, DWORD id, LANGID language) {
  CResString* s = String(module, id);
  if (!s) return u"<no string>";
  const CLocalizedParam* v = s->m_value.FindValue(language);
  if (!v || v == &s->m_value) return {};
  return static_cast<const CLocalizedString*>(v)->m_text;
}

// The id of the string the editor has been offered, or 0.
DWORD OfferedId(CFrameFixture& f, CModule& module) {
  CResStringTable& table = module.m_resTable.m_stringTable;
  for (int i = 0; i < table.GetCount(); ++i)
    if (&table.GetString(i)->m_value == f.frame->Editor()->LastRequest().m_element) return table.GetString(i)->m_id;
  return 0;
}

// String `id` as a built file holds it in `language`, read straight from the string block.
std::u16string BuiltString(const std::string& path, DWORD id, LANGID language) {
  CPeImage image;
  if (!image.LoadFile(path)) return u"<unreadable>";
  const CPeResource* block = image.FindResourceEx(CResName(WORD{6}), CResName(static_cast<WORD>(id / 16 + 1)), language);
  if (!block || !block->data) return u"<no block>";
  const BYTE* p = block->data;
  const BYTE* end = p + block->size;
  for (DWORD i = 0; i < 16; ++i) {
    if (end - p < 2) return u"<short block>";
    size_t length = p[0] | (p[1] << 8);
    p += 2;
    if (static_cast<size_t>(end - p) < length * 2) return u"<short block>";
    if (i == id % 16) {
      std::u16string s;
      for (size_t k = 0; k < length; ++k) s.push_back(static_cast<char16_t>(p[2 * k] | (p[2 * k + 1] << 8)));
      return s;
    }
    p += length * 2;
  }
  return u"<missing>";
}

QAction* RecentFileAction(CMainFrame& frame, int index) {
  for (QAction* a : frame.findChildren<QAction*>())
    if (a->data().toInt() == kRecentFileFirst + index) return a;
  return nullptr;
}

int RowOfLanguage(QTreeWidget* list, LANGID language) {
  for (int i = 0; i < list->topLevelItemCount(); ++i)
    if (list->topLevelItem(i)->data(0, Qt::UserRole).toUInt() == language) return i;
  return -1;
}

}  // namespace

TEST(UserJourney, TranslateUndoSaveBuildAndRestart) {
  CProjectFile project;
  CScratchDir settings;
  const std::string ini = settings.file("Workspace.ini");
  const std::string built = project.dir.file("AppFRA.exe");
  CMessages said;
  CUser user;
  QRect placement;
  QList<int> rows, columns;
  {
    CFrameFixture f(ini);
    InstallDialogs(*f.frame);

    // The user opens the project: its title in the window, nothing modified.
    ASSERT_TRUE(f.Open(project.Path()));
    CModule& module = *f.doc.m_modules.at(0);
    EXPECT_FALSE(f.frame->windowTitle().endsWith(QLatin1Char('*')));

    // They choose French in the tool bar's language list.
    f.SetLanguage(kFrench);
    EXPECT_EQ(f.frame->GetSelectedLanguage(), kFrench);

    // They click the string table: its node shows the untranslated image, and the editor is
    // offered the first string without French.
    CProjectNode* tableNode = f.FindNode(u"String Table");
    ASSERT_NE(tableNode, nullptr);
    EXPECT_EQ(tableNode->GetImage(), 16);
    f.Select(tableNode);
    ASSERT_NE(f.StringView(), nullptr);
    EXPECT_EQ(OfferedId(f, module), 1u);
    EXPECT_TRUE(f.frame->Editor()->IsFormEnabled());

    // Skip walks on to the next untranslated string.
    Click(f.frame->Editor()->SkipButton());
    EXPECT_EQ(OfferedId(f, module), 2u);

    // They translate each string they are offered, pressing Enter; after the last one the walk
    // comes round to the skipped string 1.
    const std::vector<std::pair<DWORD, QString>> walk = {
        {2, "Deux"},
        {15, "Quinze"},
        {16, "Seize"},
        {100, "Cent avec un saut\nseconde ligne"},
        {1001, "Ouvrir un fichier\nOuvrir"},
        {4000, QString::fromUtf8("Unicode \u00e9\u00e8 \u4e2d\u6587")},
        {65535, "Dernier id"},
        {1, "Un"},
    };
    for (const auto& [id, text] : walk) {
      ASSERT_EQ(OfferedId(f, module), id);
      EXPECT_EQ(f.FindNode(u"String Table")->GetImage(), 16) << "before string " << id;
      TypeTranslation(f, text);
      // Line breaks take the source's form (a bare line feed here).
      EXPECT_EQ(Translation(module, id, kFrench), U16(text)) << "string " << id;
    }
    EXPECT_EQ(said(), Texts{});
    EXPECT_TRUE(f.doc.IsModified());
    Pause();
    EXPECT_TRUE(f.frame->windowTitle().endsWith(QLatin1Char('*')));

    // The whole table is translated: its node changes to the translated image, and the tree
    // moves on to the next item that needs work.
    tableNode = f.FindNode(u"String Table");
    EXPECT_EQ(tableNode->m_status, 1);
    EXPECT_EQ(tableNode->GetImage(), 17);
    CProjectNode* next = f.frame->Tree()->SelectedNode();
    ASSERT_NE(next, nullptr);
    EXPECT_NE(next, tableNode);
    EXPECT_EQ(next->m_status, 0);

    // Ctrl+Z in the tree takes the last translation back, and the table its old image.
    f.frame->Tree()->setFocus();
    QTest::keyClick(f.frame->Tree(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Translation(module, 1, kFrench), u"");
    EXPECT_EQ(Translation(module, 65535, kFrench), u"Dernier id");
    EXPECT_EQ(f.FindNode(u"String Table")->GetImage(), 16);
    EXPECT_EQ(f.frame->Tree()->SelectedNode(), f.FindNode(u"String Table"));
    EXPECT_EQ(OfferedId(f, module), 1u);

    // Ctrl+Y puts it back.
    f.frame->Tree()->setFocus();
    QTest::keyClick(f.frame->Tree(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Translation(module, 1, kFrench), u"Un");
    EXPECT_EQ(f.FindNode(u"String Table")->GetImage(), 17);
    EXPECT_EQ(said(), Texts{});

    // Ctrl+S saves: the file read afresh holds the French texts.
    Pause();
    QTest::keyClick(f.frame.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(f.doc.IsModified());
    Pause();
    EXPECT_FALSE(f.frame->windowTitle().endsWith(QLatin1Char('*')));
    {
      CTvlDoc stored;
      ASSERT_TRUE(stored.OnOpenDocument(project.Path()));
      EXPECT_EQ(Translation(*stored.m_modules.at(0), 1, kFrench), u"Un");
      EXPECT_EQ(Translation(*stored.m_modules.at(0), 100, kFrench), u"Cent avec un saut\nseconde ligne");
    }

    // F7 opens Build Target File on the module and French; OK builds and says where.
    user.Then<CDialogCreateTargetFile>([&](CDialogCreateTargetFile& d) {
      EXPECT_EQ(d.ModuleList()->currentText(), "App.exe");
      EXPECT_EQ(d.LanguageList()->currentData().toUInt(), kFrench);
      EXPECT_EQ(d.OutputName()->text(), "AppFRA.exe");
      Click(d.OkButton());
      EXPECT_FALSE(d.isVisible());
    });
    QTest::keyClick(f.frame.get(), Qt::Key_F7);
    EXPECT_EQ(user.titles, QStringList{"Build Target File"});
    EXPECT_EQ(said(), Texts{u"Target file(s) created successfully:\n\n" + tvl::FromUtf8(built)});
    EXPECT_EQ(BuiltString(built, 1, kFrench), u"Un");
    EXPECT_EQ(BuiltString(built, 100, kFrench), u"Cent avec un saut\nseconde ligne");
    EXPECT_EQ(BuiltString(built, 4000, kFrench), tvl::FromUtf8("Unicode \u00e9\u00e8 \u4e2d\u6587"));
    EXPECT_EQ(BuiltString(built, 1, kEnglish), u"<no block>");  // every string moved to French

    // They arrange the window and close it; nothing is left to save, so nothing is asked.
    f.frame->setGeometry(30, 40, 700, 500);
    f.frame->ColumnSplitter()->setSizes({260, 640});
    f.frame->RowSplitter()->setSizes({420, 170});
    QApplication::processEvents();
    placement = f.frame->geometry();
    rows = f.frame->RowSplitter()->sizes();
    columns = f.frame->ColumnSplitter()->sizes();
    ASSERT_TRUE(f.frame->close());
    EXPECT_EQ(said(), Texts{});
  }

  // The program starts again with the same settings and reopens the project from the recent
  // file list: French, the window's place and its splitters come back.
  CFrameFixture g(ini);
  InstallDialogs(*g.frame);
  EXPECT_EQ(g.frame->geometry(), placement);
  QAction* recent = RecentFileAction(*g.frame, 0);
  ASSERT_NE(recent, nullptr);
  EXPECT_TRUE(recent->text().endsWith(QStr(project.Path())));
  recent->trigger();
  ASSERT_EQ(g.doc.GetPathName(), project.Path());
  EXPECT_EQ(g.frame->GetSelectedLanguage(), kFrench);
  EXPECT_EQ(g.frame->LanguageList()->currentData().toUInt(), kFrench);
  EXPECT_EQ(g.frame->ColumnSplitter()->sizes().value(0), columns.value(0));
  EXPECT_EQ(g.frame->RowSplitter()->sizes().value(1), rows.value(1));
  EXPECT_EQ(Translation(*g.doc.m_modules.at(0), 1, kFrench), u"Un");
  EXPECT_EQ(said(), Texts{});
}

TEST(UserJourney, FromAnEmptyProjectToAnExchangeWithATranslator) {
  CScratchDir dir;
  fs::copy_file(FixturePath("all32.exe"), dir.file("App.exe"));
  fs::copy_file(FixturePath("all32_fr.exe"), dir.file("Delivered_fr.exe"));
  const QString projectPath = QStrU8(dir.file("App.tvl"));
  const std::string french = dir.file("Francais.exe");
  const std::string german = dir.file("AppDEU.exe");
  const std::string copy = dir.file("ForTranslator.tvl");
  CMessages said;
  CUser user;
  CFrameFixture f;
  InstallDialogs(*f.frame);

  // File > Insert Module...: the wizard takes the executable, keeps the guessed source
  // language and finishes without translations.
  user.Then<CWizardNewModule>([&](CWizardNewModule& w) {
    w.Page1()->FileNameBox()->setText(QStrU8(dir.file("App.exe")));
    Click(w.button(QWizard::NextButton));
    ASSERT_EQ(w.currentId(), 2);
    EXPECT_EQ(w.Page2()->SourceLanguageList()->currentData().toUInt(), kEnglish);
    Click(w.button(QWizard::NextButton));
    ASSERT_EQ(w.currentId(), 3);
    Click(w.button(QWizard::FinishButton));
    EXPECT_FALSE(w.isVisible());
  });
  f.frame->RunCommand(ID_FILE_INSERT_MODULE);
  ASSERT_EQ(f.doc.m_modules.size(), 1u);
  CModule& module = *f.doc.m_modules[0];
  EXPECT_EQ(f.doc.m_sourceLanguage.GetLanguage(), kEnglish);
  EXPECT_NE(f.FindNode(u"App.exe"), nullptr);
  EXPECT_TRUE(f.frame->windowTitle().endsWith(QLatin1Char('*')));
  EXPECT_EQ(said(), Texts{});

  // Translations > Languages...: New twice, German then French, and OK.
  user.Then<CDialogLanguages>([&](CDialogLanguages& d) {
    EXPECT_EQ(d.Translations()->count(), 0);
    Click(d.NewButton());
    Click(d.NewButton());
    EXPECT_EQ(d.Translations()->count(), 2);
    d.accept();
  });
  for (LANGID language : {kGerman, kFrench})
    user.Then<CDialogTargetLanguage>([language](CDialogTargetLanguage& d) {
      EXPECT_TRUE(d.ChooseLanguage(language));
      d.accept();
    });
  f.frame->RunCommand(ID_TRANSLATIONS_LANGUAGES);
  ASSERT_EQ(f.doc.m_languages.GetSize(), 2);
  EXPECT_EQ(f.doc.m_languages[0].GetLanguage(), kGerman);
  EXPECT_EQ(f.doc.m_languages[1].GetLanguage(), kFrench);
  EXPECT_GE(f.frame->LanguageList()->findData(kGerman), 0);
  EXPECT_GE(f.frame->LanguageList()->findData(kFrench), 0);
  EXPECT_EQ(said(), Texts{});

  // A few strings: two in French, one in German, each typed and committed with Enter.
  f.SetLanguage(kFrench);
  f.Select(f.FindNode(u"String Table"));
  ASSERT_EQ(OfferedId(f, module), 1u);
  TypeTranslation(f, "Un");
  ASSERT_EQ(OfferedId(f, module), 2u);
  TypeTranslation(f, "Deux");
  f.SetLanguage(kGerman);
  f.Select(f.FindNode(u"String Table"));
  ASSERT_EQ(OfferedId(f, module), 1u);
  TypeTranslation(f, "Eins");
  EXPECT_EQ(Translation(module, 1, kFrench), u"Un");
  EXPECT_EQ(Translation(module, 2, kFrench), u"Deux");
  EXPECT_EQ(Translation(module, 1, kGerman), u"Eins");
  EXPECT_EQ(said(), Texts{});

  // Alt+Enter on the module: the French output gets a name of the user's own.
  f.Select(f.FindNode(u"App.exe"));
  f.frame->Tree()->setFocus();
  user.Then<CDialogModuleProperties>([&](CDialogModuleProperties& d) {
    QTreeWidget* list = d.OutputFiles();
    int row = RowOfLanguage(list, kFrench);
    ASSERT_GE(row, 0);
    list->setCurrentItem(list->topLevelItem(row));
    Click(d.EditButton());
    EXPECT_EQ(list->topLevelItem(row)->text(1), "Francais.exe");
    d.accept();
  });
  user.Then<CDialogFilename>([](CDialogFilename& d) {
    d.Box()->setText("Francais.exe");
    d.accept();
  });
  QTest::keyClick(f.frame->Tree(), Qt::Key_Return, Qt::AltModifier);
  EXPECT_EQ(module.GetTargetFileName(kFrench), u"Francais.exe");
  EXPECT_EQ(module.GetTargetFileName(kGerman), u"AppDEU.exe");
  EXPECT_EQ(said(), Texts{});

  // F7 on a project never saved: the program says so and asks for the project's name first,
  // then Build Target File builds the French file under its new name.
  f.SetLanguage(kFrench);
  user.files.push_back(projectPath);
  user.Then<CDialogCreateTargetFile>([&](CDialogCreateTargetFile& d) {
    EXPECT_EQ(d.LanguageList()->currentData().toUInt(), kFrench);
    EXPECT_EQ(d.OutputName()->text(), "Francais.exe");
    Click(d.OkButton());
  });
  QTest::keyClick(f.frame.get(), Qt::Key_F7);
  EXPECT_EQ(said(), (Texts{u"The document must be saved first. You will now be prompted for the Tessalingvora "
                           u"document file name.",
                           u"Target file(s) created successfully:\n\n" + tvl::FromUtf8(french)}));
  EXPECT_EQ(f.doc.GetPathName(), U16(projectPath));
  EXPECT_TRUE(fs::exists(dir.file("App.tvl")));
  // Once the dialogs are gone the window manager makes the main window active again.
  f.frame->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(f.frame.get()));
  EXPECT_EQ(BuiltString(french, 1, kFrench), u"Un");
  EXPECT_EQ(BuiltString(french, 2, kFrench), u"Deux");

  // Batch Build: Select All, Build; both files are written and the check marks kept.
  fs::remove(french);
  user.Then<CDialogBatchBuild>([&](CDialogBatchBuild& d) {
    EXPECT_EQ(d.Targets()->topLevelItemCount(), 2);
    Click(d.SelectAllButton());
    Click(d.BuildButton());
    EXPECT_FALSE(d.isVisible());
  });
  f.frame->RunCommand(ID_BATCH_BUILD);
  EXPECT_EQ(said(), Texts{u"Target file(s) created successfully:\n\n" + tvl::FromUtf8(german) + u"\n" +
                          tvl::FromUtf8(french) + u"\n"});
  EXPECT_EQ(BuiltString(german, 1, kGerman), u"Eins");
  EXPECT_EQ(BuiltString(german, 2, kGerman), u"Two\tTab");  // untranslated: the source text
  EXPECT_EQ(BuiltString(french, 1, kFrench), u"Un");
  EXPECT_EQ(module.m_batchSelection, (std::vector<WORD>{kGerman, kFrench}));

  // Import an Existing Translation: the delivered French build; its language is guessed.
  user.files = {QStrU8(dir.file("Delivered_fr.exe"))};
  user.Then<CDialogImportTranslation>([&](CDialogImportTranslation& d) {
    EXPECT_EQ(d.LanguageList()->currentData().toUInt(), kFrench);
    Click(d.OkButton());
    EXPECT_FALSE(d.isVisible());
  });
  f.frame->RunCommand(ID_IMPORT_TRANSLATION);
  EXPECT_EQ(said(), Texts{});
  EXPECT_EQ(Translation(module, 15, kFrench), u"Quinze");
  EXPECT_EQ(Translation(module, 100, kFrench), u"Cent avec un saut de ligne\nseconde ligne");
  EXPECT_EQ(Translation(module, 1, kGerman), u"Eins");
  EXPECT_EQ(f.doc.m_languages.GetSize(), 2);
  EXPECT_EQ(f.frame->GetSelectedLanguage(), kFrench);
  EXPECT_TRUE(f.doc.IsModified());
  Pause();
  QTest::keyClick(f.frame.get(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_FALSE(f.doc.IsModified());

  // File > Scribe Edition > Export...: French only, to a file chosen with Browse.
  user.files = {QStrU8(copy)};
  user.Then<CDialogExportSE>([&](CDialogExportSE& d) {
    QListWidget* list = d.Languages();
    ASSERT_EQ(list->count(), 2);
    list->item(1)->setCheckState(Qt::Checked);
    Click(d.BrowseButton());
    EXPECT_EQ(d.FileName()->text(), QStrU8(copy));
    Click(d.OkButton());
    EXPECT_FALSE(d.isVisible());
  });
  f.frame->RunCommand(ID_EXPORT_SCRIBE);
  EXPECT_EQ(said(), Texts{});
  EXPECT_EQ(f.doc.GetPathName(), U16(projectPath));

  // The translator revises string 15 in the copy.
  {
    CTvlDoc translator;
    ASSERT_TRUE(translator.OnOpenDocument(tvl::FromUtf8(copy)));
    ASSERT_EQ(translator.m_languages.GetSize(), 1);
    EXPECT_EQ(translator.m_languages[0].GetLanguage(), kFrench);
    EXPECT_EQ(Translation(*translator.m_modules.at(0), 1, kGerman), u"");
    String(*translator.m_modules.at(0), 15)->m_value.SetTranslation(u"Quinze (relu)", kFrench);
    ASSERT_TRUE(translator.OnSaveDocument(tvl::FromUtf8(copy)));
  }

  // File > Scribe Edition > Import...: the copy, French checked, and Yes to the question.
  said.sink.answers = {IDYES};
  user.files = {QStrU8(copy)};
  user.Then<CDialogImportFromSE>([&](CDialogImportFromSE& d) {
    ASSERT_EQ(d.Languages()->count(), 1);
    d.Languages()->item(0)->setCheckState(Qt::Checked);
    Click(d.OkButton());
    EXPECT_FALSE(d.isVisible());
  });
  f.frame->RunCommand(ID_IMPORT_SCRIBE);
  EXPECT_EQ(said(), Texts{u"File:\n  " + tvl::FromUtf8(copy) +
                          u"\n\nTranslation(s):\n  French\n\nThese translations will now be imported. They will "
                          u"overwrite existing translations (if any).\n\nContinue ?  (Undo not available)"});
  EXPECT_EQ(Translation(module, 15, kFrench), u"Quinze (relu)");
  EXPECT_EQ(Translation(module, 1, kFrench), u"Un");
  EXPECT_EQ(Translation(module, 1, kGerman), u"Eins");
  EXPECT_TRUE(f.doc.IsModified());
  Pause();
  EXPECT_TRUE(f.frame->windowTitle().endsWith(QLatin1Char('*')));
  EXPECT_EQ(user.chooserTitles, (QStringList{"Save As", QString(), "Select Scribe Edition Project File Name",
                                             "Select Scribe Edition Project"}));
}
