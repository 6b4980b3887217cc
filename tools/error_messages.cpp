#include "tools/error_messages.h"

namespace scenario::tool {

std::string ErrorText(int32_t numero) {
  switch (numero) {
    case 0: return "no error";
    case 1: return "the route length is greater than 1000000 m";
    case 2: return "a kilometric progressive zone's position or chainage is not a multiple of 50";
    case 3: return "the start of the cab-signalling stretch is not a multiple of 50";
    case 4: return "the end of the cab-signalling stretch is not a multiple of 50";
    case 5: return "the cab-signalling line names neither 4 nor 9 codes";
    case 6: return "an indication board falls on a route cell already taken";
    case 7: return "a code change falls on a route cell already taken";
    case 8: return "a station's position is not a multiple of 50";
    case 9: return "a station's length is not a multiple of 100";
    case 10: return "no station record is left free for a further station";
    case 11:
      return "a signal before a slowdown warning board has neither a free cell nor a code change "
             "one or two cells before it";
    case 12: return "no free cell for one of the three code changes before a slowdown start";
    case 13:
      return "no free cell for a code change along a slow slowdown or before the first signal "
             "after it";
    case 15:
      return "an item lies too near the end of the route: its position plus 100 m (800 m for a "
             "station) is beyond the last route cell";
    case 16: return "a signal falls on a route cell already taken";
    case 17: return "a slowdown's warning-board cell is already taken";
    case 18: return "a slowdown's start cell is already taken";
    case 19: return "a slowdown's end cell is already taken";
    case 20: return "one of the four cells before a slowdown's warning board is already taken";
    case 21: return "a maximum-speed indicator falls on a route cell already taken";
    case 22:
      return "a station's zone begins less than 350 m after the zone of the station before it ends";
    case 24: return "a station of kind below 25 has a zone that ends within the first 100 m of the route";
    case 25:
      return "the reading failed: a value that is not a number or does not fit its field, a line "
             "cut short by the end of the file, or a place outside the route";
    case 101: return "the line description file does not exist";
    case 102: return "the line description file has no [generale] line";
    case 103:
      return "a curve line names no curve class from 1 to 6, or the track plan runs past 1000000 m";
    case 1250: return "the place of the station-table marker or of the route marker is already in use";
    case 1251: return "the place of a check code is already in use";
    default: return "an error number the compiler does not record";
  }
}

bool HasPosition(int32_t numero) {
  switch (numero) {
    case 6: case 7: case 8: case 9: case 11: case 12: case 13: case 15:
    case 16: case 17: case 18: case 19: case 20: case 21: case 22:
      return true;
    default:
      return false;
  }
}

ErrorSource SourceOf(int32_t numero) {
  switch (numero) {
    case 1: case 3: case 4: case 5: case 6: case 21: case 101: case 102: case 103:
      return ErrorSource::LineReader;
    case 7: case 8: case 9: case 10: case 16: case 17: case 18: case 19: case 20: case 22: case 24:
      return ErrorSource::TrainReader;
    case 15: case 25:
      return ErrorSource::EitherReader;
    case 2:
      return ErrorSource::AfterReading;
    case 11: case 12: case 13:
      return ErrorSource::CellRules;
    case 1250: case 1251:
      return ErrorSource::CompileRun;
    default:
      return ErrorSource::Unknown;
  }
}

}  // namespace scenario::tool
