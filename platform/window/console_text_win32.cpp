#include "platform/system/win32_windows.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

#include "platform/window/console_text.h"

namespace scenario {

namespace {

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

// A stream buffer that hands what is written to Pass, a buffer's worth at a
// time and on every flush.
class PassingBuffer : public std::streambuf {
 public:
  PassingBuffer() { setp(buffer_, buffer_ + sizeof buffer_); }

 protected:
  int_type overflow(int_type c) override {
    if (!Drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }

  int sync() override { return Drain() ? 0 : -1; }

  bool Drain() {
    const std::string_view bytes(pbase(), pptr() - pbase());
    setp(buffer_, buffer_ + sizeof buffer_);
    return Pass(bytes);
  }

  virtual bool Pass(std::string_view bytes) = 0;

 private:
  char buffer_[4096];
};

// A stream's bytes, shown on a console with WriteConsoleW: the console's
// code page plays no part, and stays as the user set it.
class ConsoleBuffer final : public PassingBuffer {
 public:
  explicit ConsoleBuffer(HANDLE console) : console_(console) {}
  ~ConsoleBuffer() override {
    Drain();
    Show(decoder_.Finish());
  }

 protected:
  bool Pass(std::string_view bytes) override { return Show(decoder_.Decode(bytes)); }

 private:
  bool Show(std::u16string_view text) {
    while (!text.empty()) {
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size(), 8192));
      DWORD written = 0;
      if (!WriteConsoleW(console_, text.data(), chunk, &written, nullptr) || written == 0) return false;
      text.remove_prefix(written);
    }
    return true;
  }

  HANDLE console_;
  ConsoleTextDecoder decoder_;
};

// A stream's bytes, sent on to a file or a pipe as UTF-8: a path in
// Windows-1252 and a name the tool wrote in UTF-8 reach the reader in one
// encoding.
class Utf8Buffer final : public PassingBuffer {
 public:
  explicit Utf8Buffer(std::streambuf* sink) : sink_(sink) {}
  ~Utf8Buffer() override {
    Drain();
    Send(encoder_.Finish());
    sink_->pubsync();
  }

 protected:
  int sync() override { return Drain() && sink_->pubsync() == 0 ? 0 : -1; }
  bool Pass(std::string_view bytes) override { return Send(encoder_.Encode(bytes)); }

 private:
  bool Send(const std::string& text) {
    return sink_->sputn(text.data(), static_cast<std::streamsize>(text.size())) ==
           static_cast<std::streamsize>(text.size());
  }

  std::streambuf* sink_;
  Utf8TextEncoder encoder_;
};

// Puts a console buffer under `stream` when `handle` is a console, a UTF-8
// one over its own buffer otherwise; returns the buffer it had.
std::streambuf* TakeOverStream(std::ostream& stream, DWORD handle, std::unique_ptr<std::streambuf>* buffer) {
  const HANDLE console = GetStdHandle(handle);
  stream.flush();
  std::fflush(nullptr);
  if (IsConsole(console))
    *buffer = std::make_unique<ConsoleBuffer>(console);
  else
    *buffer = std::make_unique<Utf8Buffer>(stream.rdbuf());
  return stream.rdbuf(buffer->get());
}

}  // namespace

ConsoleText::ConsoleText() {
  previous_output_ = TakeOverStream(std::cout, STD_OUTPUT_HANDLE, &output_);
  previous_errors_ = TakeOverStream(std::cerr, STD_ERROR_HANDLE, &errors_);
}

ConsoleText::~ConsoleText() {
  if (output_) {
    std::cout.flush();
    std::cout.rdbuf(previous_output_);
    output_.reset();
  }
  if (errors_) {
    std::cerr.flush();
    std::cerr.rdbuf(previous_errors_);
    errors_.reset();
  }
}

}  // namespace scenario
