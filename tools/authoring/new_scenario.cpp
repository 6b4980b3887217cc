#include "tools/authoring/new_scenario.h"

#include <climits>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "encoding/text_encoding.h"
#include "encoding/windows_1252.h"
#include "model/file_names.h"
#include "platform/files/temporary_names.h"
#include "platform/window/console_text.h"

namespace scenario::tool {

namespace {

// A value right-aligned in `width` characters, as the built-in sources align
// their positions.
std::string Aligned(int64_t value, int width) {
  std::string text = std::to_string(value);
  if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<size_t>(width) - text.size(), ' ');
  return text;
}

// The multiple of 50 at or below `metres`: where items go.
int32_t FloorTo50(int64_t metres) { return static_cast<int32_t>(metres / 50 * 50); }

// The position of an example item: a share of the line, in twentieths, so
// that the examples stand apart on a line of any length (on the default
// line of 10000 m, 500 m a twentieth).
int32_t ExampleAt(int32_t length, int twentieths) { return FloorTo50(int64_t{length} * twentieths / 20); }

// Where the last station stands.
int32_t LastStation(int32_t length) { return FloorTo50(length) - kNewLastStationBeforeEnd; }

// The chainage at the start of the line: it falls along the route, to 0 at
// the line's end (or less than 50 m before it), as on the built-in line.
int32_t StartChainage(int32_t length) { return FloorTo50(int64_t{length} + 49); }

// A line written as a comment: in double quotes, since it holds commas, with
// the hyphens that make it one. Take off the quotes and the hyphens to use it.
std::string Commented(const std::string& line) { return "\"-- " + line + "\""; }

// The timetable of a station at `position`: the train leaves the first
// station at 8:00:00 and runs at 75 km/h on average, to the whole minute
// after. A line of 1000 km ends at 21:20.
struct TimeOfDay {
  int hours;
  int minutes;
};
TimeOfDay TimetableAt(int32_t position) {
  const int64_t minutes = 8 * 60 + (int64_t{position} + 1249) / 1250;
  return {static_cast<int>(minutes / 60), static_cast<int>(minutes % 60)};
}

std::string StationLine(int32_t position, int kind, int32_t station_length, const std::string& flags,
                        const std::string& groups, int sosta, TimeOfDay time, const std::string& name) {
  return "stazione," + Aligned(position, 8) + "," + Aligned(kind, 3) + "," + Aligned(station_length, 5) + ",  " +
         flags + ",  " + groups + "," + Aligned(sosta, 5) + "," + Aligned(time.hours, 4) + "," +
         Aligned(time.minutes, 2) + ", 0, " + name;
}

std::string Kilometres(int32_t metres) {
  char text[32];
  std::snprintf(text, sizeof text, "%d.%03d", metres / 1000, metres % 1000);
  return text;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

// One character (one UTF-16 unit, or a pair) written as UTF-8, for a message.
std::string Utf8Of(std::u16string_view letter) {
  uint32_t code = letter[0];
  if (letter.size() == 2) code = 0x10000 + ((code - 0xD800) << 10) + (letter[1] - 0xDC00u);
  std::string bytes;
  if (code < 0x80) {
    bytes += static_cast<char>(code);
  } else if (code < 0x800) {
    bytes += static_cast<char>(0xC0 | (code >> 6));
    bytes += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    bytes += static_cast<char>(0xE0 | (code >> 12));
    bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    bytes += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    bytes += static_cast<char>(0xF0 | (code >> 18));
    bytes += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    bytes += static_cast<char>(0x80 | (code & 0x3F));
  }
  return bytes;
}

std::string LengthRange() {
  return "a whole number of metres from " + std::to_string(kNewLineShortest) + " to " +
         std::to_string(kNewLineLongest) + ", such as --length " + std::to_string(kNewLineDefault);
}

// Characters that no file name holds on Windows, where the simulator runs,
// beside the control characters.
constexpr std::string_view kNotInFileNames = "<>:\"/\\|?*";

}  // namespace

std::vector<std::string> NewLineDescription(int32_t length) {
  const int32_t chainage = StartChainage(length);
  const int32_t curve = ExampleAt(length, 4);
  const int32_t indicator = ExampleAt(length, 11);
  const int32_t gradient = ExampleAt(length, 8);
  const int32_t mountain = ExampleAt(length, 12);
  const int32_t board = ExampleAt(length, 14);
  return {
      "[generale]",
      "-- positions and lengths in metres from the start of the route: every line is told in docs/format.md",
      "lunghezza percorso,    " + std::to_string(length),
      "progressiva chilometrica uno,    0,    " + std::to_string(chainage) + ",    1",
      "progressiva chilometrica due,    0,    0,    0",
      "progressiva chilometrica tre,    0,    0,    0",
      "sfondo uno,    1",
      "sfondo due,    0",
      "sfondo tre,    0",
      "ripetizione segnali 4 codici,    0,    0",
      "[curve]",
      Commented("curvad3,  " + std::to_string(curve) + ",  500"),
      "[pendenze]",
      "pendenza,   0,    0",
      Commented("pendenza,   " + std::to_string(gradient) + ",    12"),
      "[montagne]",
      Commented("montagna,   " + std::to_string(mountain) + ",  " + std::to_string(mountain + 500) + ",  2"),
      "[cartelli]",
      Commented("indicatori_vmax,  " + std::to_string(indicator) + ",  95,  100,  110,  0,  ,  ,  ,  0"),
      "[indicazioni]",
      Commented("cartello_indicatore,  " + std::to_string(board) + ",   (P.L.      )(Km. " +
                Kilometres(chainage - board) + ")"),
      "[fine]",
  };
}

std::vector<std::string> NewTrainService(int32_t length) {
  const int32_t last = LastStation(length);
  const int32_t stop = ExampleAt(length, 10);
  return {
      "[generale]",
      "-- positions in metres from the start of the route: every line is told in docs/format.md",
      "numero vetture,    4",
      "percentuale massa frenata,    120",
      "sabbia,    300",
      "orologio,    7    58    0",
      "[aderenze]",
      "aderenza,   0,    100",
      Commented("aderenza,   " + std::to_string(ExampleAt(length, 16)) + ",    80"),
      "[vel_limite]",
      "velocita,   0,    100",
      Commented("velocita,   " + std::to_string(ExampleAt(length, 18)) + ",    60"),
      "[stazioni]",
      StationLine(0, 8, kNewFirstStationLength, "1, 1, 0", "4,1,0,  2,1,1", 1, TimetableAt(0), "PARTENZA"),
      Commented(StationLine(stop, 12, 400, "0, 0, 0", "1,1,0,  4,1,1", 60, TimetableAt(stop), "FERMATA")),
      StationLine(last, 4, kNewLastStationLength, "1, 0, 0", "1,1,0,  2,1,1", 1, TimetableAt(last), "ARRIVO"),
      "[rallentamenti]",
      Commented("rallentamento," + Aligned(ExampleAt(length, 7), 8) + ",    30,  400, 1,  1,  0"),
      "[segnali]",
      Commented("segnale," + Aligned(ExampleAt(length, 9), 8) + ",   2, 4, 1,  0, 0,    0,  0,0,0, 0"),
      "[codici]",
      Commented("abbattimento," + Aligned(ExampleAt(length, 13), 8) + ",   180"),
      "[fine]",
  };
}

int32_t NewLineLength(const std::string& given) {
  const size_t first_digit = !given.empty() && given[0] == '+' ? 1 : 0;
  bool whole = given.size() > first_digit;
  for (size_t i = first_digit; i < given.size(); ++i)
    if (given[i] < '0' || given[i] > '9') whole = false;
  if (!whole) {
    const bool negative = given.size() > 1 && given[0] == '-' &&
                          given.find_first_not_of("0123456789", 1) == std::string::npos;
    throw std::invalid_argument("the length " + Quoted(given) +
                                (negative ? " is below 0" : " is not a whole number of metres") +
                                ": write the line's length as " + LengthRange());
  }
  const std::string digits = given.substr(given.find_first_not_of("+0") == std::string::npos
                                              ? given.size() - 1
                                              : given.find_first_not_of("+0"));
  const int64_t metres = digits.size() > 9 ? int64_t{kNewLineLongest} + 1 : std::stoll(digits);
  if (metres > kNewLineLongest)
    throw std::invalid_argument("the length " + digits + " m is longer than a line can be: the line description's "
                                "reader takes at most " + std::to_string(kNewLineLongest) +
                                " m (a longer one stops it with error 1); write " + LengthRange());
  if (metres < kNewLineShortest)
    throw std::invalid_argument(
        "the length " + digits + " m is too short for a new line: its first station's zone reaches " +
        std::to_string(kNewFirstStationLength) + " m, the last station's " + std::to_string(kNewLastStationLength) +
        " m zone must begin " + std::to_string(kStationZoneSpacing) + " m after that (else error 22) and end " +
        std::to_string(kNewLastStationBeforeEnd - kNewLastStationLength / 2) +
        " m before the line's end; write " + LengthRange());
  return static_cast<int32_t>(metres);
}

std::string NewScenarioName(const std::string& what, const std::string& given) {
  if (given.empty()) throw std::invalid_argument(what + " is empty: give a name such as Valle");
  ConsoleTextDecoder decoder;
  std::u16string letters = decoder.Decode(given);
  letters += decoder.Finish();
  std::string name;
  for (size_t i = 0; i < letters.size(); ++i) {
    const bool pair = i + 1 < letters.size() && letters[i] >= 0xD800 && letters[i] < 0xDC00;
    const std::u16string_view letter(letters.data() + i, pair ? 2 : 1);
    const std::optional<std::string> byte = Utf16ToWindows1252(letter);
    if (!byte)
      throw std::invalid_argument(what + " " + Quoted(given) + " holds " + Quoted(Utf8Of(letter)) +
                                  ", which Windows-1252 cannot hold: the simulator reads names as Windows-1252, one "
                                  "byte a letter; write the name with the letters of Western European languages");
    name += *byte;
    if (pair) ++i;
  }
  for (const char byte : name) {
    const auto code = static_cast<unsigned char>(byte);
    if (code < 0x20 || code == 0x7F || kNotInFileNames.find(byte) != std::string_view::npos)
      throw std::invalid_argument(
          what + " " + Quoted(Windows1252ToUtf8(name)) + " holds " +
          (code < 0x20 || code == 0x7F ? std::string("a control character") : Quoted(std::string(1, byte))) +
          ", which a file name cannot hold (on Windows, where the simulator runs, none of < > : \" / \\ | ? * "
          "can): write the name without it");
  }
  if (LooksLikeUtf8(name))
    throw std::invalid_argument(what + " " + Quoted(Windows1252ToUtf8(name)) +
                                " holds Windows-1252 letters whose bytes read as UTF-8: the compile would take "
                                "the name for a UTF-8 one and warn of it; write the name with other letters");
  return name;
}

std::size_t NewNamesLongest() {
  const std::size_t decoration =
      TemporaryNameFor(TrainSourceName("", ""), ULONG_MAX, ULONG_MAX, TemporaryKind::NewFile).size();
  return 255 - decoration;
}

void CheckNewNamesFit(const std::string& nome_linea, const std::string& numero_treno) {
  if (nome_linea.size() + numero_treno.size() > NewNamesLongest())
    throw std::invalid_argument("the line name and the train number are " +
                                std::to_string(nome_linea.size() + numero_treno.size()) +
                                " letters long together; the train service's file name, and the temporary name it "
                                "is written under, hold at most 255 bytes: write at most " +
                                std::to_string(NewNamesLongest()) + " letters in the two names together");
}

}  // namespace scenario::tool
