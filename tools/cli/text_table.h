// A plain text table: a header row and rows of cells, each column as wide as
// its widest cell, numbers right-aligned, texts left-aligned.
#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace scenario::tool {

class TextTable {
 public:
  explicit TextTable(std::vector<std::string> header);

  void SetHeader(std::vector<std::string> header) { header_ = std::move(header); }
  // A new row; its cells follow with Add. Text cells are left-aligned.
  void NewRow();
  void Add(long long number);
  void Add(const std::string& text);
  void AddReal(double value);

  void Print(std::ostream& out) const;

 private:
  struct Cell {
    std::string text;
    bool right_aligned = false;
  };
  std::vector<std::string> header_;
  std::vector<std::vector<Cell>> rows_;
};

// A real in the fewest digits that read back to exactly the same value.
std::string ExactReal(double value);

}  // namespace scenario::tool
