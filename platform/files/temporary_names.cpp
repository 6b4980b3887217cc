#include "platform/files/temporary_names.h"

namespace scenario {

namespace {

constexpr std::string_view kMark = ".tmp-";

// Reads a run of decimal digits from the front of `text` into `*value`;
// false when there is none, or when it is too long to be a number we make.
bool TakeNumber(std::string_view* text, unsigned long* value) {
  size_t digits = 0;
  unsigned long number = 0;
  while (digits < text->size() && (*text)[digits] >= '0' && (*text)[digits] <= '9') {
    if (digits == 19) return false;
    number = number * 10 + static_cast<unsigned long>((*text)[digits] - '0');
    ++digits;
  }
  if (digits == 0) return false;
  text->remove_prefix(digits);
  *value = number;
  return true;
}

}  // namespace

std::string TemporaryNameFor(std::string_view name, unsigned long process, unsigned long counter) {
  std::string temporary = ".";
  temporary += name;
  temporary += kMark;
  temporary += std::to_string(process);
  temporary += '-';
  temporary += std::to_string(counter);
  return temporary;
}

bool IsTemporaryName(std::string_view name, unsigned long* process) {
  if (name.size() < 2 || name.front() != '.') return false;
  const size_t mark = name.rfind(kMark);
  // The file's own name between the leading dot and the mark is never empty.
  if (mark == std::string_view::npos || mark < 2) return false;
  std::string_view rest = name.substr(mark + kMark.size());
  unsigned long maker = 0;
  unsigned long counter = 0;
  if (!TakeNumber(&rest, &maker)) return false;
  if (rest.empty() || rest.front() != '-') return false;
  rest.remove_prefix(1);
  if (!TakeNumber(&rest, &counter) || !rest.empty()) return false;
  *process = maker;
  return true;
}

}  // namespace scenario
