// The self-check of decompile: the recovered sources compiled in memory as
// the compactor compiles them, and the result compared with the given files
// record by record, cell by cell and point by point.
#include "tools/decompile/self_check.h"

#include <utility>
#include <variant>

#include "compiler/compile_run.h"
#include "compiler/compiled_files.h"
#include "compiler/error_reporting.h"
#include "compiler/fields/error_numbers.h"
#include "model/file_names.h"
#include "platform/files/memory_file_system.h"
#include "platform/files/workspace.h"
#include "platform/window/window.h"
#include "tools/common/counted.h"
#include "tools/decompile/recovered_items.h"
#include "tools/readback/author_units.h"
#include "tools/readback/stored_fields.h"

namespace scenario::tool::recovery {

Recompiled CompileInMemory(const std::string& nome_linea, const std::string& numero_treno, const std::string& line_text,
                           const std::string& train_text, bool with_line) {
  MemoryFileSystem files;
  const Workspace workspace{files, "decompiled"};
  files.files[workspace.PathOf(LineSourceName(nome_linea))] = line_text;
  files.files[workspace.PathOf(TrainSourceName(nome_linea, numero_treno))] = train_text;
  ScenarioModel model;
  model.nome_linea = nome_linea;
  model.numero_treno = numero_treno;
  SilentWindow window;  // a stop is taken from ErroreShown
  Recompiled result;
  ReadingPlace place;
  try {
    memorizza_percorso(model, with_line ? 1 : 0, workspace, window, &place);
  } catch (const ErroreShown& shown) {
    result.stopped_with = shown.numero;
  }
  result.codice_errore = model.codice_errore;
  result.posizione_errore = model.posizione_errore;
  if (model.codice_errore == error_number::kReadFailure && place.failure) {
    result.cause = place.failure->cause;
    if (place.failure->at.line > 0)
      *result.cause = "line " + std::to_string(place.failure->at.line) + " of '" + place.file + "': " + *result.cause;
  }
  auto take = [&](const std::string& name) -> std::optional<std::string> {
    auto found = files.files.find(workspace.PathOf(name));
    if (found == files.files.end()) return std::nullopt;
    return found->second;
  };
  result.station_bytes = take(StationFileName(nome_linea, numero_treno)).value_or("");
  result.cell_bytes = take(CellFileName(nome_linea, numero_treno)).value_or("");
  if (with_line) result.line_bytes = take(CompiledLineName(nome_linea));
  return result;
}

namespace {

// A stored value as the self-check lists it: a number, or a text in quotes.
std::string StoredText(const FieldValue& value) {
  if (const std::string* text = std::get_if<std::string>(&value)) return "\"" + *text + "\"";
  return Num(std::get<int64_t>(value));
}

std::string FieldDifferences(const rec_stazione& given, const rec_stazione& recompiled) {
  std::string text;
  for (const StoredField& field : StationFields()) {
    const std::string a = StoredText(field.value(given)), b = StoredText(field.value(recompiled));
    if (a == b) continue;
    if (!text.empty()) text += ", ";
    text += std::string(field.name) + " " + a + " in the file, " + b + " recompiled";
  }
  return text;
}

std::string FieldDifferences(const rec_cella& given, const rec_cella& recompiled) {
  std::string text;
  for (const CellField& field : CellFields()) {
    const int64_t a = field.value(given), b = field.value(recompiled);
    if (a == b) continue;
    if (!text.empty()) text += ", ";
    text += std::string(field.name) + " " + Num(a) + " in the file, " + Num(b) + " recompiled";
  }
  return text;
}

std::string PointText(const PuntoTracciato& point) {
  auto one = [](const TaggedValue& v) {
    if (v.type == ValueType::Empty) return std::string("Empty");
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", v.AsReal());
    return std::string(buffer);
  };
  return "(" + one(point[0]) + ", " + one(point[1]) + ")";
}

class DifferenceList {
 public:
  void Add(std::string text) {
    ++count_;
    if (list_.size() < kDifferencesListed) list_.push_back(std::move(text));
  }
  std::vector<std::string> Done() {
    if (count_ > list_.size()) list_.push_back("... and " + std::to_string(count_ - list_.size()) + " more");
    return std::move(list_);
  }
  size_t count() const { return count_; }

