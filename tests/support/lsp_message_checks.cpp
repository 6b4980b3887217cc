#include "tests/support/lsp_message_checks.h"

#include <exception>
#include <vector>

#include "platform/files/memory_file_system.h"
#include "tools/lsp/language_server.h"
#include "tests/support/lsp_source_texts.h"
#include "tools/lsp/transport.h"

namespace scenario::testing_support {

using namespace lsp;  // NOLINT: the language server, which the checks feed

std::string CheckMessageStream(std::string_view bytes) {
  MemoryFileSystem files;
  files.files["/s/Valle_linea.txt"] = BuiltInLineText();
  files.files["/s/Valle_42-.txt"] = BuiltInTrainText();
  std::vector<std::string> sent;
  LanguageServer server(files, [&sent](const std::string& body) { sent.push_back(body); });
  StringSource source(bytes);
  size_t frames = 0;
  try {
    while (std::optional<Frame> frame = ReadFrame(source)) {
      if (++frames > bytes.size() + 1) return "the reader returned more frames than the input has bytes";
      if (frame->body.size() > kLargestBody) return "a frame's body passes the largest message taken";
      const size_t before = sent.size();
      server.Receive(*frame);
      // A broken frame is answered.
      if (!frame->fault.empty() && sent.size() == before) return "a broken frame was not answered: " + frame->fault;
      if (frames % 4 == 0) server.CheckPending();
      if (server.exit_status()) break;
    }
    server.CheckPending();
  } catch (const std::exception& thrown) {
    return std::string("the server threw: ") + thrown.what();
  }
  if (source.Get() != -1 && !server.exit_status()) return "the reader stopped before the end of the input";
  for (const std::string& body : sent) {
    const Json message = Json::parse(body, nullptr, /*allow_exceptions=*/false);
    if (message.is_discarded() || !message.is_object() || message.value("jsonrpc", "") != "2.0")
      return "the server sent a message that is no JSON-RPC object: " + body.substr(0, 200);
  }
  return "";
}

}  // namespace scenario::testing_support
