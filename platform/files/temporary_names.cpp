#include "platform/files/temporary_names.h"

#include <array>
#include <utility>

namespace scenario {

namespace {

constexpr std::array<std::pair<TemporaryKind, std::string_view>, 3> kMarks = {{
    {TemporaryKind::NewFile, ".tmp-"},
    {TemporaryKind::OldFile, ".old-"},
    {TemporaryKind::SetRecord, ".set-"},
}};

constexpr std::string_view kSetRecordOwner = "scenario-compactor";

std::string_view MarkOf(TemporaryKind kind) {
  for (const auto& [each, mark] : kMarks)
    if (each == kind) return mark;
  return kMarks[0].second;
}

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

std::string TemporaryNameFor(std::string_view name, unsigned long process, unsigned long counter,
                             TemporaryKind kind) {
  std::string temporary = ".";
  temporary += name;
  temporary += MarkOf(kind);
  temporary += std::to_string(process);
  temporary += '-';
  temporary += std::to_string(counter);
  return temporary;
}

std::string SetRecordNameFor(unsigned long process, unsigned long counter) {
  return TemporaryNameFor(kSetRecordOwner, process, counter, TemporaryKind::SetRecord);
}

bool IsTemporaryName(std::string_view name, unsigned long* process, TemporaryKind* kind) {
  if (name.size() < 2 || name.front() != '.') return false;
  // The last mark of any kind; the name before it is never empty.
  size_t mark = std::string_view::npos;
  TemporaryKind found = TemporaryKind::NewFile;
  size_t mark_size = 0;
  for (const auto& [each, text] : kMarks) {
    const size_t at = name.rfind(text);
    if (at != std::string_view::npos && (mark == std::string_view::npos || at > mark)) {
      mark = at;
      found = each;
      mark_size = text.size();
    }
  }
  if (mark == std::string_view::npos || mark < 2) return false;
  std::string_view rest = name.substr(mark + mark_size);
  unsigned long maker = 0;
  unsigned long counter = 0;
  if (!TakeNumber(&rest, &maker)) return false;
  if (rest.empty() || rest.front() != '-') return false;
  rest.remove_prefix(1);
  if (!TakeNumber(&rest, &counter) || !rest.empty()) return false;
  if (found == TemporaryKind::SetRecord && name.substr(1, mark - 1) != kSetRecordOwner) return false;
  *process = maker;
  if (kind != nullptr) *kind = found;
  return true;
}

}  // namespace scenario
