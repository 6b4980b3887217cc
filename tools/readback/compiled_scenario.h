// Reading compiled files back: which file is which, their checks, the route's
// features and the author's units.
//
// The compiled files of a scenario read back: which file is which, their
// decoding, and the checks that tell a good compiled file from a cut or a
// foreign one.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/scenario_model.h"
#include "platform/files/file_system.h"
#include "platform/system/file_names.h"
#include "tools/common/refusal.h"

namespace scenario::tool {

enum class CompiledFileKind { Line, Station, Cell };

// By the name's ending: "_linea.dat" a line file, ".sim" a station file,
// any other ".dat" a cell file; in either case of the letters where the
// system's file names ignore case.
std::optional<CompiledFileKind> CompiledFileKindOf(const std::string& path,
                                                   bool names_ignore_case = FileNamesIgnoreCase());
// "compiled line file", "station file", "cell file".
std::string KindName(CompiledFileKind kind);
// "Empty", "Integer", "Double": the type of a plan point's coordinate.
std::string ValueTypeName(ValueType type);

// Each reads the file, decodes it and checks it against its layout. Throws
// SystemFailure when the file cannot be read, Refusal when it is not a
// good file of its kind.
std::vector<rec_stazione> LoadStationFile(FileSystem& files, const std::string& path);
std::vector<rec_cella> LoadCellFile(FileSystem& files, const std::string& path);
std::vector<PuntoTracciato> LoadLineFile(FileSystem& files, const std::string& path);

// The checks on decoded content; each returns what is wrong, or nothing.
// A station table carries the station-table marker in record 85.
std::optional<std::string> StationTableProblem(const std::vector<rec_stazione>& stazioni);
// A route carries the route marker in cell 1.
std::optional<std::string> RouteProblem(const std::vector<rec_cella>& percorso);
// A plan is all Empty (never computed), or two Integers, then Doubles, then
// Empty up to its end, its last two points Empty, both columns alike.
std::optional<std::string> PlanProblem(const std::vector<PuntoTracciato>& tracciato);

// The route length read from the line description (record 84).
int32_t RouteLength(const std::vector<rec_stazione>& stazioni);
// The number of route cells a route of that length has: round((L + 7000) /
// 50) + 1.
int64_t CellCountForRoute(int32_t route_length);
// When the cells do not match the route length of the station table: what
// is wrong, to be shown as a warning (the files may come from different
// compiles, or the cell file may be cut at a whole cell).
std::optional<std::string> RouteMismatch(const std::vector<rec_stazione>& stazioni,
                                         const std::vector<rec_cella>& percorso);

// The files of one compiled scenario.
struct CompiledScenario {
  std::string station_path;
  std::string cell_path;
  std::string line_path;  // empty when no line file is used
  std::vector<rec_stazione> stazioni;
  std::vector<rec_cella> percorso;
  std::vector<PuntoTracciato> tracciato;
};

// Finds the files of the one scenario compiled in `directory`: its one
// station file, the cell file of the same name and the line file of its
// line, when present. Throws std::invalid_argument when there is none or
// more than one.
CompiledScenario FindCompiledScenario(FileSystem& files, const std::string& directory);
// Sorts the given files by kind: one station file and one cell file, at
// most one line file. Throws std::invalid_argument otherwise.
CompiledScenario SortCompiledFiles(const std::vector<std::string>& paths);
// The files of the scenario the command line names: one directory, or the
// files themselves. An input that is neither a directory nor a file fails
// as a file that cannot be read (SystemFailure).
CompiledScenario CompiledScenarioOf(FileSystem& files, const std::vector<std::string>& inputs);
// Loads the files named in `scenario` (see the loaders above).
void LoadCompiledScenario(FileSystem& files, CompiledScenario* scenario);

}  // namespace scenario::tool
