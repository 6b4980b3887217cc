// Slips an author makes, made on purpose: one slip of one class on one line
// of a made-up scenario, to see whether the compile tells of it at that line.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "compiler/fields/keyword_table.h"
#include "tests/support/scenario_generator.h"

namespace scenario::testing_support {

enum class SlipClass : uint8_t {
  DecimalComma,     // a number written with a decimal comma: 2 -> 2,5
  MissingComma,     // no comma after the keyword: "pendenza  36500,  -3"
  Separator,        // a semicolon or a tab where a comma goes
  ValueDropped,     // one value left out
  ValueAdded,       // one value too many
  ValuesSwapped,    // two values the wrong way round
  HeaderMisspelt,   // a section header misspelt: [segnale], [pendeze]
  OtherFile,        // a line written in the other source
  WrongSection,     // a line written under another section's header
  KeywordMisspelt,  // a keyword misspelt: pendnza, segnlae
  WrongUnit,        // a number in km where metres go: 12000 -> 12
  UnquotedComma,    // a name with a comma in it, left unquoted
  OpenQuote,        // a quote not closed
};

// Every class, in the order above.
std::span<const SlipClass> AllSlipClasses();
// "decimal comma", "missing comma after the keyword", ...
const char* SlipClassName(SlipClass kind);

struct Slip {
  SlipClass kind;
  GeneratedScenario scenario;  // both sources, one of them with the slip
  SourceFile file;             // the source the changed line now stands in
  int line = 0;                // 1-based
  std::string was;             // the line before the slip ("" for a line moved in)
  std::string now;             // the line as the slip left it
};

// One slip of class `kind` on one line of `scenario`, chosen by `seed`: the
// same arguments give the same slip. Nothing when the scenario has no line
// the class can be made on (no quoted name, a single section).
std::optional<Slip> MakeSlip(const GeneratedScenario& scenario, SlipClass kind, uint64_t seed);

}  // namespace scenario::testing_support
