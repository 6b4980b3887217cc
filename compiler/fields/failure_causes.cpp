#include "compiler/fields/failure_causes.h"

#include <cmath>
#include <limits>

namespace scenario::causes {

namespace {

using Kind = RuntimeFailure::Kind;

std::string Metres(int64_t metres) { return std::to_string(metres) + " m"; }
std::string N(int64_t value) { return std::to_string(value); }

std::string Quoted(const std::string& text) {
  constexpr size_t kMost = 40;
  if (text.size() <= kMost) return "'" + text + "'";
  return "'" + text.substr(0, kMost) + "...'";
}

bool FitsLong(int64_t value) {
  return value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max();
}

// The metre where the route's last cell ends.
int64_t RouteEnd(const ScenarioModel& model) { return int64_t{50} * model.ultima_cella; }

// round(x), halves to even, for the figures of a message.
int64_t Rounded(double x) { return static_cast<int64_t>(std::nearbyint(x)); }

const char* const kLongRange = "the Long range (-2147483648 to 2147483647)";

}  // namespace

std::string EmptyLineDescription() {
  return "the line description is empty: write a [generale] line, the general lines after it, and end the file "
         "with a line such as [fine]";
}

std::string CommentEndsFile(const std::string& comment, FieldPosition at) {
  return "the comment " + Quoted(comment) + " on line " + N(at.line) +
         " is the last field of the file, and the general section reads one more field after a comment: end the "
         "file with a line such as [fine]";
}

std::string NegativeRoute(int32_t lunghezza) {
  return "the route length " + Metres(lunghezza) +
         " leaves the route no cell: write the line's length in metres, from 0 to 1000000";
}

std::string ProgressivesOverflow(const char* keyword, int64_t sum) {
  return "the route positions of the three kilometric progressive zones add up to " + N(sum) + ", beyond " +
         kLongRange + ", with the largest on '" + keyword + "': write positions in metres along the line";
}

std::string ChainageOverflow(const char* keyword, int32_t chainage) {
  return "the chainage of '" + std::string(keyword) + "', " + Metres(chainage) +
         ", is stored 100 m higher for direction 1, which passes " + kLongRange + ": write the chainage in metres";
}

std::string GradientOverflow(int32_t gradient, FieldPosition at) {
  return "the gradient of line " + N(at.line) + ", " + N(gradient) + ", is stored as " + N(gradient) +
         " + 100, which passes " + kLongRange + ": write a gradient from -100 to 155 per mille";
}

std::string CurveOutsidePlan(const RuntimeFailure& failure, int32_t inizio, int32_t lunghezza,
                             const ScenarioModel& model) {
  const int64_t fine = int64_t{inizio} + lunghezza;
  if (failure.kind() == Kind::MissingPlanPoint)
    return "the curve from " + Metres(inizio) + ", " + Metres(lunghezza) + " long, runs to " + Metres(fine) +
           ", beyond the end of the track plan at " + Metres(model.lunghezza_estesa) +
           " (the line's length plus 7000 m): shorten the curve or lengthen the line";
  if (failure.kind() == Kind::Overflow)
    return "the curve's start, " + Metres(inizio) + ", plus its length, " + Metres(lunghezza) + ", passes " +
           kLongRange + ": write the length of the curve in metres";
  return Unnamed(failure);
}

Cause MountainOutside(const RuntimeFailure& failure, int32_t inizio, int32_t fine, const ScenarioModel& model) {
  switch (failure.kind()) {
    case Kind::MissingRecord:
      return {kKeyword, "this is the 81st 'montagna' line, and the line holds at most 80 mountain sections: join "
                        "two sections or drop one"};
    case Kind::MissingCell:
      if (failure.index() < 0)
        return {0, "the mountain from " + Metres(inizio) + " begins in route cell " + N(failure.index()) +
                       ", before the route's first cell: start it at 0 m or later"};
      return {1, "the mountain from " + Metres(inizio) + " to " + Metres(fine) + " runs to route cell " +
                     N(failure.index()) + ", beyond the end of the route at " + Metres(RouteEnd(model)) +
                     ": end it there or before"};
    case Kind::Overflow:
      return {0, "the mountain's start, " + Metres(inizio) + ", less the end of the mountain before it passes " +
                     kLongRange + ": write positions in metres along the line"};
    default:
      return {kKeyword, Unnamed(failure)};
  }
}

Cause IndicatorValues(const RuntimeFailure& failure, const std::array<int32_t, 9>& v) {
  if (failure.kind() == Kind::MissingCell)
    return {0, PointBeforeRoute("the maximum-speed indicator", v[0], failure.index())};
  if (failure.kind() == Kind::NotInField) {
    const char* const first[] = {"vas", "vbs", "vcs"};
    const char* const second[] = {"vad", "vbd", "vcd"};
    for (size_t i = 0; i < 3; ++i) {
      const int64_t stored = Rounded(static_cast<double>(v[1 + i]) * 20 + static_cast<double>(v[5 + i]) / 5);
      if (stored >= -32768 && stored <= 32767) continue;
      return {1 + i, std::string(first[i]) + " " + N(v[1 + i]) + " and " + second[i] + " " + N(v[5 + i]) +
                         " give valore_" + N(static_cast<int64_t>(i) + 1) + " = " + first[i] + " × 20 + " + second[i] +
                         " / 5 = " + N(stored) +
                         ", which does not fit an Integer (-32768 to 32767): write speeds in km/h, at most 1635"};
    }
  }
  if (failure.kind() == Kind::Overflow)
    return {4, "strisces " + N(v[4]) + " × 10 + strisced " + N(v[8]) + " passes " + kLongRange +
                   ": write stripe counts from 0 to 9"};
  return {kKeyword, Unnamed(failure)};
}

std::string BeyondRoute(const std::string& item, int32_t position, double margin, const ScenarioModel& model) {
  const int32_t length = model.stazioni[kRecordDatiGenerali].fine_zona;
  const int64_t end = RouteEnd(model);
  const int64_t last = static_cast<int64_t>(std::floor(static_cast<double>(end) - margin));
  std::string cause = item + " at " + Metres(position) + " lies too far along: the route ends at " + Metres(end) +
                      ", the line's length ('lunghezza percorso', " + Metres(length) +
                      ") plus the 7000 m run-out, and " + (margin > 100.0 ? "a station" : "an item") +
                      " must stand at least " + Metres(Rounded(margin)) + " before that end: place it at " +
                      Metres(last) + " or before, or lengthen the line";
  if (length >= 0 && length < 1000 && position > length)
    cause += " (a line " + Metres(length) + " long: 'lunghezza percorso' is in metres, not kilometres)";
  return cause;
}

std::string StationsTooClose(const rec_stazione& record, const rec_stazione& previous, int previous_line) {
  const std::string name = "the station " + Quoted(record.nome);
  const std::string before = "the station " + Quoted(previous.nome) + " (line " + N(previous_line) + ")";
  if (record.progressiva <= previous.progressiva)
    return name + " at " + Metres(record.progressiva) + " comes after " + before + " at " +
           Metres(previous.progressiva) +
           ", which stands further along: stations go in order of position, the nearest to the route's start "
           "first; put this line before that one";
  const int64_t gap = int64_t{record.inizio_zona} - previous.fine_zona;
  const std::string where = gap < 0 ? ", " + Metres(-gap) + " before the zone of " + before + " ends at "
                                    : ", only " + Metres(gap) + " after the zone of " + before + " ends at ";
  return "the zone of " + name + " begins at " + Metres(record.inizio_zona) + where + Metres(previous.fine_zona) +
         "; it must begin at least 350 m after it: move " + name + " " + Metres(350 - gap) +
         " further along, or shorten one of the two";
}

std::string StationOutOfOrder(const rec_stazione& early, const rec_stazione& record, int record_line,
                              int32_t next_position) {
  return "the station " + Quoted(early.nome) + " at " + Metres(early.progressiva) +
         " stands before the station " + Quoted(record.nome) + " (line " + N(record_line) + ") at " +
         Metres(record.progressiva) + " and the station after it at " + Metres(next_position) +
         ", which are both nearer the route's start: stations go in order of position, the nearest to the route's "
         "start first; move this line down among the stations, to where " + Metres(early.progressiva) + " falls";
}

std::string TooManyBoards(int32_t indice_cartello) {
  return "this is indication board number " + N(int64_t{81} - indice_cartello) +
         ", and the station table holds the captions of at most 81: drop a board";
}

std::string PointBeforeRoute(const std::string& item, int32_t position, int64_t cell) {
  return item + " at " + Metres(position) + " falls in route cell " + N(cell) +
         ", before the route's first cell (cell 0, from -50 m): place it at 0 m or later";
}

std::string SpeedFifth(int32_t speed, FieldPosition at) {
  const int64_t fifths = Rounded(speed / 5.0);
  const std::string start = "the speed of line " + N(at.line) + ", " + N(speed) + " km/h, is " + N(fifths) + " fifths";
  if (fifths < 0) return start + ", below 0: write a speed from 0 to 1275 km/h";
  return start + "; at most 255 fit: write a speed of at most 1275 km/h";
}

SourceEdit SpeedFifthFix(int32_t speed, FieldPosition at) {
  const std::string nearest = Rounded(speed / 5.0) < 0 ? "0" : "1275";
  return {"Write " + nearest + " km/h, the nearest speed that fits", at, EditReach::Field, nearest};
}

Cause SignalOutside(const RuntimeFailure& failure, const std::array<int32_t, 11>& v) {
  const int32_t posizione = v[0];
  if (failure.kind() == Kind::MissingCell) {
    const int64_t k = Rounded(posizione / 50.0 + 1);
    if (failure.index() == k) return {0, PointBeforeRoute("the signal", posizione, k)};
    return {0, "the signal at " + Metres(posizione) + " falls in route cell " + N(k) +
                   ", and the last of its approach marks, 400 m before it, falls in route cell " + N(failure.index()) +
                   ", before the route's first cell: place the signal at 325 m or later"};
  }
  if (failure.kind() == Kind::Overflow) {
    // The sums the signal stores, in the order they are computed, each with
    // the value it begins with.
    const int64_t sx = v[1], s1 = v[2], s2 = v[3], s3 = v[4], rapp = v[5], dx = v[6], d1 = v[7], d2 = v[8],
                  d3 = v[9];
    struct Sum {
      size_t value;
      bool fits;
      const char* formula;
    };
    const Sum sums[] = {
        {5, FitsLong(rapp * 10) && FitsLong(sx * 3) && FitsLong(rapp * 10 + sx * 3) && FitsLong(rapp * 10 + sx * 3 + dx),
         "rapp × 10 + sx × 3 + dx"},
        {2, FitsLong(s1 * 10) && FitsLong(s1 * 10 + d1), "s1 × 10 + d1"},
        {3, FitsLong(s2 * 10) && FitsLong(s2 * 10 + d2), "s2 × 10 + d2"},
        {4, FitsLong(s3 * 10) && FitsLong(s3 * 10 + d3), "s3 × 10 + d3"},
    };
    for (const Sum& sum : sums) {
      if (sum.fits) continue;
      return {sum.value, std::string("the signal's ") + sum.formula + " passes " + kLongRange +
                             ": write its codes as numbers of one or two digits"};
    }
    return {1, "the signal's approach-mark code (sx × 3 + dx) × 10 passes " + std::string(kLongRange) +
                   ": write sx and dx as single digits"};
  }
  return {kKeyword, Unnamed(failure)};
}

Cause SlowdownOutside(const RuntimeFailure& failure, int32_t x, int32_t l, const ScenarioModel& model) {
  if (failure.kind() != Kind::MissingCell) return {kKeyword, Unnamed(failure)};
  const int64_t cell = failure.index();
  const int64_t start = Rounded(x / 50.0 + 1);
  const int64_t end = Rounded((static_cast<double>(x) + l) / 50.0 + 1);
  if (cell == start && cell < 0)
    return {0, "the slowdown at " + Metres(x) + " starts in route cell " + N(cell) +
                   ", before the route's first cell (cell 0, from -50 m): start it at 0 m or later"};
  if (cell == end) {
    const std::string ends = "the slowdown at " + Metres(x) + ", " + Metres(l) + " long, ends at " +
                             Metres(int64_t{x} + l) + ", in route cell " + N(cell);
    if (cell < 0) return {2, ends + ", before the route's first cell: give it a length of 0 m or more"};
    return {2, ends + ", beyond the end of the route at " + Metres(RouteEnd(model)) + ": shorten it"};
  }
  return {0, "the slowdown at " + Metres(x) + " needs route cell " + N(cell) + ", outside the route (cells 0 to " +
                 N(model.ultima_cella) + "): move it"};
}

std::string TimetableOverflow(int32_t hours, int32_t minutes, int32_t seconds) {
  return "the timetable time " + N(hours) + " h " + N(minutes) + " min " + N(seconds) + " s is (hours × 60 + " +
         "minutes) × 60 + seconds in seconds, which passes " + kLongRange + ": write a time of day";
}

Cause StationZone(const RuntimeFailure& failure, const rec_stazione& record, int32_t length,
                  const ScenarioModel& model) {
  const std::string name = "the station " + Quoted(record.nome);
  if (failure.kind() == Kind::MissingCell)
    return {0, "the zone of " + name + " ends at " + Metres(record.fine_zona) + ", so it marks route cell " +
                   N(failure.index()) + ", beyond the end of the route at " + Metres(RouteEnd(model)) +
                   ": move the station back or shorten it"};
  if (failure.kind() == Kind::Overflow || failure.kind() == Kind::NotInField)
    return {2, "the length of " + name + ", " + Metres(length) + ", puts its zone beyond " + kLongRange +
                   ": write the length in metres, a multiple of 100"};
  return {kKeyword, Unnamed(failure)};
}

std::string SpacingOverflow(const rec_stazione& record) {
  return "the zone of the station " + Quoted(record.nome) + " begins at " + Metres(record.inizio_zona) +
         ", and the test of the distance from the station before takes 350 m from that start, which passes " +
         kLongRange + ": write the position in metres along the line";
}

std::string SourceNotDeleted(const std::string& name, const std::string& reason) {
  return "the source '" + name + "' was read, but it could not be deleted afterwards, as every source is once "
         "read: " + reason + "; let the directory that holds the sources allow files to be deleted (write "
         "permission, no other program holding the file open)";
}

std::string NoRoute() {
  return "the line description gives no 'lunghezza percorso' in its general section, so the route has no length "
         "and nothing can be placed on it: write 'lunghezza percorso' with the length in metres after [generale]";
}

std::string Unnamed(const RuntimeFailure& failure) { return std::string("the reading failed: ") + failure.what(); }

}  // namespace scenario::causes
