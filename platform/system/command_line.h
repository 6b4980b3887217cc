// The program's arguments as the system's names: bytes, which on Windows are
// Windows-1252.
#pragma once

#include <string>
#include <vector>

namespace scenario {

// The arguments the program was started with, argv[0] first. On Windows they
// are read from the system's own (UTF-16) command line; one with a character
// Windows-1252 cannot hold throws std::invalid_argument naming it.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

}  // namespace scenario
