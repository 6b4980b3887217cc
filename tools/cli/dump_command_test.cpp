// scenario-tool dump: the built-in compiled files read back field by field,
// and cut or foreign files refused with a message that says what is wrong.
#include <gtest/gtest.h>

#include <sstream>

#include <nlohmann/json.hpp>

#include "tests/support/system_facts.h"
#include "tests/support/temp_dir.h"
#include "tests/support/built_in_compiled.h"
#include "tests/support/built_in_sources.h"
#include "tests/support/tool_run.h"

namespace scenario::tool {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using scenario::testing_support::ReadWholeFile;
using scenario::testing_support::TempDir;
using scenario::testing_support::WriteWholeFile;
using testing_support::CompiledBuiltIn;
using testing_support::RunTool;

json DumpJson(const std::string& path) {
  const testing_support::ToolRun run = RunTool({"dump", path, "--json"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  return json::parse(run.out);
}

// The table row that begins with `first` (blanks between cells squeezed).
std::string TableRow(const std::string& table, const std::string& first) {
  std::istringstream lines(table);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string word, squeezed;
    while (words >> word) squeezed += (squeezed.empty() ? "" : " ") + word;
    if (squeezed.rfind(first + " ", 0) == 0) return squeezed;
  }
  return "";
}

TEST(DumpStations, BuiltInRecordsCarryTheirValues) {
  const json dump = DumpJson(CompiledBuiltIn().station_file);
  EXPECT_EQ(dump["kind"], "station file");
  const json& records = dump["records"];
  ASSERT_EQ(records.size(), 87u);

  const json& first = records[1];
  EXPECT_EQ(first["role"], "station");
  EXPECT_EQ(first["nome"], "CALVISIO P.N.");
  EXPECT_EQ(first["tipo_stazione"], 8);
  EXPECT_EQ(first["inizio_zona"], -700);
  EXPECT_EQ(first["fine_zona"], 700);
  EXPECT_EQ(first["par_1"], 1);
  EXPECT_EQ(first["par_2"], 0);
  EXPECT_EQ(first["par_4"], 4);
  EXPECT_EQ(first["par_5"], 1);
  EXPECT_EQ(first["par_7"], 2);
  EXPECT_EQ(first["sosta"], 1);
  EXPECT_EQ(first["orario"], 29580);

  EXPECT_EQ(records[2]["nome"], "PRAGELLO");
  EXPECT_EQ(records[2]["inizio_zona"], 7150);
  EXPECT_EQ(records[2]["fine_zona"], 7550);
  EXPECT_EQ(records[2]["orario"], 30120);
  EXPECT_EQ(records[17]["nome"], "SAMBRETA");
  EXPECT_EQ(records[17]["inizio_zona"], 96750);
  EXPECT_EQ(records[17]["fine_zona"], 97250);
  EXPECT_EQ(records[17]["orario"], 34680);
  EXPECT_EQ(records[18]["role"], "empty");
  EXPECT_EQ(records[18]["nome"], "");

  EXPECT_EQ(records[80]["role"], "board caption");
  EXPECT_EQ(records[80]["nome"], "(BIVIO     )(S. ARMELIA)(Km. 94.400)");
  EXPECT_EQ(records[80]["tipo_stazione"], 0);
  EXPECT_EQ(records[81]["inizio_zona"], 0);
  EXPECT_EQ(records[81]["fine_zona"], 97100);
  EXPECT_EQ(records[81]["progressiva"], 1);
  EXPECT_EQ(records[84]["inizio_zona"], 120);
  EXPECT_EQ(records[84]["fine_zona"], 99000);
  EXPECT_EQ(records[84]["progressiva"], 4);
  EXPECT_EQ(records[85]["nome"], "Calvisio -Sambreta");
  EXPECT_EQ(records[85]["par_4"], 610);
  EXPECT_EQ(records[85]["orario"], 31352);
  EXPECT_EQ(records[85]["inizio_zona"], 1);
  EXPECT_EQ(records[86]["nome"], "31613");
  EXPECT_EQ(records[86]["inizio_zona"], 2700);
  EXPECT_EQ(records[86]["fine_zona"], 95900);
  EXPECT_EQ(records[86]["progressiva"], 4);
  EXPECT_EQ(records[86]["par_4"], 300);
  EXPECT_EQ(records[86]["par_7"], 8);
  EXPECT_EQ(records[86]["par_8"], 12);
  EXPECT_EQ(records[86]["par_9"], 45);

  // Each record as the sources give it.
  const json& station = first["source"]["stazione"];
  EXPECT_EQ(station["position_m"], 0);
  EXPECT_EQ(station["kind"], 8);
  EXPECT_EQ(station["length_m"], 700);
  EXPECT_EQ(station["par_1"], 1);
  EXPECT_EQ(station["par_4"], 4);
  EXPECT_EQ(station["hours"], 8);
  EXPECT_EQ(station["minutes"], 13);
  EXPECT_EQ(station["seconds"], 0);
  EXPECT_EQ(station["name"], "CALVISIO P.N.");
  EXPECT_EQ(records[2]["source"]["stazione"]["length_m"], 400);  // kind 12: 7150 to 7550
  EXPECT_EQ(records[80]["source"]["cartello_indicatore"]["caption"], "(BIVIO     )(S. ARMELIA)(Km. 94.400)");
  EXPECT_EQ(records[81]["source"]["progressiva chilometrica"]["chainage_m"], 97000);
  EXPECT_EQ(records[84]["source"]["lunghezza percorso"]["route_length_m"], 99000);
  EXPECT_EQ(records[84]["source"]["percentuale massa frenata"]["braked_mass_percent"], 120);
  EXPECT_EQ(records[86]["source"]["orologio"]["minutes"], 12);
  EXPECT_EQ(records[86]["source"]["sabbia"]["sabbia"], 300);
  EXPECT_EQ(records[86]["source"]["ripetizione segnali"]["start_m"], 2700);
  EXPECT_TRUE(records[18]["source"].empty());

  const testing_support::ToolRun table = RunTool({"dump", CompiledBuiltIn().station_file});
  EXPECT_EQ(table.status, 0);
  EXPECT_EQ(TableRow(table.out, "1"), "1 station 8 -700 700 0 1 CALVISIO P.N. 4 1 2 1 1 0 1 0 0 29580");
  EXPECT_EQ(TableRow(table.out, "85"), "85 scenario header 0 1 0 0 0 Calvisio -Sambreta 610 0 0 0 0 0 0 0 0 31352");
  // The stations in the order of their stazione lines, and the other
  // records field by field.
  EXPECT_NE(table.out.find("record  1:position_m  2:kind  3:length_m  4:par_1"), std::string::npos) << table.out;
  EXPECT_NE(table.out.find("\n     1             0       8         700        1        0        0        4        1"
                           "        0         2         1         1         1         8          13           0  "
                           "CALVISIO P.N.\n"),
            std::string::npos);
  EXPECT_EQ(TableRow(table.out, "81 km progressive progressiva chilometrica value 2:"),
            "81 km progressive progressiva chilometrica value 2: chainage fine_zona 97100 97000 m stored 100 m "
            "higher, for direction 1");
}

TEST(DumpCells, BuiltInCellsCarryTheirValues) {
  const json dump = DumpJson(CompiledBuiltIn().cell_file);
  EXPECT_EQ(dump["kind"], "cell file");
  const json& cells = dump["cells"];
  ASSERT_EQ(cells.size(), 2121u);

  EXPECT_EQ(cells[1]["valore_1"], 5121);
  EXPECT_EQ(cells[1]["valore_2"], 2230);
  EXPECT_EQ(cells[0]["velocita_limite"], 6);
  EXPECT_EQ(cells[1]["velocita_limite"], 40);
  EXPECT_EQ(cells[2117]["velocita_limite"], 40);
  EXPECT_EQ(cells[2118]["velocita_limite"], 0);
  EXPECT_EQ(cells[2117]["aderenza"], 100);
  EXPECT_EQ(cells[2120]["aderenza"], 0);

  // The signal at 2350 and its approach marks.
  EXPECT_EQ(cells[48]["kind"], "signal");
  EXPECT_EQ(cells[48]["tipo_cella"], 1);
  EXPECT_EQ(cells[48]["valore_1"], 40);
  EXPECT_EQ(cells[48]["valore_2"], 10);
  EXPECT_EQ(cells[48]["valore_3"], 0);
  EXPECT_EQ(cells[48]["valore_4"], 6);
  EXPECT_EQ(cells[48]["tempo_segnale"], 0);
  for (int n = 1; n <= 4; ++n) EXPECT_EQ(cells[48 - 2 * n]["avviso"], 60 + n) << n;
  // The first station's stop cell and its marks.
  EXPECT_EQ(cells[13]["tipo_cella"], 10);
  EXPECT_EQ(cells[13]["valore_1"], 1);
  for (int j = 1; j <= 4; ++j) EXPECT_EQ(cells[13 - j]["avviso"], 80 + j) << j;
  // The slowdown at 21850: warning, start, end and the four cells before the
  // warning.
  EXPECT_EQ(cells[414]["tipo_cella"], 4);
  EXPECT_EQ(cells[414]["valore_1"], 30);
  EXPECT_EQ(cells[438]["tipo_cella"], 3);
  EXPECT_EQ(cells[438]["valore_3"], 1);
  EXPECT_EQ(cells[445]["tipo_cella"], 2);
  for (int n = 0; n < 4; ++n) {
    EXPECT_EQ(cells[413 - n]["tipo_cella"], 5);
    EXPECT_EQ(cells[413 - n]["valore_1"], n + 1);
  }
  // The first indication board, its caption in record 80.
  EXPECT_EQ(cells[53]["kind"], "indication board");
  EXPECT_EQ(cells[53]["valore_1"], 80);

  const testing_support::ToolRun table = RunTool({"dump", CompiledBuiltIn().cell_file});
  EXPECT_EQ(table.status, 0);
  EXPECT_EQ(TableRow(table.out, "48"),
            "48 2350 signal 1 40 10 0 6 0 0 0 40 200 100 0 100 segnale posizione 2350 m, sx 2, s1 4, s2 1, s3 0, "
            "rapp 0, dx 0, d1 0, d2 0, d3 0, tempo 0");
}

TEST(DumpCells, ValuesAreShownInTheAuthorsUnitsBesideTheStoredOnes) {
  const json dump = DumpJson(CompiledBuiltIn().cell_file);
  const json& cells = dump["cells"];
  ASSERT_EQ(cells.size(), 2121u);
  // Cell 0 carries the first speed line (0, 30): 6 fifths.
  EXPECT_EQ(cells[0]["from_m"], -50);
  EXPECT_EQ(cells[0]["velocita_limite_kmh"], 30);
  EXPECT_EQ(cells[1]["from_m"], 0);
  EXPECT_EQ(cells[1]["velocita_limite_kmh"], 200);
  EXPECT_EQ(cells[1]["pendenza_per_mille"], 0);
  EXPECT_EQ(cells[2120]["velocita_limite_kmh"], 0);
  EXPECT_EQ(cells[2120]["pendenza_per_mille"], -100);  // the last cells keep 0

  // The signal at 2350 as its segnale line gives it, and its marks.
  const json& signal = cells[48]["source"]["segnale"];
  EXPECT_EQ(signal["posizione_m"], 2350);
  EXPECT_EQ(signal["sx"], 2);
  EXPECT_EQ(signal["s1"], 4);
  EXPECT_EQ(signal["s2"], 1);
  EXPECT_EQ(signal["dx"], 0);
  EXPECT_EQ(cells[46]["source"]["approach mark of a segnale"]["mark"], 1);
  EXPECT_EQ(cells[40]["source"]["approach mark of a segnale"]["mark"], 4);
  EXPECT_EQ(cells[40]["source"]["approach mark of a segnale"]["sx_times_3_plus_dx"], 6);
  EXPECT_EQ(cells[12]["source"]["approach mark of a stazione"]["mark"], 1);
  // The slowdown at 21850 at 30 km/h: its warning board 1200 m before.
  EXPECT_EQ(cells[438]["source"]["rallentamento"]["x_m"], 21850);
  EXPECT_EQ(cells[438]["source"]["rallentamento"]["v_kmh"], 30);
  EXPECT_EQ(cells[414]["source"]["rallentamento"]["x_m"], 21850);
  EXPECT_EQ(cells[445]["source"]["rallentamento"]["end_m"], 22200);
  // The indicator at 2850: 95, 100, 110 km/h in the first set.
  const json& indicator = cells[58]["source"]["indicatori_vmax"];
  EXPECT_EQ(indicator["posizione_m"], 2850);
  EXPECT_EQ(indicator["vas_kmh"], 95);
  EXPECT_EQ(indicator["vbs_kmh"], 100);
  EXPECT_EQ(indicator["vcs_kmh"], 110);
  EXPECT_EQ(indicator["vad_kmh"], 0);
  EXPECT_EQ(cells[53]["source"]["cartello_indicatore"]["position_m"], 2600);
  EXPECT_TRUE(cells[2]["source"].empty());
}

// The header words of a printed table.
std::vector<std::string> HeaderOf(const std::string& table, size_t line_index) {
  std::istringstream lines(table);
  std::string line;
  for (size_t i = 0; i <= line_index; ++i) std::getline(lines, line);
  std::istringstream words(line);
  std::vector<std::string> header;
  for (std::string word; words >> word;) header.push_back(word);
  return header;
}

TEST(DumpJson, EveryColumnOfTheTablesHasItsKeyInTheJson) {
  // Line 1 of each dump is the table's header; its first column is the
  // JSON's "index" (or "x").
  struct Case {
    std::string path;
    const char* list;
  };
  for (const Case& c : {Case{CompiledBuiltIn().station_file, "records"}, Case{CompiledBuiltIn().cell_file, "cells"}}) {
    SCOPED_TRACE(c.path);
    const testing_support::ToolRun table = RunTool({"dump", c.path});
    const json first = DumpJson(c.path)[c.list][1];
    const std::vector<std::string> header = HeaderOf(table.out, 1);
    ASSERT_GT(header.size(), 10u);
    for (size_t n = 1; n < header.size(); ++n) EXPECT_TRUE(first.contains(header[n])) << header[n];
  }
}

TEST(DumpJson, CompileAndDumpPrintJsonAlike) {
  // One writer for the tool: two blanks a level.
  const testing_support::ToolRun check = testing_support::BuiltInSources().Check({"--json"});
  const testing_support::ToolRun dump = RunTool({"dump", CompiledBuiltIn().station_file, "--json"});
  EXPECT_EQ(check.out.rfind("{\n  \"nome_linea\": ", 0), 0u) << check.out.substr(0, 40);
  EXPECT_EQ(dump.out.rfind("{\n  \"file\": ", 0), 0u) << dump.out.substr(0, 40);
  EXPECT_NE(dump.out.find("\n  \"records\": [\n    {\n      \"index\": 0,"), std::string::npos);
}

TEST(DumpPlan, BuiltInPlanStartsWithItsSeedAndEndsEmpty) {
  const json dump = DumpJson(CompiledBuiltIn().line_file);
  const json& points = dump["points"];
  ASSERT_EQ(points.size(), 106001u);
  EXPECT_EQ(points[0]["column_0"], (json{{"type", "Integer"}, {"value", 0}}));
  EXPECT_EQ(points[0]["column_1"], (json{{"type", "Integer"}, {"value", 0}}));
  EXPECT_EQ(points[1]["column_0"], (json{{"type", "Integer"}, {"value", 0}}));
  EXPECT_EQ(points[1]["column_1"], (json{{"type", "Integer"}, {"value", 1}}));
  // Straight along the second coordinate up to the first curve at 1700.
  EXPECT_EQ(points[1700]["column_0"], (json{{"type", "Double"}, {"value", 0.0}}));
  EXPECT_EQ(points[1700]["column_1"], (json{{"type", "Double"}, {"value", 1700.0}}));
  EXPECT_EQ(points[105998]["column_0"]["type"], "Double");
  for (size_t x : {105999u, 106000u}) {
    EXPECT_EQ(points[x]["column_0"], (json{{"type", "Empty"}, {"value", nullptr}}));
    EXPECT_EQ(points[x]["column_1"], (json{{"type", "Empty"}, {"value", nullptr}}));
  }

  const testing_support::ToolRun table = RunTool({"dump", CompiledBuiltIn().line_file});
  EXPECT_EQ(table.status, 0);
  EXPECT_EQ(TableRow(table.out, "1"), "1 Integer 0 Integer 1");
  EXPECT_EQ(TableRow(table.out, "1700"), "1700 Double 0 Double 1700");
  EXPECT_EQ(TableRow(table.out, "106000"), "106000 Empty Empty");
}

// A damaged copy of a compiled file, under a name of its kind.
struct Damage {
  const char* what;
  const char* name;
  std::function<std::string(const std::string& station, const std::string& cell, const std::string& line)> bytes;
  const char* says;
};

TEST(DumpRefusal, CutAndForeignFilesAreRefusedWithTheirFault) {
  const std::string station = ReadWholeFile(CompiledBuiltIn().station_file);
  const std::string cell = ReadWholeFile(CompiledBuiltIn().cell_file);
  const std::string line = ReadWholeFile(CompiledBuiltIn().line_file);
  auto cut = [](const std::string& bytes, size_t by) { return bytes.substr(0, bytes.size() - by); };
  const std::vector<Damage> damages = {
      {"a station file one byte short", "x_1.sim",
       [&](auto& s, auto&, auto&) { return cut(s, 1); }, "station record 86 is cut short"},
      {"a station file of 40 bytes", "x_1.sim",
       [&](auto& s, auto&, auto&) { return s.substr(0, 40); }, "station record 1 is cut short at byte 34"},
      {"a station table of zeros", "x_1.sim",
       [&](auto&, auto&, auto&) { return std::string(87 * 34, '\0'); }, "marker 610"},
      {"a cell file seven bytes short", "x_1.dat",
       [&](auto&, auto& c, auto&) { return cut(c, 7); }, "8 bytes past the last whole cell"},
      {"a cell file fourteen bytes short", "x_1.dat",
       [&](auto&, auto& c, auto&) { return cut(c, 14); }, "(1 byte past the last whole cell)"},
      {"a station file with one byte after its last record", "x_1.sim",
       [&](auto& s, auto&, auto&) { return s + "x"; }, "more than 87 station records: 1 byte left after record 86"},
      {"a route of zeros", "x_1.dat",
       [&](auto&, auto&, auto&) { return std::string(15 * 10, '\0'); }, "marker 5121"},
      {"a line file five bytes short", "x_linea.dat",
       [&](auto&, auto&, auto& l) { return cut(l, 5); }, "ends inside the value of element"},
      {"a line file short of one Double", "x_linea.dat",
       [&](auto&, auto&, auto& l) {
         // The last Double of column 1 goes: its two Empty points follow it.
         std::string bytes = l;
         bytes.erase(bytes.size() - 4 - 10, 10);
         return bytes;
       },
       "odd number of elements"},
      {"a line file short of its last two points", "x_linea.dat",
       [&](auto&, auto&, auto& l) { return cut(l, 4); }, "Empty"},
      {"an empty station file", "x_1.sim", [&](auto&, auto&, auto&) { return std::string(); }, "the file is empty"},
      {"a text under a line file's name", "x_linea.dat",
       [&](auto&, auto&, auto&) { return std::string("lunghezza percorso,    99000\r\n"); }, "unknown type code"},
  };
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.what);
    TempDir dir;
    const fs::path path = dir.path() / damage.name;
    WriteWholeFile(path, damage.bytes(station, cell, line));
    const testing_support::ToolRun run = RunTool({"dump", path.string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("scenario-tool dump: " + path.string() + ": ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(damage.says), std::string::npos) << run.err;
  }
}

TEST(DumpRefusal, WhatIsNoCompiledFileIsAUsageErrorAndAMissingOneAFailure) {
  TempDir dir;
  const testing_support::ToolRun text = RunTool({"dump", (dir.path() / "notes.txt").string()});
  EXPECT_EQ(text.status, 64);
  EXPECT_NE(text.err.find("_linea.dat, .sim or .dat"), std::string::npos);

  const testing_support::ToolRun missing = RunTool({"dump", (dir.path() / "x_1.sim").string()});
  EXPECT_EQ(missing.status, 3);
  EXPECT_NE(missing.err.find("cannot read '" + (dir.path() / "x_1.sim").string() + "': "), std::string::npos) << missing.err;
}

TEST(DumpWarning, ACellFileShorterThanItsStationFilesRouteIsFlagged) {
  TempDir dir;
  // Whole cells gone: the cell file alone cannot tell, the station file
  // beside it can.
  const std::string cells = ReadWholeFile(CompiledBuiltIn().cell_file);
  WriteWholeFile(dir.path() / "x_1.dat", cells.substr(0, 2000 * 15));
  fs::copy_file(CompiledBuiltIn().station_file, dir.path() / "x_1.sim");
  const testing_support::ToolRun run = RunTool({"dump", (dir.path() / "x_1.dat").string(), "--json"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(json::parse(run.out)["cells"].size(), 2000u);
  EXPECT_NE(run.err.find("warning: beside it, '" + (dir.path() / "x_1.sim").string() +
                         "': the station table gives a route of 99000 m, that is 2121 cells, but the cell "
                         "file holds 2000"),
            std::string::npos)
      << run.err;
}

}  // namespace
}  // namespace scenario::tool
