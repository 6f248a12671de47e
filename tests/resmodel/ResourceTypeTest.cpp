#include <gtest/gtest.h>

#include <sstream>

#include "TestSupport.h"
#include "archive/Archive.h"
#include "formats/layout/ResBinary.h"
#include "peimage/PeFormat.h"
#include "peimage/ResStream.h"
#include "resmodel/CompileContext.h"
#include "resmodel/ResourceType.h"

namespace {

// A resource class whose parse fails the way a format violation does.
class CFailingResource : public CResource {
  DECLARE_SERIAL(CFailingResource)
 public:
  void Parse(CResStream& stream) override { stream.Read(stream.GetRemaining() + 1); }
};
IMPLEMENT_SERIAL_UNREGISTERED(CFailingResource, CResource, VERSIONABLE_SCHEMA | 1, "CFailingResource")

CResStream Stream(const std::vector<BYTE>& bytes, CResName type, CResName name, LANGID lang) {
  CResStream s(bytes.data(), static_cast<DWORD>(bytes.size()), lang);
  s.m_type = std::move(type);
  s.m_name = std::move(name);
  return s;
}

}  // namespace

TEST(ResourceType, FirstLanguageWinsAndNamesAreCaseSensitive) {
  CResourceType handler;
  std::vector<BYTE> a = {1, 2, 3}, b = {4, 5};
  auto s1 = Stream(a, CResName(u"HTML"), CResName(u"Page"), 0x0409);
  auto s2 = Stream(b, CResName(u"HTML"), CResName(u"Page"), 0x0407);
  auto s3 = Stream(b, CResName(u"HTML"), CResName(u"PAGE"), 0x0407);
  EXPECT_TRUE(handler.AddResource(s1));
  EXPECT_TRUE(handler.AddResource(s2));
  EXPECT_TRUE(handler.AddResource(s3));
  ASSERT_EQ(handler.GetCount(), 2);
  auto* first = static_cast<CResBinary*>(handler.GetResource(0));
  EXPECT_EQ(first->m_data.m_data, a);
  EXPECT_EQ(first->GetSourceLanguage(), 0x0409);
  EXPECT_EQ(first->m_owner, &handler);
  EXPECT_EQ(first->m_doNotTranslate, 1);  // binary resources start as do not translate
}

TEST(ResourceType, ParseFailureIsReportedAndTheResourceLeftOut) {
  CScopedClassRegistration reg(RUNTIME_CLASS(CFailingResource));
  CResourceType handler(5, RUNTIME_CLASS(CFailingResource), u"Dialogs", 0, 2, 14, 14, u"", u"");
  CRecordingSink sink;
  std::vector<BYTE> bytes = {1, 2};
  auto s = Stream(bytes, CResName(WORD{5}), CResName(u"ABOUT"), 0x0409);
  EXPECT_FALSE(handler.AddResource(s));
  EXPECT_EQ(handler.GetCount(), 0);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text, u"Error parsing resource (type 5 - Id \"ABOUT\") : Invalid Format");
  EXPECT_EQ(sink.messages[0].type & MB_ICONMASK, MB_ICONERROR);
}

TEST(ResourceType, StatusIsSmallestOfResourcesAndTwoWhenEmpty) {
  CResourceType handler;
  EXPECT_EQ(handler.GetStatus(0x0407), 2);
  EXPECT_EQ(handler.GetDisplayName(), u"???");  // kind 0 until it is given a type
  handler.m_identifier.SetString(u"HTML");
  EXPECT_EQ(handler.GetDisplayName(), u"\"HTML\"");

  std::vector<BYTE> bytes = {1};
  auto s1 = Stream(bytes, CResName(u"HTML"), CResName(WORD{1}), 0x0409);
  auto s2 = Stream(bytes, CResName(u"HTML"), CResName(WORD{2}), 0x0409);
  handler.AddResource(s1);
  handler.AddResource(s2);
  std::unique_ptr<CLocalizedParam> replaced;
  auto* r1 = static_cast<CResBinary*>(handler.GetResource(0));
  ASSERT_TRUE(r1->SetData({9, 9}, 0x0407, replaced));
  handler.UpdateStatus(0x0407);
  EXPECT_EQ(r1->GetStatus(0x0407), 1);
  EXPECT_EQ(handler.GetResource(1)->GetStatus(0x0407), 0);
  EXPECT_EQ(handler.GetStatus(0x0407), 0);
}

