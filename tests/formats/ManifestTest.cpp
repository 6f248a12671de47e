#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "archive/Archive.h"
#include "formats/layout/ResManifest.h"
#include "peimage/ResStream.h"
#include "platform/Text.h"
#include "resmodel/CompileContext.h"
#include "resmodel/ResTable.h"

namespace {

constexpr LANGID kEnglish = 0x0409;
constexpr LANGID kGerman = 0x0407;

std::unique_ptr<CResManifest> Parse(const std::vector<BYTE>& bytes) {
  auto manifest = std::make_unique<CResManifest>();
  CResStream stream(bytes.data(), static_cast<DWORD>(bytes.size()), kEnglish);
  manifest->Parse(stream);
  return manifest;
}

std::vector<BYTE> Written(CResManifest& manifest, LANGID language) {
  CResourceData data;
  data.m_language = language;
  manifest.WriteData(data);
  return data.GetBytes();
}

std::vector<BYTE> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

}  // namespace

TEST(ManifestFixture, StoredLoadedAndWrittenBackUnchanged) {
  CResTable table;
  ASSERT_TRUE(table.Load(tvl::FromUtf8(FixturePath("all32.exe")), kNoLanguage));
  ASSERT_EQ(table.m_manifests.GetCount(), 1);
  auto& manifest = dynamic_cast<CResManifest&>(*table.m_manifests.GetResource(0));
  EXPECT_EQ(manifest.m_doNotTranslate, 1);
  CArchive out;
  out.WriteObject(&manifest);
  std::vector<BYTE> stored = out.GetStoredBytes();
  CArchive in(stored.data(), stored.size());
  auto loaded = in.ReadObject<CResManifest>();
  in.Close();
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(Written(*loaded, kEnglish), ReadFileBytes(FixturePath("data/app.manifest")));
}

TEST(ManifestText, ByteOrderMarkInvalidBytesAndEmptyDocuments) {
  const std::string bom = "\xEF\xBB\xBF";
  auto manifest = Parse(Bytes(bom + "<a>\xC3\xA9</a>"));
  EXPECT_EQ(manifest->m_text.m_text, u"\uFEFF<a>é</a>");
  EXPECT_EQ(Written(*manifest, kGerman), Bytes(bom + "<a>\xC3\xA9</a>"));
  // Broken UTF-8 is read, not refused; an empty resource is.
  EXPECT_EQ(Parse(Bytes("<a>\xC3</a>"))->m_text.m_text, u"<a>\uFFFD</a>");
  CResTable table;
  CRecordingSink sink;
  std::vector<BYTE> empty;
  CResStream stream(nullptr, CResName(WORD{24}), CResName(WORD{1}), kEnglish, kEnglish, empty.data(), 0);
  EXPECT_FALSE(table.m_manifests.AddResource(stream));
  EXPECT_EQ(sink.messages.size(), 1u);

  std::unique_ptr<CLocalizedParam> replaced;
  EXPECT_FALSE(manifest->SetData({}, kGerman, replaced));
  EXPECT_FALSE(manifest->HasTranslation(kGerman));
  EXPECT_EQ(manifest->m_statusChain.FindValue(kGerman), nullptr);
}

TEST(ManifestTranslation, ExportImportUpdateAndWhatIsWritten) {
  const std::vector<BYTE> source = Bytes("<assembly>English</assembly>");
  auto project = Parse(source);
  project->SetTranslatable(true);
  std::vector<BYTE> file;
  std::unique_ptr<CLocalizedParam> replaced;
  ASSERT_TRUE(project->GetData(file, kGerman));
  EXPECT_EQ(file, source);
  ASSERT_TRUE(project->SetData(file, kGerman, replaced));
  EXPECT_EQ(project->m_text.GetText(kGerman), project->m_text.m_text);
  EXPECT_EQ(project->ComputeStatus(kGerman), 1);
  ASSERT_TRUE(project->SetData(Bytes("<assembly>Deutsch</assembly>"), kGerman, replaced));
  ASSERT_NE(replaced, nullptr);  // the first import, for undo
  EXPECT_EQ(Written(*project, kGerman), Bytes("<assembly>Deutsch</assembly>"));
  ASSERT_TRUE(project->GetData(file, kGerman));
  EXPECT_EQ(file, Bytes("<assembly>Deutsch</assembly>"));

  // Update of the source with the same document keeps the translation as it was.
  auto same = Parse(source);
  same->Merge(*project, true, false);
  EXPECT_EQ(same->m_doNotTranslate, 0);
  EXPECT_EQ(same->ComputeStatus(kGerman), 1);
  EXPECT_EQ(Written(*same, kGerman), Bytes("<assembly>Deutsch</assembly>"));
  // A changed source: the translation is out of date and the new source is written.
  auto changed = Parse(Bytes("<assembly>English 2</assembly>"));
  changed->Merge(*project, true, false);
  EXPECT_EQ(changed->ComputeStatus(kGerman), 0);
  EXPECT_EQ(Written(*changed, kGerman), Bytes("<assembly>English 2</assembly>"));
  // Marked do not translate: the source whatever the status.
  project->SetTranslatable(false);
  EXPECT_EQ(Written(*project, kGerman), source);
}
