// What the two readers and the placements called from them share: the size
// of a route cell, the range test of a positioned item, comment fields, and
// how the reading goes on after a line.
#pragma once

#include <cstdint>
#include <string_view>

#include "compiler/fields/keyword_match.h"
#include "compiler/fields/runtime_failure.h"
#include "model/scenario_model.h"

namespace scenario {

// One route cell is 50 m of route.
inline constexpr int32_t kMetresPerCell = 50;

// A position in metres as a number of cells, in reals (not rounded).
inline double InCells(double metres) { return metres / kMetresPerCell; }

// How much route must still lie past a positioned item: 100 m, and 800 m
// past a station.
inline constexpr double kItemMargin = 100.0;
inline constexpr double kStationMargin = 800.0;

// The range test: whether an item at `position` leaves `margin` metres of
// route after it, up to the last cell. Computed in reals, so it never
// overflows. A route that was never allocated has no room at all: that is a
// run-time failure.
inline bool FitsRoute(const ScenarioModel& model, int32_t position, double margin) {
  if (model.percorso.empty())
    throw RuntimeFailure("the route is used before its length is known", RuntimeFailure::Kind::MissingCell);
  return static_cast<double>(position) + margin <= static_cast<double>(kMetresPerCell) * model.ultima_cella;
}

// A keyword field with a hyphen in it is a comment.
inline bool IsComment(std::string_view field) { return Contains(field, "-"); }

// How the reading goes on after a line.
enum class AfterLine {
  GoOn,
  Close,    // leave the loop for the closing steps (after error 15)
  Stopped,  // a fault stopped the reading; the source is closed and deleted
};

}  // namespace scenario
