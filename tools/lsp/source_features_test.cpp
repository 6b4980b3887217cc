// Hover, completion, signature help and the outline, one layer below the
// protocol: texts and positions in, the help out.
#include "tools/lsp/source_features.h"

#include <gtest/gtest.h>

#include "platform/files/memory_file_system.h"
#include "tools/lsp/scenario_server.h"
#include "tests/support/lsp_source_texts.h"
#include "tools/authoring/author_compile.h"

namespace scenario::lsp {
namespace {

using testing_support::BuiltInLineText;
using testing_support::BuiltInTrainText;
using testing_support::LineStartingWith;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(KeywordTable, EveryKeywordIsRecognisedByItsNameAndDescribesEveryValue) {
  for (const KeywordSpec* spec : AllKeywords()) {
    SCOPED_TRACE(spec->keyword);
    // Each keyword is recognised by its own name in its own file.
    EXPECT_EQ(RecogniseKeyword(spec->file, spec->keyword), spec);
    EXPECT_NE(std::string(spec->section), "");
    EXPECT_NE(std::string(spec->summary), "");
    for (const ValueSpec& value : spec->values) {
      const std::string placeholder = value.placeholder;
      EXPECT_FALSE(placeholder.empty());
      EXPECT_EQ(placeholder.find_first_of(",{}$ "), std::string::npos) << placeholder;
    }
  }
  EXPECT_EQ(RecogniseKeyword(SourceFile::LineDescription, "Sfondo uno"), nullptr);  // matched letter for letter
  EXPECT_EQ(RecogniseKeyword(SourceFile::TrainService, "Stazione di linea"), &keyword::kStazione);
}

struct HoverCase {
  const char* what;
  std::string line;   // replaces the line that starts with `start`
  std::string start;
  int character;      // where the cursor stands on it
  std::vector<std::string> says;
};

// The hover of a checked source: what the readers read and what the
// compile stored, from the compile itself.
std::optional<HoverText> CheckedHover(const std::string& train_text, TextPosition at) {
  MemoryFileSystem files;
  files.files["/s/Valle_linea.txt"] = BuiltInLineText();
  ScenarioServer server(files);
  server.Open("/s/Valle_42-.txt", train_text, 1);
  server.CheckPending();
  return server.Hover("/s/Valle_42-.txt", at);
}

TEST(Hover, TellsTheKeywordAndTheValueReadAndWhatTheCompileStored) {
  const std::vector<HoverCase> cases = {
      {"speed", "velocita,      50,   200", "velocita,      50", 22,
       {"**the speed limit** — value 2 of 2 of `velocita`, in km/h", "Read: 200",
        "- cell 1 (from 0 m): free; speed 200 km/h"}},
      {"step position", "velocita,      50,   200", "velocita,      50", 16, {"Read: 50", "first cell round(position / 50)"}},
      {"too fast", "velocita,      50,   1300", "velocita,      50", 22, {"Read: 1300", "0 to 1275"}},
      {"timetable", "stazione,    7350, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,22, 0, PRAGELLO", "stazione,    7350",
       64, {"the timetable hours", "Read: 8", "- record 2 (station): position 7350 m", "hours 8 h, minutes 22 min"}},
      {"keyword", "segnale,    2350,   2, 4, 1,  0, 0,    0,  0,0,0, 0", "segnale,    2350", 3,
       {"**segnale** — train service, under `[segnali]`", "| 11 | tempo | 0 |  | Long |",
        "- cell 48 (from 2350 m): signal"}},
      {"signal position", "segnale,    2350,   2, 4, 1,  0, 0,    0,  0,0,0, 0", "segnale,    2350", 13,
       {"Read: 2350", "- cell 48 (from 2350 m): signal"}},
      // What a value does, beyond where it is stored.
      {"signal sx", "segnale,    2350,   2, 4, 1,  0, 0,    0,  0,0,0, 0", "segnale,    2350", 20,
       {"2 keeps tempo", "the code of the approach marks"}},
      {"stop time", "stazione,    7350, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,22, 0, PRAGELLO", "stazione,    7350",
       57, {"the stop time; stored only", "come from the kind"}},
      {"station flag", "stazione,    7350, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,22, 0, PRAGELLO",
       "stazione,    7350", 30, {"par_1, a flag; stored only"}},
  };
  for (const HoverCase& c : cases) {
    std::string text = BuiltInTrainText();
    const int line = LineStartingWith(text, c.start);
    text = testing_support::WithLine(text, line, c.line);
    const std::optional<HoverText> hover = CheckedHover(text, {line, c.character});
    ASSERT_TRUE(hover) << c.what;
    for (const std::string& part : c.says) EXPECT_TRUE(Contains(hover->markdown, part)) << c.what << ":\n" << hover->markdown;
  }
  // Before any check, the table alone: a gradient's range and where it goes.
  const SourceDocument line(SourceFile::LineDescription, "[generale]\r\n[pendenze]\r\npendenza, 4000, 300\r\n");
  const std::optional<HoverText> gradient = HoverAt(line, {2, 17}, nullptr);
  ASSERT_TRUE(gradient);
  EXPECT_TRUE(Contains(gradient->markdown, "-100 to 155 stored faithfully")) << gradient->markdown;
  EXPECT_FALSE(Contains(gradient->markdown, "Read:")) << gradient->markdown;
  EXPECT_EQ(gradient->range, (TextRange{{2, 16}, {2, 19}}));
  // Nothing on a comment or in the blanks before a value.
  EXPECT_FALSE(HoverAt(line, {0, 3}, nullptr));
  EXPECT_FALSE(HoverAt(line, {2, 9}, nullptr));
}

// The heading names the keyword as written and what the readers make of
// it, never the first keyword of its family.
TEST(Hover, NamesTheKeywordAsWrittenAndWhatTheReadersMakeOfIt) {
  struct Case {
    std::string keyword;
    std::string heading;
  };
  std::vector<Case> cases;
  for (const char side : {'s', 'd'})
    for (int classe = 1; classe <= 6; ++classe)
      cases.push_back({std::string("curva") + side + std::to_string(classe),
                       std::string(side == 's' ? "a left" : "a right") + " curve of class " + std::to_string(classe)});
  // Read as the readers read them: the lowest digit 1 to 6, and any 's'.
  cases.push_back({"curva destra 4", "a left curve of class 4"});
  cases.push_back({"CURVAD52", "a right curve of class 2"});
  cases.push_back({"curvad", "a curve without a class: the keyword holds no digit 1 to 6, and the reading stops with error 103"});
  cases.push_back({"ripetizione segnali 4 codici", "cab signalling with 4 codes"});
  cases.push_back({"ripetizione segnali 9 codici", "cab signalling with 9 codes"});
  cases.push_back({"ripetizione segnali 9 o 4 codici", "cab signalling with 4 codes"});
  cases.push_back({"ripetizione segnali codici", "cab signalling without a number of codes: the keyword holds "
                                                 "neither 4 nor 9, and the reading stops with error 5"});
  for (const Case& c : cases) {
    const std::string section = c.keyword.rfind("ripetizione", 0) == 0 ? "[generale]" : "[curve]";
    const SourceDocument document(SourceFile::LineDescription,
                                  "[generale]\r\n" + section + "\r\n" + c.keyword + ", 1700, 850\r\n");
    const std::optional<HoverText> hover = HoverAt(document, {2, 1}, nullptr);
    ASSERT_TRUE(hover) << c.keyword;
    const std::string heading = hover->markdown.substr(0, hover->markdown.find('\n'));
    EXPECT_EQ(heading, "**" + c.keyword + "** — " + c.heading + " — line description, under `" +
                           (section == "[curve]" ? "[curve]" : "[generale]") + "`")
        << c.keyword;
    // A value's hover names the line's own keyword too.
    const std::optional<HoverText> value = HoverAt(document, {2, static_cast<int>(c.keyword.size()) + 3}, nullptr);
    ASSERT_TRUE(value) << c.keyword;
    EXPECT_TRUE(Contains(value->markdown, "of `" + c.keyword + "` (" + c.heading + ")")) << value->markdown;
  }
}

// What the hover says of a cab-signalling keyword is what the compile
// stores: record 86 holds the number of codes.
TEST(Hover, TellsTheCodesTheCompiledRecordHolds) {
  for (const char* keyword : {"ripetizione segnali 4 codici", "ripetizione segnali 9 codici",
                              "ripetizione 9 segnali 4 codici"}) {
    std::string text = BuiltInLineText();
    const int line = LineStartingWith(text, "ripetizione segnali 4 codici");
    text = testing_support::WithLine(text, line, std::string(keyword) + ",    2700,    95900");
    MemoryFileSystem files;
    files.files["/s/Valle_42-.txt"] = BuiltInTrainText();
    ScenarioServer server(files);
    server.Open("/s/Valle_linea.txt", text, 1);
    const std::map<std::string, FileDiagnostics> shown = server.CheckPending();
    const std::optional<HoverText> hover = server.Hover("/s/Valle_linea.txt", {line, 1});
    ASSERT_TRUE(hover) << keyword;
    tool::CompileRequest request;
    request.line_file = "/s/Valle_linea.txt";
    request.train_file = "/s/Valle_42-.txt";
    files.files[request.line_file] = text;
    ScenarioModel model;
    tool::RunCheck(request, files, &model);
    const int codes = model.stazioni[kRecordTreno].progressiva;
    EXPECT_TRUE(codes == 4 || codes == 9) << keyword;
    EXPECT_TRUE(Contains(hover->markdown, "cab signalling with " + std::to_string(codes) + " codes"))
        << keyword << ":\n" << hover->markdown;
  }
}

TEST(Hover, ShowsWhatTheCompiledCellHoldsOnAnItemsLine) {
  MemoryFileSystem files;
  files.files["/s/Valle_linea.txt"] = BuiltInLineText();
  ScenarioServer server(files);
  const std::string text = BuiltInTrainText();
  server.Open("/s/Valle_42-.txt", text, 1);
  server.CheckPending();
  // The first slowdown: its start cell 438, and the code changes the cell
  // rules put before it.
  const int slowdown = LineStartingWith(text, "rallentamento,   21850");
  const std::optional<HoverText> hover = server.Hover("/s/Valle_42-.txt", {slowdown, 2});
  ASSERT_TRUE(hover);
  EXPECT_TRUE(Contains(hover->markdown, "- cell 438 (from 21850 m): slowdown start")) << hover->markdown;
  EXPECT_TRUE(Contains(hover->markdown, "code change")) << hover->markdown;
  // A station: its stop cell.
  const int station = LineStartingWith(text, "stazione,       0");
  const std::optional<HoverText> stop = server.Hover("/s/Valle_42-.txt", {station, 2});
  ASSERT_TRUE(stop);
  EXPECT_TRUE(Contains(stop->markdown, "- cell 13 (from 600 m): station stop")) << stop->markdown;
}

TEST(Completion, OffersWhatFitsTheSectionAndThenTheNextValue) {
  std::string text = BuiltInTrainText();
  const int signals = LineStartingWith(text, "[segnali]");
  text = testing_support::WithLineBefore(text, signals + 1, "");
  const SourceDocument document(SourceFile::TrainService, text);
  const std::vector<Completion> items = CompletionsAt(document, {signals + 1, 0});
  std::vector<std::string> labels;
  for (const Completion& item : items) labels.push_back(item.label);
  EXPECT_EQ(labels, (std::vector<std::string>{"[generale]", "[aderenze]", "[vel_limite]", "[stazioni]",
                                              "[rallentamenti]", "[segnali]", "[codici]", "[fine]", "segnale"}));
  EXPECT_EQ(items.back().insert,
            "segnale, ${1:posizione}, ${2:sx}, ${3:s1}, ${4:s2}, ${5:s3}, ${6:rapp}, ${7:dx}, ${8:d1}, ${9:d2}, "
            "${10:d3}, ${11:tempo}");

  const SourceDocument line(SourceFile::TrainService, "[generale]\r\n[segnali]\r\nsegnale, 2350, ");
  const std::vector<Completion> next = CompletionsAt(line, {2, 15});
  ASSERT_EQ(next.size(), 1u);
  EXPECT_EQ(next[0].label, "sx");
  EXPECT_EQ(next[0].detail, "value 2 of 11 of 'segnale': Long");
  EXPECT_EQ(next[0].insert, "${1:sx}");

  const SourceDocument curves(SourceFile::LineDescription, "[generale]\r\n[curve]\r\n");
  const std::vector<Completion> curve = CompletionsAt(curves, {2, 0});
  EXPECT_EQ(curve.back().insert, "curva${1|s,d|}${2|1,2,3,4,5,6|}, ${3:start}, ${4:length}");
}

TEST(SignatureHelp, MarksTheValueUnderTheCursor) {
  const SourceDocument document(SourceFile::TrainService, "orologio,    8               12            45");
  struct Case {
    int character;
    std::string active;
  };
  for (const Case& c : {Case{10, "hours"}, Case{14, "hours"}, Case{20, "minutes"}, Case{28, "minutes"}, Case{44, "seconds"}}) {
    const std::optional<Signature> signature = SignatureAt(document, {0, c.character});
    ASSERT_TRUE(signature) << c.character;
    EXPECT_EQ(signature->label, "orologio, hours, minutes, seconds");
    const auto [start, end] = signature->parameters.at(static_cast<size_t>(signature->active));
    EXPECT_EQ(signature->label.substr(static_cast<size_t>(start), static_cast<size_t>(end - start)), c.active)
        << c.character;
  }
  EXPECT_FALSE(SignatureAt(document, {0, 3}));
}

TEST(Outline, ListsSectionsStationsAndItemsByPosition) {
  const SourceDocument train(SourceFile::TrainService, BuiltInTrainText());
  const std::vector<Symbol> symbols = SymbolsOf(train);
  ASSERT_EQ(symbols.size(), 8u);
  EXPECT_EQ(symbols[3].name, "[stazioni]");
  ASSERT_FALSE(symbols[3].children.empty());
  EXPECT_EQ(symbols[3].children[1].name, "PRAGELLO");
  EXPECT_EQ(symbols[3].children[1].detail, "km 7.350");
  EXPECT_EQ(symbols[3].range.start.line, LineStartingWith(BuiltInTrainText(), "[stazioni]"));
  EXPECT_EQ(symbols[3].range.end.line, LineStartingWith(BuiltInTrainText(), "[rallentamenti]") - 1);
  EXPECT_EQ(symbols[4].children[0].name, "rallentamento at 21850 m");
  EXPECT_EQ(symbols[4].children[0].detail, "30 km/h");
  EXPECT_EQ(symbols[5].children[0].name, "segnale at 2350 m");

  const SourceDocument line(SourceFile::LineDescription, BuiltInLineText());
  const std::vector<Symbol> line_symbols = SymbolsOf(line);
  EXPECT_EQ(line_symbols[1].name, "[curve]");
  EXPECT_EQ(line_symbols[1].children[0].name, "curvas3 at 1700 m");
  EXPECT_EQ(line_symbols.back().name, "[fine]");
}

// Metres name only an item that stands at a place; a setting of the whole
// scenario shows its values.
TEST(Outline, GivesMetresOnlyToItemsThatStandAtAPlace) {
  const SourceDocument train(SourceFile::TrainService, BuiltInTrainText());
  const std::vector<Symbol> general = SymbolsOf(train)[0].children;
  std::vector<std::pair<std::string, std::string>> seen;
  for (const Symbol& symbol : general) seen.emplace_back(symbol.name, symbol.detail);
  EXPECT_EQ(seen, (std::vector<std::pair<std::string, std::string>>{{"numero vetture", "4"},
                                                                     {"percentuale massa frenata", "120"},
                                                                     {"sabbia", "300"},
                                                                     {"orologio", "8, 12, 45"}}));
  std::string line_text = BuiltInLineText();
  line_text = testing_support::WithLine(line_text, LineStartingWith(line_text, "ripetizione segnali 4 codici"),
                                "ripetizione segnali 9 codici,    2700,    95900");
  const std::vector<Symbol> line_general = SymbolsOf(SourceDocument(SourceFile::LineDescription, line_text))[0].children;
  ASSERT_EQ(line_general.size(), 8u);
  EXPECT_EQ(line_general[0].name, "lunghezza percorso");
  EXPECT_EQ(line_general[4].name, "sfondo uno");
  EXPECT_EQ(line_general[4].detail, "1");
  EXPECT_EQ(line_general[7].name, "ripetizione segnali 9 codici");
  EXPECT_EQ(line_general[7].detail, "cab signalling with 9 codes: 2700, 95900");

  // Every keyword, with 700 as its first value.
  struct Case {
    SourceFile file;
    std::string keyword;
    std::string name;
  };
  const SourceFile L = SourceFile::LineDescription;
  const SourceFile T = SourceFile::TrainService;
  const Case cases[] = {
      {L, "lunghezza percorso", "lunghezza percorso"},
      {L, "progressiva chilometrica uno", "progressiva chilometrica uno"},
      {L, "sfondo due", "sfondo due"},
      {L, "ripetizione segnali 4 codici", "ripetizione segnali 4 codici"},
      {L, "pendenza", "pendenza at 700 m"},
      {L, "curvad4", "curvad4 at 700 m"},
      {L, "montagna", "montagna at 700 m"},
      {L, "indicatori_vmax", "indicatori_vmax at 700 m"},
      {L, "cartello_indicatore", "cartello_indicatore at 700 m"},
      {T, "percentuale massa frenata", "percentuale massa frenata"},
      {T, "numero vetture", "numero vetture"},
      {T, "velocita", "velocita at 700 m"},
      {T, "aderenza", "aderenza at 700 m"},
      {T, "orologio", "orologio"},
      {T, "sabbia", "sabbia"},
      {T, "segnale", "segnale at 700 m"},
      {T, "rallentamento", "rallentamento at 700 m"},
      {T, "abbattimento", "abbattimento at 700 m"},
      {T, "Segnale", "Segnale at 700 m"},
  };
  for (const Case& c : cases) {
    const std::vector<Symbol> symbols =
        SymbolsOf(SourceDocument(c.file, "[x]\r\n" + c.keyword + ", 700, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11\r\n"));
    ASSERT_EQ(symbols.size(), 1u) << c.keyword;
    ASSERT_EQ(symbols[0].children.size(), 1u) << c.keyword;
    EXPECT_EQ(symbols[0].children[0].name, c.name);
  }
}

}  // namespace
}  // namespace scenario::lsp
