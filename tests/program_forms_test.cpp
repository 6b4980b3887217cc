// After a run, the program's own directory holds the three printed forms,
// byte for byte.
#include <gtest/gtest.h>

#include "sources/printed_forms.h"
#include "sources/text_file_writer.h"
#include "tests/support/program_process.h"
#include "tests/support/temp_dir.h"

namespace scenario {
namespace {

using testing_support::CopyProgramInto;
using testing_support::ReadWholeFile;
using testing_support::RunProcess;
using testing_support::TempDir;

TEST(ProgramForms, TheRunLeavesTheThreeFormsInTheProgramsDirectory) {
  TempDir dir;
  const std::filesystem::path program = CopyProgramInto(dir.path());
  // Forms of an earlier run, longer than the new ones.
  const std::string old(10000, '#');
  for (const char* name : {"Calvisio -Sambreta_31613_scheda_treno.txt",
                           "Calvisio -Sambreta_31613_rallentamenti.txt",
                           "Calvisio -Sambreta_31613_note.txt"}) {
    testing_support::WriteWholeFile(dir.path() / name, old);
  }

  // Started from another working directory: the files go beside the program.
  RunProcess({program.string()});

  const auto files = dir.Files();
  const std::pair<const char*, std::vector<std::string>> forms[] = {
      {"Calvisio -Sambreta_31613_scheda_treno.txt", BuiltInTrainCard()},
      {"Calvisio -Sambreta_31613_rallentamenti.txt", BuiltInSlowdownOrder()},
      {"Calvisio -Sambreta_31613_note.txt", BuiltInNotes()},
  };
  for (const auto& [name, lines] : forms) {
    auto found = files.find(name);
    ASSERT_NE(found, files.end()) << name;
    EXPECT_EQ(found->second, TextFileBytes(WithEndMarker(lines))) << name;
  }
  EXPECT_EQ(files.at("Calvisio -Sambreta_31613_scheda_treno.txt").size(), 3733u);
  EXPECT_EQ(files.at("Calvisio -Sambreta_31613_rallentamenti.txt").size(), 3283u);
  EXPECT_EQ(files.at("Calvisio -Sambreta_31613_note.txt").size(), 0u);
}

}  // namespace
}  // namespace scenario
