// What the cells and records of a compiled scenario stand for: the names of
// the cell kinds, the roles of the station records, and the objects along
// the route as a picture of it needs them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/scenario_model.h"

namespace scenario::tool {

// "free", "signal", "slowdown end", ... for a tipo_cella.
std::string CellKindName(uint8_t tipo_cella);

enum class RecordRole {
  Unused,          // record 0, never filled
  Station,         // 1 upward
  Caption,         // an indication board's caption, 80 downward
  Empty,           // a record of 1 to 80 that holds nothing
  Progressive,     // 81 to 83
  GeneralData,     // 84
  ScenarioHeader,  // 85
  TrainHeader,     // 86
};
std::string RoleName(RecordRole role);

// The role of every record of a station table of 87 records. Stations fill
// records from 1 upward and board captions from 80 downward; a caption
// record holds nothing but its name.
std::vector<RecordRole> RecordRoles(const std::vector<rec_stazione>& stazioni);

// One cell object along the route: its cell and where the cell begins.
struct CellObject {
  int64_t cell = 0;
  int64_t metre = 0;  // 50 x (cell - 1)
  rec_cella content;
};

struct Station {
  int index = 0;  // record index
  const rec_stazione* record = nullptr;
};

// A slowdown: its start cell and the end cell that follows it.
struct Slowdown {
  int64_t start_metre = 0;
  int64_t end_metre = 0;
  int speed = 0;
};

struct RouteFeatures {
  std::vector<Station> stations;
  std::vector<CellObject> signals;         // kind 1
  std::vector<CellObject> warnings;        // kind 4: slowdown warning boards
  std::vector<CellObject> slowdown_starts; // kind 3
  std::vector<CellObject> slowdown_ends;   // kind 2
  std::vector<Slowdown> slowdowns;         // starts paired with their ends
  std::vector<CellObject> code_changes;    // kinds 12 and 13
  std::vector<CellObject> boards;          // kind 14
  std::vector<CellObject> indicators;      // kind 6
  std::vector<CellObject> stop_cells;      // kind 10
};

// The metre at which cell k begins.
inline int64_t CellStart(int64_t k) { return 50 * (k - 1); }

RouteFeatures FindRouteFeatures(const std::vector<rec_stazione>& stazioni,
                                const std::vector<rec_cella>& percorso);

// The caption of a board cell (the name of the record its valore_1 names),
// or "" when that is no record.
std::string BoardCaption(const std::vector<rec_stazione>& stazioni, const rec_cella& board);

}  // namespace scenario::tool
