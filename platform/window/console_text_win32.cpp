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

// A stream's bytes, shown on a console with WriteConsoleW: the console's
// code page plays no part, and stays as the user set it.
class ConsoleBuffer final : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE console) : console_(console) { setp(buffer_, buffer_ + sizeof buffer_); }
  ~ConsoleBuffer() override {
    Drain();
    Show(decoder_.Finish());
  }

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

 private:
  bool Drain() {
    const std::u16string text = decoder_.Decode(std::string_view(pbase(), pptr() - pbase()));
    setp(buffer_, buffer_ + sizeof buffer_);
    return Show(text);
  }

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
  char buffer_[4096];
};

// Puts a console buffer under `stream` when `handle` is a console; returns
// the buffer it had.
std::streambuf* ShowOnConsole(std::ostream& stream, DWORD handle, std::unique_ptr<std::streambuf>* buffer) {
  const HANDLE console = GetStdHandle(handle);
  if (!IsConsole(console)) return nullptr;
  stream.flush();
  std::fflush(nullptr);
  *buffer = std::make_unique<ConsoleBuffer>(console);
  return stream.rdbuf(buffer->get());
}

}  // namespace

ConsoleText::ConsoleText() {
  previous_output_ = ShowOnConsole(std::cout, STD_OUTPUT_HANDLE, &output_);
  previous_errors_ = ShowOnConsole(std::cerr, STD_ERROR_HANDLE, &errors_);
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
