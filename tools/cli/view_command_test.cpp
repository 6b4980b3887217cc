// scenario-tool view: the page's data against the compiled files it was made
// from, the code changes told apart by where they come from, and inputs
// refused as `plot` refuses them.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>

#include "compiler/compiled_files.h"
#include "tests/support/temp_dir.h"
#include "tools/cli/json_output.h"
#include "tools/readback/plan_curves.h"
#include "tests/support/built_in_compiled.h"
#include "tests/support/built_in_sources.h"
#include "tests/support/tool_run.h"
#include "tools/viewer/view_data.h"

namespace scenario::tool {
namespace {

namespace fs = std::filesystem;
using scenario::testing_support::ReadWholeFile;
using scenario::testing_support::TempDir;
using scenario::testing_support::WriteWholeFile;
using testing_support::CompiledBuiltIn;
using testing_support::RunTool;

// The text of the element <script ... id="ID"> of the page.
std::string ScriptText(const std::string& page, const std::string& id) {
  const std::string opening = "id=\"" + id + "\">";
  const size_t from = page.find(opening);
  if (from == std::string::npos) return "";
  const size_t start = from + opening.size();
  return page.substr(start, page.find("</script>", start) - start);
}

std::string DecodeBase64(const std::string& text) {
  std::string bytes;
  uint32_t group = 0;
  int bits = 0;
  for (char c : text) {
    const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const char* at = c == '\0' ? nullptr : std::strchr(digits, c);
    if (at == nullptr) break;  // '=' ends it
    group = (group << 6) | static_cast<uint32_t>(at - digits);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes.push_back(static_cast<char>((group >> bits) & 0xFF));
    }
  }
  return bytes;
}

double DoubleAt(const std::string& bytes, size_t at) {
  uint64_t raw = 0;
  for (int b = 7; b >= 0; --b) raw = (raw << 8) | static_cast<unsigned char>(bytes.at(at + static_cast<size_t>(b)));
  double value = 0;
  std::memcpy(&value, &raw, sizeof value);
  return value;
}

struct Page {
  std::string html;
  Json data;
};

Page MakePage(const std::vector<std::string>& inputs, const fs::path& output) {
  std::vector<std::string> args = {"view"};
  args.insert(args.end(), inputs.begin(), inputs.end());
  args.insert(args.end(), {"-o", output.string()});
  const testing_support::ToolRun run = RunTool(args);
  EXPECT_EQ(run.status, 0) << run.err;
  Page page;
  page.html = ReadWholeFile(output);
  page.data = Json::parse(ScriptText(page.html, "scenario-data"));
  return page;
}

std::vector<int64_t> Cells(const Json& list) { return list.get<std::vector<int64_t>>(); }

TEST(View, TheBuiltInScenarioPageHoldsItsFilesWhole) {
  TempDir dir;
  const Page page = MakePage({CompiledBuiltIn().directory.string()}, dir.path() / "view.html");
  // Self-contained: nothing may be loaded from anywhere.
  EXPECT_NE(page.html.find("default-src 'none'"), std::string::npos);
  for (const char* outside : {"http:", "https:", "src=\"", "href=\""})
    EXPECT_EQ(page.html.find(outside), std::string::npos) << outside;

  std::vector<rec_cella> percorso;
  std::string error;
  ASSERT_TRUE(DecodePercorso(ReadWholeFile(CompiledBuiltIn().cell_file), &percorso, &error)) << error;
  const Json& data = page.data;
  EXPECT_EQ(data["line"], "Calvisio -Sambreta");
  EXPECT_EQ(data["train"], "31613");
  ASSERT_EQ(data["cell_count"], percorso.size());
  const Json& columns = data["columns"];
  for (size_t k = 0; k < percorso.size(); ++k) {
    const rec_cella& c = percorso[k];
    ASSERT_EQ(columns["tipo_cella"][k], c.tipo_cella) << k;
    ASSERT_EQ(columns["valore_1"][k], c.valore_1) << k;
    ASSERT_EQ(columns["valore_4"][k], c.valore_4) << k;
    ASSERT_EQ(columns["avviso"][k], c.avviso) << k;
    ASSERT_EQ(columns["velocita_limite_kmh"][k], c.velocita_limite * 5) << k;
    ASSERT_EQ(columns["pendenza_per_mille"][k], c.pendenza - 100) << k;
    ASSERT_EQ(columns["aderenza"][k], c.aderenza) << k;
    ASSERT_EQ(columns["from_m"][k], 50 * (static_cast<int64_t>(k) - 1)) << k;
  }
  // The field names are those of `dump --json`.
  const std::vector<std::string> fields = data["cell_fields"];
  EXPECT_EQ(fields.front(), "index");
  EXPECT_EQ(fields.back(), "aderenza");
  EXPECT_EQ(fields.size(), 16u);

  EXPECT_EQ(data["stations"].size(), 17u);
  EXPECT_EQ(data["stations"][0]["name"], "CALVISIO P.N.");
  EXPECT_EQ(data["records"].size(), 87u);
  EXPECT_EQ(data["slowdowns"].size(), 2u);
  EXPECT_EQ(data["boards"].size(), 15u);
  // The built-in service writes no code change; the rules place eight.
  EXPECT_EQ(Cells(data["code_changes_written"]), std::vector<int64_t>{});
  EXPECT_EQ(Cells(data["code_changes_by_rules"]), (std::vector<int64_t>{420, 427, 432, 907, 914, 920, 932, 936}));
  // The one kilometric progressive zone, its chainage as written.
  ASSERT_EQ(data["progressives"].size(), 1u);
  EXPECT_EQ(data["progressives"][0]["chainage_m"], 97000);
  EXPECT_EQ(data["progressives"][0]["direction"], 1);
  EXPECT_TRUE(data["warnings"].empty());
}

TEST(View, ThePlanGoesInAsItsCurvesWithAnchors) {
  TempDir dir;
  const Page page = MakePage({CompiledBuiltIn().directory.string()}, dir.path() / "view.html");
  std::vector<PuntoTracciato> plan;
  std::string error;
  ASSERT_TRUE(DecodeTracciato(ReadWholeFile(CompiledBuiltIn().line_file), &plan, &error)) << error;
  const Json& shape = page.data["plan"];
  ASSERT_EQ(shape["points"], plan.size());
  const size_t computed = shape["computed"];
  EXPECT_EQ(computed, plan.size() - 4);  // two seeds, two Empty at the end
  EXPECT_EQ(shape["seeds"][1][1]["type"], "Integer");
  EXPECT_EQ(shape["seeds"][1][1]["value"], 1);
  // A compiled plan is all curves and straights: no point goes in whole
  // but the anchors, two in a row every so many.
  EXPECT_TRUE(shape["exceptions"].empty());
  const std::string anchors = DecodeBase64(shape["anchors"]);
  const size_t every = shape["anchor_every"];
  ASSERT_EQ(anchors.size(), 32 * ((computed + every - 1) / every));
  for (size_t k = 0; 32 * k < anchors.size(); ++k) {
    const size_t x = 2 + k * every;
    EXPECT_EQ(DoubleAt(anchors, 32 * k), plan[x][0].real) << x;
    EXPECT_EQ(DoubleAt(anchors, 32 * k + 8), plan[x][1].real) << x;
    if (x + 1 < 2 + computed) {
      EXPECT_EQ(DoubleAt(anchors, 32 * k + 24), plan[x + 1][1].real) << x;
    }
  }
  // The built-in line's curves, each with its curvature, the sign its side.
  const Json& curves = shape["curves"];
  ASSERT_FALSE(curves.empty());
  for (const Json& curve : curves) {
    const int classe = curve["class"];
    ASSERT_GE(classe, 1);
    ASSERT_LE(classe, 6);
    const double c = curve["curvature"];
    EXPECT_EQ(c, (curve["side"] == "left" ? -1 : 1) * kCurvature[static_cast<size_t>(classe - 1)]);
    EXPECT_GT(curve["length_m"], 0);
  }
}

TEST(View, WithoutALineFileThePageHasNoPlanAndSaysSo) {
  TempDir dir;
  const Page page = MakePage({CompiledBuiltIn().station_file, CompiledBuiltIn().cell_file}, dir.path() / "view.html");
  EXPECT_TRUE(page.data["plan"].is_null());
  ASSERT_EQ(page.data["warnings"].size(), 1u);
  EXPECT_NE(page.data["warnings"][0].get<std::string>().find("the page has no plan"), std::string::npos);
}

// The code changes an author wrote are told from those of the rules.
TEST(View, WrittenCodeChangesAreToldFromTheRulesOnes) {
  testing_support::BuiltInSources sources;
  std::vector<std::string> lines = testing_support::ReadLines(sources.train());
  const auto codes = std::find(lines.begin(), lines.end(), "[codici]");
  ASSERT_NE(codes, lines.end());
  lines.insert(codes + 1, {"abbattimento, 30000, 180", "abbattimento, 60000, 150", "abbattimento, 70000, 0"});
  testing_support::WriteLines(sources.train(), lines);
  ASSERT_EQ(sources.Compile().status, 0);
  const Page page = MakePage({sources.output.string()}, sources.root() / "view.html");
  EXPECT_EQ(Cells(page.data["code_changes_written"]), (std::vector<int64_t>{600, 1200, 1400}));
  EXPECT_EQ(Cells(page.data["code_changes_by_rules"]), (std::vector<int64_t>{420, 427, 432, 907, 914, 920, 932, 936}));
}

TEST(View, NamesThatCouldEndTheScriptStayInsideIt) {
  std::array<rec_stazione, kNumeroStazioni> stazioni{};
  stazioni[1] = {12, 1850, 2150, 2000, 0, "A</script><b>\xC8", 1, 1, 4, 1, 1, 0, 60, 0, 0, 30000};
  stazioni[kRecordDatiGenerali].fine_zona = 3000;
  stazioni[kRecordScenario].nome = "L</title>";
  stazioni[kRecordScenario].par_4 = 610;
  stazioni[kRecordTreno].nome = "9";
  std::vector<rec_cella> percorso(201);
  percorso[1].valore_1 = 5121;
  TempDir dir;
  WriteWholeFile(dir.path() / "L_9.sim", EncodeStazioni(stazioni));
  WriteWholeFile(dir.path() / "L_9.dat", EncodePercorso(percorso));
  const Page page = MakePage({dir.path().string()}, dir.path() / "view.html");
  EXPECT_EQ(page.data["stations"][0]["name"], "A</script><b>\xC3\x88");
  EXPECT_EQ(page.data["line"], "L</title>");
  EXPECT_EQ(page.html.find("L</title>"), std::string::npos);
  // The two script elements, and no other end of one.
  size_t ends = 0;
  for (size_t at = page.html.find("</script"); at != std::string::npos; at = page.html.find("</script", at + 1)) ++ends;
  EXPECT_EQ(ends, 2u);
}

// `view` takes and refuses its inputs as `plot` does: the same messages and
// statuses, and no page.
TEST(View, InputsAreRefusedAsPlotRefusesThem) {
  TempDir dir;
  fs::create_directory(dir.path() / "two");
  fs::copy_file(CompiledBuiltIn().station_file, dir.path() / "two" / "a_1.sim");
  fs::copy_file(CompiledBuiltIn().station_file, dir.path() / "two" / "b_2.sim");
  const std::string cells = ReadWholeFile(CompiledBuiltIn().cell_file);
  WriteWholeFile(dir.path() / "c_1.dat", cells.substr(0, cells.size() - 3));
  WriteWholeFile(dir.path() / "e_1.sim", "");
  WriteWholeFile(dir.path() / "x.txt", "text");
  fs::create_directory(dir.path() / "empty");
  const std::vector<std::pair<std::vector<std::string>, int>> cases = {
      {{dir.PathOf("empty")}, 64},
      {{dir.PathOf("two")}, 64},
      {{dir.PathOf("missing")}, 3},
      {{CompiledBuiltIn().station_file}, 64},
      {{CompiledBuiltIn().station_file, CompiledBuiltIn().station_file, CompiledBuiltIn().cell_file}, 64},
      {{CompiledBuiltIn().station_file, dir.PathOf("c_1.dat")}, 1},
      {{dir.PathOf("e_1.sim"), CompiledBuiltIn().cell_file}, 1},
      {{CompiledBuiltIn().station_file, CompiledBuiltIn().cell_file, dir.PathOf("x.txt")}, 64},
  };
  for (const auto& [inputs, status] : cases) {
    SCOPED_TRACE(inputs.front());
    std::vector<std::string> plot = {"plot"};
    std::vector<std::string> view = {"view"};
    for (std::vector<std::string>* args : {&plot, &view}) args->insert(args->end(), inputs.begin(), inputs.end());
    plot.insert(plot.end(), {"-o", dir.PathOf("out.svg")});
    view.insert(view.end(), {"-o", dir.PathOf("out.html")});
    const testing_support::ToolRun plotted = RunTool(plot);
    const testing_support::ToolRun viewed = RunTool(view);
    EXPECT_EQ(viewed.status, status) << viewed.err;
    EXPECT_EQ(plotted.status, status) << plotted.err;
    std::string expected = plotted.err;
    ASSERT_EQ(expected.rfind("scenario-tool plot: ", 0), 0u) << expected;
    expected.replace(0, std::string("scenario-tool plot").size(), "scenario-tool view");
    EXPECT_EQ(viewed.err, expected);
    EXPECT_FALSE(fs::exists(dir.PathOf("out.html")));
  }
}

// The rows of `rows` under `keyword`: the file's base name and the line
// each names, "-" for a row without one.
std::vector<std::string> RowLines(const Json& rows, const std::string& keyword) {
  std::vector<std::string> lines;
  for (const Json& row : rows) {
    if (row["keyword"] != keyword) continue;
    lines.push_back(row.contains("line") ? fs::path(row["file"].get<std::string>()).filename().string() + ":" +
                                               std::to_string(row["line"].get<int>())
                                         : "-");
  }
  return lines;
}

// What the page shows without the places of the rows and the files' names.
Json WithoutPlaces(Json data) {
  data.erase("files");
  for (auto& [cell, rows] : data["cell_sources"].items())
    for (Json& row : rows) {
      row.erase("file");
      row.erase("line");
    }
  for (Json& record : data["records"])
    for (Json& row : record["source_rows"]) {
      row.erase("file");
      row.erase("line");
    }
  return data;
}

TEST(View, ThePageOfTheSourcesIsThatOfTheirCompiledFilesWithTheLinesThatWroteThem) {
  testing_support::BuiltInSources sources;
  ASSERT_EQ(sources.Compile().status, 0);
  const Page compiled = MakePage({sources.output.string()}, sources.root() / "compiled.html");
  const Page page = MakePage({sources.line().string(), sources.train().string()}, sources.root() / "sources.html");
  EXPECT_EQ(WithoutPlaces(page.data), WithoutPlaces(compiled.data));
  EXPECT_EQ(page.data["files"]["station"], "Calvisio -Sambreta_31613.sim");

  const std::string L = testing_support::kBuiltInLineSource + ":";
  const std::string T = testing_support::kBuiltInTrainSource + ":";
  const Json& cells = page.data["cell_sources"];
  const Json& records = page.data["records"];
  // Every row under the keyword names the place ("-": none).
  struct Case {
    const Json& rows;
    std::string keyword;
    std::string place;
  };
  const Case cases[] = {
      // The signal at 2350 m and its approach marks.
      {cells["48"], "segnale", T + "33"},
      {cells["46"], "approach mark of a segnale", T + "33"},
      {cells["40"], "approach mark of a segnale", T + "33"},
      // The slowdown at 21850 m: its start, its end, its warning board.
      {cells["438"], "rallentamento", T + "30"},
      {cells["445"], "rallentamento", T + "30"},
      {cells["414"], "rallentamento", T + "30"},
      // A station's stop cell and its approach marks.
      {cells["13"], "stazione", T + "12"},
      {cells["12"], "approach mark of a stazione", T + "12"},
      // The line description's indicator and indication board.
      {cells["58"], "indicatori_vmax", L + "27"},
      {cells["53"], "cartello_indicatore", L + "40"},
      // A code change of the cell rules: no line wrote it.
      {cells["420"], "abbattimento", "-"},
      // Station records, and the general values of both files.
      {records[2]["source_rows"], "stazione", T + "13"},
      {records[84]["source_rows"], "lunghezza percorso", L + "2"},
      {records[84]["source_rows"], "numero vetture", T + "2"},
      {records[86]["source_rows"], "orologio", T + "5"},
      {records[83]["source_rows"], "progressiva chilometrica", L + "3"},
      // What the compile stamps itself.
      {records[85]["source_rows"], "compactor", "-"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keyword + " in " + c.rows.dump().substr(0, 200));
    const std::vector<std::string> places = RowLines(c.rows, c.keyword);
    ASSERT_FALSE(places.empty());
    EXPECT_EQ(places, std::vector<std::string>(places.size(), c.place));
  }
}

TEST(View, SourcesThatDoNotCompileGiveTheCompilesStatus) {
  testing_support::BuiltInSources sources;
  const fs::path output = sources.root() / "view.html";
  const std::vector<std::string> args = {"view", sources.line().string(), sources.train().string(), "-o",
                                         output.string()};
  // An error the compile records: the page is made, and says so.
  testing_support::ReplaceLine(sources.train(), 33, "segnale,    abc,   2, 4, 1,  0, 0,    0,  0,0,0, 0");
  testing_support::ToolRun run = RunTool(args);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find(testing_support::kBuiltInTrainSource + ":33:13: error 25: 'abc' is not a number"), std::string::npos)
      << run.err;
  const Json data = Json::parse(ScriptText(ReadWholeFile(output), "scenario-data"));
  ASSERT_FALSE(data["warnings"].empty());
  EXPECT_NE(data["warnings"].back().get<std::string>().find("error 25 at " + sources.train().string() + ":33"),
            std::string::npos)
      << data["warnings"];
  fs::remove(output);

  // A compile that stops: no page.
  WriteWholeFile(sources.line(), "[fine]\r\n");
  run = RunTool(args);
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("error 102"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(output));

  // Sources are two, one of each kind.
  for (const std::vector<std::string>& inputs :
       {std::vector<std::string>{sources.line().string()},
        std::vector<std::string>{sources.train().string(), sources.train().string()},
        std::vector<std::string>{sources.line().string(), sources.train().string(), sources.train().string()}}) {
    std::vector<std::string> wrong = {"view"};
    wrong.insert(wrong.end(), inputs.begin(), inputs.end());
    wrong.insert(wrong.end(), {"-o", output.string()});
    run = RunTool(wrong);
    EXPECT_EQ(run.status, 64);
    EXPECT_NE(run.err.find("the two sources of one scenario"), std::string::npos) << run.err;
  }
}

}  // namespace
}  // namespace scenario::tool
