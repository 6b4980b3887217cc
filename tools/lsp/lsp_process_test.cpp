// The real `scenario-tool lsp` through its pipes: the framing on the wire,
// standard output holding protocol messages alone, and the end of the
// process as the protocol has it.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"
#include "tools/lsp/protocol.h"
#include "tests/support/lsp_source_texts.h"
#include "tools/lsp/transport.h"
#include "tools/lsp/uri.h"

namespace scenario::lsp {
namespace {

namespace fs = std::filesystem;
using scenario::testing_support::ChildProcess;
using scenario::testing_support::TempDir;
using scenario::testing_support::WriteWholeFile;

// Every whole frame of `output`; a fault or stray bytes fail the test.
std::vector<Json> Messages(const std::string& output) {
  std::vector<Json> messages;
  size_t whole = 0;  // the bytes of the whole frames read
  for (;;) {
    // A frame not yet whole is left for later.
    const size_t header_end = output.find("\r\n\r\n", whole);
    if (header_end == std::string::npos) break;
    const size_t length = std::stoul(output.substr(whole + 16, header_end - whole - 16));
    if (output.compare(whole, 16, "Content-Length: ") != 0) {
      ADD_FAILURE() << "stray bytes on standard output: " << output.substr(whole, 80);
      break;
    }
    if (header_end + 4 + length > output.size()) break;
    messages.push_back(Json::parse(output.substr(header_end + 4, length)));
    whole = header_end + 4 + length;
  }
  return messages;
}

class LspProcess {
 public:
  explicit LspProcess(const std::vector<std::string>& arguments = {}) : child_(Command(arguments), {}) {}
  void Send(const Json& message) { child_.WriteInput(FrameMessage(message.dump())); }
  void SendBytes(const std::string& bytes) { child_.WriteInput(bytes); }
  // Waits (at most 30 s) for a message that satisfies `wanted`.
  Json WaitFor(const std::function<bool(const Json&)>& wanted) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
      for (const Json& message : Messages(child_.output()))
        if (wanted(message)) return message;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ADD_FAILURE() << "no such message came; standard output so far: " << child_.output();
    return Json();
  }
  Json WaitForAnswer(int id) {
    return WaitFor([id](const Json& m) { return m.contains("id") && m["id"] == id && !m.contains("method"); });
  }
  ChildProcess& child() { return child_; }

