#include "tests/support/lsp_transcript.h"

namespace scenario::testing_support {

std::vector<std::string> TranscriptMessages(std::string_view transcript) {
  std::vector<std::string> messages;
  std::string message;
  const auto finish = [&] {
    const size_t first = message.find_first_not_of(" \t\r\n");
    if (first != std::string::npos) {
      const size_t last = message.find_last_not_of(" \t\r\n");
      messages.push_back(message.substr(first, last - first + 1));
    }
    message.clear();
  };
  size_t start = 0;
  while (start < transcript.size()) {
    size_t end = transcript.find('\n', start);
    if (end == std::string_view::npos) end = transcript.size();
    std::string_view line = transcript.substr(start, end - start);
    start = end + 1;
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.starts_with('#')) continue;
    if (line == "---") {
      finish();
      continue;
    }
    message.append(line);
    message.push_back('\n');
  }
  finish();
  return messages;
}

}  // namespace scenario::testing_support
