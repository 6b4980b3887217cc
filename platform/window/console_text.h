// Text for a person at a console, or for a program reading a file or a
// pipe. The programs write bytes: names are the system's (on Windows
// Windows-1252), and the tool's tables and JSON carry their names as UTF-8.
// Where the system's names are UTF-8 the bytes go out as they are. On
// Windows a console shows characters, and would read the bytes in its own
// code page (an OEM one such as 850 or 437, as cmd starts): there the text
// goes as the characters the bytes stand for, and the console's code page
// is left as it is; sent to a file or a pipe, the same characters go out as
// UTF-8, so that every part of a line is in one encoding.
#pragma once

#include <memory>
#include <streambuf>
#include <string>
#include <string_view>

namespace scenario {

// The characters of a stream of such bytes: a well-formed UTF-8 sequence is
// its character, every other byte its Windows-1252 character. A sequence
// cut off at the end of one piece is held until the next piece, so that the
// text may come in pieces of any size.
class ConsoleTextDecoder {
 public:
  std::u16string Decode(std::string_view bytes);
  // The text has ended: whatever is held, as Windows-1252 characters.
  std::u16string Finish();

 private:
  std::string held_;
};

// The same text as UTF-8: the characters ConsoleTextDecoder reads in the
// bytes, written as UTF-8. Pieces of any size give the bytes of the whole.
class Utf8TextEncoder {
 public:
  std::string Encode(std::string_view bytes);
  // The text has ended: whatever is held.
  std::string Finish();

 private:
  ConsoleTextDecoder decoder_;
};

// For the run of a program: while it lives, what std::cout and std::cerr
// write reaches a console, when either is one, as its characters, and a
// file or a pipe as UTF-8; on systems whose names and terminals are UTF-8
// nothing changes. On its end everything is shown and the streams are as before.
class ConsoleText {
 public:
  ConsoleText();
  ~ConsoleText();
  ConsoleText(const ConsoleText&) = delete;
  ConsoleText& operator=(const ConsoleText&) = delete;

 private:
  std::unique_ptr<std::streambuf> output_;
  std::unique_ptr<std::streambuf> errors_;
  // Used where the streams are swapped (Windows); clang sees them unused
  // elsewhere.
  [[maybe_unused]] std::streambuf* previous_output_ = nullptr;
  [[maybe_unused]] std::streambuf* previous_errors_ = nullptr;
};

// One line of the program's on standard error, flushed.
void ShowOnStandardError(std::string_view line);

}  // namespace scenario
