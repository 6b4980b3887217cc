#include "tools/cli/dump_command.h"

#include <optional>
#include <stdexcept>

#include "compiler/check_codes.h"
#include "tools/readback/author_units.h"
#include "tools/readback/compiled_scenario.h"
#include "tools/common/counted.h"
#include "tools/cli/json_output.h"
#include "tools/readback/route_features.h"
#include "encoding/text_encoding.h"
#include "tools/cli/text_table.h"
#include "tools/readback/compiled_json.h"

namespace scenario::tool {

namespace {

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

void AddCell(TextTable* table, const FieldValue& value) {
  if (const std::string* text = std::get_if<std::string>(&value)) table->Add(PrintableText(*text));
  else table->Add(static_cast<long long>(std::get<int64_t>(value)));
}

// The values as the sources give them, in one line: "segnale posizione 2350 m, sx 1, ...; ...".
std::string SourceText(const std::vector<AuthorValue>& values) {
  std::string text;
  std::string keyword;
  for (const AuthorValue& value : values) {
    if (text.empty()) text = value.keyword + " ";
    else if (value.keyword != keyword) text += "; " + value.keyword + " ";
    else text += ", ";
    keyword = value.keyword;
    text += AuthorText(value);
  }
  return text;
}

void DumpStations(const std::string& path, const std::vector<rec_stazione>& stazioni, bool json,
                  std::ostream& out) {
  const std::vector<RecordRole> roles = RecordRoles(stazioni);
  if (json) {
    Json records = Json::array();
    for (size_t i = 0; i < stazioni.size(); ++i) {
      records.push_back(StationRecordJson(i, roles[i], stazioni[i]));
    }
    PrintJson({{"file", path}, {"kind", KindName(CompiledFileKind::Station)}, {"records", records}}, out);
    return;
  }
  out << path << ": " << KindName(CompiledFileKind::Station) << ", "
      << Counted(static_cast<long long>(stazioni.size()), "record") << ", as stored\n";
  std::vector<std::string> header = {"record", "role"};
  for (const StoredField& field : StationFields()) header.push_back(field.name);
  TextTable table(header);
  for (size_t i = 0; i < stazioni.size(); ++i) {
    table.NewRow();
    table.Add(static_cast<long long>(i));
    table.Add(RoleName(roles[i]));
    for (const StoredField& field : StationFields()) AddCell(&table, field.value(stazioni[i]));
  }
  table.Print(out);

  // The stations as their `stazione` lines give them, value by value.
  std::vector<std::string> station_header = {"record"};
  TextTable stations({});
  for (size_t i = 0; i < stazioni.size(); ++i) {
    if (roles[i] != RecordRole::Station) continue;
    const std::vector<AuthorValue> values = RecordInSources(roles[i], stazioni[i]);
    if (station_header.size() == 1)
      for (const AuthorValue& value : values) station_header.push_back(std::to_string(value.column) + ":" + AuthorKey(value));
    stations.NewRow();
    stations.Add(static_cast<long long>(i));
    for (const AuthorValue& value : values) AddCell(&stations, value.value);
  }
  if (station_header.size() > 1) {
    out << "\nThe stations as their stazione lines give them (value number:name, in metres, hours, minutes, seconds):\n";
    stations.SetHeader(station_header);
    stations.Print(out);
  }

  // The other records, field by field, beside the source value each holds.
  TextTable others({"record", "role", "source", "field", "stored", "in_sources", "how"});
  for (size_t i = 0; i < stazioni.size(); ++i) {
    if (roles[i] == RecordRole::Station) continue;
    for (const AuthorValue& value : RecordInSources(roles[i], stazioni[i])) {
      others.NewRow();
      others.Add(static_cast<long long>(i));
      others.Add(RoleName(roles[i]));
      others.Add(value.keyword + (value.column > 0 ? " value " + std::to_string(value.column) : std::string()) +
                 ": " + value.name);
      others.Add(value.field);
      const std::optional<FieldValue> stored = StoredValue(stazioni[i], value.field);
      if (stored) AddCell(&others, *stored);
      else others.Add(std::string());
      others.Add(ShownValue(value));
      others.Add(value.note);
    }
  }
  out << "\nThe other records as the sources give them:\n";
  others.Print(out);
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
    for (size_t k = 0; k < percorso.size(); ++k) cells.push_back(CellJson(k, percorso[k]));
    PrintJson({{"file", path}, {"kind", KindName(CompiledFileKind::Cell)}, {"cells", cells}}, out);
    return;
  }
  out << path << ": " << KindName(CompiledFileKind::Cell) << ", "
      << Counted(static_cast<long long>(percorso.size()), "cell") << " (0 to " << percorso.size() - 1 << "); cell k begins at metre 50 x (k - 1)\n";
  std::vector<std::string> header = {"cell", "from_m", "kind"};
  for (const CellField& field : CellFields()) {
    header.push_back(field.name);
    if (field.author_name) header.push_back(field.author_name);
  }
  header.push_back("source");
  TextTable table(header);
  for (size_t k = 0; k < percorso.size(); ++k) {
    const rec_cella& c = percorso[k];
    table.NewRow();
    table.Add(static_cast<long long>(k));
    table.Add(static_cast<long long>(CellStart(static_cast<int64_t>(k))));
    table.Add(CellKindName(c.tipo_cella));
    for (const CellField& field : CellFields()) {
      table.Add(static_cast<long long>(field.value(c)));
      if (field.author_name) table.Add(static_cast<long long>(field.author_value(c)));
    }
    table.Add(SourceText(CellInSources(static_cast<int64_t>(k), c)));
  }
  table.Print(out);
}

// --- compiled line file ---------------------------------------------------

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
      points.push_back({{"x", x}, {"column_0", PlanValueJson(tracciato[x][0])}, {"column_1", PlanValueJson(tracciato[x][1])}});
    PrintJson({{"file", path}, {"kind", KindName(CompiledFileKind::Line)}, {"points", points}}, out);
    return;
  }
  out << path << ": " << KindName(CompiledFileKind::Line) << ", "
      << Counted(static_cast<long long>(tracciato.size()), "plan point") << " (metres 0 to " << tracciato.size() - 1
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
