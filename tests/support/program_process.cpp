#include "tests/support/program_process.h"

namespace scenario::testing_support {

std::filesystem::path CopyProgramInto(const std::filesystem::path& directory) {
  const std::filesystem::path program(SCENARIO_COMPACTOR_PATH);
  const std::filesystem::path copy = directory / program.filename();
  std::filesystem::copy_file(program, copy, std::filesystem::copy_options::overwrite_existing);
  std::filesystem::permissions(copy,
                               std::filesystem::perms::owner_all |
                                   std::filesystem::perms::group_read |
                                   std::filesystem::perms::group_exec |
                                   std::filesystem::perms::others_read |
                                   std::filesystem::perms::others_exec);
  return copy;
}

}  // namespace scenario::testing_support
