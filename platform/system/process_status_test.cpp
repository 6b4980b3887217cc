// Whether a process is still there, as the language server asks it of the
// editor that started it.
#include "platform/system/process_status.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

TEST(ProcessStatus, ThisProcessRunsAndNumbersOfNoProcessDoNot) {
  EXPECT_TRUE(ProcessIsRunning(CurrentProcessId()));
  for (const std::int64_t none : {std::int64_t{0}, std::int64_t{-1}, std::int64_t{1} << 40}) {
    SCOPED_TRACE(none);
    EXPECT_FALSE(ProcessIsRunning(none));
  }
}

}  // namespace
}  // namespace scenario
