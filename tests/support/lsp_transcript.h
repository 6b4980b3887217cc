// Conversations with the language server written as transcripts, the
// readable form tests keep them in.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace scenario::testing_support {

// The messages of a transcript: messages one after another, each ended by a
// line "---"; lines that begin with '#' are comments; blank lines around a
// message are dropped.
std::vector<std::string> TranscriptMessages(std::string_view transcript);

}  // namespace scenario::testing_support
