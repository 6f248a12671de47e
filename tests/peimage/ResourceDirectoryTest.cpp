#include "peimage/ResourceDirectory.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

void Put(std::vector<BYTE>& b, size_t at, DWORD v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<BYTE>(v >> (8 * i));
}

// Root -> type 6 -> names 1 and 2 -> language 0x409 each -> one shared data entry at 120.
// `secondName` and `secondLanguage` are the raw fields of name 2's entry and of its language.
std::vector<BYTE> Directory(DWORD secondName, DWORD secondLanguage, DWORD secondTarget) {
  std::vector<BYTE> b(136, 0);
  b[14] = 1;  // root: one id entry
  Put(b, 16, 6);
  Put(b, 20, 0x80000000u | 24);
  b[24 + 14] = 2;  // the type's table: two names
  Put(b, 40, 1);
  Put(b, 44, 0x80000000u | 56);
  Put(b, 48, 2);
  Put(b, 52, secondName);
  b[56 + 14] = 1;
  Put(b, 72, 0x409);
  Put(b, 76, 120);
  b[88 + 14] = 1;
  Put(b, 104, secondLanguage);
  Put(b, 108, secondTarget);
  Put(b, 120, 0x1000);
  Put(b, 124, 4);
  return b;
}

struct WalkCase {
  const char* name;
  std::vector<BYTE> region;
  int lenientLeaves;  // -1: the walk fails
  bool strictOk;
};

class ResourceDirectoryWalk : public ::testing::TestWithParam<WalkCase> {};

TEST_P(ResourceDirectoryWalk, LenientSkipsWhatStrictRefuses) {
  const WalkCase& c = GetParam();
  for (bool strict : {false, true}) {
    int leaves = 0;
    bool ok = tvl::WalkResourceDirectory(c.region, strict, [&](const tvl::ResDirLeaf& l) {
      EXPECT_EQ(l.type.ordinal, 6);
      EXPECT_EQ(l.language, 0x409);
      EXPECT_EQ(l.size, 4u);
      ++leaves;
      return true;
    });
    if (strict) {
      EXPECT_EQ(ok, c.strictOk);
    } else {
      EXPECT_EQ(ok ? leaves : -1, c.lenientLeaves);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResourceDirectoryWalk,
    ::testing::Values(WalkCase{"sound", Directory(0x80000000u | 88, 0x409, 120), 2, true},
                      WalkCase{"entry_outside", Directory(0x80000000u | 88, 0x409, 0x1000), 1, false},
                      WalkCase{"loop_to_root", Directory(0x80000000u | 0, 0x409, 120), 1, false},
                      WalkCase{"named_language", Directory(0x80000000u | 88, 0x80000000u | 120, 120), 1, false},
                      WalkCase{"ordinal_too_large", Directory(0x80000000u | 88, 0x10409, 120), 1, false},
                      WalkCase{"name_is_data", Directory(88, 0x409, 120), 1, false},
                      WalkCase{"root_cut", std::vector<BYTE>(8, 0), -1, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ResourceDirectoryWalkStop, LeafCanEndTheWalk) {
  int leaves = 0;
  EXPECT_FALSE(tvl::WalkResourceDirectory(Directory(0x80000000u | 88, 0x409, 120), false, [&](const tvl::ResDirLeaf&) {
    ++leaves;
    return false;
  }));
  EXPECT_EQ(leaves, 1);
}

}  // namespace
