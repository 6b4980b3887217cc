#include "platform/window/console_text.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

namespace scenario {
namespace {

// The tests' standard output is a pipe or a file, no console: a path in
// Windows-1252 and a name in UTF-8 written on one line reach it as UTF-8
// alone, whatever has been written to the stream before, and all of it by
// the end of the run.
TEST(ConsoleText, AStreamThatIsNoConsoleGetsUtf8Throughout) {
  std::ostringstream captured;
  std::streambuf* const previous = std::cout.rdbuf(captured.rdbuf());
  std::cout << "before ";
  {
    const ConsoleText console;
    std::cout << "C:\\Citt\xE0\\Valle_42.sim: station 'CITT\xC3\x80' \x80";
    std::cout.flush();
    std::cout << " CITT\xC3";
  }
  std::cout.rdbuf(previous);
  EXPECT_EQ(captured.str(), "before C:\\Citt\xC3\xA0\\Valle_42.sim: station 'CITT\xC3\x80' \xE2\x82\xAC CITT\xC3\x83");
}

}  // namespace
}  // namespace scenario
