#include "platform/window/console_text.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

namespace scenario {
namespace {

// Names and terminals are UTF-8 here: a stream that is no console (the
// tests' go to files or pipes) gets the program's bytes as they are.
TEST(ConsoleText, AStreamThatIsNoConsoleGetsTheBytesAsTheyAre) {
  std::ostringstream captured;
  std::streambuf* const previous = std::cout.rdbuf(captured.rdbuf());
  {
    const ConsoleText console;
    EXPECT_EQ(std::cout.rdbuf(), captured.rdbuf());
    std::cout << "Citt\xE0 CITT\xC3\x80\n";
  }
  std::cout.rdbuf(previous);
  EXPECT_EQ(captured.str(), "Citt\xE0 CITT\xC3\x80\n");
}

}  // namespace
}  // namespace scenario