TEST(ResBinary, WriteUsesConfirmedTranslationsOnlyAndSourceWhenNotTranslatable) {
  CResourceType handler;
  handler.m_identifier.SetOrdinal(10);
  std::vector<BYTE> source = {1, 2, 3};
  auto s = Stream(source, CResName(WORD{10}), CResName(WORD{7}), 0x0409);
  handler.AddResource(s);
  auto* r = static_cast<CResBinary*>(handler.GetResource(0));
  std::unique_ptr<CLocalizedParam> replaced;
  r->SetData({7, 7}, 0x0407, replaced);

  auto build = [&](LANGID lang, bool satellite = false, bool noDup = false) {
    CResourceWriter writer;
    CCompileContext ctx(0x0409, lang, &writer);
    ctx.m_data.m_satelliteDll = satellite;
    ctx.m_data.m_noDuplicateNeutral = noDup;
    ctx.m_data.m_language = lang;
    handler.Write(ctx);
    return writer.GetCount() ? writer.GetEntry(0).m_data : std::vector<BYTE>{0xEE};
  };
  EXPECT_EQ(build(0x0407), source);  // still marked do not translate
  r->SetTranslatable(true);
  EXPECT_EQ(build(0x0407), (std::vector<BYTE>{7, 7}));
  EXPECT_EQ(build(0x040C), source);
  r->SetTranslationStatus(0x0407, 0);  // not up to date: the source is written
  EXPECT_EQ(build(0x0407), source);
  r->SetTranslatable(false);
  EXPECT_EQ(build(0x0407, true, false), source);
  EXPECT_EQ(build(0x0407, true, true), std::vector<BYTE>{0xEE});  // left out of satellites
}

TEST(ResBinary, DetachAndAttachRestoreTranslation) {
  CResBinary r;
  r.m_data.m_language = 0x0409;
  r.m_statusChain.m_language = 0x0409;
  r.m_data.m_data = {1};
  std::unique_ptr<CLocalizedParam> replaced;
  r.SetData({2}, 0x0407, replaced);
  EXPECT_EQ(replaced, nullptr);
  r.SetData({3}, 0x0407, replaced);
  ASSERT_NE(replaced, nullptr);
  EXPECT_EQ(static_cast<CLocalizedBlob&>(*replaced).m_data, std::vector<BYTE>{2});

  auto detached = r.DetachTranslation(0x0407);
  EXPECT_FALSE(r.HasTranslation(0x0407));
  EXPECT_EQ(r.m_statusChain.FindValue(0x0407), nullptr);
  r.AttachTranslation(std::move(detached), 1);
  EXPECT_EQ(r.GetBytes(0x0407), std::vector<BYTE>{3});
  EXPECT_EQ(r.GetStatus(0x0407), 1);
  EXPECT_EQ(r.DetachTranslation(0x0409), nullptr);  // the head is never detached
}

