// A scripted protocol client for the tests: it frames its messages, the
// server reads them through the message reader, and the server's answers
// are framed and read back the same way. Checks run when the test says the
// editor is idle, as they run when no message waits.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/files/file_system.h"
#include "tools/lsp/language_server.h"
#include "tools/lsp/protocol.h"

namespace scenario::testing_support {

class LspClient {
 public:
  // An initialized client (initialize and initialized sent) unless told not.
  explicit LspClient(FileSystem& files, bool initialize = true);

  // Sends a request and returns its id.
  int Request(const std::string& method, const lsp::Json& params = lsp::Json::object());
  void Notify(const std::string& method, const lsp::Json& params = lsp::Json::object());
  // Sends the messages of a transcript (see TranscriptMessages), each framed.
  void SendTranscript(const std::string& transcript);
  // Sends bytes as they are: every frame in them is handed to the server.
  void SendBytes(const std::string& bytes);
  // No message waits: the server runs its checks.
  void Idle() { server_.CheckPending(); }

  // The answer to request `id` (the whole message); throws when none came.
  lsp::Json Answer(int id) const;
  lsp::Json Result(int id) const { return Answer(id).at("result"); }
  // The diagnostics published last for `uri`; nothing when none were.
  std::optional<lsp::Json> Diagnostics(const std::string& uri) const;
  // Every message the server sent, in order.
  const std::vector<lsp::Json>& received() const { return received_; }
  // Forgets the messages received so far.
  void Forget() { received_.clear(); }

  // Document helpers: didOpen, didChange by range, didClose.
  void Open(const std::string& uri, const std::string& text, int version = 1);
  void Edit(const std::string& uri, int version, lsp::TextRange range, const std::string& text);
  void Replace(const std::string& uri, int version, const std::string& text);
  void Close(const std::string& uri);

  // Requests at a place of a document.
  lsp::Json At(const std::string& method, const std::string& uri, lsp::TextPosition position);

  lsp::LanguageServer& server() { return server_; }

 private:
  void Deliver(const std::string& body);
  lsp::LanguageServer server_;
  int next_id_ = 1;
  std::vector<lsp::Json> received_;
};

}  // namespace scenario::testing_support
