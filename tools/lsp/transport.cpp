#include "tools/lsp/transport.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace scenario::lsp {

namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The body length a header gives, or the fault in it.
struct HeaderReading {
  std::optional<size_t> length;
  std::string fault;
};

HeaderReading ReadHeader(std::string_view header) {
  HeaderReading reading;
  std::optional<size_t> length;
  size_t start = 0;
  while (start < header.size()) {
    size_t end = header.find('\n', start);
    if (end == std::string_view::npos) end = header.size();
    std::string_view line = header.substr(start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    start = end + 1;
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
      reading.fault = "the header line '" + std::string(line.substr(0, 80)) + "' has no ':'";
      return reading;
    }
    if (Lower(Trim(line.substr(0, colon))) != "content-length") continue;
    const std::string_view value = Trim(line.substr(colon + 1));
    size_t number = 0;
    const auto [end_of_number, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (value.empty() || error != std::errc() || end_of_number != value.data() + value.size()) {
      reading.fault = "the Content-Length '" + std::string(value.substr(0, 40)) + "' is not a number of bytes";
      return reading;
    }
    if (number > kLargestBody) {
      reading.fault = "the Content-Length " + std::string(value) + " passes the largest message taken, " +
                      std::to_string(kLargestBody) + " bytes";
      return reading;
    }
    length = number;
  }
  if (!length) {
    reading.fault = "the header has no Content-Length";
    return reading;
  }
  reading.length = length;
  return reading;
}

}  // namespace

int StringSource::Get() {
  if (at_ >= bytes_.size()) return -1;
  return static_cast<unsigned char>(bytes_[at_++]);
}

size_t StringSource::Read(char* into, size_t count) {
  const size_t taken = std::min(count, bytes_.size() - at_);
  std::copy_n(bytes_.data() + at_, taken, into);
  at_ += taken;
  return taken;
}

std::optional<Frame> ReadFrame(ByteSource& source) {
  // The header runs up to the first empty line.
  std::string header;
  bool too_long = false;
  for (;;) {
    const int c = source.Get();
    if (c < 0) {
      // The end between frames (blank bytes left over count as nothing).
      if (std::all_of(header.begin(), header.end(), [](char b) { return b == '\r' || b == '\n'; }))
        return std::nullopt;
      return Frame{"", "the input ended inside a message's header"};
    }
    if (header.size() < kLongestHeader) {
      header.push_back(static_cast<char>(c));
    } else {
      too_long = true;
      // Only the last four bytes are kept, to see the empty line.
      header.erase(0, 1);
      header.push_back(static_cast<char>(c));
    }
    // Line ends left over before a header are passed over.
    if (header == "\r\n" || header == "\n") {
      header.clear();
      continue;
    }
    // The empty line; a header written with LF alone is taken too.
    if (header.ends_with("\n\r\n") || header.ends_with("\n\n")) break;
  }
  if (too_long)
    return Frame{"", "the header is longer than " + std::to_string(kLongestHeader) + " bytes"};
  while (!header.empty() && (header.back() == '\r' || header.back() == '\n')) header.pop_back();
  const HeaderReading reading = ReadHeader(header);
  if (!reading.length) return Frame{"", reading.fault};
  Frame frame;
  frame.body.resize(*reading.length);
  const size_t got = frame.body.empty() ? 0 : source.Read(frame.body.data(), frame.body.size());
  if (got < frame.body.size()) {
    frame.fault = "the input ended after " + std::to_string(got) + " of the message's " +
                  std::to_string(frame.body.size()) + " bytes";
    frame.body.clear();
  }
  return frame;
}

std::string FrameMessage(std::string_view body) {
  std::string framed = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  framed.append(body);
  return framed;
}

void StreamTransport::Send(std::string_view body) {
  const std::string framed = FrameMessage(body);
  const std::lock_guard<std::mutex> lock(writing_);
  std::fwrite(framed.data(), 1, framed.size(), out_);
  std::fflush(out_);
}

}  // namespace scenario::lsp
