#include "tests/support/lsp_client.h"

#include <stdexcept>

#include "tests/support/lsp_transcript.h"
#include "tools/lsp/transport.h"

namespace scenario::testing_support {

using namespace lsp;  // NOLINT: the language server, which the client talks to

LspClient::LspClient(FileSystem& files, bool initialize)
    : server_(files, [this](const std::string& body) {
        // The answer goes through the framing both ways.
        const std::string framed = FrameMessage(body);
        StringSource source(framed);
        const std::optional<Frame> frame = ReadFrame(source);
        if (!frame || !frame->fault.empty() || source.Get() != -1)
          throw std::logic_error("the server's message did not come back as one frame");
        received_.push_back(Json::parse(frame->body));
      }) {
  if (initialize) {
    Request("initialize", Json{{"processId", nullptr}, {"rootUri", nullptr}, {"capabilities", Json::object()}});
    Notify("initialized");
  }
}

void LspClient::Deliver(const std::string& body) { SendBytes(FrameMessage(body)); }

void LspClient::SendTranscript(const std::string& transcript) {
  for (const std::string& body : TranscriptMessages(transcript)) Deliver(body);
}

void LspClient::SendBytes(const std::string& bytes) {
  StringSource source(bytes);
  while (std::optional<Frame> frame = ReadFrame(source)) server_.Receive(*frame);
}

int LspClient::Request(const std::string& method, const Json& params) {
  const int id = next_id_++;
  Deliver(Json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}}.dump());
  return id;
}

void LspClient::Notify(const std::string& method, const Json& params) {
  Deliver(Json{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}}.dump());
}

Json LspClient::Answer(int id) const {
  for (const Json& message : received_)
    if (message.contains("id") && message["id"] == id && !message.contains("method")) return message;
  throw std::logic_error("no answer to request " + std::to_string(id));
}

std::optional<Json> LspClient::Diagnostics(const std::string& uri) const {
  for (auto it = received_.rbegin(); it != received_.rend(); ++it)
    if (it->value("method", "") == "textDocument/publishDiagnostics" && (*it)["params"]["uri"] == uri)
      return (*it)["params"]["diagnostics"];
  return std::nullopt;
}

void LspClient::Open(const std::string& uri, const std::string& text, int version) {
  Notify("textDocument/didOpen",
         Json{{"textDocument", {{"uri", uri}, {"languageId", "scenario"}, {"version", version}, {"text", text}}}});
}

void LspClient::Edit(const std::string& uri, int version, TextRange range, const std::string& text) {
  Notify("textDocument/didChange", Json{{"textDocument", {{"uri", uri}, {"version", version}}},
                                        {"contentChanges", Json::array({{{"range", range}, {"text", text}}})}});
}

void LspClient::Replace(const std::string& uri, int version, const std::string& text) {
  Notify("textDocument/didChange", Json{{"textDocument", {{"uri", uri}, {"version", version}}},
                                        {"contentChanges", Json::array({{{"text", text}}})}});
}

void LspClient::Close(const std::string& uri) {
  Notify("textDocument/didClose", Json{{"textDocument", {{"uri", uri}}}});
}

Json LspClient::At(const std::string& method, const std::string& uri, TextPosition position) {
  const int id = Request(method, Json{{"textDocument", {{"uri", uri}}}, {"position", position}});
  return Answer(id);
}

}  // namespace scenario::testing_support
