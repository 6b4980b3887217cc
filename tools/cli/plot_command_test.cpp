// scenario-tool plot: a well-formed SVG picture with one mark per station and
// per signal.
#include <gtest/gtest.h>

#if SCENARIO_HAVE_EXPAT
#include <expat.h>
#endif

#include <map>

#include "compiler/compiled_files.h"
#include "tests/support/temp_dir.h"
#include "tests/support/built_in_compiled.h"
#include "tests/support/tool_run.h"

namespace scenario::tool {
namespace {

namespace fs = std::filesystem;
using scenario::testing_support::ReadWholeFile;
using scenario::testing_support::TempDir;
using scenario::testing_support::WriteWholeFile;
using testing_support::CompiledBuiltIn;
using testing_support::RunTool;

#if SCENARIO_HAVE_EXPAT
// What a parsed picture holds: its root, how many elements carry each
// class, and the texts of its <text> elements.
struct Picture {
  bool well_formed = false;
  std::string error;
  std::string root;
  std::map<std::string, int> classes;
  std::vector<std::string> texts;

  int Count(const std::string& css_class) const {
    auto found = classes.find(css_class);
    return found == classes.end() ? 0 : found->second;
  }
  bool HasText(const std::string& text) const {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  }
};

struct ParseState {
  Picture* picture = nullptr;
  int depth = 0;
  int in_text = 0;   // inside a <text>
  int in_title = 0;  // inside a <title>
  std::string text;
};

Picture ParseSvg(const std::string& document) {
  Picture picture;
  ParseState state;
  state.picture = &picture;
  XML_Parser parser = XML_ParserCreate("UTF-8");
  XML_SetUserData(parser, &state);
  XML_SetElementHandler(
      parser,
      [](void* data, const XML_Char* name, const XML_Char** attributes) {
        auto* s = static_cast<ParseState*>(data);
        if (s->depth++ == 0) s->picture->root = name;
        for (int i = 0; attributes[i] != nullptr; i += 2)
          if (std::string(attributes[i]) == "class") ++s->picture->classes[attributes[i + 1]];
        if (std::string(name) == "text") {
          ++s->in_text;
          s->text.clear();
        }
        if (std::string(name) == "title") ++s->in_title;
      },
      [](void* data, const XML_Char* name) {
        auto* s = static_cast<ParseState*>(data);
        --s->depth;
        if (std::string(name) == "title") --s->in_title;
        if (std::string(name) == "text") {
          --s->in_text;
          s->picture->texts.push_back(s->text);
        }
      });
  XML_SetCharacterDataHandler(parser, [](void* data, const XML_Char* chars, int length) {
    auto* s = static_cast<ParseState*>(data);
    if (s->in_text > 0 && s->in_title == 0) s->text.append(chars, static_cast<size_t>(length));
  });
  picture.well_formed = XML_Parse(parser, document.data(), static_cast<int>(document.size()), 1) != XML_STATUS_ERROR;
  if (!picture.well_formed) picture.error = XML_ErrorString(XML_GetErrorCode(parser));
  XML_ParserFree(parser);
  return picture;
}
#else
// Where the tests find no XML reader (expat has no MinGW-w64 build in
// Debian), they run the plot and stop short of reading the picture.
constexpr const char* kNoXmlReader =
    "the picture is read with expat, which this build lacks; the Linux build reads what the same code draws";
#endif

TEST(Plot, TheBuiltInScenarioHasAMarkPerStationAndPerSignal) {
  TempDir dir;
  const fs::path svg = dir.path() / "scenario.svg";
  const testing_support::ToolRun run = RunTool({"plot", CompiledBuiltIn().directory.string(), "-o", svg.string()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  ASSERT_TRUE(fs::is_regular_file(svg));
#if !SCENARIO_HAVE_EXPAT
  GTEST_SKIP() << kNoXmlReader;
#else
  const Picture picture = ParseSvg(ReadWholeFile(svg));
  ASSERT_TRUE(picture.well_formed) << picture.error;
  EXPECT_EQ(picture.root, "svg");
  EXPECT_EQ(picture.Count("station-plan"), 17);
  EXPECT_EQ(picture.Count("station-zone"), 17);
  EXPECT_EQ(picture.Count("signal"), 27);
  EXPECT_EQ(picture.Count("slowdown"), 2);
  EXPECT_EQ(picture.Count("slowdown-warning"), 2);
  EXPECT_EQ(picture.Count("board"), 15);
  EXPECT_EQ(picture.Count("indicator"), 12);
  EXPECT_EQ(picture.Count("track"), 1);
  EXPECT_GT(picture.Count("code-change"), 0);
  // Every station is named in the plan and along the route.
  for (const char* name : {"CALVISIO P.N.", "PRAGELLO", "MARANCO - TESSERA", "S. ORSOLO", "SAMBRETA"}) {
    EXPECT_EQ(std::count(picture.texts.begin(), picture.texts.end(), name), 2) << name;
  }
  EXPECT_TRUE(picture.HasText("(BIVIO )(S. ARMELIA)(Km. 94.400)"));
  EXPECT_TRUE(picture.HasText("route position (km)"));
  EXPECT_TRUE(picture.HasText("30 km/h"));
  EXPECT_TRUE(picture.HasText("Calvisio -Sambreta, train 31613: a line of 99 km, 17 stations, 27 signals, 2 slowdowns"));
#endif
}

TEST(Plot, FilesNamedOneByOneAndAPictureWithoutAPlan) {
  TempDir dir;
  const fs::path with_plan = dir.path() / "with.svg";
  const testing_support::ToolRun all = RunTool({"plot", CompiledBuiltIn().line_file, CompiledBuiltIn().cell_file,
                                        CompiledBuiltIn().station_file, "-o", with_plan.string()});
  ASSERT_EQ(all.status, 0) << all.err;

  const fs::path without_plan = dir.path() / "without.svg";
  const testing_support::ToolRun two = RunTool(
      {"plot", CompiledBuiltIn().station_file, CompiledBuiltIn().cell_file, "-o", without_plan.string()});
  ASSERT_EQ(two.status, 0) << two.err;
  EXPECT_NE(two.err.find("the picture has no plan"), std::string::npos);
#if !SCENARIO_HAVE_EXPAT
  GTEST_SKIP() << kNoXmlReader;
#else
  EXPECT_EQ(ParseSvg(ReadWholeFile(with_plan)).Count("station-plan"), 17);
  const Picture picture = ParseSvg(ReadWholeFile(without_plan));
  ASSERT_TRUE(picture.well_formed) << picture.error;
  EXPECT_EQ(picture.Count("station-plan"), 0);
  EXPECT_EQ(picture.Count("station-zone"), 17);
  EXPECT_EQ(picture.Count("signal"), 27);
#endif
}

TEST(Plot, NamesWithMarkupAndEightBitCharactersStayWellFormed) {
  // A small scenario made by the encoders: one station whose name holds
  // XML's markup characters and an 8-bit letter, one board, two signals.
  std::array<rec_stazione, kNumeroStazioni> stazioni{};
  stazioni[1] = {12, 1850, 2150, 2000, 0, "A<B> & \"C\" \xC8", 1, 1, 4, 1, 1, 0, 60, 0, 0, 30000};
  stazioni[80].nome = "(P.L. <1>)";
  stazioni[kRecordDatiGenerali].fine_zona = 3000;
  stazioni[kRecordScenario].nome = "L&L";
  stazioni[kRecordScenario].par_4 = 610;
  stazioni[kRecordTreno].nome = "9";
  std::vector<rec_cella> percorso(201);  // round((3000 + 7000) / 50) + 1
  percorso[1].valore_1 = 5121;
  percorso[20].tipo_cella = tipo::segnale;
  percorso[60].tipo_cella = tipo::segnale;
  percorso[30].tipo_cella = tipo::cartello;
  percorso[30].valore_1 = 80;
  TempDir dir;
  WriteWholeFile(dir.path() / "L&L_9.sim", EncodeStazioni(stazioni));
  WriteWholeFile(dir.path() / "L&L_9.dat", EncodePercorso(percorso));

  const fs::path svg = dir.path() / "small.svg";
  const testing_support::ToolRun run = RunTool({"plot", dir.path().string(), "-o", svg.string()});
  ASSERT_EQ(run.status, 0) << run.err;
#if !SCENARIO_HAVE_EXPAT
  GTEST_SKIP() << kNoXmlReader;
#else
  const Picture picture = ParseSvg(ReadWholeFile(svg));
  ASSERT_TRUE(picture.well_formed) << picture.error;
  EXPECT_EQ(picture.Count("station-zone"), 1);
  EXPECT_EQ(picture.Count("signal"), 2);
  EXPECT_EQ(picture.Count("board"), 1);
  EXPECT_TRUE(picture.HasText("A<B> & \"C\" \xC3\x88"));  // the Windows-1252 letter as UTF-8
  EXPECT_TRUE(picture.HasText("(P.L. <1>)"));
  // One of a thing is not "1 things".
  EXPECT_TRUE(picture.HasText("L&L, train 9: a line of 3 km, 1 station, 2 signals, 0 slowdowns"));
#endif
}

TEST(Plot, InputsThatMakeNoOneScenarioAreRefused) {
  TempDir dir;
  const testing_support::ToolRun empty = RunTool({"plot", dir.path().string(), "-o", (dir.path() / "x.svg").string()});
  EXPECT_EQ(empty.status, 64);
  EXPECT_NE(empty.err.find("holds no station file"), std::string::npos) << empty.err;

  fs::copy_file(CompiledBuiltIn().station_file, dir.path() / "a_1.sim");
  fs::copy_file(CompiledBuiltIn().station_file, dir.path() / "b_2.sim");
  const testing_support::ToolRun two = RunTool({"plot", dir.path().string(), "-o", (dir.path() / "x.svg").string()});
  EXPECT_EQ(two.status, 64);
  EXPECT_NE(two.err.find("more than one compiled scenario"), std::string::npos) << two.err;

  const testing_support::ToolRun no_cells =
      RunTool({"plot", (dir.path() / "a_1.sim").string(), "-o", (dir.path() / "x.svg").string()});
  EXPECT_EQ(no_cells.status, 64);
  EXPECT_NE(no_cells.err.find("no cell file"), std::string::npos) << no_cells.err;

  // Several files are taken, one of each kind.
  fs::copy_file(CompiledBuiltIn().cell_file, dir.path() / "a_1.dat");
  const testing_support::ToolRun four = RunTool({"plot", (dir.path() / "a_1.sim").string(), (dir.path() / "a_1.dat").string(),
                                         (dir.path() / "b_2.sim").string(), CompiledBuiltIn().line_file, "-o",
                                         (dir.path() / "x.svg").string()});
  EXPECT_EQ(four.status, 64);
  EXPECT_NE(four.err.find("two station files given"), std::string::npos) << four.err;
  fs::remove(dir.path() / "a_1.dat");

  // A cut cell file is refused, and no picture is written.
  const std::string cells = ReadWholeFile(CompiledBuiltIn().cell_file);
  WriteWholeFile(dir.path() / "a_1.dat", cells.substr(0, cells.size() - 3));
  const testing_support::ToolRun cut = RunTool({"plot", (dir.path() / "a_1.sim").string(),
                                        (dir.path() / "a_1.dat").string(), "-o", (dir.path() / "x.svg").string()});
  EXPECT_EQ(cut.status, 1);
  EXPECT_FALSE(fs::exists(dir.path() / "x.svg"));
}

// A mistyped directory or file is named as missing, not as a file of the
// wrong kind.
TEST(Plot, AnInputThatIsNotThereIsNamed) {
  TempDir dir;
  for (const std::vector<std::string>& inputs :
       {std::vector<std::string>{dir.PathOf("compield")},
        std::vector<std::string>{dir.PathOf("a_1.sim"), CompiledBuiltIn().cell_file}}) {
    SCOPED_TRACE(inputs.front());
    std::vector<std::string> args = {"plot"};
    args.insert(args.end(), inputs.begin(), inputs.end());
    args.insert(args.end(), {"-o", dir.PathOf("x.svg")});
    const testing_support::ToolRun run = RunTool(args);
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err.rfind("scenario-tool plot: cannot read '" + inputs.front() + "': ", 0), 0u) << run.err;
    EXPECT_FALSE(fs::exists(dir.PathOf("x.svg")));
  }
}

}  // namespace
}  // namespace scenario::tool
