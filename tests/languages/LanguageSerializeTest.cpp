#include <gtest/gtest.h>

#include <vector>

#include "archive/Archive.h"
#include "languages/Language.h"

namespace {

using Bytes = std::vector<BYTE>;

Bytes Stored(CLanguage& l) {
  CArchive ar;
  l.Serialize(ar);
  return ar.GetStoredBytes();
}

Bytes Stored(CLanguageArray& a) {
  CArchive ar;
  a.Serialize(ar);
  return ar.GetStoredBytes();
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

const Bytes kNewRecord = {0x00, 0x00, 0xFF, 0xFE, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00};
const Bytes kGermanArial10 = {0x07, 0x04, 0xFF, 0xFE, 0xFF, 0x05, 'A', 0, 'r', 0, 'i', 0, 'a', 0, 'l', 0,
                              0x0A, 0x00, 0x00, 0x00};

}  // namespace

TEST(LanguageSerialize, StoredFieldsAreLanguageFontNameAndSize) {
  CLanguage fresh;
  EXPECT_EQ(Stored(fresh), kNewRecord);
  CLanguage german(0x0407);
  german.SetPreviewFont(u"Arial", 10);
  EXPECT_EQ(Stored(german), kGermanArial10);
}

TEST(LanguageSerialize, ClassReferenceThenFieldsAsTheProjectWritesTheSourceLanguage) {
  CArchive ar;
  ar.SerializeClass(RUNTIME_CLASS(CLanguage));
  CLanguage source;
  source.Serialize(ar);
  Bytes want = {0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00, 'C', 'L', 'a', 'n', 'g', 'u', 'a', 'g', 'e'};
  EXPECT_EQ(ar.GetStoredBytes(), Cat({want, kNewRecord}));
}

TEST(LanguageSerialize, LoadingRecomputesTheCharacterSet) {
  // Japanese, font name in the 8-bit form older writers used, size 9.
  const Bytes bytes = {0x11, 0x04, 0x05, 'A', 'r', 'i', 'a', 'l', 0x09, 0x00, 0x00, 0x00};
  CArchive ar(bytes.data(), bytes.size());
  CLanguage l;
  l.Serialize(ar);
  EXPECT_EQ(l.GetLanguage(), 0x0411);
  EXPECT_EQ(l.GetFontName(), u"Arial");
  EXPECT_EQ(l.GetFontSize(), 9u);
  EXPECT_EQ(l.GetCharSet(), 128u);
  EXPECT_EQ(ar.GetRemaining(), 0u);

  CArchive ar2(kGermanArial10.data(), kGermanArial10.size());
  CLanguage russianBefore(0x0419);
  russianBefore.Serialize(ar2);
  EXPECT_EQ(russianBefore.GetLanguage(), 0x0407);
  EXPECT_EQ(russianBefore.GetCharSet(), 0u);
}

TEST(LanguageSerialize, AsAnObjectThroughTheClassRegistry) {
  CLanguage l(0x0C0C);
  l.SetPreviewFont(u"Verdana", 11);
  CArchive out;
  out.WriteObject(&l);
  const Bytes& bytes = out.GetStoredBytes();
  CArchive in(bytes.data(), bytes.size());
  std::unique_ptr<CLanguage> back = in.ReadObject<CLanguage>();
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(*back, l);
  EXPECT_EQ(back->GetCharSet(), 0u);
}

TEST(LanguageSerialize, ANewerStoredSchemaStillReadsItsFields) {
  // The class reference says schema 2: a versionable class accepts it.
  Bytes bytes = Cat({{0xFF, 0xFF, 0x02, 0x00, 0x09, 0x00, 'C', 'L', 'a', 'n', 'g', 'u', 'a', 'g', 'e'}, kGermanArial10});
  CArchive ar(bytes.data(), bytes.size());
  ar.SerializeClass(RUNTIME_CLASS(CLanguage));
  CLanguage l;
  l.Serialize(ar);
  EXPECT_EQ(l.GetLanguage(), 0x0407);
  EXPECT_EQ(l.GetFontName(), u"Arial");
}

TEST(LanguageSerialize, ArrayIsACountAndRecordsWithoutClassTags) {
  CLanguageArray a;
  CArchive empty;
  a.Serialize(empty);
  EXPECT_EQ(empty.GetStoredBytes(), (Bytes{0x00, 0x00}));

  CLanguage german(0x0407);
  german.SetPreviewFont(u"Arial", 10);
  a.Add(german);
  a.Add(CLanguage());
  Bytes bytes = Stored(a);
  EXPECT_EQ(bytes, Cat({{0x02, 0x00}, kGermanArial10, kNewRecord}));

  CLanguageArray back;
  back.Add(CLanguage(0x0419));  // replaced by what is loaded
  CArchive in(bytes.data(), bytes.size());
  back.Serialize(in);
  ASSERT_EQ(back.GetSize(), 2);
  EXPECT_EQ(back[0], german);
  EXPECT_EQ(back[1], CLanguage());
  EXPECT_EQ(in.GetRemaining(), 0u);
}

TEST(LanguageSerialize, BadInputThrowsAndLeavesTheArrayAlone) {
  CLanguageArray a;
  a.Add(CLanguage(0x0419));
  auto expectEndOfFile = [&](const Bytes& bytes) {
    CArchive in(bytes.data(), bytes.size());
    try {
      a.Serialize(in);
      ADD_FAILURE() << "loaded";
    } catch (const CArchiveException& e) {
      EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
    }
    ASSERT_EQ(a.GetSize(), 1);
    EXPECT_EQ(a[0].GetLanguage(), 0x0419);
  };
  // A count far beyond the bytes that follow is refused before anything is allocated.
  expectEndOfFile({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F});
  expectEndOfFile({0x10, 0x00, 0x07, 0x04});
  // One whole record, the second cut inside its font size.
  expectEndOfFile(Cat({{0x02, 0x00}, kGermanArial10, {0x00, 0x00, 0x00, 0x0A, 0x00}}));
  // A font name longer than the file.
  expectEndOfFile({0x01, 0x00, 0x07, 0x04, 0xFF, 0xFE, 0xFF, 0x50, 'A', 0});
}
