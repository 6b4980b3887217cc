#include "sources/scenario_sources.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "platform/files/real_file_system.h"
#include "sources/line_description.h"
#include "sources/printed_forms.h"
#include "sources/text_file_writer.h"
#include "sources/train_service.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/fingerprint.h"
#include "tests/support/temp_dir.h"

namespace scenario {
namespace {

using testing_support::FakeFileSystem;
using testing_support::ReasonOf;
using testing_support::StepName;
using testing_support::Fingerprint;
using testing_support::TempDir;
using testing_support::WriteWholeFile;

using Writer = void (*)(const ScenarioModel&, const Workspace&);
using Content = std::vector<std::string> (*)();

// The lines of a text file whose every line ends in CR LF; fails the test
// on a lone CR or LF, or on a last line without its line end.
std::vector<std::string> CrLfLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::string::size_type start = 0;
  while (start < bytes.size()) {
    std::string::size_type end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "last line without CR LF: \"" << bytes.substr(start) << "\"";
      break;
    }
    std::string line = bytes.substr(start, end - start);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos)
        << "lone CR or LF in line " << lines.size() + 1 << ": \"" << line << "\"";
    lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

struct SourceFile {
  const char* name;
  Writer writer;
  Content content;
  size_t lines;
  size_t bytes;
  uint64_t fingerprint;
  const char* first_line;
  const char* last_line;
};

const SourceFile kSourceFiles[] = {
    {"Calvisio -Sambreta_linea.txt", dati_linea, BuiltInLineDescription, 55, 2260,
     0xc4431d91dc4bb2b9u, "[generale]", "[fine]"},
    {"Calvisio -Sambreta_31613-.txt", dati_treno, BuiltInTrainService, 61, 3237,
     0x5e5fc03de42c56bdu, "[generale]", "[fine]"},
    {"Calvisio -Sambreta_31613_note.txt", dati_note, BuiltInNotes, 0, 0, 0xcbf29ce484222325u,
     nullptr, nullptr},
    {"Calvisio -Sambreta_31613_rallentamenti.txt", dati_rallentamenti, BuiltInSlowdownOrder, 46,
     3283, 0x0f2bcaa220f4b5d8u, "", "     i giorni esclusi i seguenti:........."},
    {"Calvisio -Sambreta_31613_scheda_treno.txt", dati_scheda, BuiltInTrainCard, 49, 3733,
     0x8cb475e448585fea, "", ""},
};

class ScenarioSourcesTest : public ::testing::Test {
 protected:
  ScenarioSourcesTest() {
    model.nome_linea = "Calvisio -Sambreta";
    model.numero_treno = "31613";
  }

  // Runs one writer on a fresh file system and returns the file it wrote.
  std::string Write(const SourceFile& file) {
    FakeFileSystem files;
    Workspace workspace{files, "/run/"};
    file.writer(model, workspace);
    EXPECT_EQ(files.files.size(), 1u) << file.name;
    auto written = files.files.find(std::string("/run/") + file.name);
    if (written == files.files.end()) {
      ADD_FAILURE() << "not written: " << file.name;
      return "";
    }
    return written->second;
  }

  std::vector<std::string> Lines(const SourceFile& file) { return CrLfLines(Write(file)); }

