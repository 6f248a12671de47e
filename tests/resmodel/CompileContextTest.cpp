// Resource data, compile context, resource writer, and the two exception classes.
#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

#include "archive/Exceptions.h"
#include "resmodel/CompileContext.h"

TEST(CResourceData, StartsWith4096PreparedBytes) {
  CResourceData data;
  EXPECT_EQ(data.GetPosition(), 0u);
  EXPECT_EQ(data.GetPreparedSize(), 4096u);
  EXPECT_EQ(data.m_fontCharset, 1);
  EXPECT_EQ(data.m_preview, 0);
}

TEST(CResourceData, ValuesAreLittleEndian) {
  CResourceData data;
  data.WriteByte(0x12);
  data.WriteWord(0x3456);
  data.WriteDword(0x789ABCDE);
  std::vector<BYTE> expected = {0x12, 0x56, 0x34, 0xDE, 0xBC, 0x9A, 0x78};
  EXPECT_EQ(data.GetBytes(), expected);
}

TEST(CResourceData, GrowsIn4096StepsAndKeepsEverything) {
  CResourceData data;
  for (DWORD i = 0; i < 1024; ++i) data.WriteDword(i);
  EXPECT_EQ(data.GetPosition(), 4096u);
  EXPECT_EQ(data.GetPreparedSize(), 4096u);
  data.WriteByte(0xAA);  // at the end of the prepared space: grows first
  EXPECT_EQ(data.GetPreparedSize(), 8192u);
  std::vector<BYTE> big(10000, 0x5A);
  data.WriteBytes(big.data(), big.size());
  EXPECT_EQ(data.GetPosition(), 4097u + 10000u);
  EXPECT_EQ(data.GetPreparedSize(), 16384u);
  std::vector<BYTE> bytes = data.GetBytes();
  ASSERT_EQ(bytes.size(), 14097u);
  for (DWORD i = 0; i < 1024; ++i) {
    DWORD v = bytes[4 * i] | (bytes[4 * i + 1] << 8) | (bytes[4 * i + 2] << 16) | (static_cast<DWORD>(bytes[4 * i + 3]) << 24);
    ASSERT_EQ(v, i);
  }
  EXPECT_EQ(bytes[4096], 0xAA);
  EXPECT_EQ(bytes[14096], 0x5A);
}

TEST(CResourceData, WriteStringOfEmptyWritesOneZeroWord) {
  CResourceData data;
  data.WriteString(u"");
  EXPECT_EQ(data.GetBytes(), (std::vector<BYTE>{0, 0}));
  data.Reset();
  data.WriteString(u"Ab");
  EXPECT_EQ(data.GetBytes(), (std::vector<BYTE>{'A', 0, 'b', 0, 0, 0}));
}

TEST(CResourceData, AlignCountsFromTheStart) {
  CResourceData data;
  data.AlignDword();
  EXPECT_EQ(data.GetPosition(), 0u);
  data.WriteByte(1);
  data.AlignWord();
  EXPECT_EQ(data.GetPosition(), 2u);
  data.WriteByte(2);
  data.AlignDword();
  EXPECT_EQ(data.GetBytes(), (std::vector<BYTE>{1, 0, 2, 0}));
  data.PatchWord(2, 0x0304);
  EXPECT_EQ(data.GetBytes(), (std::vector<BYTE>{1, 0, 4, 3}));
}

TEST(CResourceData, ResetGoesBackTo4096) {
  CResourceData data;
  std::vector<BYTE> big(9000, 1);
  data.WriteBytes(big.data(), big.size());
  data.Reset();
  EXPECT_EQ(data.GetPosition(), 0u);
  EXPECT_EQ(data.GetPreparedSize(), 4096u);
}

TEST(CResourceWriter, EntriesKeepOrderAndOwnTheirBytes) {
  CResourceWriter writer;
  std::vector<BYTE> buffer = {1, 2, 3};
  writer.Add(CResName(WORD{5}), CResName(u"DLG"), 0x0407, buffer.data(), buffer.size());
  buffer[0] = 9;
  writer.Add(CResName(WORD{6}), CResName(WORD{1}), 0x0407, buffer.data(), 2);
  writer.Add(CResName(WORD{4}), CResName(WORD{7}), 0x0407, nullptr, 0);
  buffer.assign(3, 0);

  ASSERT_EQ(writer.GetCount(), 3u);
  EXPECT_EQ(writer.GetEntry(0).m_type.GetText(), u"5");
  EXPECT_EQ(writer.GetEntry(0).m_name.GetText(true), u"\"DLG\"");
  EXPECT_EQ(writer.GetEntry(0).m_data, (std::vector<BYTE>{1, 2, 3}));
  EXPECT_EQ(writer.GetEntry(1).m_type.m_ordinal, 6);
  EXPECT_EQ(writer.GetEntry(1).m_data, (std::vector<BYTE>{9, 2}));
  EXPECT_TRUE(writer.GetEntry(2).m_data.empty());
  EXPECT_EQ(writer.GetEntry(2).m_language, 0x0407);
  EXPECT_EQ(writer.GetTotalLength(), 5u);
}

TEST(CCompileContext, HandsTheWrittenBytesToTheWriter) {
  CResourceWriter writer;
  CCompileContext context(0x0409, 0x040C, &writer);
  EXPECT_EQ(context.m_data.m_language, 0x040C);
  EXPECT_EQ(context.m_data.m_sourceLanguage, 0x0409);
  context.m_type = CResName(WORD{5});
  context.m_name = CResName(u"ABOUT");
  context.m_data.WriteWord(0xBEEF);
  context.AddToWriter();
  ASSERT_EQ(writer.GetCount(), 1u);
  EXPECT_TRUE(writer.GetEntry(0).m_name.IsString());
  EXPECT_EQ(writer.GetEntry(0).m_language, 0x040C);
  EXPECT_EQ(writer.GetEntry(0).m_data, (std::vector<BYTE>{0xEF, 0xBE}));
}

TEST(CStringException, ReturnsItsText) {
  CStringException e(u"Something failed");
  EXPECT_EQ(e.GetErrorText(), u"Something failed");
  EXPECT_STREQ(e.what(), "Something failed");
  char16_t buffer[6];
  EXPECT_TRUE(e.GetErrorMessage(buffer, 6));
  EXPECT_EQ(std::u16string(buffer), u"Somet");
}

TEST(CWin32Exception, ErrorZeroIsUnspecified) {
  errno = 0;
  CWin32Exception e(u"Failed to load the source file.");
  EXPECT_EQ(e.GetLastErrorCode(), 0u);
  EXPECT_EQ(e.GetErrorText(), u"Failed to load the source file.  Unspecified error.");
}

TEST(CWin32Exception, SeparatorRule) {
  errno = 0;
  EXPECT_EQ(CWin32Exception(u"A", true).GetErrorText(), u"A\nUnspecified error.");
  EXPECT_EQ(CWin32Exception(u"").GetErrorText(), u"Unspecified error.");
  EXPECT_EQ(CWin32Exception(u"", true).GetErrorText(), u"\nUnspecified error.");
}

TEST(CWin32Exception, TakesErrnoWhenCreated) {
  errno = ENOENT;
  CWin32Exception e(u"Open failed");
  errno = 0;
  EXPECT_EQ(e.GetLastErrorCode(), static_cast<DWORD>(ENOENT));
  EXPECT_EQ(e.GetErrorText(), u"Open failed  " + CWin32Exception::SystemErrorText(ENOENT));
  EXPECT_EQ(CWin32Exception::SystemErrorText(ENOENT), u"No such file or directory");
}
