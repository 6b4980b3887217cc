// The framing of the language server's messages, and nothing else: each
// message is a header ("Content-Length: N", CR LF line ends, an empty line)
// followed by N bytes of JSON. The bytes are read and written as they are;
// what the JSON says is the server's business.
#pragma once

#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace scenario::lsp {

// Where the reader takes its bytes from.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // The next byte, or -1 at the end.
  virtual int Get() = 0;
  // Up to `count` bytes into `into`, waiting for all of them unless the
  // input ends first; returns how many came.
  virtual size_t Read(char* into, size_t count) = 0;
};

class StringSource : public ByteSource {
 public:
  explicit StringSource(std::string_view bytes) : bytes_(bytes) {}
  int Get() override;
  size_t Read(char* into, size_t count) override;

 private:
  std::string_view bytes_;
  size_t at_ = 0;
};

class FileSource : public ByteSource {
 public:
  explicit FileSource(std::FILE* file) : file_(file) {}
  int Get() override { return std::getc(file_); }
  size_t Read(char* into, size_t count) override { return std::fread(into, 1, count, file_); }

 private:
  std::FILE* file_;
};

// One frame read: its body, or why it could not be read.
struct Frame {
  std::string body;
  // Empty for a frame read whole; otherwise what was wrong with it, for the
  // error answer ("the header has no Content-Length").
  std::string fault;
};

// The largest body taken, and the longest header.
inline constexpr size_t kLargestBody = 64u << 20;
inline constexpr size_t kLongestHeader = 8192;

// Reads the next frame from `source`; nothing once the input has ended
// between frames. A header that cannot be read is passed over up to its
// empty line, and a body cut by the end of the input is a fault, so that
// the reading always goes on with the next frame.
std::optional<Frame> ReadFrame(ByteSource& source);

// The bytes of one message: its header and `body`.
std::string FrameMessage(std::string_view body);

// The two directions of a conversation.
class Transport {
 public:
  virtual ~Transport() = default;
  // Waits for the next frame; nothing once the input has ended.
  virtual std::optional<Frame> Receive() = 0;
  virtual void Send(std::string_view body) = 0;
};

// Over two C streams, which the caller has put in binary mode.
class StreamTransport : public Transport {
 public:
  StreamTransport(std::FILE* in, std::FILE* out) : source_(in), out_(out) {}
  std::optional<Frame> Receive() override { return ReadFrame(source_); }
  // Whole messages, one at a time, flushed at once.
  void Send(std::string_view body) override;

 private:
  FileSource source_;
  std::FILE* out_;
  std::mutex writing_;
};

}  // namespace scenario::lsp
