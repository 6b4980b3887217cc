// The language server of scenario-tool: the framing, the protocol's messages,
// the glue from methods to calls, the language logic on the editor's open
// texts, and UTF-16 positions.
//
// This file is the glue: the protocol's methods turned into calls of the
// language logic, and its answers into messages. The only place that knows
// both the JSON of the protocol and the scenario sources.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/files/file_system.h"
#include "tools/lsp/protocol.h"
#include "tools/lsp/scenario_server.h"
#include "tools/lsp/transport.h"

namespace scenario::lsp {

class LanguageServer {
 public:
  // `send` takes each message body to go out, whole.
  using Send = std::function<void(const std::string& body)>;
  LanguageServer(FileSystem& files, Send send);

  // Handles one frame read (a fault in it is answered as the protocol says).
  void Receive(const Frame& frame);
  // Whether checks wait to be run.
  bool HasPendingWork() const { return server_.HasPendingChecks(); }
  // Runs the checks that are due and publishes what they found.
  void CheckPending();

  // Once `exit` has come: the status the server ends with (0 after a
  // shutdown, 1 without one).
  std::optional<int> exit_status() const { return exit_status_; }
  const ScenarioServer& server() const { return server_; }

 private:
  void HandleRequest(const Json& id, const std::string& method, const Json& params);
  void HandleNotification(const std::string& method, const Json& params);
  void Reply(const Json& id, const Json& result);
  void ReplyError(const Json& id, int code, const std::string& message);
  void Notify(const std::string& method, const Json& params);
  void LogError(const std::string& message);
  // The path of an open document, or a fault for the error answer.
  std::string OpenPath(const Json& params);

  ScenarioServer server_;
  Send send_;
  bool initialized_ = false;
  bool shut_down_ = false;
  std::optional<int> exit_status_;
};

}  // namespace scenario::lsp