  ScenarioModel model;
};

TEST_F(ScenarioSourcesTest, EachWriterWritesItsFileToTheByte) {
  for (const SourceFile& file : kSourceFiles) {
    SCOPED_TRACE(file.name);
    const std::string bytes = Write(file);
    const std::vector<std::string> lines = CrLfLines(bytes);
    EXPECT_EQ(lines.size(), file.lines);
    EXPECT_EQ(bytes.size(), file.bytes);
    EXPECT_EQ(Fingerprint(bytes), file.fingerprint);
    EXPECT_EQ(bytes.find(kFineDelFile), std::string::npos);
    if (file.first_line != nullptr) {
      ASSERT_FALSE(lines.empty());
      EXPECT_EQ(lines.front(), file.first_line);
      EXPECT_EQ(lines.back(), file.last_line);
    }
    // The built-in list is the file, line for line.
    EXPECT_EQ(file.content(), lines);
  }
}

TEST_F(ScenarioSourcesTest, EachWriterReplacesOnlyItsOwnFile) {
  for (const SourceFile& file : kSourceFiles) {
    FakeFileSystem files;
    Workspace workspace{files, "/run/"};
    file.writer(model, workspace);
    std::vector<std::string> steps;
    for (const auto& step : files.log())
      steps.push_back(std::string(StepName(step.step)) + " " + step.path);
    const std::string path = std::string("/run/") + file.name;
    EXPECT_EQ(steps,
              (std::vector<std::string>{"create " + path, "write " + path, "rename " + path}));
  }
}

TEST_F(ScenarioSourcesTest, TheClockLineKeepsItsBlanks) {
  const std::vector<std::string> lines = Lines(kSourceFiles[1]);
  ASSERT_EQ(lines.size(), 61u);
  EXPECT_EQ(lines[4], "orologio,    8               12            45 ");
}

TEST_F(ScenarioSourcesTest, TheTrainCardKeepsItsLeadingAndTrailingBlanks) {
  const std::vector<std::string> lines = Lines(kSourceFiles[4]);
  ASSERT_EQ(lines.size(), 49u);
  EXPECT_EQ(lines[6], std::string(67, ' ') + "|______________|");
  EXPECT_EQ(lines[8],
            " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |" + std::string(7, ' '));
  EXPECT_EQ(lines[4].substr(0, 22), " |   TRENO n.xxxxx   |");
  // The timetable: thirty-one empty rows between the same two rules.
  EXPECT_EQ(lines[15], lines[47]);
  for (size_t row = 16; row <= 46; ++row) {
    EXPECT_EQ(lines[row],
              " |     |     |          |     |                            |                |     |")
        << row;
  }
}

TEST_F(ScenarioSourcesTest, TheSlowdownOrderKeepsItsLeadingBlanks) {
  const std::vector<std::string> lines = Lines(kSourceFiles[3]);
  ASSERT_EQ(lines.size(), 46u);
  EXPECT_EQ(lines[1], std::string(31, ' ') + "Modulo M. 3");
  EXPECT_EQ(lines[2], std::string(27, ' ') + "ORDINE DI RALLENTAMENTO");
  EXPECT_EQ(lines[3], " " + std::string(80, '_'));
  EXPECT_EQ(lines[7], "  " + std::string(79, '_'));
  EXPECT_EQ(lines[40], std::string(14, ' ') + "Prescrizioni specifiche");
  EXPECT_EQ(lines[11], lines[38]);
}

TEST_F(ScenarioSourcesTest, TheFormsAreBlankWhateverTheTrainNumber) {
  const std::string card = Write(kSourceFiles[4]);
  const std::string order = Write(kSourceFiles[3]);
  model.numero_treno = "99999";
  FakeFileSystem files;
  Workspace workspace{files, "/run/"};
  dati_scheda(model, workspace);
  dati_rallentamenti(model, workspace);
  dati_note(model, workspace);
  EXPECT_EQ(files.files, (std::map<std::string, std::string>{
                             {"/run/Calvisio -Sambreta_99999_scheda_treno.txt", card},
                             {"/run/Calvisio -Sambreta_99999_rallentamenti.txt", order},
                             {"/run/Calvisio -Sambreta_99999_note.txt", ""},
                         }));
}

TEST_F(ScenarioSourcesTest, AFailureOfTheFileSystemNamesTheFile) {
  for (const SourceFile& file : kSourceFiles) {
    FakeFileSystem files;
    Workspace workspace{files, "/run/"};
    files.files[std::string("/run/") + file.name] = "old";
    files.FailOn(FakeFileSystem::Step::Write, std::string("/run/") + file.name, StatusCode::NoSpace);
    try {
      file.writer(model, workspace);
      ADD_FAILURE() << "no failure: " << file.name;
    } catch (const SystemFailure& failure) {
      EXPECT_EQ(failure.what(),
                std::string("cannot write '") + file.name + "': " + ReasonOf(StatusCode::NoSpace));
    }
    EXPECT_EQ(files.files.at(std::string("/run/") + file.name), "old");
  }
}

// On a real directory: the five files, whether new or replacing older and
// longer ones, hold exactly the built-in bytes and nothing else is left.
class ScenarioSourcesOnDiskTest : public ScenarioSourcesTest {
 protected:
  void WriteAll() {
    RealFileSystem files;
    Workspace workspace{files, dir.path().string()};
    dati_linea(model, workspace);
    dati_treno(model, workspace);
    dati_note(model, workspace);
    dati_rallentamenti(model, workspace);
    dati_scheda(model, workspace);
  }

  std::map<std::string, std::string> Expected() {
    std::map<std::string, std::string> expected;
    for (const SourceFile& file : kSourceFiles) expected[file.name] = Write(file);
    return expected;
  }

  TempDir dir;
};

TEST_F(ScenarioSourcesOnDiskTest, MissingFilesAreCreated) {
  WriteAll();
  EXPECT_EQ(dir.Files(), Expected());
}

TEST_F(ScenarioSourcesOnDiskTest, OlderLongerFilesLeaveNothingBehind) {
  for (const SourceFile& file : kSourceFiles) {
    WriteWholeFile(dir.PathOf(file.name), std::string(20000, 'Z') + "\r\nriferimento\n");
  }
  WriteAll();
  EXPECT_EQ(dir.Files(), Expected());
}

}  // namespace
}  // namespace scenario
