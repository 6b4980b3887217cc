// Long and hostile sources: the longest route with the most curves, a
// million commas, no line ends, NUL bytes, very long texts. Each run ends
// with an error number or a clean result, its compiled files equal to the
// model (or none after a shown error), and nothing read outside an array.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/file_names.h"
#include "tests/support/fuzz_checks.h"

namespace scenario {
namespace {

using testing_support::BuiltInLineSource;
using testing_support::BuiltInTrainSource;
using testing_support::CheckInMemoryRun;
using testing_support::CompileInMemory;
using testing_support::InMemoryPath;
using testing_support::InMemoryRun;

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

std::string ReplaceOnce(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << "'" << from << "' not in the source";
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// Runs the compile run and checks what every run must leave.
InMemoryRun Compile(const std::string& line, const std::string& train) {
  InMemoryRun run = CompileInMemory(line, train);
  EXPECT_EQ(CheckInMemoryRun(run, line, train), "");
  return run;
}

const std::string kStationFile = InMemoryPath(StationFileName("Calvisio -Sambreta", "31613"));
const std::string kCellFile = InMemoryPath(CellFileName("Calvisio -Sambreta", "31613"));
const std::string kCompiledLine = InMemoryPath(CompiledLineName("Calvisio -Sambreta"));

TEST(HostileInput, TheLongestRouteWithACurveEveryTenMetres) {
  std::string line = "[generale]\r\nlunghezza percorso, 1000000\r\n[curve]\r\n";
  for (int start = 0; start + 10 <= 999990; start += 10)
    line += std::string(start / 10 % 2 == 0 ? "curvad6" : "curvas6") + ", " + std::to_string(start) +
            ", 10\r\n";
  line += "[fine]\r\n";

  const InMemoryRun run = Compile(line, BuiltInTrainSource());
  EXPECT_FALSE(run.shown.has_value());
  EXPECT_EQ(run.model.codice_errore, 0);
  ASSERT_EQ(run.model.tracciato.size(), 1007001u);
  EXPECT_EQ(run.model.ultima_cella, 20140);
  // Curves up to 999990, the straight tail up to 1006998, the last two
  // points empty.
  EXPECT_EQ(run.model.tracciato[999990][1].type, ValueType::Double);
  EXPECT_EQ(run.model.tracciato[1006998][1].type, ValueType::Double);
  EXPECT_EQ(run.model.tracciato[1006999][1].type, ValueType::Empty);
  EXPECT_EQ(run.model.tracciato[1007000][0].type, ValueType::Empty);
}

// Every route-length line sizes the route anew; only the last one counts.
// A bound below 0 fails on its line and leaves the arrays of the line before.
TEST(HostileInput, ManyRouteLengthLines) {
  // The built-in line after its own route length.
  const std::string own_length = "lunghezza percorso,    99000\r\n";
  const std::string rest_of_line =
      BuiltInLineSource().substr(BuiltInLineSource().find(own_length) + own_length.size());
  std::string lengths;
  for (int i = 0; i < 20000; ++i)
    lengths += i % 2 == 0 ? "lunghezza percorso, 999000\r\n" : "lunghezza percorso, 1000000\r\n";
  {
    SCOPED_TRACE("twenty thousand lengths");
    const InMemoryRun run = Compile("[generale]\r\n" + lengths + rest_of_line, BuiltInTrainSource());
    EXPECT_FALSE(run.shown.has_value());
    EXPECT_EQ(run.model.codice_errore, 0);
    EXPECT_EQ(run.model.ultima_cella, 20140);
    EXPECT_EQ(run.model.percorso.size(), 20141u);
    EXPECT_EQ(run.model.tracciato.size(), 1007001u);
    EXPECT_EQ(run.model.stazioni[17].nome, "SAMBRETA");
  }
  {
    SCOPED_TRACE("then a last cell below 0");
    const InMemoryRun run = Compile("[generale]\r\n" + lengths + "lunghezza percorso, -7100\r\n" + rest_of_line,
                                    BuiltInTrainSource());
    EXPECT_FALSE(run.shown.has_value());
    EXPECT_EQ(run.model.codice_errore, 25);
    EXPECT_EQ(run.model.ultima_cella, -2);
    EXPECT_EQ(run.model.percorso.size(), 20141u);
    EXPECT_EQ(run.model.tracciato.size(), 1007001u);
  }
  {
    SCOPED_TRACE("then a plan length below 0");
    const InMemoryRun run = Compile("[generale]\r\n" + lengths + "lunghezza percorso, -7010\r\n" + rest_of_line,
                                    BuiltInTrainSource());
    ASSERT_TRUE(run.shown.has_value());
    EXPECT_EQ(*run.shown, "25");
    EXPECT_EQ(run.model.percorso.size(), 1u);
    EXPECT_EQ(run.model.tracciato.size(), 1007001u);
  }
}

TEST(HostileInput, AMillionCommas) {
  const std::string commas(1000000, ',');
  struct Case {
    const char* name;
    std::string line;
    std::string train;
    const char* shown;  // nullptr: a normal end
    int codice_errore;
  };
  const std::vector<Case> cases = {
      // No "[generale]" before the end of the line description.
      {"line description of commas", commas, BuiltInTrainSource(), "102", 102},
      // A general section of empty fields: no route length, so the plan is
      // used before it exists.
      {"general section of commas", "[generale]\r\n" + commas, BuiltInTrainSource(), "25", 25},
      // Empty keyword fields match nothing.
      {"train service of commas", BuiltInLineSource(), "[generale]\r\n" + commas, nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const InMemoryRun run = Compile(c.line, c.train);
    EXPECT_EQ(run.shown.has_value(), c.shown != nullptr);
    if (c.shown != nullptr && run.shown) {
      EXPECT_EQ(*run.shown, c.shown);
    }
    EXPECT_EQ(run.model.codice_errore, c.codice_errore);
  }
}

// Line ends are only delimiters: the sources written with commas, lone CRs
// or lone LFs in place of CR LF compile to the very same files.
TEST(HostileInput, NoLineEndsCompileLikeTheBuiltInSources) {
  const InMemoryRun built_in = Compile(BuiltInLineSource(), BuiltInTrainSource());
  ASSERT_FALSE(built_in.shown.has_value());
  ASSERT_EQ(built_in.model.codice_errore, 0);
  for (const char* line_end : {",", "\r", "\n"}) {
    for (bool in_line : {true, false}) {
      SCOPED_TRACE(std::string(in_line ? "line description" : "train service") + " with '" +
                   (line_end[0] == ',' ? "," : line_end[0] == '\r' ? "CR" : "LF") + "'");
      const std::string line =
          in_line ? ReplaceAll(BuiltInLineSource(), "\r\n", line_end) : BuiltInLineSource();
      const std::string train =
          in_line ? BuiltInTrainSource() : ReplaceAll(BuiltInTrainSource(), "\r\n", line_end);
      const InMemoryRun run = Compile(line, train);
      EXPECT_FALSE(run.shown.has_value());
      EXPECT_EQ(run.model.codice_errore, 0);
      for (const std::string& path : {kCompiledLine, kStationFile, kCellFile})
        EXPECT_TRUE(run.files.files.at(path) == built_in.files.files.at(path)) << path;
    }
  }
}

TEST(HostileInput, NulBytes) {
  const std::string nul(1, '\0');
  struct Case {
    const char* name;
    std::string line;
    std::string train;
    const char* shown;
    int codice_errore;
  };
  const std::vector<Case> cases = {
      {"a line description of NUL bytes", std::string(1000, '\0'), BuiltInTrainSource(), "102", 102},
      // One field longer than any text may be.
      {"a line description of 70000 NUL bytes", std::string(70000, '\0'), BuiltInTrainSource(), "25", 25},
      {"a NUL inside the route length",
       ReplaceOnce(BuiltInLineSource(), "99000", "99" + nul + "000"), BuiltInTrainSource(), "25", 25},
      {"a NUL inside a keyword",
       ReplaceOnce(BuiltInLineSource(), "lunghezza percorso", "lunghezza" + nul + "percorso"),
       BuiltInTrainSource(), nullptr, 0},
      {"a train service of NUL bytes", BuiltInLineSource(), std::string(1000, '\0'), nullptr, 0},
      {"a NUL inside a station name", BuiltInLineSource(),
       ReplaceOnce(BuiltInTrainSource(), "SAMBRETA", "SAMB" + nul + "RETA"), nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const InMemoryRun run = Compile(c.line, c.train);
    EXPECT_EQ(run.shown.has_value(), c.shown != nullptr);
    if (c.shown != nullptr && run.shown) {
      EXPECT_EQ(*run.shown, c.shown);
    }
    EXPECT_EQ(run.model.codice_errore, c.codice_errore);
  }
  // The name keeps its NUL byte, in the model and in the station file.
  const InMemoryRun run =
      Compile(BuiltInLineSource(), ReplaceOnce(BuiltInTrainSource(), "SAMBRETA", "SAMB" + nul + "RETA"));
  EXPECT_EQ(run.model.stazioni[17].nome, "SAMB" + nul + "RETA");
}

TEST(HostileInput, VeryLongTexts) {
  const std::string last_caption = "(P.L.     )(Km. 6.400)";
  const int last_board = 66;  // fifteen boards, records 80 down to 66
  {
    SCOPED_TRACE("a caption of 65535 bytes");
    const std::string caption(65535, 'X');
    const InMemoryRun run = Compile(ReplaceOnce(BuiltInLineSource(), last_caption, caption), BuiltInTrainSource());
    EXPECT_FALSE(run.shown.has_value());
    EXPECT_EQ(run.model.codice_errore, 0);
    EXPECT_TRUE(run.model.stazioni[last_board].nome == caption);
  }
  {
    SCOPED_TRACE("a caption of 65536 bytes");
    const InMemoryRun run = Compile(ReplaceOnce(BuiltInLineSource(), last_caption, std::string(65536, 'X')),
                                    BuiltInTrainSource());
    EXPECT_FALSE(run.shown.has_value());
    EXPECT_EQ(run.model.codice_errore, 25);
    // The boards before it stay; the train service is never read.
    EXPECT_EQ(run.model.stazioni[last_board].nome, "");
    EXPECT_EQ(run.model.stazioni[last_board + 1].nome, "(P.L.      )(Km. 19.900)");
    EXPECT_EQ(run.model.stazioni[1].nome, "");
  }
  {
    SCOPED_TRACE("a quoted caption without its closing quote");
    const InMemoryRun run =
        Compile(ReplaceOnce(BuiltInLineSource(), last_caption, "\"" + last_caption), BuiltInTrainSource());
    EXPECT_FALSE(run.shown.has_value());
    EXPECT_EQ(run.model.codice_errore, 0);
    EXPECT_EQ(run.model.stazioni[last_board].nome, last_caption + "\r\n[fine]\r\n");
  }
  {
    SCOPED_TRACE("a station name of 65536 bytes");
    const InMemoryRun run =
        Compile(BuiltInLineSource(), ReplaceOnce(BuiltInTrainSource(), "SAMBRETA", std::string(65536, 'S')));
    EXPECT_FALSE(run.shown.has_value());
    EXPECT_EQ(run.model.codice_errore, 25);
    EXPECT_EQ(run.model.stazioni[16].nome, "OSSANE");
    EXPECT_EQ(run.model.stazioni[17].nome, "");
  }
  {
    SCOPED_TRACE("a keyword field of ten million bytes");
    const InMemoryRun run =
        Compile(BuiltInLineSource(), std::string(10000000, 'a') + "\r\n" + BuiltInTrainSource());
    EXPECT_FALSE(run.shown.has_value());
    EXPECT_EQ(run.model.codice_errore, 25);
    EXPECT_EQ(run.model.stazioni[1].nome, "");
  }
}

}  // namespace
}  // namespace scenario
