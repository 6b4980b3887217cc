// The web module's glue, natively: its report and files are those of
// `scenario-tool compile --json` for the same sources (the same check as the
// native-against-web differential, here on the native build and under the
// sanitizers), it refuses what the tool refuses, its viewer's page and
// new's sources are the tool's, and its language server diagnoses texts
// held in memory.
#include "web/web_compiler.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/files/memory_file_system.h"
#include "tests/support/tool_run.h"

namespace scenario::web {
namespace {

using Json = nlohmann::json;
using testing_support::RunTool;
using testing_support::ToolRun;

const std::string kLineName = "Calvisio -Sambreta_linea.txt";
const std::string kTrainName = "Calvisio -Sambreta_31613-.txt";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::string Text(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// The built-in sources with line `number` (1-based, 0 for none) of one of
// them replaced.
struct Edit {
  const char* what;
  bool in_train;
  int number;
  const char* text;
  bool no_line;
  const char* outcome;  // what the web report says
};

TEST(WebCompiler, ReportAndFilesAreThoseOfScenarioToolCompile) {
  const std::vector<NamedBytes> built_in = BuiltInSources();
  ASSERT_EQ(built_in.size(), 2u);
  ASSERT_EQ(built_in[0].name, kLineName);
  ASSERT_EQ(built_in[1].name, kTrainName);
  const Edit edits[] = {
      {"as written", false, 0, "", false, "compiled"},
      {"without the plan", false, 0, "", true, "compiled"},
      {"a station over another's zone, with a warning", true, 14,
       "stazione,   7400, 12,  500,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,28, 0, CAMPOSTRELLA", false, "error"},
      {"a slowdown beyond the route", true, 30, "rallentamento,   121850,    30,  350, 1,  1,  0", false, "error"},
      {"a route length in letters", false, 2, "lunghezza percorso,    x99000", false, "stopped"},
  };
  for (const Edit& edit : edits) {
    SCOPED_TRACE(edit.what);
    std::vector<std::string> line = Lines(built_in[0].bytes);
    std::vector<std::string> train = Lines(built_in[1].bytes);
    if (edit.number > 0) (edit.in_train ? train : line).at(edit.number - 1) = edit.text;

    MemoryFileSystem files;
    files.files[kLineName] = Text(line);
    files.files[kTrainName] = Text(train);
    std::vector<std::string> args{"compile", "--json", kLineName, kTrainName, "-o", "out"};
    if (edit.no_line) args.push_back("--no-line");
    const ToolRun native = RunTool(args, files);
    const Json native_report = Json::parse(native.out);

    WebCompileRequest request;
    request.line_description = {kLineName, Text(line)};
    request.train_service = {kTrainName, Text(train)};
    request.no_line = edit.no_line;
    const WebCompileResult web = CompileSources(request);
    Json web_report = Json::parse(web.report_json);

    EXPECT_EQ(web_report["outcome"], edit.outcome);
    const char* status_outcomes[] = {"compiled", "error", "stopped"};
    ASSERT_GE(native.status, 0);
    ASSERT_LE(native.status, 2);
    EXPECT_EQ(web_report["outcome"], status_outcomes[native.status]);
    // Every field but the files, which the tool names by path.
    Json native_fields = native_report;
    native_fields.erase("files");
    web_report.erase("outcome");
    const Json web_names = web_report["files"];
    web_report.erase("files");
    EXPECT_EQ(web_report, native_fields);

    ASSERT_EQ(web.files.size(), native_report["files"].size());
    ASSERT_EQ(web_names.size(), web.files.size());
    for (size_t i = 0; i < web.files.size(); ++i) {
      const std::string native_path = native_report["files"][i];
      EXPECT_EQ("out/" + web.files[i].name, native_path);
      EXPECT_EQ(web_names[i], web.files[i].name);
      EXPECT_TRUE(web.files[i].bytes == files.files.at(native_path)) << native_path << " differs";
    }
  }
}

TEST(WebCompiler, RefusesWhatTheToolRefusesAndSaysWhy) {
  const std::vector<NamedBytes> built_in = BuiltInSources();
  const std::string utf16 = std::string("\xff\xfe", 2) + std::string("[\0g\0", 4);
  struct Case {
    const char* what;
    NamedBytes line;
    NamedBytes train;
    const char* phrase;  // in the refusal, and in what the tool says
  } cases[] = {
      {"one file given twice", built_in[0], built_in[0], "are the same file"},
      {"a line description in UTF-16", {kLineName, utf16}, built_in[1], "UTF-16"},
      {"names that give no line name", {"linea.txt", built_in[0].bytes}, {"treno.txt", built_in[1].bytes}, "linea.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WebCompileRequest request;
    request.line_description = c.line;
    request.train_service = c.train;
    const Json report = Json::parse(CompileSources(request).report_json);
    EXPECT_EQ(report["outcome"], "refused");
    const std::string refusal = report.value("refusal", "");
    EXPECT_NE(refusal.find(c.phrase), std::string::npos) << refusal;

    MemoryFileSystem files;
    files.files[c.line.name] = c.line.bytes;
    files.files[c.train.name] = c.train.bytes;
    const ToolRun native = RunTool({"compile", "--json", c.line.name, c.train.name, "-o", "out"}, files);
    EXPECT_NE(native.status, 0);
    EXPECT_NE(native.err.find(refusal), std::string::npos) << native.err;
  }
}

TEST(WebCompiler, BuiltInSourcesAreThoseTheToolWrites) {
  MemoryFileSystem files;
  ASSERT_EQ(RunTool({"sources", "src"}, files).status, 0);
  for (const NamedBytes& source : BuiltInSources()) {
    ASSERT_EQ(files.files.count("src/" + source.name), 1u) << source.name;
    EXPECT_TRUE(files.files.at("src/" + source.name) == source.bytes) << source.name;
  }
}

TEST(WebCompiler, ViewPageIsTheOneScenarioToolViewWritesOfTheSources) {
  const std::vector<NamedBytes> built_in = BuiltInSources();
  struct Case {
    const char* what;
    bool in_train;
    int number;  // of the line replaced, from 1; 0 for none
    const char* text;
    const char* outcome;
  } cases[] = {
      {"as written", true, 0, "", "compiled"},
      {"a station over another's zone: the error among the page's warnings", true, 14,
       "stazione,   7400, 12,  500,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,28, 0, CAMPOSTRELLA", "error"},
      {"a route length in letters stops the run: no page", false, 2, "lunghezza percorso,    x99000", "stopped"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> line = Lines(built_in[0].bytes);
    std::vector<std::string> train = Lines(built_in[1].bytes);
    if (c.number > 0) (c.in_train ? train : line).at(c.number - 1) = c.text;
    MemoryFileSystem files;
    files.files[kLineName] = Text(line);
    files.files[kTrainName] = Text(train);
    const ToolRun native = RunTool({"view", kLineName, kTrainName, "-o", "page.html"}, files);

    WebCompileRequest request;
    request.line_description = {kLineName, Text(line)};
    request.train_service = {kTrainName, Text(train)};
    const WebCompileResult web = ViewSourcesPage(request);
    EXPECT_EQ(Json::parse(web.report_json)["outcome"], c.outcome);
    if (std::string(c.outcome) == "stopped") {
      EXPECT_EQ(native.status, 2);
      EXPECT_TRUE(web.files.empty());
      EXPECT_EQ(files.files.count("page.html"), 0u);
      continue;
    }
    ASSERT_EQ(web.files.size(), 1u);
    EXPECT_EQ(web.files[0].name, "view.html");
    ASSERT_EQ(files.files.count("page.html"), 1u) << native.err;
    EXPECT_TRUE(web.files[0].bytes == files.files.at("page.html")) << "the pages differ";
  }
  // The page's rows name the lines that wrote them, under the names given.
  WebCompileRequest request;
  request.line_description = {kLineName, built_in[0].bytes};
  request.train_service = {kTrainName, built_in[1].bytes};
  const std::string page = ViewSourcesPage(request).files.at(0).bytes;
  EXPECT_NE(page.find("\"file\":\"" + kTrainName + "\""), std::string::npos);
}

TEST(WebCompiler, NewSourcesAreThoseScenarioToolNewWrites) {
  struct Case {
    const char* line_name;
    const char* train_number;
    const char* length;
  } cases[] = {{"Nuova", "1", "10000"}, {"Citt\xc3\xa0 Alta", "42", "2000"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line_name);
    MemoryFileSystem files;
    ASSERT_EQ(RunTool({"new", c.line_name, c.train_number, "--length", c.length, "-o", "n"}, files).status, 0);
    const std::vector<NamedBytes> sources = NewScenarioSources(c.line_name, c.train_number, c.length);
    ASSERT_EQ(sources.size(), 2u);
    EXPECT_EQ(sources[0].name, std::string(c.line_name) + "_linea.txt");
    EXPECT_EQ(sources[1].name, std::string(c.line_name) + "_" + c.train_number + "-.txt");
    ASSERT_EQ(files.files.size(), 2u);
    for (const auto& [path, bytes] : files.files) {
      const bool line = path.find("_linea.txt") != std::string::npos;
      EXPECT_TRUE(bytes == sources[line ? 0 : 1].bytes) << path;
    }
  }
  // What new refuses, refused with its message.
  const std::pair<std::vector<std::string>, const char*> refused[] = {
      {{"Nuova", "1", "12"}, "12"}, {{"No/va", "1", "10000"}, "No/va"}, {{"Nuova", "", "10000"}, "train number"}};
  for (const auto& [given, phrase] : refused) {
    SCOPED_TRACE(given[0] + " " + given[1] + " " + given[2]);
    try {
      NewScenarioSources(given[0], given[1], given[2]);
      ADD_FAILURE() << "not refused";
    } catch (const std::invalid_argument& refusal) {
      EXPECT_NE(std::string(refusal.what()).find(phrase), std::string::npos) << refusal.what();
    }
  }
}

TEST(WebCompiler, LanguageServerDiagnosesATextInMemoryAndItsMend) {
  const std::vector<NamedBytes> built_in = BuiltInSources();
  WebLanguageServer server;
  server.PutFile("/studio/" + kTrainName, built_in[1].bytes);
  const std::vector<std::string> answers =
      server.Receive(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}})");
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_TRUE(Json::parse(answers[0])["result"].contains("capabilities")) << answers[0];
  server.Receive(R"({"jsonrpc":"2.0","method":"initialized","params":{}})");

  const std::string uri = "file:///studio/Calvisio%20-Sambreta_linea.txt";
  std::vector<std::string> line = Lines(built_in[0].bytes);
  line[1] = "lunghezza percorso,    x99000";
  const auto open = [&](const std::string& method, const std::string& text, int version) {
    Json params;
    params["textDocument"] = {{"uri", uri}, {"version", version}};
    if (method == "textDocument/didOpen") {
      params["textDocument"]["languageId"] = "scenario";
      params["textDocument"]["text"] = text;
    } else {
      params["contentChanges"] = Json::array({{{"text", text}}});
    }
    server.Receive(Json{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}}.dump());
    // The last diagnostics published for the document.
    Json diagnostics;
    for (int i = 0; i < 10 && server.HasPendingWork(); ++i)
      for (const std::string& sent : server.CheckPending()) {
        const Json message = Json::parse(sent);
        if (message.value("method", "") == "textDocument/publishDiagnostics" && message["params"]["uri"] == uri)
          diagnostics = message["params"]["diagnostics"];
      }
    return diagnostics;
  };
  // The built-in sources are ASCII: their text is their bytes.
  const Json faulty = open("textDocument/didOpen", Text(line), 1);
  ASSERT_TRUE(faulty.is_array() && !faulty.empty()) << faulty;
  EXPECT_EQ(faulty[0]["range"]["start"]["line"], 1) << faulty;
  EXPECT_NE(faulty[0]["message"].get<std::string>().find("x99000"), std::string::npos) << faulty;
  const Json mended = open("textDocument/didChange", built_in[0].bytes, 2);
  EXPECT_EQ(mended, Json::array()) << mended;

  server.Receive(R"({"jsonrpc":"2.0","id":2,"method":"shutdown","params":null})");
  EXPECT_EQ(server.ExitStatus(), -1);
  server.Receive(R"({"jsonrpc":"2.0","method":"exit","params":null})");
  EXPECT_EQ(server.ExitStatus(), 0);
}

}  // namespace
}  // namespace scenario::web
