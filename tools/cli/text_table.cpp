#include "tools/cli/text_table.h"

#include <algorithm>
#include <charconv>

namespace scenario::tool {

namespace {

// Display width of UTF-8 text: its code points.
size_t Width(const std::string& text) {
  size_t width = 0;
  for (char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++width;
  return width;
}

}  // namespace

std::string ExactReal(double value) {
  char text[40];
  const std::to_chars_result result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

TextTable::TextTable(std::vector<std::string> header) : header_(std::move(header)) {}

void TextTable::NewRow() { rows_.emplace_back(); }

void TextTable::Add(long long number) { rows_.back().push_back({std::to_string(number), true}); }

void TextTable::Add(const std::string& text) { rows_.back().push_back({text, false}); }

void TextTable::AddReal(double value) { rows_.back().push_back({ExactReal(value), true}); }

void TextTable::Print(std::ostream& out) const {
  std::vector<size_t> widths(header_.size(), 0);
  for (size_t c = 0; c < header_.size(); ++c) widths[c] = Width(header_[c]);
  for (const auto& row : rows_)
    for (size_t c = 0; c < row.size() && c < widths.size(); ++c) widths[c] = std::max(widths[c], Width(row[c].text));

  // Each line ends at its last character: an empty last cell leaves no
  // blanks behind.
  std::string line;
  auto print_cell = [&](const std::string& text, size_t width, bool right, bool last) {
    const std::string pad(width - Width(text), ' ');
    if (right) line += pad + text;
    else line += text + (last ? "" : pad);
    if (!last) line += "  ";
  };
  auto end_line = [&] {
    line.erase(line.find_last_not_of(' ') + 1);
    out << line << "\n";
    line.clear();
  };
  // A header stands over its column as the column's cells stand.
  for (size_t c = 0; c < header_.size(); ++c) {
    const bool right = !rows_.empty() && c < rows_[0].size() && rows_[0][c].right_aligned;
    print_cell(header_[c], widths[c], right, c + 1 == header_.size());
  }
  end_line();
  for (const auto& row : rows_) {
    for (size_t c = 0; c < row.size() && c < widths.size(); ++c)
      print_cell(row[c].text, widths[c], row[c].right_aligned, c + 1 == row.size());
    end_line();
  }
}

}  // namespace scenario::tool
