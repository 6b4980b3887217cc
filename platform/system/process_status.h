// Whether another process, known by its number, is still there: the
// language server ends when the editor that started it is gone.
#pragma once

#include <cstdint>

namespace scenario {

// True while the process numbered `id` runs (or cannot be looked at, being
// another user's); false once it has ended or when no process has that number.
bool ProcessIsRunning(std::int64_t id);

// This process's number, as other processes know it.
std::int64_t CurrentProcessId();

}  // namespace scenario
