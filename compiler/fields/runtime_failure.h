// A run-time failure inside the readers: a read past the end of a file, a
// value that does not fit its field, an index outside an array, an integer
// overflow. The readers' trap turns it into error 25.
//
// A failure may carry its cause as an author should read it: one sentence
// that names the value, where it stands in the source, and what to change.
// Whoever knows the cause best gives it; a cause once given is kept.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "compiler/fields/field_stream.h"
#include "compiler/fields/source_edit.h"

namespace scenario {

class RuntimeFailure : public std::runtime_error {
 public:
  // What failed inside the model, for a reader that names the cause.
  enum class Kind : uint8_t {
    Other,
    MissingCell,     // a route cell outside 0..ultima_cella; `index` is its number
    MissingRecord,   // a station or mountain record that does not exist
    MissingPlanPoint,  // a point of the track plan beyond its end
    Overflow,        // a sum, difference or product beyond a Long
    NotInField,      // a rounded real that does not fit its field
  };

  explicit RuntimeFailure(const std::string& what, Kind kind = Kind::Other, int64_t index = 0)
      : std::runtime_error(what), kind_(kind), index_(index) {}

  Kind kind() const { return kind_; }
  int64_t index() const { return index_; }

  bool has_cause() const { return !cause_.empty(); }
  // Where the author must look; line 0 when the cause concerns the whole
  // file.
  const FieldPosition& at() const { return at_; }
  const std::string& cause() const { return cause_; }
  // The edit that puts the cause right, where the one who named it knows it.
  const std::optional<SourceEdit>& fix() const { return fix_; }
  // Gives the failure its cause, and its fix when known, unless it has a
  // cause already.
  void SetCause(FieldPosition at, std::string cause, std::optional<SourceEdit> fix = std::nullopt) {
    if (has_cause()) return;
    at_ = at;
    cause_ = std::move(cause);
    fix_ = std::move(fix);
  }

 private:
  Kind kind_;
  int64_t index_;
  FieldPosition at_;
  std::string cause_;
  std::optional<SourceEdit> fix_;
};

// Runs `action`; a failure inside it that has no cause yet is given one by
// `name_cause(failure)`, then goes on its way.
template <typename Action, typename NameCause>
decltype(auto) NamingCause(Action&& action, NameCause&& name_cause) {
  try {
    return action();
  } catch (RuntimeFailure& failure) {
    if (!failure.has_cause()) name_cause(failure);
    throw;
  }
}

}  // namespace scenario
