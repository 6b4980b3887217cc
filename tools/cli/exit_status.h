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
// The command line was wrong.
inline constexpr int kExitUsage = 64;

}  // namespace scenario::tool
