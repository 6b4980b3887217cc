// What each error number of the compiler means, in one English line, and
// what a number says about where its fault lies.
#pragma once

#include <cstdint>
#include <string>

namespace scenario::tool {

// The one-line message of an error number; numbers the compiler never
// records get a message that says so.
std::string ErrorText(int32_t numero);

// Whether the compiler stores a position in metres with this number.
bool HasPosition(int32_t numero);

// Which part of the compile run records a number.
enum class ErrorSource {
  LineReader,    // only the reader of the line description
  TrainReader,   // only the reader of the train service
  EitherReader,  // both readers (15, 25)
  AfterReading,  // the train half's closing check of the line's progressives (2)
  CellRules,     // the route cell rules (11, 12, 13)
  CompileRun,    // the run's own stops (1250, 1251)
  Unknown,
};
ErrorSource SourceOf(int32_t numero);

}  // namespace scenario::tool
