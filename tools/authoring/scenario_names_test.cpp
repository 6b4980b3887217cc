// The line name and train number of a compile: from the options, or from
// the source file names.
#include "tools/authoring/scenario_names.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace scenario::tool {
namespace {

TEST(ScenarioNames, ReadOffTheFileNamesOrGiven) {
  struct Case {
    const char* line_file;
    const char* train_file;
    std::optional<std::string> line_name;
    std::optional<std::string> train_number;
    const char* nome_linea;
    const char* numero_treno;
  };
  const Case cases[] = {
      {"src/Calvisio -Sambreta_linea.txt", "src/Calvisio -Sambreta_31613-.txt", {}, {}, "Calvisio -Sambreta", "31613"},
      // Underscores in the line name: the line file tells where it ends.
      {"a/Val_di_Sole_linea.txt", "b/Val_di_Sole_2_B-.txt", {}, {}, "Val_di_Sole", "2_B"},
      // The line file tells nothing: the train file's last underscore does.
      {"line.txt", "Monte_88-.txt", {}, {}, "Monte", "88"},
      {"line.txt", "train.txt", "Monte", "88", "Monte", "88"},
      // A given name wins over the file's.
      {"Calvisio_linea.txt", "Calvisio_1-.txt", "Other", "5", "Other", "5"},
      {"Calvisio_linea.txt", "x.txt", {}, "5", "Calvisio", "5"},
      {"Calvisio_linea.txt", "Other_5-.txt", {}, "7", "Calvisio", "7"},
      // A line name given alone: the train number still comes from the file.
      {"Collina_linea.txt", "Collina_101-.txt", "Valle", {}, "Valle", "101"},
      {"x.txt", "Val_di_Sole_7-.txt", "Valle", {}, "Valle", "7"},
      {"Valle_linea.txt", "Valle_42-.txt", "Valle", {}, "Valle", "42"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.line_file) + " " + c.train_file);
    const ScenarioNames names = ResolveScenarioNames(c.line_file, c.train_file, c.line_name, c.train_number, false);
    EXPECT_EQ(names.nome_linea, c.nome_linea);
    EXPECT_EQ(names.numero_treno, c.numero_treno);
  }
}

TEST(ScenarioNames, MissingOrUnusableNamesAreRefusedWithTheOptionToGive) {
  struct Case {
    const char* line_file;
    const char* train_file;
    std::optional<std::string> line_name;
    std::optional<std::string> train_number;
    const char* says;
  };
  const Case cases[] = {
      {"line.txt", "train.txt", {}, {}, "--line-name"},
      {"line.txt", "train.txt", "Monte", {}, "--train-number"},
      // The train file names another line.
      {"Calvisio_linea.txt", "Other_5-.txt", {}, {}, "Calvisio_NUMBER-.txt"},
      {"Calvisio_linea.txt", "Calvisio_-.txt", {}, {}, "--train-number"},
      // A given line name lends no number to a train file of another line.
      {"Collina_linea.txt", "Monte_101-.txt", "Valle", {}, "--train-number"},
      {"_linea.txt", "x.txt", {}, "1", "the line name is empty"},
      {"line.txt", "train.txt", "../up", "1", "contains a '/'"},
      {"line.txt", "train.txt", "Monte", "1/2", "contains a '/'"},
      // The two files given the other way round.
      {"src/Valle_42-.txt", "src/Valle_linea.txt", {}, {},
       "'src/Valle_42-.txt' is named as a train service and 'src/Valle_linea.txt' as a line description: "
       "give the line description first"},
      {"Valle_42-.txt", "Valle_linea.txt", {}, "42", "give the line description first"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.line_file) + " " + c.train_file);
    try {
      ResolveScenarioNames(c.line_file, c.train_file, c.line_name, c.train_number, false);
      ADD_FAILURE() << "accepted";
    } catch (const std::invalid_argument& error) {
      EXPECT_NE(std::string(error.what()).find(c.says), std::string::npos) << error.what();
    }
  }
}

