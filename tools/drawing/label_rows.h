// Keeps the labels of a row of marks apart: labels placed from left to right
// go into the first of a few rows where they run into no label before them.
#pragma once

#include <vector>

namespace scenario::tool {

class LabelRows {
 public:
  LabelRows(int rows, double gap) : ends_(rows, -1e300), gap_(gap) {}

  // The row for a label spanning [from, to] on the page: the first row
  // whose last label ends before `from`, or, when every row is taken, the
  // row whose last label ends first.
  int Place(double from, double to) {
    int chosen = 0;
    for (int row = 0; row < static_cast<int>(ends_.size()); ++row) {
      if (ends_[row] + gap_ <= from) {
        chosen = row;
        ends_[chosen] = to;
        return chosen;
      }
      if (ends_[row] < ends_[chosen]) chosen = row;
    }
    ends_[chosen] = to;
    return chosen;
  }

 private:
  std::vector<double> ends_;
  double gap_;
};

// About how wide a text is drawn at a font size, for keeping labels apart.
inline double TextWidth(size_t characters, double size) { return static_cast<double>(characters) * size * 0.62; }

}  // namespace scenario::tool
