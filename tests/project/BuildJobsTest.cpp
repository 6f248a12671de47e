#include <gtest/gtest.h>
#include <stdlib.h>

#include <thread>

#include "project/ParallelBuild.h"

namespace {

// TVL_JOBS chooses the count unless it is not a sensible number; the command line's choice
// overrides it.
TEST(BuildJobs, EnvironmentThenOverride) {
  const unsigned processors = std::max(1u, std::thread::hardware_concurrency());
  const struct {
    const char* value;
    unsigned expected;
  } cases[] = {{"3", 3}, {"1", 1}, {"0", processors}, {"-2", processors}, {"4x", processors}, {"", processors}};
  SetBuildJobs(0);
  for (const auto& c : cases) {
    ::setenv("TVL_JOBS", c.value, 1);
    EXPECT_EQ(BuildJobs(), c.expected) << c.value;
  }
  ::setenv("TVL_JOBS", "3", 1);
  SetBuildJobs(5);
  EXPECT_EQ(BuildJobs(), 5u);
  SetBuildJobs(0);
  EXPECT_EQ(BuildJobs(), 3u);
  ::unsetenv("TVL_JOBS");
  EXPECT_EQ(BuildJobs(), processors);
}

}  // namespace