// Where the system's file names ignore case, the patterns match in either
// case and the names keep the spelling of the files; where they do not, a
// name in capitals follows no pattern.
TEST(ScenarioNames, FileNamesInEitherCaseWhereTheSystemIgnoresIt) {
  struct Case {
    const char* line_file;
    const char* train_file;
    bool ignore_case;
    const char* nome_linea;    // nullptr: refused
    const char* numero_treno;  // or what the refusal says
  };
  const Case cases[] = {
      {"C:\\Scenari/VALLE_LINEA.TXT", "VALLE_42-.TXT", true, "VALLE", "42"},
      {"Valle_Linea.Txt", "Valle_42-.TXT", true, "Valle", "42"},
      // The train file may spell the line's name in other letters: the line
      // file's spelling is the name.
      {"Valle_linea.txt", "VALLE_42-.txt", true, "Valle", "42"},
      {"line.txt", "VALLE_42-.TXT", true, "VALLE", "42"},
      // Letters of Windows-1252: "Città" and "CITTÀ".
      {"Citt\xE0_linea.txt", "CITT\xC0_7-.txt", true, "Citt\xE0", "7"},
      {"\x8Aibenik_linea.txt", "\x9Aibenik_7-.txt", true, "\x8Aibenik", "7"},
      // What is no letter stays itself.
      {"Citt\xD7_linea.txt", "Citt\xF7_7-.txt", true, nullptr, "--train-number"},
      {"Monte_linea.txt", "Valle_42-.txt", true, nullptr, "Monte_NUMBER-.txt"},
      // Given the other way round, in capitals.
      {"VALLE_42-.TXT", "VALLE_LINEA.TXT", true, nullptr, "give the line description first"},
      // Where case counts.
      {"VALLE_LINEA.TXT", "VALLE_42-.TXT", false, nullptr, "NAME_linea.txt; give it with --line-name"},
      {"Valle_linea.txt", "VALLE_42-.txt", false, nullptr, "Valle_NUMBER-.txt"},
      {"Citt\xE0_linea.txt", "CITT\xC0_7-.txt", false, nullptr, "--train-number"},
      {"Valle_linea.txt", "Valle_42-.txt", false, "Valle", "42"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.line_file) + " " + c.train_file + (c.ignore_case ? " ignoring case" : ""));
    try {
      const ScenarioNames names = ResolveScenarioNames(c.line_file, c.train_file, {}, {}, c.ignore_case);
      ASSERT_NE(c.nome_linea, nullptr) << "accepted as " << names.nome_linea << " " << names.numero_treno;
      EXPECT_EQ(names.nome_linea, c.nome_linea);
      EXPECT_EQ(names.numero_treno, c.numero_treno);
    } catch (const std::invalid_argument& error) {
      ASSERT_EQ(c.nome_linea, nullptr) << error.what();
      EXPECT_NE(std::string(error.what()).find(c.numero_treno), std::string::npos) << error.what();
    }
  }
}

// The editor and compile pair sources by the same rule: a train service
// goes with a line description when its name begins with the line's name
// and '_' and a train number follows, the names matched as the file system
// matches them (Windows-1252 letters in either case where case is ignored).
TEST(SourcePairs, PairAsCompileReadsTheirNames) {
  struct Case {
    const char* line_file;
    const char* train_file;
    bool ignore_case;
    bool paired;
  };
  const Case cases[] = {
      {"s/Valle_linea.txt", "s/Valle_42-.txt", false, true},
      {"s/VALLE_LINEA.TXT", "s/valle_42-.txt", true, true},
      {"s/VALLE_linea.txt", "s/valle_42-.txt", false, false},
      {"s/CITT\xC0_linea.txt", "s/citt\xE0_42-.txt", true, true},
      {"s/CITT\xC0_linea.txt", "s/citt\xE0_42-.txt", false, false},
      {"s/\x8Aibenik_linea.txt", "s/\x9Aibenik_7-.txt", true, true},
      {"s/Citt\xD7_linea.txt", "s/Citt\xF7_7-.txt", true, false},
      // A train number with an underscore: the line's own name tells where
      // the number begins.
      {"s/Val_di_Sole_linea.txt", "s/Val_di_Sole_2_B-.txt", false, true},
      {"s/Valle_linea.txt", "s/Valle_4_2-.txt", false, true},
      {"s/Monte_linea.txt", "s/Valle_42-.txt", false, false},
      {"s/Valle_linea.txt", "s/Valle_-.txt", false, false},
      {"s/Valle_linea.txt", "s/Valle_42.txt", false, false},
      {"s/Valle_linea.txt", "s/Vallen_42-.txt", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.line_file) + " " + c.train_file + (c.ignore_case ? " ignoring case" : ""));
    EXPECT_EQ(SourceRoleOf(c.line_file, c.ignore_case), SourceRole::LineDescription);
    EXPECT_EQ(IsTrainServiceOf(c.train_file, c.line_file, c.ignore_case), c.paired);
    // Compile reads the same names off the same pair.
    bool compiled = true;
    try {
      const ScenarioNames names = ResolveScenarioNames(c.line_file, c.train_file, {}, {}, c.ignore_case);
      EXPECT_EQ(names.nome_linea, LineNameOfLineFile(c.line_file, c.ignore_case).value());
      EXPECT_EQ(names.numero_treno, TrainNumberOn(c.train_file, names.nome_linea, c.ignore_case).value());
    } catch (const std::invalid_argument&) {
      compiled = false;
    }
    EXPECT_EQ(compiled, c.paired);
  }
  EXPECT_EQ(SourceRoleOf("s/Valle_42-.TXT", true), SourceRole::TrainService);
  EXPECT_EQ(SourceRoleOf("s/Valle_42-.TXT", false), SourceRole::Other);
  EXPECT_EQ(SourceRoleOf("s/_linea.txt", false), SourceRole::Other);
  EXPECT_EQ(LineNameOfTrainFile("s/Val_di_Sole_2-.txt", false), "Val_di_Sole");
  EXPECT_EQ(LineNameOfTrainFile("s/Valle42-.txt", false), std::nullopt);
}

}  // namespace
}  // namespace scenario::tool
