#include "tools/dump_command.h"

#include <stdexcept>

#include <nlohmann/json.hpp>

#include "compiler/check_codes.h"
#include "tools/compiled_scenario.h"
#include "tools/route_features.h"
#include "tools/text_encoding.h"
#include "tools/text_table.h"

namespace scenario::tool {

namespace {

using Json = nlohmann::ordered_json;

void PrintJson(const Json& json, std::ostream& out) {
  out << json.dump(1, ' ', false, Json::error_handler_t::replace) << "\n";
}

// --- station file ---------------------------------------------------------

void WarnAboutCheckCode(const std::string& path, const std::vector<rec_stazione>& stazioni,
                        std::ostream& err) {
  ScenarioModel names;
  names.stazioni[kRecordScenario].nome = stazioni[kRecordScenario].nome;
  names.stazioni[kRecordTreno].nome = stazioni[kRecordTreno].nome;
  const int32_t expected = codice_gara_st(names);
  if (stazioni[kRecordScenario].orario != expected)
    err << path << ": warning: record 85 holds the check code " << stazioni[kRecordScenario].orario
        << " in orario, but its names give " << expected
        << ": the file was changed after it was compiled\n";
}

void DumpStations(const std::string& path, const std::vector<rec_stazione>& stazioni, bool json,
                  std::ostream& out) {
  const std::vector<RecordRole> roles = RecordRoles(stazioni);
  if (json) {
    Json records = Json::array();
    for (size_t i = 0; i < stazioni.size(); ++i) {
      const rec_stazione& r = stazioni[i];
      records.push_back({{"index", i},
                         {"role", RoleName(roles[i])},
                         {"tipo_stazione", r.tipo_stazione},
                         {"inizio_zona", r.inizio_zona},
                         {"fine_zona", r.fine_zona},
                         {"progressiva", r.progressiva},
                         {"par_1", r.par_1},
                         {"nome", Latin1ToUtf8(r.nome)},
                         {"par_4", r.par_4},
                         {"par_5", r.par_5},
                         {"par_7", r.par_7},
                         {"par_8", r.par_8},
                         {"par_9", r.par_9},
                         {"par_6", r.par_6},
                         {"sosta", r.sosta},
                         {"par_3", r.par_3},
                         {"par_2", r.par_2},
                         {"orario", r.orario}});
    }
    PrintJson({{"file", path}, {"kind", KindName(CompiledFileKind::Station)}, {"records", records}}, out);
    return;
  }
  out << path << ": " << KindName(CompiledFileKind::Station) << ", " << stazioni.size() << " records\n";
  TextTable table({"record", "role", "tipo_stazione", "inizio_zona", "fine_zona", "progressiva", "par_1",
                   "nome", "par_4", "par_5", "par_7", "par_8", "par_9", "par_6", "sosta", "par_3", "par_2",
                   "orario"});
  for (size_t i = 0; i < stazioni.size(); ++i) {
    const rec_stazione& r = stazioni[i];
    table.NewRow();
    table.Add(static_cast<long long>(i));
    table.Add(RoleName(roles[i]));
    for (long long value : {static_cast<long long>(r.tipo_stazione), static_cast<long long>(r.inizio_zona),
                            static_cast<long long>(r.fine_zona), static_cast<long long>(r.progressiva),
                            static_cast<long long>(r.par_1)})
      table.Add(value);
    table.Add(PrintableText(r.nome));
    for (long long value : {static_cast<long long>(r.par_4), static_cast<long long>(r.par_5),
                            static_cast<long long>(r.par_7), static_cast<long long>(r.par_8),
                            static_cast<long long>(r.par_9), static_cast<long long>(r.par_6),
                            static_cast<long long>(r.sosta), static_cast<long long>(r.par_3),
                            static_cast<long long>(r.par_2), static_cast<long long>(r.orario)})
      table.Add(value);
  }
  table.Print(out);
}

// --- cell file ------------------------------------------------------------

// The station file compiled with a cell file "<line>_<train>.dat" is
// "<line>_<train>.sim" beside it.
std::string StationFileBeside(const std::string& cell_path) {
  return cell_path.substr(0, cell_path.size() - std::string(".dat").size()) + ".sim";
}

// A cell file is checked against the station file compiled with it, when
// that is beside it: the route length and the check code in cell 1.
void WarnAboutStationFileBeside(FileSystem& files, const std::string& path,
                                const std::vector<rec_cella>& percorso, std::ostream& err) {
  const std::string station_path = StationFileBeside(path);
  if (!files.FileExists(station_path)) return;
  std::vector<rec_stazione> stazioni;
  try {
    stazioni = LoadStationFile(files, station_path);
  } catch (const std::exception&) {
    return;  // a station file that cannot be used says nothing about this one
  }
  if (std::optional<std::string> mismatch = RouteMismatch(stazioni, percorso))
    err << path << ": warning: beside it, '" << station_path << "': " << *mismatch << "\n";
  ScenarioModel names;
  names.stazioni[kRecordScenario].nome = stazioni[kRecordScenario].nome;
  names.stazioni[kRecordTreno].nome = stazioni[kRecordTreno].nome;
  const int32_t expected = codice_gara_og(names);
  if (percorso[1].valore_2 != expected)
    err << path << ": warning: cell 1 holds the check code " << percorso[1].valore_2
        << " in valore_2, but the names in '" << station_path << "' give " << expected
        << ": the files come from different compiles, or were changed after it\n";
}

void DumpCells(const std::string& path, const std::vector<rec_cella>& percorso, bool json,
               std::ostream& out) {
  if (json) {
    Json cells = Json::array();
    for (size_t k = 0; k < percorso.size(); ++k) {
      const rec_cella& c = percorso[k];
      cells.push_back({{"index", k},
                       {"kind", CellKindName(c.tipo_cella)},
                       {"tipo_cella", c.tipo_cella},
                       {"valore_1", c.valore_1},
                       {"valore_2", c.valore_2},
                       {"valore_3", c.valore_3},
                       {"valore_4", c.valore_4},
                       {"tempo_segnale", c.tempo_segnale},
                       {"avviso", c.avviso},
                       {"montagna", c.montagna},
                       {"velocita_limite", c.velocita_limite},
                       {"pendenza", c.pendenza},
                       {"aderenza", c.aderenza}});
    }
    PrintJson({{"file", path}, {"kind", KindName(CompiledFileKind::Cell)}, {"cells", cells}}, out);
    return;
  }
  out << path << ": " << KindName(CompiledFileKind::Cell) << ", " << percorso.size()
      << " cells (0 to " << percorso.size() - 1 << "); cell k begins at metre 50 x (k - 1)\n";
  TextTable table({"cell", "from_m", "kind", "tipo_cella", "valore_1", "valore_2", "valore_3", "valore_4",
                   "tempo_segnale", "avviso", "montagna", "velocita_limite", "pendenza", "aderenza"});
  for (size_t k = 0; k < percorso.size(); ++k) {
    const rec_cella& c = percorso[k];
    table.NewRow();
    table.Add(static_cast<long long>(k));
    table.Add(static_cast<long long>(CellStart(static_cast<int64_t>(k))));
    table.Add(CellKindName(c.tipo_cella));
    for (long long value : {static_cast<long long>(c.tipo_cella), static_cast<long long>(c.valore_1),
                            static_cast<long long>(c.valore_2), static_cast<long long>(c.valore_3),
                            static_cast<long long>(c.valore_4), static_cast<long long>(c.tempo_segnale),
                            static_cast<long long>(c.avviso), static_cast<long long>(c.montagna),
                            static_cast<long long>(c.velocita_limite), static_cast<long long>(c.pendenza),
                            static_cast<long long>(c.aderenza)})
      table.Add(value);
  }
  table.Print(out);
}

// --- compiled line file ---------------------------------------------------

Json ValueJson(const TaggedValue& value) {
  Json json = {{"type", ValueTypeName(value.type)}};
  switch (value.type) {
    case ValueType::Empty: json["value"] = nullptr; break;
    case ValueType::Integer: json["value"] = value.integer; break;
    case ValueType::Double: json["value"] = value.real; break;
  }
  return json;
}

void AddValue(TextTable* table, const TaggedValue& value) {
  table->Add(ValueTypeName(value.type));
  switch (value.type) {
    case ValueType::Empty: table->Add(std::string()); break;
    case ValueType::Integer: table->Add(static_cast<long long>(value.integer)); break;
    case ValueType::Double: table->AddReal(value.real); break;
  }
}

void DumpPlan(const std::string& path, const std::vector<PuntoTracciato>& tracciato, bool json,
              std::ostream& out) {
  if (json) {
    Json points = Json::array();
    for (size_t x = 0; x < tracciato.size(); ++x)
      points.push_back({{"x", x}, {"column_0", ValueJson(tracciato[x][0])}, {"column_1", ValueJson(tracciato[x][1])}});
    PrintJson({{"file", path}, {"kind", KindName(CompiledFileKind::Line)}, {"points", points}}, out);
    return;
  }
  out << path << ": " << KindName(CompiledFileKind::Line) << ", " << tracciato.size()
      << " plan points (metres 0 to " << tracciato.size() - 1
      << "), each with its two coordinates, column 0 and column 1\n";
  TextTable table({"x", "type_0", "column_0", "type_1", "column_1"});
  for (size_t x = 0; x < tracciato.size(); ++x) {
    table.NewRow();
    table.Add(static_cast<long long>(x));
    AddValue(&table, tracciato[x][0]);
    AddValue(&table, tracciato[x][1]);
  }
  table.Print(out);
}

}  // namespace

void DumpCompiledFile(FileSystem& files, const std::string& path, bool json, std::ostream& out,
                      std::ostream& err) {
  const std::optional<CompiledFileKind> kind = CompiledFileKindOf(path);
  if (!kind)
    throw std::invalid_argument("cannot tell the kind of '" + path +
                                "': a compiled file's name ends in _linea.dat, .sim or .dat");
  switch (*kind) {
    case CompiledFileKind::Station: {
      const std::vector<rec_stazione> stazioni = LoadStationFile(files, path);
      WarnAboutCheckCode(path, stazioni, err);
      DumpStations(path, stazioni, json, out);
      break;
    }
    case CompiledFileKind::Cell: {
      const std::vector<rec_cella> percorso = LoadCellFile(files, path);
      WarnAboutStationFileBeside(files, path, percorso, err);
      DumpCells(path, percorso, json, out);
      break;
    }
    case CompiledFileKind::Line:
      DumpPlan(path, LoadLineFile(files, path), json, out);
      break;
  }
}

}  // namespace scenario::tool
