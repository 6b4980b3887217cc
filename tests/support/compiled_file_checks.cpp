#include "tests/support/compiled_file_checks.h"

#include <array>
#include <exception>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <vector>

#include <nlohmann/json.hpp>

#include "compiler/compiled_files.h"
#include "platform/files/memory_file_system.h"
#include "platform/system/status.h"
#include "tools/cli/decompile_command.h"
#include "tools/cli/dump_command.h"
#include "tools/cli/exit_status.h"
#include "tools/cli/plot_command.h"
#include "tools/cli/view_command.h"
#include "tools/common/refusal.h"
#include "tools/decompile/decompile.h"
#include "tools/decompile/self_check.h"
#include "tools/readback/author_units.h"
#include "tools/readback/compiled_scenario.h"
#include "tools/readback/plan_curves.h"
#include "tools/readback/route_features.h"
#include "tools/viewer/view_data.h"

namespace scenario::testing_support {

using namespace tool;  // NOLINT: the rooms of scenario-tool that these checks drive

namespace {

const std::string kDirectory = "/in";
const std::string kStationPath = "/in/Fuzz_7.sim";
const std::string kCellPath = "/in/Fuzz_7.dat";
const std::string kLinePath = "/in/Fuzz_linea.dat";

bool StartsWith(const std::string& text, std::string_view start) {
  return text.size() >= start.size() && text.compare(0, start.size(), start) == 0;
}
bool EndsWith(const std::string& text, std::string_view end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// How a command run on the files ended.
enum class Ending { Normal, Refused };

// Runs `command`. A refusal (a cut or foreign file, files that do not make
// one scenario) is an ending the tool has for hostile files, provided its
// message says something; anything else thrown is a finding, written into
// `problem`.
Ending Run(const std::string& what, const std::function<void()>& command, std::string* problem) {
  auto refused = [&](const char* kind, const std::exception& e) {
    if (std::string(e.what()).empty()) *problem = what + ": " + kind + " with no message";
    return Ending::Refused;
  };
  try {
    command();
    return Ending::Normal;
  } catch (const Refusal& e) {
    return refused("a refusal", e);
  } catch (const std::invalid_argument& e) {
    return refused("an invalid input", e);
  } catch (const SystemFailure& e) {
    // Every file is in memory and every write goes to memory.
    *problem = what + ": a failure of the system on files in memory: " + e.what();
  } catch (const std::exception& e) {
    *problem = what + ": threw " + e.what();
  }
  return Ending::Refused;
}

// A file the decoder takes is read whole: encoded again it gives its bytes.
std::string ReencodingProblem(const std::string& path, const std::string& bytes) {
  std::string error;
  if (EndsWith(path, ".sim")) {
    std::vector<rec_stazione> stazioni;
    if (!DecodeStazioni(bytes, &stazioni, &error) || stazioni.size() != static_cast<size_t>(kNumeroStazioni))
      return "";
    std::array<rec_stazione, kNumeroStazioni> table;
    std::copy(stazioni.begin(), stazioni.end(), table.begin());
    if (EncodeStazioni(table) != bytes) return path + ": the decoded station records encode to other bytes";
  } else if (!EndsWith(path, "_linea.dat")) {
    std::vector<rec_cella> percorso;
    if (!DecodePercorso(bytes, &percorso, &error)) return "";
    if (EncodePercorso(percorso) != bytes) return path + ": the decoded cells encode to other bytes";
  }
  return "";
}

}  // namespace

CompiledFileBytes SplitCompiledFiles(std::string_view input) {
  CompiledFileBytes files;
  std::vector<std::string> parts;
  size_t from = 0;
  while (parts.size() < 2) {
    const size_t next = input.find(kNextCompiledFile, from);
    if (next == std::string_view::npos) break;
    parts.emplace_back(input.substr(from, next - from));
    from = next + kNextCompiledFile.size();
  }
  parts.emplace_back(input.substr(from));
  files.station = parts[0];
  if (parts.size() > 1) files.cell = parts[1];
  if (parts.size() > 2) files.line = parts[2];
  return files;
}

std::string JoinCompiledFiles(const CompiledFileBytes& files) {
  std::string joined = files.station;
  if (files.cell) joined += std::string(kNextCompiledFile) + *files.cell;
  if (files.line) joined += std::string(kNextCompiledFile) + *files.line;
  return joined;
}

namespace {

// Whether the picture is one whole SVG document.
bool WholeSvg(const std::string& picture) {
  return (StartsWith(picture, "<svg") || StartsWith(picture, "<?xml")) && EndsWith(picture, "</svg>\n");
}

// decompile: the sources it writes compile back to the very files.
std::string CheckDecompile(MemoryFileSystem& files, const CompiledFileBytes& given) {
  std::string problem;
  DecompileRequest request;
  request.inputs = {kDirectory};
  request.output_directory = "/sources";
  std::ostringstream out, err;
  int status = -1;
  const Ending ending = Run("decompile", [&] { status = RunDecompile(request, files, out, err); }, &problem);
  if (!problem.empty()) return problem;
  std::vector<std::string> written;
  for (const auto& file : files.files)
    if (StartsWith(file.first, request.output_directory + "/")) written.push_back(file.first);
  if (ending == Ending::Refused || status == kExitRefused) {
    if (!written.empty()) return "decompile: refused the files but wrote " + written.front();
    if (ending == Ending::Normal && err.str().empty()) return "decompile: refused the files without saying why";
    return "";
  }
  if (status != kExitOk) return "decompile: ended with status " + std::to_string(status);
  const std::string* line_source = nullptr;
  const std::string* train_source = nullptr;
  for (const std::string& path : written) (EndsWith(path, "_linea.txt") ? line_source : train_source) = &files.files[path];
  if (written.size() != 2 || line_source == nullptr || train_source == nullptr)
    return "decompile: wrote " + std::to_string(written.size()) + " files, not the two sources";
  std::vector<rec_stazione> stazioni;
  std::string error;
  DecodeStazioni(given.station, &stazioni, &error);
  const recovery::Recompiled again =
      recovery::CompileInMemory(stazioni.at(kRecordScenario).nome, stazioni.at(kRecordTreno).nome, *line_source,
                                *train_source, given.line.has_value());
  if (again.stopped_with) return "decompile: the sources written do not compile";
  if (again.station_bytes != given.station || again.cell_bytes != *given.cell ||
      (given.line && again.line_bytes != given.line))
    return "decompile: the sources written compile to other bytes than the files";
  return "";
}

// Takes `given` over: its bytes are moved into decompile's decoding.
std::string CheckReaders(MemoryFileSystem& files, CompiledFileBytes given) {
  std::string problem;
  CompiledScenario scenario;
  scenario.station_path = kStationPath;
  scenario.cell_path = kCellPath;
  bool stations_read = false, cells_read = false, plan_read = false;
  Run("read the station file", [&] { scenario.stazioni = LoadStationFile(files, kStationPath); stations_read = true; },
      &problem);
  if (stations_read) {
    problem = ReencodingProblem(kStationPath, given.station);
    const std::vector<RecordRole> roles = RecordRoles(scenario.stazioni);
    if (roles.size() != scenario.stazioni.size()) return "the station file: a role for each record is missing";
    Run("the records as the sources give them", [&] {
      for (size_t i = 0; i < roles.size(); ++i) RecordInSources(roles[i], scenario.stazioni[i]);
    }, &problem);
  }
  if (!problem.empty() || !given.cell) return problem;
  Run("read the cell file", [&] { scenario.percorso = LoadCellFile(files, kCellPath); cells_read = true; }, &problem);
  if (cells_read) {
    problem = ReencodingProblem(kCellPath, *given.cell);
    if (problem.empty())
      Run("the cells as the sources give them", [&] {
        for (size_t k = 0; k < scenario.percorso.size(); ++k)
          CellInSources(static_cast<int64_t>(k), scenario.percorso[k]);
        CodeChangeOrigins(scenario.percorso);
      }, &problem);
  }
  if (!problem.empty()) return problem;
  // decompile decodes the three files together; a line file is decoded
  // alone only when they do not go together.
  std::optional<CompiledInput> input;
  const bool line_given = given.line.has_value();
  if (stations_read && cells_read)
    Run("decompile's decoding", [&] {
      input = DecodeCompiledInput(kStationPath, std::move(given.station), kCellPath, std::move(*given.cell), kLinePath,
                                  std::move(given.line));
    }, &problem);
  if (!problem.empty()) return problem;
  if (line_given) {
    scenario.line_path = kLinePath;
    if (input) {
      scenario.tracciato = std::move(*input->tracciato);
      input->tracciato.reset();
      plan_read = true;
    } else {
      Run("read the line file", [&] { scenario.tracciato = LoadLineFile(files, kLinePath); plan_read = true; },
          &problem);
    }
    if (plan_read)
      Run("the plan's curves and the plan as the page holds it", [&] {
        CurvesOf(scenario.tracciato);
        PlanData(scenario.tracciato);
      }, &problem);
    if (!problem.empty()) return problem;
  }
  if (stations_read && cells_read) {
    Run("the route's features", [&] {
      const RouteFeatures features = FindRouteFeatures(scenario.stazioni, scenario.percorso);
      for (const CellObject& board : features.boards) BoardCaption(scenario.stazioni, board.content);
      RouteMismatch(scenario.stazioni, scenario.percorso);
    }, &problem);
    if (!problem.empty()) return problem;
  }
  // decompile's reading, up to the sources it would compile to check them.
  if (!input) return "";
  if (line_given) input->tracciato = std::move(scenario.tracciato);
  ReadSources sources;
  Run("decompile's reading", [&] { sources = ReadSourcesOff(*input); }, &problem);
  if (!problem.empty()) return problem;
  for (const std::string* text : {&sources.line_description, &sources.train_service})
    if (text->size() < 2 || text->compare(text->size() - 2, 2, "\r\n") != 0 || text->find("[fine]") == std::string::npos)
      return "decompile: a source read off the files is no whole source";
  return "";
}

std::string CheckCommands(MemoryFileSystem& files, const CompiledFileBytes& given) {
  std::string problem;
  // dump, each file alone, as a table and as JSON.
  const std::map<std::string, std::string> inputs = files.files;
  for (const auto& [path, bytes] : inputs) {
    for (const bool json : {false, true}) {
      std::ostringstream out, err;
      const std::string what = "dump " + path + (json ? " --json" : "");
      const std::string& file = path;
      const Ending ending = Run(what, [&] { DumpCompiledFile(files, file, json, out, err); }, &problem);
      if (!problem.empty()) return problem;
      if (ending != Ending::Normal) continue;
      if (json && nlohmann::json::parse(out.str(), nullptr, /*allow_exceptions=*/false).is_discarded())
        return what + ": the output is no JSON";
      if (!json && out.str().empty()) return what + ": printed nothing";
      if (!json) {
        problem = ReencodingProblem(path, bytes);
        if (!problem.empty()) return problem;
      }
    }
  }
  if (!given.cell) return "";

  // plot and view, on the directory and so on the files found in it.
  {
    std::ostringstream err;
    const std::string output = "/out/picture.svg";
    const Ending ending =
        Run("plot", [&] { PlotCompiledScenario(files, {kDirectory}, output, err); }, &problem);
    if (!problem.empty()) return problem;
    if (ending == Ending::Normal) {
      auto written = files.files.find(output);
      if (written == files.files.end()) return "plot: ended normally but wrote no picture";
      if (!WholeSvg(written->second)) return "plot: the picture is no whole SVG document";
      files.files.erase(written);
    }
  }
  {
    std::ostringstream err;
    const std::string output = "/out/page.html";
    const Ending ending = Run("view", [&] { ViewCompiledScenario(files, {kDirectory}, output, err); }, &problem);
    if (!problem.empty()) return problem;
    if (ending == Ending::Normal) {
      auto written = files.files.find(output);
      if (written == files.files.end()) return "view: ended normally but wrote no page";
      if (written->second.find("</html>") == std::string::npos) return "view: the page is no whole HTML page";
      files.files.erase(written);
    }
  }
  return CheckDecompile(files, given);
}

}  // namespace

std::string CheckCompiledFiles(std::string_view input, CheckDepth depth) {
  CompiledFileBytes given = SplitCompiledFiles(input);
  MemoryFileSystem files;
  files.files[kStationPath] = given.station;
  if (given.cell) files.files[kCellPath] = *given.cell;
  if (given.line) files.files[kLinePath] = *given.line;
  return depth == CheckDepth::Readers ? CheckReaders(files, std::move(given)) : CheckCommands(files, given);
}

}  // namespace scenario::testing_support
