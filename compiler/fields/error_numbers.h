// The error numbers of the compile, in one table: every number a reader, a
// placement or a cell rule records in codice_errore, and the two the compile
// run reports through errore. Code names a number by its constant; the
// table says what it means, whether posizione_errore goes with it, and who
// raises it.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace scenario {

namespace error_number {
inline constexpr int32_t kRouteTooLong = 1;
inline constexpr int32_t kProgressiveOffCell = 2;
inline constexpr int32_t kCabSignallingStartOffCell = 3;
inline constexpr int32_t kCabSignallingEndOffCell = 4;
inline constexpr int32_t kCabSignallingCodes = 5;
inline constexpr int32_t kBoardCellTaken = 6;
inline constexpr int32_t kCodeChangeCellTaken = 7;
inline constexpr int32_t kStationOffCell = 8;
inline constexpr int32_t kStationLength = 9;
inline constexpr int32_t kNoStationRecordLeft = 10;
inline constexpr int32_t kSignalBeforeWarningBoard = 11;
inline constexpr int32_t kNoCellBeforeSlowdown = 12;
inline constexpr int32_t kNoCellAlongSlowdown = 13;
inline constexpr int32_t kBeyondRoute = 15;
inline constexpr int32_t kSignalCellTaken = 16;
inline constexpr int32_t kWarningBoardCellTaken = 17;
inline constexpr int32_t kSlowdownStartCellTaken = 18;
inline constexpr int32_t kSlowdownEndCellTaken = 19;
inline constexpr int32_t kCellsBeforeWarningBoardTaken = 20;
inline constexpr int32_t kIndicatorCellTaken = 21;
inline constexpr int32_t kStationsTooClose = 22;
inline constexpr int32_t kStationZoneAtRouteStart = 24;
inline constexpr int32_t kReadFailure = 25;
inline constexpr int32_t kNoLineFile = 101;
inline constexpr int32_t kNoGeneralSection = 102;
inline constexpr int32_t kCurve = 103;
inline constexpr int32_t kMarkerPlaceTaken = 1250;
inline constexpr int32_t kCheckCodePlaceTaken = 1251;
}  // namespace error_number

// Who raises a number.
enum class ErrorSource {
  LineReader,    // only the reader of the line description
  TrainReader,   // only the reader of the train service (placements included)
  EitherReader,  // both readers
  AfterReading,  // the train half's closing check of the line's progressives
  CellRules,     // the route cell rules
  CompileRun,    // the run's own stops, shown through errore
  Unknown,       // not a number of the table
};

struct ErrorNumber {
  int32_t numero;
  // One English line for an author.
  const char* text;
  // Whether posizione_errore is stored with the number.
  bool has_position;
  ErrorSource source;
};

inline constexpr ErrorNumber kErrorNumbers[] = {
    {error_number::kRouteTooLong, "the route length is greater than 1000000 m", false,
     ErrorSource::LineReader},
    {error_number::kProgressiveOffCell,
     "a kilometric progressive zone's position or chainage is not a multiple of 50", false,
     ErrorSource::AfterReading},
    {error_number::kCabSignallingStartOffCell,
     "the start of the cab-signalling stretch is not a multiple of 50", false, ErrorSource::LineReader},
    {error_number::kCabSignallingEndOffCell, "the end of the cab-signalling stretch is not a multiple of 50",
     false, ErrorSource::LineReader},
    {error_number::kCabSignallingCodes, "the cab-signalling line names neither 4 nor 9 codes", false,
     ErrorSource::LineReader},
    {error_number::kBoardCellTaken, "an indication board falls on a route cell already taken", true,
     ErrorSource::LineReader},
    {error_number::kCodeChangeCellTaken, "a code change falls on a route cell already taken", true,
     ErrorSource::TrainReader},
    {error_number::kStationOffCell, "a station's position is not a multiple of 50", true,
     ErrorSource::TrainReader},
    {error_number::kStationLength, "a station's length is not a multiple of 100", true,
     ErrorSource::TrainReader},
    {error_number::kNoStationRecordLeft, "no station record is left free for a further station", false,
     ErrorSource::TrainReader},
    {error_number::kSignalBeforeWarningBoard,
     "a signal before a slowdown warning board has neither a free cell nor a code change "
     "one or two cells before it",
     true, ErrorSource::CellRules},
    {error_number::kNoCellBeforeSlowdown,
     "no free cell for one of the three code changes before a slowdown start", true,
     ErrorSource::CellRules},
    {error_number::kNoCellAlongSlowdown,
     "no free cell for a code change along a slow slowdown or before the first signal after it", true,
     ErrorSource::CellRules},
    {error_number::kBeyondRoute,
     "an item lies too near the end of the route: its position plus 100 m (800 m for a "
     "station) is beyond the last route cell",
     true, ErrorSource::EitherReader},
    {error_number::kSignalCellTaken, "a signal falls on a route cell already taken", true,
     ErrorSource::TrainReader},
    {error_number::kWarningBoardCellTaken, "a slowdown's warning-board cell is already taken", true,
     ErrorSource::TrainReader},
    {error_number::kSlowdownStartCellTaken, "a slowdown's start cell is already taken", true,
     ErrorSource::TrainReader},
    {error_number::kSlowdownEndCellTaken, "a slowdown's end cell is already taken", true,
     ErrorSource::TrainReader},
    {error_number::kCellsBeforeWarningBoardTaken,
     "one of the four cells before a slowdown's warning board is already taken", true,
     ErrorSource::TrainReader},
    {error_number::kIndicatorCellTaken, "a maximum-speed indicator falls on a route cell already taken",
     true, ErrorSource::LineReader},
    {error_number::kStationsTooClose,
     "a station's zone begins less than 350 m after the zone of the station before it ends", true,
     ErrorSource::TrainReader},
    {error_number::kStationZoneAtRouteStart,
     "a station of kind below 25 has a zone that ends within the first 100 m of the route", false,
     ErrorSource::TrainReader},
    {error_number::kReadFailure,
     "the reading failed: a value that is not a number or does not fit its field, a line "
     "cut short by the end of the file, or a place outside the route",
     false, ErrorSource::EitherReader},
    {error_number::kNoLineFile, "the line description file does not exist", false, ErrorSource::LineReader},
    {error_number::kNoGeneralSection, "the line description file has no [generale] line", false,
     ErrorSource::LineReader},
    {error_number::kCurve,
     "a curve line names no curve class from 1 to 6, or the track plan runs past 1000000 m", false,
     ErrorSource::LineReader},
    {error_number::kMarkerPlaceTaken,
     "the place of the station-table marker or of the route marker is already in use", false,
     ErrorSource::CompileRun},
    {error_number::kCheckCodePlaceTaken, "the place of a check code is already in use", false,
     ErrorSource::CompileRun},
};

// The entry of a number; null for a number the compile never records.
inline const ErrorNumber* FindErrorNumber(int32_t numero) {
  for (const ErrorNumber& entry : kErrorNumbers)
    if (entry.numero == numero) return &entry;
  return nullptr;
}

// The text errore is given for a number: its decimal digits.
inline std::string NumeroText(int32_t numero) { return std::to_string(numero); }

}  // namespace scenario
