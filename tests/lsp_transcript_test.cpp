// The transcripts the language server's tests are written in.
#include "tests/support/lsp_transcript.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scenario::testing_support {
namespace {

TEST(LspTranscript, ReadsATranscriptAsItsMessages) {
  const std::string transcript =
      "# the client starts\n"
      "{\"id\": 1,\n \"method\": \"initialize\"}\n"
      "---\r\n"
      "\n"
      "# a notification\n"
      "{\"method\": \"initialized\"}\n"
      "---\n"
      "{\"method\": \"exit\"}";
  EXPECT_EQ(TranscriptMessages(transcript),
            (std::vector<std::string>{"{\"id\": 1,\n \"method\": \"initialize\"}", "{\"method\": \"initialized\"}",
                                      "{\"method\": \"exit\"}"}));
}

}  // namespace
}  // namespace scenario::testing_support
