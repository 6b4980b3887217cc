// The stored values of the compiled files read back in the author's terms:
// each value under the name the authors' reference gives it, in the unit the
// author writes (km/h, per mille, metres, the time as hours, minutes and
// seconds), beside the field that stores it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "compiler/fields/keyword_table.h"
#include "model/scenario_model.h"
#include "tools/readback/route_features.h"

namespace scenario::tool {

// A speed limit kept in fifths, in km/h.
inline int SpeedKmh(uint8_t velocita_limite) { return int{velocita_limite} * 5; }
// A gradient kept as gradient + 100, in per mille.
inline int GradientPerMille(uint8_t pendenza) { return int{pendenza} - 100; }
// A time kept in seconds since midnight, as the author writes
// it: hours, minutes, seconds.
std::array<int32_t, 3> TimeOfDay(int32_t seconds);

// par_1 to par_9 of a station record, in the order of their numbers.
std::array<int64_t, 9> ParValues(const rec_stazione& record);

// A stored or shown value: a number or a text.
using FieldValue = std::variant<int64_t, std::string>;

// One value as a source gives it.
struct AuthorValue {
  std::string keyword;  // the source keyword that gives it
  int column = 0;       // its place among the keyword's values (1 = first); 0 when the keyword itself gives it
  std::string name;     // the reference's name for it
  FieldValue value;
  std::string unit;     // "m", "km/h", "per mille", "%", "h", "min", "s" or ""
  std::string field;    // the stored field it comes from; "" when read from several, or from none
  std::string note;     // how the stored value was turned into it, when not plainly
};

// Whether lines of keyword `spec` give `value` (for an approach mark: whether
// it is the mark of such an item). No keyword gives the compactor's own
// values, the file names, or a mark of no known item.
bool KeywordGives(const KeywordSpec& spec, const AuthorValue& value);
// Whether the value is an approach mark, which its item writes beside it.
bool IsApproachMark(const AuthorValue& value);

// The key of a value in JSON: its name in lower case, blanks as
// underscores, and its unit as a suffix ("_m", "_kmh", "_per_mille",
// "_percent"; the units of time add nothing).
std::string AuthorKey(const AuthorValue& value);
// "700 m", "CALVISIO P.N." (texts as printable text).
std::string ShownValue(const AuthorValue& value);
// The name and the value: "length 700 m".
std::string AuthorText(const AuthorValue& value);

// What a station-table record holds, as the sources give it, by the
// record's role. Nothing for an unused or empty record.
std::vector<AuthorValue> RecordInSources(RecordRole role, const rec_stazione& record);

// What a route cell holds beyond its speed, gradient, adhesion and
// mountain type, as the sources give it: the item of its kind (a signal's
// values, a slowdown's speed, ...) and its approach mark. `cell` is its
// index in the route.
std::vector<AuthorValue> CellInSources(int64_t cell, const rec_cella& content);

}  // namespace scenario::tool
