#include "tools/readback/compiled_scenario.h"

#include <algorithm>

#include "compiler/fields/arithmetic.h"
#include "compiler/compile_run.h"
#include "compiler/compiled_files.h"
#include "platform/system/file_names.h"
#include "platform/system/program_directory.h"
#include "platform/files/workspace.h"
#include "tools/common/counted.h"
#include "tools/common/paths.h"

namespace scenario::tool {

namespace {

std::string ReadCompiledFile(FileSystem& files, const std::string& path, CompiledFileKind kind) {
  std::string bytes;
  RequireOk(files.ReadFile(path, &bytes), path);
  if (bytes.empty()) throw Refusal(path + ": the file is empty; a " + KindName(kind) + " never is");
  return bytes;
}

[[noreturn]] void Refuse(const std::string& path, CompiledFileKind kind, const std::string& what) {
  throw Refusal(path + ": not a good " + KindName(kind) + ": " + what);
}

}  // namespace

std::string ValueTypeName(ValueType type) {
  switch (type) {
    case ValueType::Empty: return "Empty";
    case ValueType::Integer: return "Integer";
    case ValueType::Double: return "Double";
  }
  return "type " + std::to_string(static_cast<int>(type));
}

std::optional<CompiledFileKind> CompiledFileKindOf(const std::string& path, bool names_ignore_case) {
  const std::string name = BaseName(path);
  if (NameEndsWith(name, "_linea.dat", names_ignore_case)) return CompiledFileKind::Line;
  if (NameEndsWith(name, ".sim", names_ignore_case)) return CompiledFileKind::Station;
  if (NameEndsWith(name, ".dat", names_ignore_case)) return CompiledFileKind::Cell;
  return std::nullopt;
}

std::string KindName(CompiledFileKind kind) {
  switch (kind) {
    case CompiledFileKind::Line: return "compiled line file";
    case CompiledFileKind::Station: return "station file";
    case CompiledFileKind::Cell: return "cell file";
  }
  return "compiled file";
}

std::optional<std::string> StationTableProblem(const std::vector<rec_stazione>& stazioni) {
  if (stazioni.size() != static_cast<size_t>(kNumeroStazioni))
    return "it holds " + Counted(static_cast<long long>(stazioni.size()), "record") + ", not " +
           std::to_string(kNumeroStazioni);
  if (stazioni[kRecordScenario].par_4 != marcatore_stazioni)
    return "record 85 holds " + std::to_string(stazioni[kRecordScenario].par_4) +
           " in par_4 where every compiled station file carries the marker " +
           std::to_string(marcatore_stazioni);
  return std::nullopt;
}

std::optional<std::string> RouteProblem(const std::vector<rec_cella>& percorso) {
  if (percorso.size() < 2)
    return "it holds " + Counted(static_cast<long long>(percorso.size()), "cell") +
           ", but a route has at least cells 0 and 1";
  if (percorso[1].valore_1 != marcatore_percorso)
    return "cell 1 holds " + std::to_string(percorso[1].valore_1) +
           " in valore_1 where every compiled cell file carries the marker " +
           std::to_string(marcatore_percorso);
  return std::nullopt;
}

std::optional<std::string> PlanProblem(const std::vector<PuntoTracciato>& tracciato) {
  const size_t n = tracciato.size();
  for (size_t x = 0; x < n; ++x) {
    if (tracciato[x][0].type != tracciato[x][1].type)
      return "point " + std::to_string(x) + " is " + ValueTypeName(tracciato[x][0].type) +
             " in column 0 but " + ValueTypeName(tracciato[x][1].type) +
             " in column 1; the two columns of a plan are computed together";
  }
  // Empty throughout, or Integer, Integer, Doubles, then Empty to the end.
  size_t x = 0;
  const bool seeded = n > 0 && tracciato[0][0].type != ValueType::Empty;
  if (seeded) {
    for (; x < 2; ++x) {
      if (x >= n || tracciato[x][0].type != ValueType::Integer)
        return "point " + std::to_string(x) + " is not the Integer that starts every plan";
    }
    while (x < n && tracciato[x][0].type == ValueType::Double) ++x;
  }
  for (size_t empty = x; empty < n; ++empty) {
    if (tracciato[empty][0].type != ValueType::Empty)
      return "point " + std::to_string(empty) + " holds " + ValueTypeName(tracciato[empty][0].type) +
             " after the plan's Empty tail began at point " + std::to_string(x);
  }
  if (n - x < 2)
    return "its last two points must be Empty, but the plan's values run to point " +
           std::to_string(x - 1) + " of " + std::to_string(n - 1) + ": it is cut short";
  return std::nullopt;
}

std::vector<rec_stazione> LoadStationFile(FileSystem& files, const std::string& path) {
  const CompiledFileKind kind = CompiledFileKind::Station;
  const std::string bytes = ReadCompiledFile(files, path, kind);
  std::vector<rec_stazione> stazioni;
  std::string error;
  if (!DecodeStazioni(bytes, &stazioni, &error)) Refuse(path, kind, error);
  if (std::optional<std::string> problem = StationTableProblem(stazioni)) Refuse(path, kind, *problem);
  return stazioni;
}

std::vector<rec_cella> LoadCellFile(FileSystem& files, const std::string& path) {
  const CompiledFileKind kind = CompiledFileKind::Cell;
  const std::string bytes = ReadCompiledFile(files, path, kind);
  std::vector<rec_cella> percorso;
  std::string error;
  if (!DecodePercorso(bytes, &percorso, &error)) Refuse(path, kind, error);
  if (std::optional<std::string> problem = RouteProblem(percorso)) Refuse(path, kind, *problem);
  return percorso;
}

std::vector<PuntoTracciato> LoadLineFile(FileSystem& files, const std::string& path) {
  const CompiledFileKind kind = CompiledFileKind::Line;
  const std::string bytes = ReadCompiledFile(files, path, kind);
  std::vector<PuntoTracciato> tracciato;
  std::string error;
  if (!DecodeTracciato(bytes, &tracciato, &error)) Refuse(path, kind, error);
  if (std::optional<std::string> problem = PlanProblem(tracciato)) Refuse(path, kind, *problem);
  return tracciato;
}

int32_t RouteLength(const std::vector<rec_stazione>& stazioni) {
  return stazioni.at(kRecordDatiGenerali).fine_zona;
}

int64_t CellCountForRoute(int32_t route_length) {
  return static_cast<int64_t>(round_half_even((static_cast<double>(route_length) + 7000.0) / 50.0)) + 1;
}

std::optional<std::string> RouteMismatch(const std::vector<rec_stazione>& stazioni,
                                         const std::vector<rec_cella>& percorso) {
  const int32_t length = RouteLength(stazioni);
  const int64_t expected = CellCountForRoute(length);
  if (static_cast<int64_t>(percorso.size()) == expected) return std::nullopt;
  return "the station table gives a route of " + std::to_string(length) + " m, that is " +
         std::to_string(expected) + " cells, but the cell file holds " +
         std::to_string(percorso.size()) +
         ": the two files come from different compiles, or the cell file is cut short";
}

CompiledScenario FindCompiledScenario(FileSystem& files, const std::string& directory) {
  std::vector<std::string> station_files;
  std::vector<std::string> line_files;
  std::vector<std::string> names;
  const Status listed = files.ListDirectory(directory, &names);
  if (!listed.ok()) throw std::invalid_argument("cannot list '" + directory + "': " + listed.reason());
  for (const std::string& name : names) {
    const std::string path = JoinPath(directory, name);
    const std::optional<CompiledFileKind> kind = CompiledFileKindOf(path);
    if (kind == CompiledFileKind::Station) station_files.push_back(path);
    if (kind == CompiledFileKind::Line) line_files.push_back(path);
  }
  std::sort(station_files.begin(), station_files.end());
  if (station_files.empty())
    throw std::invalid_argument("'" + directory + "' holds no station file (.sim)");
  if (station_files.size() > 1) {
    std::string list;
    for (const std::string& path : station_files) list += "\n  " + path;
    throw std::invalid_argument("'" + directory + "' holds more than one compiled scenario:" + list +
                                "\nname the files of the one to use instead of the directory");
  }

  CompiledScenario scenario;
  scenario.station_path = station_files.front();
  const std::string stem = BaseName(scenario.station_path).substr(
      0, BaseName(scenario.station_path).size() - std::string(".sim").size());
  scenario.cell_path = JoinPath(directory, stem + ".dat");
  if (!files.FileExists(scenario.cell_path))
    throw std::invalid_argument("'" + directory + "' holds the station file '" + scenario.station_path +
                                "' but not its cell file '" + scenario.cell_path + "'");
  // The line file of the scenario's line: NAME_linea.dat for the longest
  // NAME that begins the stem NAME_NUMBER.
  size_t best = 0;
  for (const std::string& path : line_files) {
    const std::string base = BaseName(path);
    const std::string name = base.substr(0, base.size() - std::string("_linea.dat").size());
    if (name.size() >= best && stem.size() > name.size() + 1 && NameStartsWith(stem, name + "_", FileNamesIgnoreCase())) {
      best = name.size();
      scenario.line_path = path;
    }
  }
  return scenario;
}

CompiledScenario SortCompiledFiles(const std::vector<std::string>& paths) {
  CompiledScenario scenario;
  for (const std::string& path : paths) {
    const std::optional<CompiledFileKind> kind = CompiledFileKindOf(path);
    if (!kind)
      throw std::invalid_argument("'" + path +
                                  "' is not a compiled file: its name ends neither in _linea.dat, "
                                  ".sim nor .dat");
    std::string* slot = *kind == CompiledFileKind::Line      ? &scenario.line_path
                        : *kind == CompiledFileKind::Station ? &scenario.station_path
                                                             : &scenario.cell_path;
    if (!slot->empty())
      throw std::invalid_argument("two " + KindName(*kind) + "s given: '" + *slot + "' and '" + path + "'");
    *slot = path;
  }
  if (scenario.station_path.empty()) throw std::invalid_argument("no station file (.sim) given");
  if (scenario.cell_path.empty()) throw std::invalid_argument("no cell file (.dat) given");
  return scenario;
}

CompiledScenario CompiledScenarioOf(FileSystem& files, const std::vector<std::string>& inputs) {
  if (inputs.empty()) throw std::invalid_argument("no compiled scenario given");
  if (inputs.size() == 1 && files.DirectoryExists(inputs.front())) return FindCompiledScenario(files, inputs.front());
  for (const std::string& input : inputs) {
    // A mistyped name is told as the system tells it, as for every file
    // the tool cannot read.
    std::string bytes;
    if (!files.FileExists(input)) RequireOk(files.ReadFile(input, &bytes), input);
  }
  return SortCompiledFiles(inputs);
}

void LoadCompiledScenario(FileSystem& files, CompiledScenario* scenario) {
  scenario->stazioni = LoadStationFile(files, scenario->station_path);
  scenario->percorso = LoadCellFile(files, scenario->cell_path);
  if (!scenario->line_path.empty()) scenario->tracciato = LoadLineFile(files, scenario->line_path);
}

}  // namespace scenario::tool
