#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "UiTestSupport.h"
#include "ui/dialogs/CheckSettingsDlg.h"
#include "ui/dialogs/DialogSupport.h"
#include "ui/dialogs/InstallDialogs.h"
#include "ui/dialogs/LanguageDialogs.h"
#include "ui/dialogs/NewModuleWizard.h"
#include "workspace/ViewRules.h"

// Pictures of the dialogs with long paths and names, for a reviewer: every page of the wizard
// at one width, the lists with their columns whole, the check settings. Written only when
// TVL_SCREENSHOT_DIR names a folder.
TEST(Screenshots, DialogsShowEverythingWhole) {
  QString out = qEnvironmentVariable("TVL_SCREENSHOT_DIR");
  if (out.isEmpty()) GTEST_SKIP() << "TVL_SCREENSHOT_DIR is not set";
  auto save = [&out](QWidget& w, const char* name) {
    QTest::qWait(50);
    EXPECT_TRUE(w.grab().save(QDir(out).filePath(QStringLiteral("tvl-%1.png").arg(QLatin1String(name)))));
  };
  CRecordingSink sink;
  CScratchDir dir;
  std::string deep = dir.file("projects/a program with a long name/release builds/x86");
  std::filesystem::create_directories(deep);
  std::filesystem::copy_file(FixturePath("all32.exe"), deep + "/App.exe");
  CFrameFixture f;
  InstallDialogs(*f.frame);

  // The wizard's pages, the languages chosen through the language dialog.
  int step = 0;
  tvl::ui::ModalRunner previous = tvl::ui::SetModalRunner([&](QDialog& d) {
    if (auto* w = dynamic_cast<CWizardNewModule*>(&d)) {
      w->show();
      w->Page1()->FileNameBox()->setText(QStrU8(deep + "/App.exe"));
      save(*w, "wizard-1");
      w->next();
      save(*w, "wizard-2");
      w->next();
      w->Page3()->NewButton()->click();
      w->Page3()->NewButton()->click();
      save(*w, "wizard-3");
      w->next();
      save(*w, "wizard-4");
      w->reject();
      return static_cast<int>(QDialog::Rejected);
    }
    if (auto* language = dynamic_cast<CDialogTargetLanguage*>(&d)) {
      language->ChooseLanguage(step++ == 0 ? 0x0407 : 0x0C0C);
      language->accept();
      return language->result();
    }
    d.show();
    save(d, "dialog-unexpected");
    return static_cast<int>(QDialog::Rejected);
  });
  f.frame->RunCommand(ID_FILE_INSERT_MODULE);
  tvl::ui::SetModalRunner(std::move(previous));

  // Module Properties and Batch Build over a project with long output names.
  CProjectFile project;
  ASSERT_TRUE(f.Open(project.Path()));
  CModule* module = f.doc.m_modules[0].get();
  module->m_outputNames.SetAt(0x0407, u"..\\translations\\german\\release\\App for German speaking users.exe");
  const char* name = "";
  previous = tvl::ui::SetModalRunner([&](QDialog& d) {
    d.show();
    save(d, name);
    return static_cast<int>(QDialog::Rejected);
  });
  name = "module-properties";
  f.frame->Hooks().moduleProperties(module);
  name = "batch-build-whole";
  f.frame->Hooks().batchBuild();
  name = "check-settings";
  f.frame->findChild<QAction*>("checkSettings")->trigger();
  tvl::ui::SetModalRunner(std::move(previous));
}
