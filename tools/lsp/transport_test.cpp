// The framing alone: frames read whole, and every broken one told and
// passed over so that the next frame is read.
#include "tools/lsp/transport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scenario::lsp {
namespace {

// Every frame of `bytes`, as "body" or "!fault".
std::vector<std::string> Frames(const std::string& bytes) {
  StringSource source(bytes);
  std::vector<std::string> frames;
  while (std::optional<Frame> frame = ReadFrame(source))
    frames.push_back(frame->fault.empty() ? frame->body : "!" + frame->fault);
  return frames;
}

TEST(Transport, ReadsFramesAndPassesOverBrokenOnes) {
  const std::string good = FrameMessage("{\"a\":1}");
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<std::string> frames;
  };
  const std::vector<Case> cases = {
      {"two frames", good + FrameMessage("[]"), {"{\"a\":1}", "[]"}},
      {"another header, any case", "content-length: 2\r\nContent-Type: application/vscode-jsonrpc; charset=utf-8\r\n\r\n{}",
       {"{}"}},
      {"LF alone", "Content-Length: 2\n\n{}", {"{}"}},
      {"body with CR LF kept", "Content-Length: 4\r\n\r\n\r\n\r\n", {"\r\n\r\n"}},
      {"no length", "Content-Type: x\r\n\r\n" + good,
       {"!the header has no Content-Length", "{\"a\":1}"}},
      {"length no number", "Content-Length: 1x\r\n\r\n" + good,
       {"!the Content-Length '1x' is not a number of bytes", "{\"a\":1}"}},
      {"length too large", "Content-Length: 99999999999\r\n\r\n" + good,
       {"!the Content-Length 99999999999 passes the largest message taken, 67108864 bytes", "{\"a\":1}"}},
      {"no colon", "hello\r\n\r\n" + good, {"!the header line 'hello' has no ':'", "{\"a\":1}"}},
      {"cut body", "Content-Length: 10\r\n\r\n{}", {"!the input ended after 2 of the message's 10 bytes"}},
      {"cut header", "Content-Length: 10\r\n", {"!the input ended inside a message's header"}},
      {"line ends between frames", "\r\n" + good + "\r\n", {"{\"a\":1}"}},
      {"header too long", std::string(9000, 'x') + "\r\n\r\n" + good,
       {"!the header is longer than 8192 bytes", "{\"a\":1}"}},
      {"nothing", "", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Frames(c.bytes), c.frames) << c.what;
}

TEST(Transport, FramesCountBytesNotCharacters) {
  // "€" is three bytes of UTF-8.
  EXPECT_EQ(FrameMessage("\"\xE2\x82\xAC\""), "Content-Length: 5\r\n\r\n\"\xE2\x82\xAC\"");
}

}  // namespace
}  // namespace scenario::lsp
