#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/ByteReader.h"

namespace {
const std::vector<BYTE> kBytes = {0x34, 0x12, 0x78, 0x56, 0xBC, 0x9A, 0xAA};
}  // namespace

TEST(ByteReader, ReadsLittleEndianAndStopsAtTheEnd) {
  CByteReader in(kBytes);
  EXPECT_EQ(in.Read16(), 0x1234);
  EXPECT_EQ(in.Read32(), 0x9ABC5678u);
  EXPECT_EQ(in.Offset(), 6u);
  EXPECT_TRUE(in.Ok());
  // One byte left: a 2-byte read fails, yields 0 and leaves the cursor.
  EXPECT_EQ(in.Read16(), 0);
  EXPECT_FALSE(in.Ok());
  EXPECT_EQ(in.Offset(), 6u);
  // The failure sticks, even for reads that would fit.
  EXPECT_FALSE(in.Seek(0));
  EXPECT_EQ(in.U16At(0), 0);
}

TEST(ByteReader, RangesThatDoNotFitFailWithoutWrapping) {
  struct Case {
    size_t offset, size;
    bool fits;
  } cases[] = {
      {0, 7, true},          {7, 0, true},          {6, 1, true},           {6, 2, false},
      {8, 0, false},         {SIZE_MAX, 2, false},  {2, SIZE_MAX - 1, false},
  };
  for (const Case& c : cases) {
    CByteReader in(kBytes);
    EXPECT_EQ(in.Fits(c.offset, c.size), c.fits) << c.offset << "+" << c.size;
    EXPECT_EQ(in.BytesAt(c.offset, c.size).size(), c.fits ? c.size : 0u) << c.offset << "+" << c.size;
    EXPECT_EQ(in.Ok(), c.fits) << c.offset << "+" << c.size;
    CByteReader sub = CByteReader(kBytes).Sub(c.offset, c.size);
    EXPECT_EQ(sub.Ok(), c.fits);
    EXPECT_EQ(sub.Size(), c.fits ? c.size : 0u);
  }
}

TEST(ByteReader, SubViewsAreBoundedByTheirOwnEnd) {
  CByteReader in(kBytes);
  CByteReader sub = in.Sub(2, 3);
  EXPECT_EQ(sub.U16At(0), 0x5678);
  EXPECT_EQ(sub.U16At(2), 0);  // the byte after the view is not read
  EXPECT_FALSE(sub.Ok());
  EXPECT_TRUE(in.Ok());
  EXPECT_TRUE(sub.ReadBytes(1).empty());

  CByteReader skip(kBytes);
  EXPECT_TRUE(skip.Skip(5));
  EXPECT_EQ(skip.Remaining(), 2u);
  EXPECT_FALSE(skip.Skip(3));
  EXPECT_EQ(skip.Offset(), 5u);
}
