#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "game/OutOfMemory.h"

#if defined(__SANITIZE_ADDRESS__)
// Let a request that can never be met fail as it would without the sanitizer.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
#endif

namespace {

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
