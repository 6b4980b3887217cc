#include "tests/support/compiled_file_checks.h"

#include <array>
#include <exception>
#include <functional>
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
#include "tools/decompile/self_check.h"

namespace scenario::tool::testing {

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

std::string CheckCompiledFiles(std::string_view input) {
  const CompiledFileBytes given = SplitCompiledFiles(input);
  MemoryFileSystem files;
  files.files[kStationPath] = given.station;
  if (given.cell) files.files[kCellPath] = *given.cell;
  if (given.line) files.files[kLinePath] = *given.line;
  std::string problem;

  // dump, each file alone, as a table and as JSON.
  for (const auto& file : files.files) {
    const std::string& path = file.first;
    const std::string& bytes = file.second;
    for (const bool json : {false, true}) {
      std::ostringstream out, err;
      const std::string what = "dump " + path + (json ? " --json" : "");
      const Ending ending = Run(what, [&] { DumpCompiledFile(files, path, json, out, err); }, &problem);
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
      if (!(StartsWith(written->second, "<svg") || StartsWith(written->second, "<?xml")) ||
          !EndsWith(written->second, "</svg>\n"))
        return "plot: the picture is no whole SVG document";
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

  // decompile: the sources it writes compile back to the very files.
  DecompileRequest request;
  request.inputs = {kDirectory};
  request.output_directory = "/sources";
  std::ostringstream out, err;
  int status = -1;
  const Ending ending = Run("decompile", [&] { status = RunDecompile(request, files, out, err); }, &problem);
  if (!problem.empty()) return problem;
  std::vector<std::string> written;
  for (const auto& [path, bytes] : files.files)
    if (StartsWith(path, request.output_directory + "/")) written.push_back(path);
  if (ending == Ending::Refused || status == kExitRefused) {
    if (!written.empty()) return "decompile: refused the files but wrote " + written.front();
    if (ending == Ending::Normal && err.str().empty()) return "decompile: refused the files without saying why";
    return "";
  }
  if (status != kExitOk) return "decompile: ended with status " + std::to_string(status);
  if (written.size() != 2) return "decompile: wrote " + std::to_string(written.size()) + " files, not the two sources";
  // The line description sorts before the train service: NAME_linea.txt
  // against NAME_NUMBER.txt only when the number sorts after "linea"; find
  // them by name instead.
  const std::string* line_source = nullptr;
  const std::string* train_source = nullptr;
  for (const std::string& path : written) {
    (EndsWith(path, "_linea.txt") ? line_source : train_source) = &files.files[path];
  }
  if (line_source == nullptr || train_source == nullptr) return "decompile: did not write both sources";
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

}  // namespace scenario::tool::testing