TEST(ResBinary, StoresAndLoadsWithDataChain) {
  CResBinary r;
  r.m_identifier.SetString(u"DATA");
  r.m_statusChain.m_language = 0x0409;
  r.m_data.m_language = 0x0409;
  r.m_data.m_data = {0xAA, 0xBB};
  std::unique_ptr<CLocalizedParam> replaced;
  r.SetData({0xCC}, 0x0407, replaced);
  CArchive out;
  out.WriteObject(&r);
  std::vector<BYTE> bytes = out.GetStoredBytes();

  CArchive in(bytes.data(), bytes.size(), u"p.tvl");
  auto loaded = in.ReadObject<CResBinary>();
  in.Close();
  ASSERT_NE(loaded, nullptr);
  EXPECT_TRUE(loaded->m_identifier == r.m_identifier);
  EXPECT_EQ(loaded->GetBytes(0x0407), std::vector<BYTE>{0xCC});
  EXPECT_EQ(loaded->GetStatus(0x0407), 0);
  EXPECT_EQ(loaded->m_doNotTranslate, 1);
  CArchive again;
  again.WriteObject(loaded.get());
  EXPECT_EQ(again.GetStoredBytes(), bytes);
}

TEST(ResBitmap, HeaderCheckOnParse) {
  auto parse = [](std::vector<BYTE> bytes) {
    CResBitmap bmp;
    CResStream s(bytes.data(), static_cast<DWORD>(bytes.size()), 0x0409);
    bmp.Parse(s);
  };
  std::vector<BYTE> core(12 + 8, 0);
  core[0] = 12;
  core[10] = 1;  // 1 bit per pixel
  EXPECT_NO_THROW(parse(core));
  std::vector<BYTE> tooBig(20, 0);
  tooBig[0] = 40;  // header larger than the resource
  EXPECT_THROW(parse(tooBig), CResStreamException);
  std::vector<BYTE> shortInfo(39, 0);
  shortInfo[0] = 16;  // not a core header, fewer than 40 bytes
  EXPECT_THROW(parse(shortInfo), CResStreamException);
}

TEST(ResBitmap, ExportImportRoundTripOnRealBitmaps) {
  for (const char* name : {"info24.bmp", "info8.bmp", "core4.bmp"}) {
    std::vector<BYTE> file = ReadFileBytes(FixturePath(std::string("data/") + name));
    std::vector<BYTE> bytes;
    ASSERT_TRUE(CResBitmap::FileToBitmap(file, bytes)) << name;
    std::vector<BYTE> back;
    ASSERT_TRUE(CResBitmap::BitmapToFile(bytes, back)) << name;
    EXPECT_EQ(back, file) << name;  // the offsets we compute agree with the real file
  }
}

TEST(ResBitmap, ImportRefusesBadFilesAndKeepsResource) {
  std::vector<BYTE> file = ReadFileBytes(FixturePath("data/info24.bmp"));
  std::vector<BYTE> bytes;
  std::vector<BYTE> wrongSize = file;
  wrongSize[2] ^= 1;  // size field off by one
  EXPECT_FALSE(CResBitmap::FileToBitmap(wrongSize, bytes));
  std::vector<BYTE> notBmp = file;
  notBmp[0] = 'X';
  EXPECT_FALSE(CResBitmap::FileToBitmap(notBmp, bytes));
  EXPECT_FALSE(CResBitmap::FileToBitmap(std::vector<BYTE>(file.begin(), file.begin() + 13), bytes));

  CResBitmap bmp;
  ASSERT_TRUE(CResBitmap::FileToBitmap(file, bmp.m_data.m_data));
  bmp.m_data.m_language = 0x0409;
  std::unique_ptr<CLocalizedParam> replaced;
  EXPECT_FALSE(bmp.SetData(wrongSize, 0x0407, replaced));
  EXPECT_FALSE(bmp.HasTranslation(0x0407));

  // Exported and imported back for a language: equal to the source, so a merge sees no change.
  std::vector<BYTE> exported;
  ASSERT_TRUE(bmp.GetData(exported, 0x0407));
  EXPECT_EQ(pe::Get32(exported.data() + 10), 14u + pe::Get32(bmp.m_data.m_data.data()));  // 24-bit: no palette
  ASSERT_TRUE(bmp.SetData(exported, 0x0407, replaced));
  EXPECT_EQ(bmp.GetBytes(0x0407), bmp.m_data.m_data);
}
