#include "tests/support/builtin_train_fixture.h"

#include "sources/train_service.h"
#include "tests/support/builtin_line_fixture.h"

namespace scenario::testing_support {

const std::vector<std::string>& BuiltInTrainLines() {
  static const std::vector<std::string> lines = BuiltInTrainService();
  return lines;
}

std::string TrainText(const std::vector<std::string>& lines) { return JoinLines(lines); }

}  // namespace scenario::testing_support
