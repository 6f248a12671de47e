// The read cursor: every operation either succeeds within the data or throws and leaves
// the cursor where it was.
#include <gtest/gtest.h>

#include <vector>

#include "peimage/ResStream.h"
#include "platform/LanguageFacts.h"

namespace {

std::vector<BYTE> Utf16(const std::u16string& s, bool terminate = true) {
  std::vector<BYTE> b;
  for (char16_t c : s) {
    b.push_back(static_cast<BYTE>(c));
    b.push_back(static_cast<BYTE>(c >> 8));
  }
  if (terminate) b.insert(b.end(), {0, 0});
  return b;
}

}  // namespace

TEST(ResStream, ReadAdvancesAndRefusesToPassTheEnd) {
  const BYTE data[] = {1, 2, 3, 4, 5, 6, 7};
  CResStream s(data, sizeof data);
  EXPECT_EQ(s.Read(0), data);
  EXPECT_EQ(s.ReadWord(), 0x0201);
  EXPECT_EQ(s.ReadDword(), 0x06050403u);
  EXPECT_EQ(s.GetOffset(), 6u);
  EXPECT_THROW(s.Read(2), CResStreamException);
  EXPECT_THROW(s.ReadWord(), CResStreamException);
  EXPECT_EQ(s.GetOffset(), 6u);
  EXPECT_EQ(s.ReadByte(), 7);
  EXPECT_TRUE(s.AtEnd());
  EXPECT_THROW(s.ReadByte(), CResStreamException);
  // A huge count must not wrap around the pointer arithmetic.
  CResStream t(data, sizeof data);
  t.Read(3);
  EXPECT_THROW(t.Read(SIZE_MAX), CResStreamException);
  EXPECT_THROW(t.Read(SIZE_MAX - 2), CResStreamException);
  EXPECT_EQ(t.GetOffset(), 3u);
}

TEST(ResStream, ReadStringStopsAtTheTerminatorWithinTheLimit) {
  std::vector<BYTE> d = Utf16(u"Hello");
  const std::vector<BYTE> more = Utf16(u"x\u00e9\u4e2d");
  d.insert(d.end(), more.begin(), more.end());
  CResStream s(d.data(), static_cast<DWORD>(d.size()));
  EXPECT_EQ(s.ReadString(), u"Hello");
  EXPECT_EQ(s.GetOffset(), 12u);
  EXPECT_EQ(s.ReadString(), u"x\u00e9\u4e2d");
  EXPECT_TRUE(s.AtEnd());
  EXPECT_THROW(s.ReadString(), CResStreamException);

  // An empty string is just its terminator.
  const BYTE empty[] = {0, 0, 'A', 0};
  CResStream e(empty, sizeof empty);
  EXPECT_EQ(e.ReadString(), u"");
  EXPECT_EQ(e.GetOffset(), 2u);
}

TEST(ResStream, ReadStringWithoutTerminatorThrows) {
  const std::vector<BYTE> d = Utf16(u"no end", false);
  CResStream s(d.data(), static_cast<DWORD>(d.size()));
  EXPECT_THROW(s.ReadString(), CResStreamException);
  EXPECT_EQ(s.GetOffset(), 0u);
  // An odd trailing byte cannot complete a terminator either.
  std::vector<BYTE> odd = Utf16(u"ab", false);
  odd.push_back(0);
  CResStream o(odd.data(), static_cast<DWORD>(odd.size()));
  EXPECT_THROW(o.ReadString(), CResStreamException);
}

TEST(ResStream, ReadStringLimit) {
  const std::vector<BYTE> d = Utf16(u"abc");  // terminator at bytes 6..7
  CResStream s(d.data(), static_cast<DWORD>(d.size()));
  EXPECT_THROW(s.ReadString(6), CResStreamException);  // terminator not before the limit
  EXPECT_THROW(s.ReadString(d.size() + 2), CResStreamException);  // limit past the end
  EXPECT_EQ(s.GetOffset(), 0u);
  EXPECT_EQ(s.ReadString(8), u"abc");
  // A limit before the cursor finds nothing.
  CResStream t(d.data(), static_cast<DWORD>(d.size()));
  t.Read(4);
  EXPECT_THROW(t.ReadString(2), CResStreamException);
  EXPECT_EQ(t.GetOffset(), 4u);
}

TEST(ResStream, StringAtOddOffset) {
  std::vector<BYTE> d = {0xAA};
  const std::vector<BYTE> s16 = Utf16(u"Zz");
  d.insert(d.end(), s16.begin(), s16.end());
  CResStream s(d.data(), static_cast<DWORD>(d.size()));
  s.Read(1);
  EXPECT_EQ(s.ReadString(), u"Zz");
  EXPECT_TRUE(s.AtEnd());
}

TEST(ResStream, AlignmentCountsFromTheStartOfTheData) {
  // The data deliberately starts at an odd address: alignment follows the offset.
  std::vector<BYTE> buffer(16, 0);
  const BYTE* data = buffer.data() + 1;
  CResStream s(data, 10);
  s.AlignDword();
  EXPECT_EQ(s.GetOffset(), 0u);
  s.Read(1);
  s.AlignWord();
  EXPECT_EQ(s.GetOffset(), 2u);
  s.AlignWord();
  EXPECT_EQ(s.GetOffset(), 2u);
  s.AlignDword();
  EXPECT_EQ(s.GetOffset(), 4u);
  s.Read(5);
  EXPECT_EQ(s.GetOffset(), 9u);
  EXPECT_THROW(s.AlignDword(), CResStreamException);  // 12 would pass the end of 10 bytes
  EXPECT_EQ(s.GetOffset(), 9u);
  s.AlignWord();  // 10 is the end itself: allowed
  EXPECT_EQ(s.GetOffset(), 10u);
}

TEST(ResStream, BackStopsAtTheStart) {
  const BYTE data[] = {1, 2, 3, 4};
  CResStream s(data, sizeof data);
  s.Read(3);
  s.Back(2);
  EXPECT_EQ(s.GetOffset(), 1u);
  EXPECT_THROW(s.Back(2), CResStreamException);
  EXPECT_EQ(s.GetOffset(), 1u);
  s.Back(1);
  EXPECT_EQ(s.ReadByte(), 1);
}

TEST(ResStream, FieldsOfAStreamFromTheWalk) {
  const BYTE data[] = {9, 9};
  CResStream s(nullptr, CResName(u"TYPE"), CResName(WORD{7}), 0x0411, 0x0409, data, sizeof data);
  EXPECT_EQ(s.m_type, CResName(u"TYPE"));
  EXPECT_EQ(s.m_name, CResName(WORD{7}));
  EXPECT_EQ(s.m_language, 0x0411);
  EXPECT_EQ(s.m_fileLanguage, 0x0409);
  // Code page and character set follow the recorded language, not the file's.
  EXPECT_EQ(s.m_codePage, LanguageCodePage(0x0411).codePage);
  EXPECT_EQ(s.m_charSet, LanguageCodePage(0x0411).charSet);
  EXPECT_EQ(s.m_size, 2u);
  EXPECT_EQ(s.m_end, data + 2);
  EXPECT_EQ(s.m_cursor, data);
  // An empty stream throws on any read.
  CResStream e(nullptr, 0);
  EXPECT_THROW(e.ReadByte(), CResStreamException);
  EXPECT_THROW(e.ReadString(), CResStreamException);
  e.AlignDword();
  EXPECT_TRUE(e.AtEnd());
}
