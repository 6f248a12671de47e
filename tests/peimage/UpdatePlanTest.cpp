// Planned updates: the passes of a copy planned in memory and written once give the bytes the
// same passes give when each is written to the file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "TestSupport.h"
#include "UpdateTestUtil.h"
#include "archive/Exceptions.h"
#include "peimage/ResourceUpdate.h"
#include "platform/Text.h"
#include "resmodel/CompileContext.h"

using namespace updtest;

namespace {

// The sample set scaled so the section grows past what most fixtures hold.
void Fill(CResourceWriter& writer, size_t scale) {
  for (const Entry& e : Flatten(SampleSet(scale))) {
    CResourceIdentifier type, name;
    for (auto [from, to] : {std::pair{&e.type, &type}, std::pair{&e.name, &name}}) {
      if (from->IsName())
        to->SetString(from->GetName().c_str());
      else
        to->SetOrdinal(from->GetOrdinal());
    }
    writer.Add(type, name, e.language, e.data.data(), e.data.size());
  }
}

struct PlanCase {
  const char* fixture;
  size_t scale;
};

class UpdatePlan : public ::testing::TestWithParam<PlanCase> {};

TEST_P(UpdatePlan, CopyWrittenOnceEqualsPassesWrittenInPlace) {
  const PlanCase& c = GetParam();
  CScratchDir dir;
  const std::string source = FixturePath(c.fixture);
  const std::vector<BYTE> original = ReadFileBytes(source);
  CResourceWriter writer;
  Fill(writer, c.scale);

  const std::string inPlace = dir.file("in-place");
  std::filesystem::copy_file(source, inPlace);
  writer.Write(tvl::FromUtf8(inPlace));

  const std::string copy = dir.file("copy");
  int fd = ::open(copy.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  writer.WriteCopy(tvl::FromUtf8(source), fd, tvl::FromUtf8(copy));
  ::close(fd);

  EXPECT_EQ(ReadFileBytes(copy), ReadFileBytes(inPlace));
  EXPECT_EQ(ReadFileBytes(source), original);  // the template is only read
  EXPECT_EQ(Walk(copy).size(), writer.GetCount());
}

INSTANTIATE_TEST_SUITE_P(Fixtures, UpdatePlan,
                         ::testing::Values(PlanCase{"all32.exe", 1}, PlanCase{"all64.exe", 40},
                                           PlanCase{"overlay32.exe", 40}, PlanCase{"reloc32.dll", 40},
                                           PlanCase{"reloc64.dll", 1}, PlanCase{"empty64.dll", 40},
                                           PlanCase{"mfc32.exe", 40}, PlanCase{"neutralver32.dll", 1}),
                         [](const auto& info) {
                           std::string n = info.param.fixture;
                           for (char& ch : n)
                             if (ch == '.') ch = '_';
                           return n + "_x" + std::to_string(info.param.scale);
                         });

TEST(UpdatePlanCalls, OutOfOrderOrReadOnlyCallsFailAndLeaveTheFile) {
  CScratchDir dir;
  const std::string path = dir.file("a.exe");
  std::filesystem::copy_file(FixturePath("all32.exe"), path);
  const std::vector<BYTE> original = ReadFileBytes(path);
  tvl::CResourceUpdate u;
  EXPECT_FALSE(u.BeginPlanned(true));  // nothing planned
  EXPECT_EQ(errno, EBADF);
  ASSERT_TRUE(u.BeginReading(path, true));
  EXPECT_FALSE(u.Commit());  // opened for reading only
  EXPECT_EQ(errno, EBADF);
  ASSERT_TRUE(u.BeginReading(path, false));
  ASSERT_TRUE(u.CommitPlanned());
  ASSERT_TRUE(u.BeginPlanned(false));  // the planned file holds the same entries
  EXPECT_EQ(u.PendingCount(), Walk(path).size());
  u.Discard();
  EXPECT_FALSE(u.BeginPlanned(true));  // the plan went with the update
  EXPECT_EQ(ReadFileBytes(path), original);
}

TEST(UpdatePlanCalls, ChangedOriginalFailsTheFinalWrite) {
  CScratchDir dir;
  const std::string path = dir.file("a.exe");
  std::filesystem::copy_file(FixturePath("all32.exe"), path);
  tvl::CResourceUpdate u;
  ASSERT_TRUE(u.BeginReading(path, true));
  ASSERT_TRUE(u.AddPlaceholder(tvl::ResId::Id(11), tvl::ResId::Id(1), 0x0409, 4096));
  ASSERT_TRUE(u.CommitPlanned());
  ASSERT_TRUE(u.BeginPlanned(true));
  std::filesystem::copy_file(FixturePath("all64.exe"), dir.file("b.exe"));
  std::filesystem::rename(dir.file("b.exe"), path);
  int fd = ::open(dir.file("out").c_str(), O_RDWR | O_CREAT, 0644);
  EXPECT_FALSE(u.CommitTo(fd));
  EXPECT_EQ(errno, EBUSY);
  ::close(fd);
}

}  // namespace
