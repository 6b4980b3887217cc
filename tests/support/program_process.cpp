#include "tests/support/program_process.h"

#include "tests/support/temp_dir.h"

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

std::map<std::string, std::string> FilesBesideTheProgram(const std::filesystem::path& directory) {
  std::map<std::string, std::string> files;
  const std::string program = std::filesystem::path(SCENARIO_COMPACTOR_PATH).filename().string();
  for (const auto& entry : std::filesystem::directory_iterator(directory))
    if (entry.is_regular_file() && entry.path().filename().string() != program)
      files[entry.path().filename().string()] = ReadWholeFile(entry.path());
  return files;
}

const std::map<std::string, std::string>& EarlierCompiledSet() {
  static const std::map<std::string, std::string> set = {{"Calvisio -Sambreta_linea.dat", "old plan"},
                                                         {"Calvisio -Sambreta_31613.sim", "old stations"},
                                                         {"Calvisio -Sambreta_31613.dat", "old cells"}};
  return set;
}

}  // namespace scenario::testing_support
