// A new scenario to start from: the two sources that `scenario-tool new`
// writes for a line of the author's length, and the checks of the length
// and the names it is given. The text is made here only, so that every tool
// that starts an author on a new scenario starts from the same one.
//
// The sources hold every section of both files and what a drivable
// scenario needs: the general values, a gradient, an adhesion and a speed
// step from 0 m, a first station at 0 m and a last one 500 m before the
// line's end, each with its timetable time. Every section but [generale]
// (which writes all its keywords, and a comment on the units) and [fine]
// holds one example line as a comment: in double quotes, since it holds
// commas, after "-- ". They compile with no error and no warning for every
// length from kNewLineShortest to kNewLineLongest; the examples taken out
// of their comments, all together, from 5858 m on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace scenario::tool {

// The first station (kind 8, 700 m long, at 0 m) has its zone from -700 to
// 700 m; the last one (kind 4, 500 m long) stands 500 m before the line's
// end, so its zone ends 250 m before it; and a station's zone must begin
// 350 m after the previous one ends (else error 22). So the shortest line
// that holds both is 700 + 350 + 500 + 250 m.
inline constexpr int32_t kNewFirstStationLength = 700;
inline constexpr int32_t kNewLastStationLength = 500;
inline constexpr int32_t kNewLastStationBeforeEnd = 500;
inline constexpr int32_t kStationZoneSpacing = 350;
inline constexpr int32_t kNewLineShortest = kNewFirstStationLength + kStationZoneSpacing + kNewLastStationLength +
                                            (kNewLastStationBeforeEnd - kNewLastStationLength / 2);
// The longest route the line description's reader takes: a longer one stops
// it with error 1.
inline constexpr int32_t kNewLineLongest = 1000000;
inline constexpr int32_t kNewLineDefault = 10000;

// The lines of the line description and of the train service of a new
// scenario whose line is `length` metres long (kNewLineShortest to
// kNewLineLongest), in file order, without line ends: write them with the
// one text-writing procedure (sources/text_file_writer.h).
std::vector<std::string> NewLineDescription(int32_t length);
std::vector<std::string> NewTrainService(int32_t length);

// The length given as text ("10000"), checked: a whole number of metres
// from kNewLineShortest to kNewLineLongest. Throws std::invalid_argument
// with a message that names the value and what to write.
int32_t NewLineLength(const std::string& given);

// A line name or train number given for a new scenario, as the Windows-1252
// bytes that name its files and that the compiled files keep. `given` is
// read as the command line gives it: a well-formed UTF-8 sequence (as
// Linux passes "Città") stands for its letter, every other byte for its
// Windows-1252 letter (as Windows passes it). `what` is "the line name" or
// "the train number". Throws std::invalid_argument, naming the value and
// what to write, for a name that is empty, holds a letter Windows-1252
// cannot hold or a character that a file name cannot hold (on Windows
// too), or would read as UTF-8 to the compile.
std::string NewScenarioName(const std::string& what, const std::string& given);

// The longest line name plus train number that NewScenarioName takes
// together: the train service's temporary file name, the longest a
// scenario's files get, must fit in 255 bytes.
std::size_t NewNamesLongest();

// Refuses (std::invalid_argument) a line name and train number that make a
// file name too long together.
void CheckNewNamesFit(const std::string& nome_linea, const std::string& numero_treno);

}  // namespace scenario::tool