 private:
  std::vector<std::string> list_;
  size_t count_ = 0;
};

void CompareStations(const CompiledInput& input, const std::string& bytes, DifferenceList* out) {
  std::vector<rec_stazione> recompiled;
  std::string error;
  if (!DecodeStazioni(bytes, &recompiled, &error) || recompiled.size() != input.stazioni.size()) {
    out->Add("station file: the recompiled file is not a station table (" + error + ")");
    return;
  }
  const std::vector<RecordRole> roles = RecordRoles(input.stazioni);
  for (size_t i = 0; i < recompiled.size(); ++i) {
    const std::string diff = FieldDifferences(input.stazioni[i], recompiled[i]);
    if (!diff.empty()) out->Add("station record " + std::to_string(i) + " (" + RoleName(roles[i]) + "): " + diff);
  }
}

void CompareCells(const CompiledInput& input, const std::string& bytes, DifferenceList* out) {
  std::vector<rec_cella> recompiled;
  std::string error;
  if (!DecodePercorso(bytes, &recompiled, &error)) {
    out->Add("cell file: the recompiled file is not a route (" + error + ")");
    return;
  }
  if (recompiled.size() != input.percorso.size())
    out->Add("cell file: " + Counted(static_cast<long long>(input.percorso.size()), "cell") + " in the file, " +
             std::to_string(recompiled.size()) + " recompiled");
  const size_t n = std::min(recompiled.size(), input.percorso.size());
  for (size_t k = 0; k < n; ++k) {
    const std::string diff = FieldDifferences(input.percorso[k], recompiled[k]);
    if (!diff.empty())
      out->Add("cell " + std::to_string(k) + " (" + std::to_string((static_cast<int64_t>(k) - 1) * kCellMetres) +
               " m, " + CellKindName(input.percorso[k].tipo_cella) + "): " + diff);
  }
}

void ComparePlan(const CompiledInput& input, const std::optional<std::string>& bytes, DifferenceList* out) {
  std::vector<PuntoTracciato> recompiled;
  std::string error;
  if (!bytes || !DecodeTracciato(*bytes, &recompiled, &error)) {
    out->Add("compiled line file: none was recompiled" + (error.empty() ? std::string() : " (" + error + ")"));
    return;
  }
  const std::vector<PuntoTracciato>& given = *input.tracciato;
  if (recompiled.size() != given.size())
    out->Add("compiled line file: " + Counted(static_cast<long long>(given.size()), "plan point") + " in the file, " +
             std::to_string(recompiled.size()) + " recompiled");
  const size_t n = std::min(recompiled.size(), given.size());
  for (size_t x = 0; x < n; ++x) {
    if (given[x] == recompiled[x]) continue;
    out->Add("plan point " + std::to_string(x) + ": " + PointText(given[x]) + " in the file, " +
             PointText(recompiled[x]) + " recompiled");
  }
}

}  // namespace

// Where the cells recompiled differ from the files in a code change: the
// cells that need a code-change point of their own, with its value.
std::map<int64_t, int64_t> CodeChangesToAdd(const CompiledInput& input, const std::string& cell_bytes) {
  std::map<int64_t, int64_t> missing;
  std::vector<rec_cella> recompiled;
  std::string error;
  if (!DecodePercorso(cell_bytes, &recompiled, &error) || recompiled.size() != input.percorso.size()) return missing;
  for (size_t k = 0; k < recompiled.size(); ++k) {
    const rec_cella& want = input.percorso[k];
    const rec_cella& got = recompiled[k];
    if (want.tipo_cella == got.tipo_cella && want.valore_1 == got.valore_1) continue;
    if (want.tipo_cella == tipo::cambio_codice) {
      // A positive value keeps its low 16 bits.
      missing[static_cast<int64_t>(k)] = want.valore_1 > 0 ? want.valore_1 : int64_t{want.valore_1} + 65536;
    } else if (want.tipo_cella == tipo::cambio_codice_abbattimento) {
      missing[static_cast<int64_t>(k)] = 0;
    }
  }
  return missing;
}

// The first cell whose bytes differ from the files' (the number of cells
// when none does).
int64_t FirstDifferentCell(const CompiledInput& input, const std::string& cell_bytes) {
  const size_t n = std::min(cell_bytes.size(), input.cell_bytes.size());
  size_t at = 0;
  while (at < n && cell_bytes[at] == input.cell_bytes[at]) ++at;
  return static_cast<int64_t>(at / kCellBytes);
}


std::vector<std::string> Differences(const CompiledInput& input, const Recompiled& recompiled, bool with_line) {
  DifferenceList differences;
  CompareStations(input, recompiled.station_bytes, &differences);
  CompareCells(input, recompiled.cell_bytes, &differences);
  if (with_line) ComparePlan(input, recompiled.line_bytes, &differences);
  if (differences.count() == 0) differences.Add("the recompiled files differ from the given ones");
  return differences.Done();
}

}  // namespace scenario::tool::recovery
