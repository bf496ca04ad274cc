#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "game/OutOfMemory.h"
#include "support/RunProgram.h"

#if defined(__SANITIZE_ADDRESS__)
// Let a request that can never be met fail as it would without the sanitizer.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
#endif

namespace {

const std::string Banner =
    "            Welcome to Chess!\n"
    "    ~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~\n";

TEST(Program, PrintsTheBannerInEveryModeAndEndsNormally) {
  TemporaryDirectory directory;
  for (const char* arguments : {"", " Xboard", " xboard2"}) {
    const ProgramRun run = RunIn(directory.Path(), std::string("'") + VELMORA_BINARY + "'" + arguments);
    EXPECT_EQ(run.status, 0) << arguments;
    EXPECT_EQ(run.output.substr(0, Banner.size()), Banner) << arguments;
  }
}

TEST(OutOfMemory, TheMessageNamesTheFailedRequestInKilobytes) {
  EXPECT_EXIT(OutOfMemoryHandler(5000000), ::testing::ExitedWithCode(255),
              "^Running out of memory! Tried to allocate 4882 KB\\.$");
}

TEST(OutOfMemory, AFailedAllocationReachesTheHandlerWithItsSize) {
  // Far more than any machine has: the allocation fails at once.
  const std::size_t huge = std::size_t{1} << 62;
  EXPECT_EXIT(
      {
        volatile char* memory = new char[huge];
        memory[0] = 1;
      },
      ::testing::ExitedWithCode(255), "Tried to allocate 4503599627370496 KB\\.");
  EXPECT_EXIT(
      {
        volatile char* memory = new (std::nothrow) char[huge];
        memory[0] = 1;
      },
      ::testing::ExitedWithCode(255), "Tried to allocate 4503599627370496 KB\\.");
}

}  // namespace