 private:
  static std::vector<std::string> Command(const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {SCENARIO_TOOL_PATH, "lsp"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
  }
  ChildProcess child_;
};

TEST(LspProcess, TalksThroughThePipesAndEndsCleanly) {
  TempDir top;
  // A folder whose name the URI spells in UTF-8 and the programs, on
  // Windows, in Windows-1252.
  const fs::path folder = top.path() / fs::path(u8"Citt\u00E0");
  fs::create_directory(folder);
  const fs::path line = folder / "Valle_linea.txt";
  const fs::path train = folder / "Valle_42-.txt";
  WriteWholeFile(line, testing_support::BuiltInLineText());
  WriteWholeFile(train, testing_support::BuiltInTrainText());
  const std::u8string train_name = train.generic_u8string();
  const std::string train_uri = UriOfPath(std::string(train_name.begin(), train_name.end()));
  ASSERT_NE(train_uri.find("Citt%C3%A0/Valle_42-.txt"), std::string::npos) << train_uri;

  LspProcess server;
  server.Send(Json{{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", {{"capabilities", Json::object()}}}});
  EXPECT_EQ(server.WaitForAnswer(1)["result"]["capabilities"]["positionEncoding"], "utf-16");
  server.Send(Json{{"jsonrpc", "2.0"}, {"method", "initialized"}, {"params", Json::object()}});
  // A text with CR LF line ends and a misspelt keyword on line 12.
  const std::string text = testing_support::WithLine(testing_support::BuiltInTrainText(), 11, "stazone, 0, 8, 700, 1, 1, 0, 4,1,0, 2,1,1, 1, 8,13, 0, X");
  server.Send(Json{{"jsonrpc", "2.0"},
                   {"method", "textDocument/didOpen"},
                   {"params", {{"textDocument", {{"uri", train_uri}, {"languageId", "scenario-train"}, {"version", 1}, {"text", text}}}}}});
  const Json published = server.WaitFor([&](const Json& m) {
    return m.value("method", "") == "textDocument/publishDiagnostics" && m["params"]["uri"] == train_uri;
  });
  ASSERT_EQ(published["params"]["diagnostics"].size(), 1u) << published.dump(1);
  EXPECT_EQ(published["params"]["diagnostics"][0]["range"]["start"]["line"], 11);
  EXPECT_EQ(published["params"]["diagnostics"][0]["range"]["end"]["character"], 7);

  // A broken frame and broken JSON are answered, and the server goes on.
  server.SendBytes("Content-Type: nothing\r\n\r\n");
  server.SendBytes(FrameMessage("{\"id\": 2, \"method\""));
  const Json broken = server.WaitFor([](const Json& m) {
    return m.contains("error") && m["error"]["message"].get<std::string>().find("is no JSON") != std::string::npos;
  });
  EXPECT_EQ(broken["error"]["code"], error_code::kParseError);
  server.WaitFor([](const Json& m) {
    return m.contains("error") && m["error"]["message"].get<std::string>().find("no Content-Length") != std::string::npos;
  });

  // An edit, then shutdown at once: its diagnostics come before the answer.
  server.Send(Json{{"jsonrpc", "2.0"},
                   {"method", "textDocument/didChange"},
                   {"params", {{"textDocument", {{"uri", train_uri}, {"version", 2}}},
                               {"contentChanges", Json::array({{{"range", {{"start", {{"line", 11}, {"character", 4}}}, {"end", {{"line", 11}, {"character", 4}}}}}, {"text", "i"}}})}}}});
  server.Send(Json{{"jsonrpc", "2.0"}, {"id", 3}, {"method", "shutdown"}});
  EXPECT_EQ(server.WaitForAnswer(3)["result"], nullptr);
  const std::vector<Json> messages = Messages(server.child().output());
  bool clean_seen = false;
  for (const Json& message : messages) {
    if (message.value("method", "") == "textDocument/publishDiagnostics" && message["params"].value("version", 0) == 2)
      clean_seen = message["params"]["diagnostics"].empty();
    if (message.contains("id") && message["id"] == 3) break;
  }
  EXPECT_TRUE(clean_seen) << server.child().output();
  server.Send(Json{{"jsonrpc", "2.0"}, {"method", "exit"}});
  EXPECT_EQ(server.child().Wait(std::chrono::seconds(30)), 0);
  EXPECT_EQ(server.child().errors(), "");
  // Every byte on standard output belongs to a frame.
  StringSource source(server.child().output());
  while (std::optional<Frame> frame = ReadFrame(source)) EXPECT_EQ(frame->fault, "");
  // Nothing was written beside the sources.
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Valle_42-.txt", "Valle_linea.txt"}));
}

TEST(LspProcess, EndsWithStatusOneWhenTheInputEndsWithoutShutdown) {
  LspProcess server;
  server.Send(Json{{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", Json::object()}});
  server.WaitForAnswer(1);
  server.child().CloseInput();
  EXPECT_EQ(server.child().Wait(std::chrono::seconds(30)), 1);
}

// As VS Code starts it: with --stdio and the editor's process. When that
// process is gone the server ends by itself, though nobody closed its input.
TEST(LspProcess, StartedAsVsCodeStartsItEndsWhenTheEditorIsGone) {
  LspProcess editor;  // any process that stays until it is killed
  LspProcess server({"--stdio", "--clientProcessId=" + std::to_string(editor.child().Id())});
  server.Send(Json{{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", {{"capabilities", Json::object()}}}});
  EXPECT_EQ(server.WaitForAnswer(1)["result"]["capabilities"]["positionEncoding"], "utf-16");
  EXPECT_FALSE(server.child().Wait(std::chrono::milliseconds(1500))) << "ended while the editor runs";
  editor.child().Kill();
  EXPECT_EQ(server.child().Wait(std::chrono::seconds(20)), 1);
  EXPECT_EQ(server.child().errors(), "");
}

}  // namespace
}  // namespace scenario::lsp
