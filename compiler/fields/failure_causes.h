// The causes of the run-time failures the readers and the placements can
// meet, each one sentence for an author: what the value is, where it puts
// the item, and what to change. Made only when a reading fails.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "compiler/fields/field_stream.h"
#include "compiler/fields/runtime_failure.h"
#include "model/scenario_model.h"

namespace scenario::causes {

// A cause, and which value of its line the author must look at (0 for the
// first).
struct Cause {
  size_t value;
  std::string text;
};
// The value index that stands for the line's keyword field.
inline constexpr size_t kKeyword = static_cast<size_t>(-1);

// Line description.
std::string EmptyLineDescription();
std::string CommentEndsFile(const std::string& comment, FieldPosition at);
std::string NegativeRoute(int32_t lunghezza);
std::string ProgressivesOverflow(const char* keyword, int64_t sum);
std::string ChainageOverflow(const char* keyword, int32_t chainage);
std::string GradientOverflow(int32_t gradient, FieldPosition at);
std::string CurveOutsidePlan(const RuntimeFailure& failure, int32_t inizio, int32_t lunghezza,
                             const ScenarioModel& model);
Cause MountainOutside(const RuntimeFailure& failure, int32_t inizio, int32_t fine, const ScenarioModel& model);
Cause IndicatorValues(const RuntimeFailure& failure, const std::array<int32_t, 9>& v);
std::string TooManyBoards(int32_t indice_cartello);

// An item whose own cell, round(position / 50 + 1) or round(position / 50),
// lies before the route's first cell.
std::string PointBeforeRoute(const std::string& item, int32_t position, int64_t cell);

// Train service.
std::string SpeedFifth(int32_t speed, FieldPosition at);
// Its fix: the nearest speed that fits, written over the speed at `at`.
SourceEdit SpeedFifthFix(int32_t speed, FieldPosition at);
// The eleven values of a signal line, in order.
Cause SignalOutside(const RuntimeFailure& failure, const std::array<int32_t, 11>& v);
Cause SlowdownOutside(const RuntimeFailure& failure, int32_t x, int32_t l, const ScenarioModel& model);
std::string TimetableOverflow(int32_t hours, int32_t minutes, int32_t seconds);
Cause StationZone(const RuntimeFailure& failure, const rec_stazione& record, int32_t length,
                  const ScenarioModel& model);

// The spacing test of the station `record` (its zone's start less 350 m)
// passes a Long.
std::string SpacingOverflow(const rec_stazione& record);
// Either source: the source `name` was read but could not be deleted.
std::string SourceNotDeleted(const std::string& name, const std::string& reason);

// Causes of error numbers that stop a reading, for the author.
// Error 15: the item at `position` leaves less than `margin` metres of
// route after it.
std::string BeyondRoute(const std::string& item, int32_t position, double margin, const ScenarioModel& model);
// Error 22: the station `record` begins too close after `previous`, whose
// line is `previous_line`.
std::string StationsTooClose(const rec_stazione& record, const rec_stazione& previous, int previous_line);
// The station `early`, read before `record` (line `record_line`) and the
// station after it at `next_position`, stands further along than both.
std::string StationOutOfOrder(const rec_stazione& early, const rec_stazione& record, int record_line,
                              int32_t next_position);

// Either source: the route was never sized.
std::string NoRoute();
// A failure nobody named: what the reader knows of it.
std::string Unnamed(const RuntimeFailure& failure);

}  // namespace scenario::causes
