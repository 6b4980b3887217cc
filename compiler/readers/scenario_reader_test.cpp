// Both halves of the reading together: the trap of a failure in the train
// half, after the line half has read the built-in line.
#include "compiler/readers/scenario_reader.h"

#include <gtest/gtest.h>

#include "tests/support/fake_file_system.h"
#include "tests/support/builtin_line_fixture.h"
#include "tests/support/builtin_train_fixture.h"

namespace scenario {
namespace {

using testing_support::FakeFileSystem;
using testing_support::BuiltInLineFileText;
using testing_support::BuiltInTrainLines;
using testing_support::TrainText;

const std::string kLinePath = "/p/Calvisio -Sambreta_linea.txt";
const std::string kTrainPath = "/p/Calvisio -Sambreta_31613-.txt";

// The built-in train service with line `number` (1-based) replaced.
std::string TrainWithLine(int number, const std::string& text) {
  std::vector<std::string> lines = BuiltInTrainLines();
  lines[number - 1] = text;
  return TrainText(lines);
}

TEST(MemorizzaDati, AFailureInTheTrainHalfIsTrappedKeepingWhatWasRead) {
  struct Case {
    const char* what;
    std::string train;
    int stations_kept;  // stations stored before the failure
  };
  const Case cases[] = {
      // 1278 / 5 rounds to 256: the fill up to the next step fails (that
      // step stands in place of the "[stazioni]" header, before any station).
      {"speed of 1278", TrainText([] {
         std::vector<std::string> lines = BuiltInTrainLines();
         lines[9] = "velocita,      50,   1278";
         lines[10] = "velocita,   100,   30";
         return lines;
       }()),
       0},
      {"station kind of 300",
       TrainWithLine(14,
                     "stazione,   14350, 300,  500,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,28, 0, X"),
       2},
      {"line cut off at the end of the file",
       TrainText({BuiltInTrainLines().begin(), BuiltInTrainLines().begin() + 13}) +
           "stazione,   14350, 12,  500,  0, 0, 0,  1,1",
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeFileSystem files;
    files.files[kLinePath] = BuiltInLineFileText();
    files.files[kTrainPath] = c.train;
    ScenarioModel model;
    model.nome_linea = "Calvisio -Sambreta";
    model.numero_treno = "31613";
    model.compila_linea = 1;
    model.posizione_errore = 777;
    memorizza_dati(model, Workspace{files, "/p/"});
    EXPECT_EQ(model.codice_errore, 25);
    EXPECT_EQ(model.posizione_errore, 777);
    EXPECT_TRUE(files.files.empty()) << "a source was left behind";
    // The line half's work and the stations read before the failure stay.
    EXPECT_EQ(model.ultima_cella, 2120);
    EXPECT_EQ(model.stazioni[80].nome, "(BIVIO     )(S. ARMELIA)(Km. 94.400)");
    for (int i = 1; i <= c.stations_kept; ++i) EXPECT_FALSE(model.stazioni[i].nome.empty()) << i;
    EXPECT_TRUE(model.stazioni[c.stations_kept + 1].nome.empty());
  }
}

TEST(MemorizzaDati, ASourceThatCannotBeDeletedIsTrappedWithItsCause) {
  for (const std::string& path : {kLinePath, kTrainPath}) {
    SCOPED_TRACE(path);
    FakeFileSystem files;
    files.files[kLinePath] = BuiltInLineFileText();
    files.files[kTrainPath] = TrainText(BuiltInTrainLines());
    files.FailOn(FakeFileSystem::Step::Delete, path, StatusCode::PermissionDenied);
    ScenarioModel model;
    model.nome_linea = "Calvisio -Sambreta";
    model.numero_treno = "31613";
    model.compila_linea = 1;
    ReadingPlace place;
    memorizza_dati(model, Workspace{files, "/p/"}, &place);
    EXPECT_EQ(model.codice_errore, 25);
    ASSERT_TRUE(place.failure.has_value());
    const std::string name = path.substr(3);
    EXPECT_EQ(place.failure->at.line, 0);
    EXPECT_EQ(place.failure->cause.rfind("the source '" + name + "' was read, but it could not be deleted afterwards", 0),
              0u)
        << place.failure->cause;
  }
}

}  // namespace
}  // namespace scenario
