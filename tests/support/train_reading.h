// What the tests of the train service reader share: the model as the line
// half leaves it after the built-in line, a workspace holding the train
// source, and helpers to build and inspect.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "compiler/readers/scenario_reader.h"
#include "model/scenario_model.h"
#include "tests/support/fake_file_system.h"
#include "platform/files/workspace.h"

namespace scenario::testing_support {

inline const std::string kTrainPath = "/run/Calvisio -Sambreta_31613-.txt";
inline constexpr int32_t kBuiltInCaptionSlot = 65;  // the built-in line has 15 boards
// posizione_errore before the reading, to tell an untouched position.
inline constexpr int32_t kUntouchedPosition = 4242;

// Line numbers (from 1) in the built-in service.
inline constexpr size_t kFirstStationLine = 12;
inline constexpr size_t kSecondStationLine = 13;
inline constexpr size_t kThirdStationLine = 14;
inline constexpr size_t kLastStationLine = 28;
inline constexpr size_t kFirstSignalLine = 33;
inline constexpr size_t kLastSignalLine = 59;

// Every field of a station record, for readable comparisons.
std::string Describe(const rec_stazione& record);

// A station line with the values that matter to the zone rules; the others
// are as at a built-in transit point.
std::string Station(int64_t position, int kind, int64_t length, int par_2 = 0, int par_3 = 0,
                    const std::string& name = "STAZIONE");

// The built-in lines with line `number` (from 1) replaced.
std::vector<std::string> BuiltInWith(size_t number, const std::string& replacement);
// The first `count` built-in lines.
std::vector<std::string> BuiltInUpTo(size_t count);
std::vector<std::string> Append(std::vector<std::string> lines, const std::vector<std::string>& more);

// The model as the line half leaves it after reading the built-in line:
// names set, a route of 2121 free cells, the general records 81 to 86, and
// kUntouchedPosition in posizione_errore.
ScenarioModel LineHalfModel();

class TrainReading : public ::testing::Test {
 protected:
  void WriteTrain(const std::vector<std::string>& lines);
  void Read(int32_t indice_cartello = kBuiltInCaptionSlot);
  bool TrainFilePresent() const { return files.files.count(kTrainPath) != 0; }

  // Cell index -> avviso, for every cell with a mark.
  std::map<int, int> Marks() const;
  // Cell index -> station index, for every stop cell.
  std::map<int, int> StopCells() const;
  // Records 1 to 79 that are not clear.
  int StationsStored() const;

  ScenarioModel model = LineHalfModel();
  FakeFileSystem files;
  Workspace workspace{files, "/run/"};
  ReadingPlace place;
};

}  // namespace scenario::testing_support
