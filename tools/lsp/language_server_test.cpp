// The server through the protocol, with the scripted client: the messages
// every client sends, broken ones, and the diagnostics of the two sources.
#include "tools/lsp/language_server.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/files/memory_file_system.h"
#include "tools/lsp/source_code.h"
#include "tests/support/lsp_client.h"
#include "tests/support/lsp_source_texts.h"
#include "tools/lsp/uri.h"

namespace scenario::lsp {
namespace {

using testing_support::BuiltInLineText;
using testing_support::BuiltInTrainText;
using testing_support::LineStartingWith;
using testing_support::LspClient;
using testing_support::WithLine;
using testing_support::WithLineBefore;

const std::string kLinePath = "/s/Valle_linea.txt";
const std::string kTrainPath = "/s/Valle_42-.txt";
const std::string kLineUri = "file:///s/Valle_linea.txt";
const std::string kTrainUri = "file:///s/Valle_42-.txt";

// The built-in sources on "disk", as Valle.
MemoryFileSystem BuiltInOnDisk() {
  MemoryFileSystem files;
  files.files[kLinePath] = BuiltInLineText();  // ASCII: the same bytes in Windows-1252
  files.files[kTrainPath] = BuiltInTrainText();
  return files;
}

// The diagnostics of `uri` with `code`.
std::vector<Json> WithCode(const Json& diagnostics, const Json& code) {
  std::vector<Json> found;
  for (const Json& diagnostic : diagnostics)
    if (diagnostic["code"] == code) found.push_back(diagnostic);
  return found;
}

Json RangeJson(int line, int start, int end) {
  return Json{{"start", {{"line", line}, {"character", start}}}, {"end", {{"line", line}, {"character", end}}}};
}

// The index of the first message that satisfies `is`, or -1.
template <typename Predicate>
int IndexOf(const std::vector<Json>& messages, Predicate is) {
  for (size_t k = 0; k < messages.size(); ++k)
    if (is(messages[k])) return static_cast<int>(k);
  return -1;
}

TEST(LanguageServerProtocol, AnswersInitializeAndRefusesRequestsBeforeIt) {
  MemoryFileSystem files = BuiltInOnDisk();
  LspClient client(files, /*initialize=*/false);
  const int early = client.Request("textDocument/hover");
  EXPECT_EQ(client.Answer(early)["error"]["code"], error_code::kServerNotInitialized);
  const int init = client.Request("initialize", Json{{"capabilities", Json::object()}});
  const Json capabilities = client.Result(init)["capabilities"];
  EXPECT_EQ(capabilities["positionEncoding"], "utf-16");
  EXPECT_EQ(capabilities["textDocumentSync"]["change"], 2);  // incremental
}

TEST(LanguageServerProtocol, AnswersBrokenMessagesAndGoesOn) {
  MemoryFileSystem files = BuiltInOnDisk();
  LspClient client(files);
  client.Forget();
  struct Case {
    const char* what;
    std::string bytes;
    int code;
    std::string says;
  };
  const Case cases[] = {
      {"bad header", "Content-Lenght: 2\r\n\r\n", error_code::kParseError, "the header has no Content-Length"},
      {"bad JSON", FrameMessage("{\"jsonrpc\":\"2.0\",\"id\":"), error_code::kParseError, "is no JSON"},
      {"no object", FrameMessage("[1,2]"), error_code::kInvalidRequest, "no JSON object"},
      {"no method", FrameMessage("{\"jsonrpc\":\"2.0\",\"id\":5}"), error_code::kInvalidRequest, "has no method"},
      {"unknown method", FrameMessage("{\"jsonrpc\":\"2.0\",\"id\":6,\"method\":\"textDocument/frobnicate\"}"),
       error_code::kMethodNotFound, "no method 'textDocument/frobnicate'"},
  };
  for (const Case& c : cases) {
    client.Forget();
    client.SendBytes(c.bytes);
    ASSERT_EQ(client.received().size(), 1u) << c.what;
    const Json& answer = client.received()[0];
    EXPECT_EQ(answer["error"]["code"], c.code) << c.what;
    EXPECT_NE(answer["error"]["message"].get<std::string>().find(c.says), std::string::npos)
        << c.what << ": " << answer.dump();
  }
  // A notification cannot be answered: what is wrong with it is logged.
  client.Forget();
  client.Replace(kTrainUri, 2, "x");
  client.Notify("textDocument/didOpen", Json{{"textDocument", {{"uri", kTrainUri}}}});
  ASSERT_EQ(client.received().size(), 2u);
  EXPECT_EQ(client.received()[0]["method"], "window/logMessage");
  EXPECT_NE(client.received()[0]["params"]["message"].get<std::string>().find("is not open"), std::string::npos);
  EXPECT_NE(client.received()[1]["params"]["message"].get<std::string>().find("cannot be read"), std::string::npos);
  // And the server still works.
  client.Open(kTrainUri, BuiltInTrainText());
  client.Idle();
  EXPECT_EQ(client.Diagnostics(kTrainUri), Json::array());
  const int shutdown = client.Request("shutdown");
  EXPECT_EQ(client.Result(shutdown), nullptr);
}

TEST(LanguageServerProtocol, FollowsATranscriptOfAConversation) {
  MemoryFileSystem files;
  LspClient client(files, /*initialize=*/false);
  client.SendTranscript(R"(
# A train service alone in its folder, with one value of a line cut off.
{"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {"capabilities": {}}}
---
{"jsonrpc": "2.0", "method": "initialized", "params": {}}
---
{"jsonrpc": "2.0", "method": "textDocument/didOpen", "params": {"textDocument": {
  "uri": "file:///s/Solo_1-.txt", "languageId": "scenario-train", "version": 1,
  "text": "[generale]\r\nnumero vetture,    4\r\nsabbia\r\n[fine]\r\n"}}}
---
# Hover on "vetture", then on the 4.
{"jsonrpc": "2.0", "id": 2, "method": "textDocument/hover", "params": {
  "textDocument": {"uri": "file:///s/Solo_1-.txt"}, "position": {"line": 1, "character": 9}}}
---
{"jsonrpc": "2.0", "id": 3, "method": "textDocument/hover", "params": {
  "textDocument": {"uri": "file:///s/Solo_1-.txt"}, "position": {"line": 1, "character": 19}}}
---
{"jsonrpc": "2.0", "id": 4, "method": "shutdown"}
---
{"jsonrpc": "2.0", "method": "exit"}
)");
  EXPECT_EQ(client.Answer(2)["result"]["range"], RangeJson(1, 0, 14));
  EXPECT_NE(client.Answer(3)["result"]["contents"]["value"].get<std::string>().find("**the number of coaches**"),
            std::string::npos);
  // The check ran before the answer to shutdown: the line cut off is told
  // where it ends.
  const Json diagnostics = client.Diagnostics("file:///s/Solo_1-.txt").value();
  const std::vector<Json> cut = WithCode(diagnostics, 25);
  ASSERT_EQ(cut.size(), 1u) << diagnostics.dump(1);
  EXPECT_NE(cut[0]["message"].get<std::string>().find("'sabbia'"), std::string::npos) << cut[0].dump();
  EXPECT_EQ(client.server().exit_status(), 0);
}

TEST(LanguageServerProtocol, FinishesEveryCheckBeforeAnsweringShutdown) {
  MemoryFileSystem files = BuiltInOnDisk();
  LspClient client(files);
  client.Open(kTrainUri, WithLine(BuiltInTrainText(), 11, "stazone,  0,  8,  700,  1, 1, 0,  4,1,0,  2,1,1,  1,  8,13, 0, X"));
  // No idle moment: the check is due when shutdown comes.
  const int shutdown = client.Request("shutdown");
  const int published = IndexOf(client.received(), [](const Json& m) {
    return m.value("method", "") == "textDocument/publishDiagnostics" && !m["params"]["diagnostics"].empty();
  });
  const int answered = IndexOf(client.received(), [&](const Json& m) { return m.value("id", -1) == shutdown; });
  ASSERT_GE(published, 0);
  EXPECT_LT(published, answered);
  const int late = client.Request("textDocument/hover");
  EXPECT_EQ(client.Answer(late)["error"]["code"], error_code::kInvalidRequest);
  EXPECT_FALSE(client.server().exit_status());
  client.Notify("exit");
  EXPECT_EQ(client.server().exit_status(), 0);

  LspClient abrupt(files);
  abrupt.Notify("exit");
  EXPECT_EQ(abrupt.server().exit_status(), 1);
}

TEST(LanguageServerProtocol, AnswersTheEditorsHelpAndRefusesFilesNotOpen) {
  MemoryFileSystem files = BuiltInOnDisk();
  LspClient client(files);
  client.Open(kTrainUri, BuiltInTrainText());
  client.Idle();
  const Json hover = client.At("textDocument/hover", kTrainUri, {11, 2});
  EXPECT_EQ(hover["result"]["contents"]["kind"], "markdown");
  EXPECT_EQ(hover["result"]["contents"]["value"].get<std::string>().rfind("**stazione** — train service", 0), 0u);
  EXPECT_EQ(hover["result"]["range"], RangeJson(11, 0, 8));
  EXPECT_EQ(client.At("textDocument/hover", kTrainUri, {9, 15})["result"]["contents"]["value"].get<std::string>().find(
                "the position from which the limit holds"),
            2u);
  const Json completion = client.At("textDocument/completion", kTrainUri, {12, 0})["result"];
  const Json& station = completion["items"].back();
  EXPECT_EQ(station["label"], "stazione");
  EXPECT_EQ(station["insertTextFormat"], 2);
  const Json signature = client.At("textDocument/signatureHelp", kTrainUri, {11, 17})["result"];
  EXPECT_EQ(signature["activeParameter"], 0);
  EXPECT_EQ(signature["signatures"][0]["parameters"][0]["label"], Json::array({10, 18}));
  const int symbols = client.Request("textDocument/documentSymbol", Json{{"textDocument", {{"uri", kTrainUri}}}});
  EXPECT_EQ(client.Result(symbols)[3]["name"], "[stazioni]");
  EXPECT_EQ(client.Result(symbols)[3]["children"][0]["name"], "CALVISIO P.N.");
  // Nothing on a blank.
  EXPECT_EQ(client.At("textDocument/hover", kTrainUri, {11, 9})["result"], nullptr);

  const Json closed = client.At("textDocument/hover", kLineUri, {0, 0});
  EXPECT_EQ(closed["error"]["code"], error_code::kInvalidParams);
  EXPECT_EQ(closed["error"]["message"], "the document '" + kLineUri + "' is not open: send textDocument/didOpen first");
  const Json elsewhere = client.At("textDocument/hover", "https://example.org/a_linea.txt", {0, 0});
  EXPECT_EQ(elsewhere["error"]["code"], error_code::kInvalidParams);
}

TEST(Diagnostics, PlacesWarningsAndTheErrorAtTheirFields) {
  MemoryFileSystem files = BuiltInOnDisk();
  const auto before = files.files;
  LspClient client(files);
  std::string text = WithLine(BuiltInTrainText(), 11,
                              "stazone,       0,  8,  700,  1, 1, 0,  4,1,0,  2,1,1,    1,   8,13, 0, CALVISIO P.N.");
  const int slowdown = LineStartingWith(text, "[segnali]");
  // A slowdown at 57200 m, where the line has a maximum-speed indicator.
  text = WithLineBefore(text, slowdown, "rallentamento,   57200,    60,  500, 1,  1,  0");
  client.Open(kTrainUri, text, 3);
  client.Idle();
  const Json diagnostics = client.Diagnostics(kTrainUri).value();
  const std::vector<Json> misspelt = WithCode(diagnostics, "unknown-keyword");
  ASSERT_EQ(misspelt.size(), 1u) << diagnostics.dump(1);
  EXPECT_EQ(misspelt[0]["range"], RangeJson(11, 0, 7));
  EXPECT_EQ(misspelt[0]["severity"], 2);
  EXPECT_NE(misspelt[0]["message"].get<std::string>().find("did you mean 'stazione'?"), std::string::npos);
  const std::vector<Json> taken = WithCode(diagnostics, 18);
  ASSERT_EQ(taken.size(), 1u) << diagnostics.dump(1);
  // At the slowdown's position, naming what holds the cell, in the other file.
  EXPECT_EQ(taken[0]["range"], RangeJson(slowdown, 17, 22));
  EXPECT_EQ(taken[0]["severity"], 1);
  EXPECT_EQ(taken[0]["message"],
            "error 18 at 57200 m: the start of the slowdown at 57200 m falls in route cell 1145 (the positions from "
            "57175 to 57225 m), which already holds the maximum-speed indicator at 57200 m (line 32 of "
            "Valle_linea.txt): move one of the two by 50 m or more");
  // The published version is the one checked.
  for (const Json& message : client.received()) {
    if (message.value("method", "") == "textDocument/publishDiagnostics" && message["params"]["uri"] == kTrainUri) {
      EXPECT_EQ(message["params"]["version"], 3);
    }
  }
  // Nothing was written.
  EXPECT_EQ(files.files, before);
}

TEST(Diagnostics, PointsAFailedReadingAtTheValueItNames) {
  MemoryFileSystem files = BuiltInOnDisk();
  LspClient client(files);
  client.Open(kTrainUri, WithLine(BuiltInTrainText(), 1, "numero vetture,    4.5"));
  client.Idle();
  const std::vector<Json> failed = WithCode(client.Diagnostics(kTrainUri).value(), 25);
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_EQ(failed[0]["range"], RangeJson(1, 19, 22));
  EXPECT_NE(failed[0]["message"].get<std::string>().find("'4.5' is not a whole number"), std::string::npos)
      << failed[0].dump();
}

// A board at 2850 m, where the line has a maximum-speed indicator: error 6.
std::pair<std::string, int> LineWithTakenBoard() {
  const std::string line = BuiltInLineText();
  const int board = LineStartingWith(line, "[fine]");
  return {WithLineBefore(line, board, "cartello_indicatore,  2850,   (P.L.      )(Km. 96.150)"), board};
}

TEST(Diagnostics, ShowsAnErrorOfTheOtherFileThereAndMentionsItHere) {
  MemoryFileSystem files = BuiltInOnDisk();
  const auto [line_text, board] = LineWithTakenBoard();
  files.files[kLinePath] = line_text;
  LspClient client(files);
  client.Open(kTrainUri, BuiltInTrainText());
  client.Idle();
  const std::vector<Json> there = WithCode(client.Diagnostics(kLineUri).value(), 6);
  ASSERT_EQ(there.size(), 1u);
  EXPECT_EQ(there[0]["range"], RangeJson(board, 22, 26));
  const std::vector<Json> here = WithCode(client.Diagnostics(kTrainUri).value(), 6);
  ASSERT_EQ(here.size(), 1u);
  EXPECT_EQ(here[0]["range"]["start"]["line"], 0);
  EXPECT_EQ(here[0]["message"], "in Valle_linea.txt, line " + std::to_string(board + 1) +
                                    ", column 23: error 6 at 2850 m: " + there[0]["message"].get<std::string>().substr(19));
  EXPECT_EQ(here[0]["relatedInformation"][0]["location"]["uri"], kLineUri);
  EXPECT_EQ(here[0]["relatedInformation"][0]["location"]["range"], there[0]["range"]);

  // Closed, the train service's diagnostics go, and so do those it showed
  // in the line description.
  client.Forget();
  client.Close(kTrainUri);
  client.Idle();
  EXPECT_EQ(client.Diagnostics(kTrainUri), Json::array());
  EXPECT_EQ(client.Diagnostics(kLineUri), Json::array());
}

TEST(Diagnostics, ChecksATrainServiceWithoutItsLineAndSaysSo) {
  MemoryFileSystem files;
  files.files["/s/Solo_7-.txt"] = BuiltInTrainText();
  LspClient client(files);
  client.Open("file:///s/Solo_7-.txt",
              WithLine(BuiltInTrainText(), 11, "stazone,  0,  8,  700,  1, 1, 0,  4,1,0,  2,1,1,  1,  8,13, 0, X"));
  client.Idle();
  const Json diagnostics = client.Diagnostics("file:///s/Solo_7-.txt").value();
  const std::vector<Json> pairing = WithCode(diagnostics, "pairing");
  ASSERT_EQ(pairing.size(), 1u) << diagnostics.dump(1);
  EXPECT_EQ(pairing[0]["severity"], 3);
  EXPECT_EQ(pairing[0]["range"]["start"]["line"], 0);
  const std::string message = pairing[0]["message"];
  EXPECT_NE(message.find("no line description 'Solo_linea.txt'"), std::string::npos) << message;
  EXPECT_NE(message.find("'/s/Solo_linea.txt'"), std::string::npos) << message;
  // The train service itself is still checked.
  EXPECT_EQ(WithCode(diagnostics, "unknown-keyword").size(), 1u) << diagnostics.dump(1);
  EXPECT_EQ(diagnostics.size(), 2u) << diagnostics.dump(1);
}

TEST(Diagnostics, CompilesABurstOfEditsOnceWithTheLatestText) {
  MemoryFileSystem files = BuiltInOnDisk();
  LspClient client(files);
  client.Open(kTrainUri, BuiltInTrainText());
  client.Idle();
  const int compiles = client.server().server().compiles();
  // "stazione" -> "stazone" -> "stazXone" -> "stazXon" -> "staz" -> "stazione".
  client.Edit(kTrainUri, 2, {{11, 4}, {11, 5}}, "");
  client.Edit(kTrainUri, 3, {{11, 4}, {11, 4}}, "X");
  client.Edit(kTrainUri, 4, {{11, 7}, {11, 8}}, "");
  client.Edit(kTrainUri, 5, {{11, 4}, {11, 7}}, "");
  client.Edit(kTrainUri, 6, {{11, 4}, {11, 4}}, "Xo");
  client.Forget();
  client.Idle();
  EXPECT_EQ(client.server().server().compiles(), compiles + 1);
  ASSERT_EQ(client.received().size(), 1u);
  EXPECT_EQ(client.received()[0]["params"]["version"], 6);
  const std::vector<Json> misspelt = WithCode(client.Diagnostics(kTrainUri).value(), "unknown-keyword");
  ASSERT_EQ(misspelt.size(), 1u);
  EXPECT_EQ(misspelt[0]["range"], RangeJson(11, 0, 6));
  EXPECT_NE(misspelt[0]["message"].get<std::string>().find("'stazXo'"), std::string::npos);
}

TEST(Diagnostics, AnEditOfTheLineDescriptionChecksItsOpenTrainServicesAgain) {
  MemoryFileSystem files = BuiltInOnDisk();
  files.files["/s/Altra_42-.txt"] = BuiltInTrainText();  // another line's: not checked again
  LspClient client(files);
  client.Open(kLineUri, BuiltInLineText());
  client.Open(kTrainUri, BuiltInTrainText());
  client.Open("file:///s/Altra_42-.txt", BuiltInTrainText());
  client.Idle();
  client.Forget();
  const auto [line_text, board] = LineWithTakenBoard();
  client.Edit(kLineUri, 2, {{board, 0}, {board, 0}},
              "cartello_indicatore,  2850,   (P.L.      )(Km. 96.150)\r\n");
  client.Idle();
  ASSERT_EQ(client.received().size(), 2u);
  EXPECT_EQ(WithCode(client.Diagnostics(kLineUri).value(), 6).size(), 1u);
  EXPECT_EQ(WithCode(client.Diagnostics(kTrainUri).value(), 6).size(), 1u);
}

// The quick fixes offered on `range`; each applied in turn, `uri`'s
// diagnostics of that kind must go.
Json CodeActions(LspClient& client, const std::string& uri, const Json& range) {
  const int id = client.Request("textDocument/codeAction",
                                Json{{"textDocument", {{"uri", uri}}}, {"range", range}, {"context", {{"diagnostics", Json::array()}}}});
  return client.Result(id);
}

TEST(QuickFixes, PutRightWhatTheWarningKnowsHowTo) {
  struct Case {
    const char* what;
    bool line_description;
    std::string start;  // the line to change
    std::string line;
    Json code;
    std::string title;
    int from, to;  // the characters the edit replaces
    std::string new_text;
  };
  const Case cases[] = {
      {"did you mean", false, "stazione,    7350",
       "stazone,    7350, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,22, 0, PRAGELLO", "unknown-keyword",
       "Write 'stazione'", 0, 7, "stazione"},
      {"header", false, "[segnali]", "[segnalli]", "unknown-keyword", "Write '[segnali]'", 0, 10, "[segnali]"},
      {"capitals", true, "sfondo uno", "Sfondo uno,    1", "unknown-keyword", "Write 'sfondo uno'", 0, 10, "sfondo uno"},
      {"quotes", true, "cartello_indicatore,  6050", "cartello_indicatore,  6050,   (P.L.      )(Km. 90,950)  ",
       "text-cut", "Put the text in double quotes", 30, 54, "\"(P.L.      )(Km. 90,950)\""},
      {"speed", false, "velocita,      50", "velocita,      50,   1300", 25, "Write 1275 km/h, the nearest speed that fits",
       21, 25, "1275"},
      {"speed below 0", false, "velocita,      50", "velocita,      50,   -10", 25,
       "Write 0 km/h, the nearest speed that fits", 21, 24, "0"},
  };
  for (const Case& c : cases) {
    MemoryFileSystem files = BuiltInOnDisk();
    LspClient client(files);
    const std::string uri = c.line_description ? kLineUri : kTrainUri;
    const std::string base = c.line_description ? BuiltInLineText() : BuiltInTrainText();
    const int line = LineStartingWith(base, c.start);
    client.Open(uri, WithLine(base, line, c.line));
    client.Idle();
    const Json actions = CodeActions(client, uri, RangeJson(line, c.from + 1, c.from + 1));
    ASSERT_EQ(actions.size(), 1u) << c.what << ": " << client.Diagnostics(uri)->dump(1);
    EXPECT_EQ(actions[0]["title"], c.title) << c.what;
    EXPECT_EQ(actions[0]["kind"], "quickfix");
    EXPECT_EQ(actions[0]["diagnostics"][0]["code"], c.code) << c.what;
    const Json edit = actions[0]["edit"]["changes"][uri][0];
    EXPECT_EQ(edit["range"], RangeJson(line, c.from, c.to)) << c.what;
    EXPECT_EQ(edit["newText"], c.new_text) << c.what;
    // Applied, it leaves nothing to show.
    client.Edit(uri, 2, edit["range"].get<TextRange>(), edit["newText"].get<std::string>());
    client.Idle();
    EXPECT_EQ(client.Diagnostics(uri), Json::array()) << c.what;
    // Elsewhere, nothing is offered.
    EXPECT_EQ(CodeActions(client, uri, RangeJson(0, 0, 0)), Json::array()) << c.what;
  }
}

// A fix comes with the warning or the cause that knows it, never from the
// words of a message: a keyword field that quotes "did you mean '...'" gets
// none, and an error of the partner, told on the edited file's first line,
// offers no edit of that line.
TEST(QuickFixes, AreNeverReadOutOfAMessagesWords) {
  {
    MemoryFileSystem files = BuiltInOnDisk();
    LspClient client(files);
    const std::string base = BuiltInTrainText();
    const int line = LineStartingWith(base, "[segnali]") + 1;
    client.Open(kTrainUri, WithLineBefore(base, line, "did you mean 'sabbiz', 100"));
    client.Idle();
    const std::vector<Json> unknown = WithCode(client.Diagnostics(kTrainUri).value(), "unknown-keyword");
    ASSERT_EQ(unknown.size(), 1u) << client.Diagnostics(kTrainUri)->dump(1);
    EXPECT_NE(unknown[0]["message"].get<std::string>().find("did you mean 'sabbiz'"), std::string::npos);
    EXPECT_EQ(CodeActions(client, kTrainUri, RangeJson(line, 1, 1)), Json::array());
  }
  {
    MemoryFileSystem files = BuiltInOnDisk();
    const std::string train = BuiltInTrainText();
    files.files[kTrainPath] = WithLine(train, LineStartingWith(train, "velocita,      50"), "velocita,      50,   1300");
    LspClient client(files);
    client.Open(kLineUri, BuiltInLineText());
    client.Idle();
    const std::vector<Json> errors = WithCode(client.Diagnostics(kLineUri).value(), 25);
    ASSERT_EQ(errors.size(), 1u) << client.Diagnostics(kLineUri)->dump(1);
    EXPECT_NE(errors[0]["message"].get<std::string>().find("at most 255 fit"), std::string::npos);
    EXPECT_EQ(CodeActions(client, kLineUri, errors[0]["range"]), Json::array());
  }
}

TEST(GoTo, FromAnItemToTheLinesThatBuiltItsCellAndBack) {
  MemoryFileSystem files = BuiltInOnDisk();
  LspClient client(files);
  const std::string train = BuiltInTrainText();
  const std::string line = BuiltInLineText();
  client.Open(kTrainUri, train);
  // The signal at 2350 m lies on the curve from 1700 m and the gradient from 0.
  const int signal = LineStartingWith(train, "segnale,    2350");
  const Json places = client.At("textDocument/definition", kTrainUri, {signal, 3})["result"];
  ASSERT_EQ(places.size(), 2u) << places.dump(1);
  EXPECT_EQ(places[0]["uri"], kLineUri);
  EXPECT_EQ(places[0]["range"]["start"]["line"], LineStartingWith(line, "curvas3,  1700"));
  EXPECT_EQ(places[1]["range"]["start"]["line"], LineStartingWith(line, "pendenza,   0"));
  // And back, from the curve (the line description need not be open).
  client.Open(kLineUri, line);
  const Json back = client.At("textDocument/definition", kLineUri, {LineStartingWith(line, "curvas3,  1700"), 2})["result"];
  ASSERT_EQ(back.size(), 1u) << back.dump(1);
  EXPECT_EQ(back[0]["uri"], kTrainUri);
  EXPECT_EQ(back[0]["range"], RangeJson(signal, 0, 51));
  // A line that places nothing leads nowhere.
  EXPECT_EQ(client.At("textDocument/definition", kTrainUri, {0, 1})["result"], Json::array());
}

TEST(GoTo, TakesThePlacesTheCompileReadEvenWhereALineGoesOnOnTheNext) {
  MemoryFileSystem files = BuiltInOnDisk();
  LspClient client(files);
  const std::string train = BuiltInTrainText();
  // The curve from 1700 m with its values on the line after its keyword:
  // the compile reads them there, the text of its own line holds none.
  std::string line = BuiltInLineText();
  const int curve = LineStartingWith(line, "curvas3,  1700");
  line = WithLine(line, curve, "curvas3,\r\n  1700,  850");
  client.Open(kLineUri, line);
  client.Open(kTrainUri, train);
  client.Idle();
  const int signal = LineStartingWith(train, "segnale,    2350");
  const Json places = client.At("textDocument/definition", kTrainUri, {signal, 3})["result"];
  ASSERT_EQ(places.size(), 2u) << places.dump(1);
  EXPECT_EQ(places[0]["range"]["start"]["line"], curve);
}

TEST(Encoding, ACharacterWindows1252CannotHoldIsAnErrorWhereItStands) {
  MemoryFileSystem files = BuiltInOnDisk();
  LspClient client(files);
  // ✓ after "CALVISIO " and, on the next line, È (a Windows-1252 letter).
  std::string text = WithLine(BuiltInTrainText(), 11,
                              "stazione,       0,  8,  700,  1, 1, 0,  4,1,0,  2,1,1,    1,   8,13, 0, CALVISIO \u2713");
  text = WithLine(text, 12, "stazione,    7350, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,22, 0, PRAGELL\u00C8");
  client.Open(kTrainUri, text);
  client.Idle();
  const Json diagnostics = client.Diagnostics(kTrainUri).value();
  ASSERT_EQ(diagnostics.size(), 1u) << diagnostics.dump(1);
  EXPECT_EQ(diagnostics[0]["code"], "encoding");
  EXPECT_EQ(diagnostics[0]["severity"], 1);
  EXPECT_EQ(diagnostics[0]["range"], RangeJson(11, 81, 82));
  EXPECT_NE(diagnostics[0]["message"].get<std::string>().find("U+2713 cannot be written in Windows-1252"),
            std::string::npos);
}

TEST(Encoding, ColumnsAfterACharacterOfTwoUtf16UnitsComeBackInUnits) {
  MemoryFileSystem files = BuiltInOnDisk();
  LspClient client(files);
  const std::string base = BuiltInLineText();
  const int board = LineStartingWith(base, "cartello_indicatore,  6050");
  // 𝄞 (two UTF-16 units) inside a caption cut at a comma.
  client.Open(kLineUri, WithLine(base, board, "cartello_indicatore,  6050,   (P.L. \U0001D11E )(Km. 90,950)"));
  client.Idle();
  const Json diagnostics = client.Diagnostics(kLineUri).value();
  const std::vector<Json> cut = WithCode(diagnostics, "text-cut");
  ASSERT_EQ(cut.size(), 1u) << diagnostics.dump(1);
  // "(P.L. 𝄞 )(Km. 90" is 16 characters and 17 units, from character 30.
  EXPECT_EQ(cut[0]["range"], RangeJson(board, 30, 47));
  const std::vector<Json> encoding = WithCode(diagnostics, "encoding");
  ASSERT_EQ(encoding.size(), 1u);
  EXPECT_EQ(encoding[0]["range"], RangeJson(board, 36, 38));
}

}  // namespace
}  // namespace scenario::lsp
