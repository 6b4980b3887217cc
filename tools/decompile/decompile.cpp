#include "tools/decompile/decompile.h"

#include <climits>
#include <map>
#include <utility>

#include "compiler/compiled_files.h"
#include "compiler/error_reporting.h"
#include "compiler/fields/error_numbers.h"
#include "tools/authoring/report_words.h"
#include "tools/common/refusal.h"
#include "tools/decompile/recovered_items.h"
#include "tools/decompile/self_check.h"
#include "tools/readback/compiled_scenario.h"

namespace scenario::tool {

using namespace recovery;

CompiledInput DecodeCompiledInput(const std::string& station_path, std::string station_bytes,
                                  const std::string& cell_path, std::string cell_bytes, const std::string& line_path,
                                  std::optional<std::string> line_bytes) {
  auto refuse = [](const std::string& path, const std::string& kind, const std::string& what) {
    throw Refusal(path + ": not a good " + kind + ": " + what);
  };
  CompiledInput input;
  std::string error;
  if (station_bytes.empty()) throw Refusal(station_path + ": the file is empty; a station file never is");
  if (!DecodeStazioni(station_bytes, &input.stazioni, &error)) refuse(station_path, "station file", error);
  if (std::optional<std::string> problem = StationTableProblem(input.stazioni))
    refuse(station_path, "station file", *problem);
  if (cell_bytes.empty()) throw Refusal(cell_path + ": the file is empty; a cell file never is");
  if (!DecodePercorso(cell_bytes, &input.percorso, &error)) refuse(cell_path, "cell file", error);
  if (std::optional<std::string> problem = RouteProblem(input.percorso)) refuse(cell_path, "cell file", *problem);
  if (std::optional<std::string> mismatch = RouteMismatch(input.stazioni, input.percorso))
    throw Refusal(cell_path + ": " + *mismatch);
  if (line_bytes) {
    std::vector<PuntoTracciato> plan;
    if (line_bytes->empty()) throw Refusal(line_path + ": the file is empty; a compiled line file never is");
    if (!DecodeTracciato(*line_bytes, &plan, &error)) refuse(line_path, "compiled line file", error);
    if (std::optional<std::string> problem = PlanProblem(plan)) refuse(line_path, "compiled line file", *problem);
    const int64_t points = int64_t{RouteLength(input.stazioni)} + 7000 + 1;
    if (static_cast<int64_t>(plan.size()) != points)
      throw Refusal(line_path + ": the station table gives a route of " + std::to_string(RouteLength(input.stazioni)) +
                    " m, that is " + std::to_string(points) + " plan points, but the compiled line file holds " +
                    std::to_string(plan.size()) + ": the files come from different compiles");
    input.tracciato = std::move(plan);
  }
  input.station_bytes = std::move(station_bytes);
  input.cell_bytes = std::move(cell_bytes);
  input.line_bytes = std::move(line_bytes);
  return input;
}
ReadSources ReadSourcesOff(const CompiledInput& input) {
  ReadSources sources;
  Recovery recovery(input);
  sources.line_description = Joined(LineDescriptionLines(recovery.Line()));
  sources.train_service = Joined(TrainServiceLines(recovery.Train(&sources.notes)));
  return sources;
}

RecoveredScenario Decompile(const CompiledInput& input) {
  RecoveredScenario result;
  result.nome_linea = input.stazioni[kRecordScenario].nome;
  result.numero_treno = input.stazioni[kRecordTreno].nome;
  Recovery recovery(input);
  const LineDescription line = recovery.Line();
  std::vector<std::string> conflicts;
  TrainService train = recovery.Train(&conflicts);
  for (const std::string& conflict : conflicts) result.notes.push_back(conflict);
  const bool with_line = input.tracciato.has_value();
  if (!with_line)
    result.notes.push_back(
        "no compiled line file: the curves are left out of the line description, so its plan is straight");

  result.line_description = Joined(LineDescriptionLines(line));
  auto compile = [&](const TrainService& service) {
    return CompileInMemory(result.nome_linea, result.numero_treno, result.line_description,
                           Joined(TrainServiceLines(service)), with_line);
  };
  auto same_bytes = [&](const Recompiled& r) {
    return !r.stopped_with && r.station_bytes == input.station_bytes && r.cell_bytes == input.cell_bytes &&
           (!with_line || r.line_bytes == input.line_bytes);
  };
  Recompiled recompiled = compile(train);
  for (int round = 0; round < kCodeChangeRounds && !same_bytes(recompiled) && !recompiled.stopped_with; ++round) {
    // Code changes the cell rules do not place by themselves become
    // code-change points of the train service. The rules place only the
    // code 180, so the others go first: the rules then work round them as
    // they did in the files, and a 180 that was theirs needs no point.
    const std::map<int64_t, int64_t> missing = CodeChangesToAdd(input, recompiled.cell_bytes);
    std::map<int64_t, int64_t> own;
    std::optional<int64_t> first_plain;
    for (const auto& [cell, value] : missing) {
      if (train.code_changes.count(cell) != 0 && train.code_changes[cell] == value) continue;
      if (value != kRuleCode) own[cell] = value;
      else if (!first_plain) first_plain = cell;
    }
    if (!own.empty()) {
      for (const auto& [cell, value] : own) train.code_changes[cell] = value;
      recompiled = compile(train);
      continue;
    }
    if (!first_plain) break;
    // The first 180 missing, or one up to two cells beside it that the
    // files also hold: a point there moves the rules' code change aside (a
    // rule tries the cells next to the one it wants, and before a signal
    // the two before it). The one that leaves the first difference furthest
    // along the route wins.
    std::optional<TrainService> best;
    Recompiled best_compiled;
    int64_t best_reach = -1;
    for (const int64_t cell :
         {*first_plain, *first_plain + 1, *first_plain - 1, *first_plain + 2, *first_plain - 2}) {
      if (cell < 0 || cell >= static_cast<int64_t>(input.percorso.size())) continue;
      const rec_cella& c = input.percorso[static_cast<size_t>(cell)];
      if (c.tipo_cella != tipo::cambio_codice || c.valore_1 != kRuleCode || train.code_changes.count(cell) != 0)
        continue;
      TrainService candidate = train;
      candidate.code_changes[cell] = kRuleCode;
      Recompiled compiled = compile(candidate);
      const int64_t reach = same_bytes(compiled) ? INT64_MAX : FirstDifferentCell(input, compiled.cell_bytes);
      if (reach > best_reach) {
        best_reach = reach;
        best = std::move(candidate);
        best_compiled = std::move(compiled);
      }
    }
    // A point that brings the first difference no further is no help.
    if (!best || best_reach <= FirstDifferentCell(input, recompiled.cell_bytes)) break;
    train = std::move(*best);
    recompiled = std::move(best_compiled);
  }
  result.train_service = Joined(TrainServiceLines(train));

  if (recompiled.stopped_with) {
    result.differences.push_back("the recovered sources do not compile: the run stops with \"" +
                                 ErrorMessage(*recompiled.stopped_with) + "\"");
    return result;
  }
  auto error_note = [&] {
    return "the recovered sources compile with " +
           ErrorHeadline(recompiled.codice_errore, recompiled.posizione_errore, recompiled.cause);
  };
  if (same_bytes(recompiled)) {
    result.exact = true;
    if (recompiled.codice_errore != 0)
      result.notes.push_back(error_note() + " (the files were compiled with it, and hold what was read before it)");
    return result;
  }
  if (recompiled.codice_errore != 0) result.notes.push_back(error_note());
  result.differences = Differences(input, recompiled, with_line);
  return result;
}

}  // namespace scenario::tool
