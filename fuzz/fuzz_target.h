// Ends a fuzz target's run on one input with a finding when a check failed.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace scenario::fuzzing {

inline void RequireNoProblem(const std::string& problem) {
  if (problem.empty()) return;
  std::fprintf(stderr, "check failed: %s\n", problem.c_str());
  std::abort();
}

}  // namespace scenario::fuzzing
