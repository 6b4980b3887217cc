// The reader of the train service, shared by the files that hold its parts:
// the reading (train_reader.cpp) and the warnings told while an observer
// listens (train_warnings.cpp). Used by those two files only.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "compiler/fields/field_stream.h"
#include "compiler/fields/reading_rules.h"
#include "compiler/fields/source_warnings.h"
#include "compiler/readers/scenario_reader.h"
#include "model/scenario_model.h"

namespace scenario::train_reading {

// A value that holds along the route from the cell of its step line up to
// the cell before the next line of its kind.
struct StepFill {
  int64_t index = 0;      // first cell not yet given a value
  int32_t previous = 0;   // value of the last line read
  FieldPosition previous_at;  // where that value was written
};

// A line written plainly as "<keyword>, <digits>", in any letter case: its
// line and the place it gives.
struct PlaceWritten {
  int line = 0;
  int32_t place = 0;
};
// Every such line of `text`, whose first line is `first_line`, up to a
// [fine] line, after which nothing is read.
std::vector<PlaceWritten> PlacesWritten(std::string_view text, int first_line, std::string_view keyword);

inline std::string Metres(int64_t metres) { return std::to_string(metres) + " m"; }

// What the warnings remember of the lines read before: only kept while an
// observer listens.
struct TrainWarningState {
  FieldPosition at;  // the keyword field of the line being read
  std::array<FieldPosition, 4> general_lines{};
  bool speed_seen = false;
  int32_t speed_position = 0;
  bool adhesion_seen = false;
  int32_t adhesion_position = 0;
  bool station_seen = false;
  // The timetable time of the last station that has one.
  int32_t last_orario = 0;
  std::string last_timed_station;
  // Which item wrote the approach mark each cell holds, with its line.
  std::map<int64_t, std::pair<std::string, int>> marks;
};

class TrainServiceReading {
 public:
  TrainServiceReading(ScenarioModel& model, OpenSource& source, int32_t indice_cartello)
      : model_(model),
        source_(source),
        fields_(source.fields()),
        warn_(source.warnings()),
        indice_cartello_(indice_cartello) {}

  void Run();

 private:
  // The reading (train_reader.cpp).
  AfterLine HandleLine(const std::string& riga);
  AfterLine OutOfRange(int32_t posizione, const std::string& item, double margin = kItemMargin);
  std::string HolderOf(int64_t cell) const;
  FieldPosition ValueAt(size_t index) const;
  AfterLine Stop(int32_t numero, int32_t posizione);
  AfterLine StopKeepingPosition(int32_t numero);
  template <typename ValueOf>
  void FillSteps(StepFill& fill, uint8_t rec_cella::*field, ValueOf value_of, int64_t end);
  template <typename ValueOf>
  uint8_t StepValue(const StepFill& fill, ValueOf value_of);
  template <typename ValueOf>
  AfterLine ReadStep(StepFill& fill, uint8_t rec_cella::*field, ValueOf value_of);
  AfterLine ReadSignal();
  AfterLine ReadSlowdown();
  AfterLine ReadCodeChange();
  AfterLine ReadStation();
  AfterLine ReadStationFields(rec_stazione& record, int32_t* length);
  static void SetStationZone(rec_stazione& record, int32_t i, int32_t length);
  AfterLine MarkStationCells(const rec_stazione& record, int32_t i);
  void Close();

  // The warnings (train_warnings.cpp): called only while an observer
  // listens, they change nothing but what the warnings remember.
  void WarnBeforeGeneral(const std::string& field);
  void WarnField(const std::string& riga);
  void WarnTimeOfDay(const std::string& whose, int32_t hours, int32_t minutes, int32_t seconds, size_t first = 0);
  void WarnRunOut(const std::string& item, int32_t position);
  void WarnStep(const char* kind, bool& seen, int32_t& previous_position, const StepFill& fill, int32_t position,
                int64_t first_cell);
  void WarnSignalBits(int64_t sx, int64_t s1, int64_t s2, int64_t s3, int64_t rapp, int64_t dx, int64_t d1,
                      int64_t d2, int64_t d3);
  void WarnSignalCodes(int32_t sx, int32_t s1, int32_t s2, int32_t s3, int32_t rapp, int32_t dx, int32_t d1,
                       int32_t d2, int32_t d3, int32_t tempo);
  void WarnSlowdown(int32_t x, int32_t l);
  void WarnStation(const rec_stazione& record, int32_t length);
  void WarnFlagsDropped(const rec_stazione& record, int32_t i, int32_t length, uint8_t par_2, uint8_t par_3);
  std::vector<int> MarksOn(const std::vector<int64_t>& cells) const;
  void WarnMarksReplaced(const std::string& item, const std::vector<int64_t>& cells, const std::vector<int>& before);
  void WarnStopCellTaken(const rec_stazione& record, const rec_cella& cell, int64_t k);

  ScenarioModel& model_;
  OpenSource& source_;
  FieldStream& fields_;
  SourceWarnings* warn_;
  const int32_t indice_cartello_;
  int32_t station_index_ = 1;
  StepFill speed_;
  StepFill adhesion_;
  TrainWarningState ws_;
  bool warned_before_general_ = false;
  // The line of the station stored last.
  int previous_station_line_ = 0;
  // Where that station's position is written.
  FieldPosition previous_station_at_;
  // The reading ended at error 15, before the end of the file.
  bool stopped_short_ = false;
  bool general_found_ = false;
};

}  // namespace scenario::train_reading
