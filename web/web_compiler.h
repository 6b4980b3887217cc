// The compiler in the browser: two sources given as bytes compiled in
// memory, the report as JSON with the three compiled files' bytes, the
// route viewer's page and new's sources, the language server's core on
// texts in memory, and the module's exports.
//
// Everything here is plain C++, built natively and tested like any room;
// web/module_main.cpp turns it into the exports of the WebAssembly module
// (the web preset), and web/module_api.js into a JavaScript API.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace scenario::web {

// A file as the page holds it: its name (UTF-8, as a Linux file name) and
// its bytes (the sources are Windows-1252, as on disk).
struct NamedBytes {
  std::string name;
  std::string bytes;
};

struct WebCompileRequest {
  NamedBytes line_description;
  NamedBytes train_service;
  // Compile without the plan of the track: no compiled line file.
  bool no_line = false;
  // Names given instead of those taken from the file names.
  std::optional<std::string> line_name;
  std::optional<std::string> train_number;
  // Listen to the reading's warnings.
  bool warnings = true;
};

struct WebCompileResult {
  // One JSON object: "outcome" ("compiled", "error" when an error is
  // recorded, "stopped" when the run stopped with no compiled file,
  // "refused" when the sources could not be compiled at all, with
  // "refusal" saying why), then the fields of `scenario-tool compile
  // --json` (the error slot, its message, cause and place, where the run
  // stopped, the line description's own stop, the notes and the warnings)
  // with "files" naming the compiled files.
  std::string report_json;
  // The compiled files by their names, in the order the run wrote them
  // (none when it stopped).
  std::vector<NamedBytes> files;
};

// Compiles the two sources as `scenario-tool compile` does, on a file
// system in memory: the same readers, rules and writers, the same report.
WebCompileResult CompileSources(const WebCompileRequest& request);

// The two sources of the built-in scenario, as the compactor writes them.
std::vector<NamedBytes> BuiltInSources();

// The route viewer's page of two sources, as `scenario-tool view` makes it
// of them: compiled in memory noting which line wrote each value, the
// compile's warnings and error among the page's warnings. The report is
// CompileSources's; the one file is the page, named "view.html" (none when
// the run stopped or the sources were refused).
WebCompileResult ViewSourcesPage(const WebCompileRequest& request);

// The two sources `scenario-tool new` writes (line description first) for
// the line `line_name` and the train `train_number` (as a command line
// gives them: UTF-8) on a line `length` metres long (as text). Throws
// std::invalid_argument, naming the value and what to write, for a name or
// length that new refuses.
std::vector<NamedBytes> NewScenarioSources(const std::string& line_name, const std::string& train_number,
                                           const std::string& length);

// The language server's core for a page: documents live in memory under
// the paths of their file: URIs; a message in, the messages out.
class WebLanguageServer {
 public:
  WebLanguageServer();
  ~WebLanguageServer();
  WebLanguageServer(const WebLanguageServer&) = delete;
  WebLanguageServer& operator=(const WebLanguageServer&) = delete;

  // Handles one message (its JSON body) and returns the messages it sent,
  // in order. Checks that edits made due wait for CheckPending.
  std::vector<std::string> Receive(const std::string& body);
  // Runs the checks that are due, and returns what they published.
  std::vector<std::string> CheckPending();
  bool HasPendingWork() const;
  // Once `exit` has come: the status the server ends with; else -1.
  int ExitStatus() const;
  // Puts a file where the server reads it, as on disk: the other source
  // of a pair that the editor has not opened.
  void PutFile(const std::string& path, const std::string& bytes);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace scenario::web
