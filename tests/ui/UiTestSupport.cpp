#include "UiTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QTest>
#include <filesystem>

#include "platform/Files.h"
#include "platform/Text.h"
#include "ui/views/ProjectResView.h"
#include "ui/views/ResourceAndHeaderViews.h"
#include "ui/views/StringTableView.h"
#include "ui/views/TranslationView.h"

namespace {

// One application object for every test of the program.
class CQtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "tests_ui";
    static char* argv[] = {name, nullptr};
    m_app = std::make_unique<QApplication>(argc, argv);
    tvl::SetProgramDirectory(tvl::FromUtf8(std::string(TVL_SOURCE_DIR) + "/data/"));
  }
  void TearDown() override {
    tvl::SetProgramDirectory({});
    m_app.reset();
  }

 private:
  std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new CQtEnvironment);

CProjectNode* FindIn(CProjectNode* node, const std::u16string& label) {
  if (!node) return nullptr;
  if (node->GetLabel() == label) return node;
  for (const auto& c : node->m_children)
    if (CProjectNode* n = FindIn(c.get(), label)) return n;
  return nullptr;
}

}  // namespace

QString QStrU8(const std::string& s) { return QString::fromStdString(s); }

CProjectFile::CProjectFile() {
  std::filesystem::copy_file(FixturePath("all32.exe"), dir.file("App.exe"));
  CTvlDoc doc;
  CLanguageArray languages;
  languages.Add(CLanguage(0x0407));
  languages.Add(CLanguage(0x040C));
  auto m = std::make_unique<CModule>(tvl::FromUtf8(dir.file("App.exe")), 0x0409, 0);
  m->SetDocument(&doc);
  EXPECT_TRUE(m->LoadFromFile());
  doc.InsertModule(std::move(m), 0x0409, languages);
  EXPECT_TRUE(doc.OnSaveDocument(Path()));
}

CProjectFile::~CProjectFile() = default;

std::u16string CProjectFile::Path() const { return tvl::FromUtf8(dir.file("App.tvl")); }

CFrameFixture::CFrameFixture(const std::string& path) {
  settingsPath = path.empty() ? settingsDir.file("Workspace.ini") : path;
  frame = std::make_unique<CMainFrame>(doc, std::make_unique<tvl::ui::CIniSettingsStore>(QStrU8(settingsPath)));
  frame->show();
  frame->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(frame.get()));
}

CFrameFixture::~CFrameFixture() {
  frame.reset();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool CFrameFixture::Open(const std::u16string& path) { return frame->OpenDocumentFile(path); }

CProjectNode* CFrameFixture::FindNode(const std::u16string& label) const {
  return FindIn(frame->Tree()->Root(), label);
}

void CFrameFixture::Select(CProjectNode* node) {
  ASSERT_NE(node, nullptr);
  frame->Tree()->SelectNode(node);
}

CStringTableView* CFrameFixture::StringView() const { return frame->ResourcePane()->StringView(); }

void CFrameFixture::TypeAndCommit(const QString& text) {
  CTranslationEdit* box = frame->Editor()->TranslationBox();
  box->setFocus();
  box->selectAll();
  QTest::keyClick(box, Qt::Key_Delete);
  QTest::keyClicks(box, text);
  QTest::keyClick(box, Qt::Key_Return);
}

void CFrameFixture::SetLanguage(LANGID language) {
  QComboBox* list = frame->LanguageList();
  for (int i = 0; i < list->count(); ++i)
    if (list->itemData(i).toUInt() == language) {
      list->setCurrentIndex(i);
      emit list->activated(i);
      return;
    }
  ADD_FAILURE() << "language " << language << " is not in the list";
}
