// The exit statuses of scenario-tool.
#pragma once

namespace scenario::tool {

inline constexpr int kExitOk = 0;
// compile: an error was recorded in the scenario (the compiled files are
// still written); dump, plot, sources: the input was refused.
inline constexpr int kExitRefused = 1;
// compile: the run stopped through errore; nothing was compiled.
inline constexpr int kExitStopped = 2;
// A failure of the system: a file that could not be read or written.
inline constexpr int kExitSystemFailure = 3;
// The command line was wrong (source file names that give no line name or
// train number, with no option that gives it, are part of it).
inline constexpr int kExitUsage = 64;
// compile, check: a given source cannot be compiled as it stands (saved in
// UTF-16, or another file already where the compile copies it).
inline constexpr int kExitUnusableSource = 65;

}  // namespace scenario::tool
