#include "tools/viewer/view_data.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "compiler/cell_rules.h"
#include "tools/readback/author_units.h"
#include "tools/readback/compiled_json.h"
#include "tools/readback/plan_curves.h"
#include "tools/readback/route_features.h"
#include "encoding/text_encoding.h"

namespace scenario::tool {

namespace {

// The code the cell rules put into the code changes they place.
constexpr int16_t kRuleCode = 180;
// Each round lets the written code changes found so far move the rules'
// ones aside; a route changed by hand may never settle.
constexpr int kOriginRounds = 24;

bool IsCodeChange(const rec_cella& c) {
  return c.tipo_cella == tipo::cambio_codice || c.tipo_cella == tipo::cambio_codice_abbattimento;
}

bool IsRuleCode(const rec_cella& c) { return c.tipo_cella == tipo::cambio_codice && c.valore_1 == kRuleCode; }

// The route with the rules' code changes taken out again (the cells they
// took were free, so they become free) and the rules run on it afresh.
std::vector<rec_cella> RulesAgain(const std::vector<rec_cella>& percorso, const std::set<int64_t>& written) {
  ScenarioModel model;
  model.percorso = percorso;
  for (size_t k = 0; k < model.percorso.size(); ++k) {
    rec_cella& c = model.percorso[k];
    if (IsCodeChange(c) && written.count(static_cast<int64_t>(k)) == 0) {
      c.tipo_cella = tipo::libera;
      c.valore_1 = 0;
    }
  }
  model.ultima_cella = static_cast<int32_t>(model.percorso.size()) - 1;
  ApplyCellRules(model);
  return std::move(model.percorso);
}

std::string Base64(const std::vector<double>& numbers) {
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string bytes;
  for (double number : numbers) {
    uint64_t bits = 0;
    std::memcpy(&bits, &number, sizeof bits);
    for (int b = 0; b < 8; ++b) bytes.push_back(static_cast<char>((bits >> (8 * b)) & 0xFF));
  }
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t n = std::min<size_t>(3, bytes.size() - i);
    uint32_t group = 0;
    for (size_t b = 0; b < 3; ++b)
      group = (group << 8) | (b < n ? static_cast<unsigned char>(bytes[i + b]) : 0u);
    for (size_t d = 0; d < 4; ++d) text.push_back(d <= n ? kDigits[(group >> (18 - 6 * d)) & 0x3F] : '=');
  }
  return text;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The lines that wrote each cell, each cell's approach mark and each record,
// in the order of the reading, from the compile's account of its lines.
struct Writers {
  std::vector<std::vector<const LineAccount*>> cells, marks, records;

  explicit Writers(const LineAccounts* lines) {
    if (lines == nullptr) return;
    for (const LineAccount& account : *lines) {
      for (size_t k : account.cells) At(&cells, k).push_back(&account);
      for (size_t k : account.marks) At(&marks, k).push_back(&account);
      for (size_t i : account.records) At(&records, i).push_back(&account);
    }
  }
  static std::vector<const LineAccount*>& At(std::vector<std::vector<const LineAccount*>>* all, size_t k) {
    if (all->size() <= k) all->resize(k + 1);
    return (*all)[k];
  }
  static const std::vector<const LineAccount*>& Of(const std::vector<std::vector<const LineAccount*>>& all, size_t k) {
    static const std::vector<const LineAccount*> kNone;
    return k < all.size() ? all[k] : kNone;
  }
};

// The last of `lines` that a keyword giving `value` was read on.
const LineAccount* WriterOf(const std::vector<const LineAccount*>& lines, const AuthorValue& value) {
  for (auto line = lines.rbegin(); line != lines.rend(); ++line)
    for (const AccountKeyword& read : (*line)->keywords)
      if (KeywordGives(*read.spec, value)) return *line;
  return nullptr;
}

// The rows of the values; each carries the line that wrote it, looked up
// in `lines` (or, for an approach mark, in `mark_lines`).
Json SourceRows(const std::vector<AuthorValue>& values, const std::vector<const LineAccount*>& lines = {},
                const std::vector<const LineAccount*>& mark_lines = {}) {
  Json rows = Json::array();
  for (const AuthorValue& value : values) {
    Json row = {{"keyword", value.keyword},
                {"column", value.column},
                {"name", value.name},
                {"key", AuthorKey(value)},
                {"value", ValueJson(value.value)},
                {"unit", value.unit},
                {"field", value.field},
                {"note", value.note}};
    if (const LineAccount* writer = WriterOf(IsApproachMark(value) ? mark_lines : lines, value)) {
      row["file"] = MessageToUtf8(writer->file);
      row["line"] = writer->line;
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace

std::vector<CodeChange> CodeChangeOrigins(const std::vector<rec_cella>& percorso) {
  std::set<int64_t> written;
  for (size_t k = 0; k < percorso.size(); ++k)
    if (IsCodeChange(percorso[k]) && !IsRuleCode(percorso[k])) written.insert(static_cast<int64_t>(k));
  for (int round = 0; round < kOriginRounds; ++round) {
    const std::vector<rec_cella> again = RulesAgain(percorso, written);
    bool more = false;
    for (size_t k = 0; k < percorso.size(); ++k) {
      if (!IsRuleCode(percorso[k]) || written.count(static_cast<int64_t>(k)) != 0) continue;
      if (!IsRuleCode(again[k])) {
        written.insert(static_cast<int64_t>(k));
        more = true;
      }
    }
    if (!more) break;
  }
  std::vector<CodeChange> changes;
  for (size_t k = 0; k < percorso.size(); ++k)
    if (IsCodeChange(percorso[k]))
      changes.push_back({static_cast<int64_t>(k), written.count(static_cast<int64_t>(k)) != 0
                                                      ? CodeChangeOrigin::Written
                                                      : CodeChangeOrigin::CellRules});
  return changes;
}

Json PlanData(const std::vector<PuntoTracciato>& plan) {
  size_t computed = 0;
  while (2 + computed < plan.size() && plan[2 + computed][0].type == ValueType::Double) ++computed;
  Json seeds = Json::array();
  for (size_t x = 0; x < 2 && x < plan.size(); ++x) seeds.push_back({PlanValueJson(plan[x][0]), PlanValueJson(plan[x][1])});

  const std::vector<Curve> curves = CurvesOf(plan);
  Json curve_list = Json::array();
  // The curvature of each computed point, by the curves: point j lies in a
  // curve when start < j <= start + length.
  std::vector<double> curvature(2 + computed, 0.0);
  for (const Curve& curve : curves) {
    const double c = (curve.left ? -1 : 1) * kCurvature[static_cast<size_t>(curve.classe - 1)];
    curve_list.push_back({{"start_m", curve.start}, {"length_m", curve.length}, {"class", curve.classe},
                          {"side", curve.left ? "left" : "right"}, {"keyword", CurveKeyword(curve)},
                          {"curvature", c}});
    for (int64_t j = curve.start + 1; j <= curve.start + curve.length && j < static_cast<int64_t>(curvature.size()); ++j)
      if (j >= 2) curvature[static_cast<size_t>(j)] = c;
  }

  // Rebuilt as the page rebuilds it; where that misses, the point goes in.
  std::vector<double> anchors;
  Json exceptions = Json::array();
  std::vector<double> exception_values;
  for (size_t j = 2; j < 2 + computed; ++j) {
    const double x = plan[j][0].real, y = plan[j][1].real;
    if ((j - 2) % kPlanAnchorEvery == 0) {
      for (size_t a = j; a < j + 2; ++a) {
        anchors.push_back(a < 2 + computed ? plan[a][0].AsReal() : 0.0);
        anchors.push_back(a < 2 + computed ? plan[a][1].AsReal() : 0.0);
      }
    }
    if ((j - 2) % kPlanAnchorEvery < 2) continue;
    const double x1 = plan[j - 1][0].AsReal(), y1 = plan[j - 1][1].AsReal();
    const double dx = x1 - plan[j - 2][0].AsReal(), dy = y1 - plan[j - 2][1].AsReal();
    const double c = curvature[j];
    if (SameBits(x1 + (dx + c * dy), x) && SameBits(y1 + (dy - c * dx), y)) continue;
    exceptions.push_back(j);
    exception_values.push_back(x);
    exception_values.push_back(y);
  }
  return {{"points", plan.size()},
          {"computed", computed},
          {"seeds", seeds},
          {"curves", curve_list},
          {"anchor_every", kPlanAnchorEvery},
          {"anchors", Base64(anchors)},
          {"exceptions", exceptions},
          {"exception_values", Base64(exception_values)}};
}

Json ViewData(const CompiledScenario& scenario, const std::vector<std::string>& warnings,
              const LineAccounts* lines) {
  const Writers writers(lines);
  const std::vector<rec_stazione>& stazioni = scenario.stazioni;
  const std::vector<rec_cella>& percorso = scenario.percorso;
  Json data;
  data["line"] = Windows1252ToUtf8(stazioni[kRecordScenario].nome);
  data["train"] = Windows1252ToUtf8(stazioni[kRecordTreno].nome);
  data["files"] = {{"station", MessageToUtf8(scenario.station_path)},
                   {"cell", MessageToUtf8(scenario.cell_path)},
                   {"line", MessageToUtf8(scenario.line_path)}};
  data["route_length_m"] = RouteLength(stazioni);
  data["cell_count"] = percorso.size();

  // The cells column by column, under the names of `dump --json`; the kind
  // names once for each kind.
  Json fields = Json::array();
  Json columns = Json::object();
  Json kinds = Json::object();
  Json sources = Json::object();
  for (size_t k = 0; k < percorso.size(); ++k) {
    const Json cell = CellJson(k, percorso[k]);
    for (const auto& [key, value] : cell.items()) {
      if (key == "source") continue;
      if (k == 0) fields.push_back(key);
      if (key == "index") continue;
      if (key == "kind") {
        kinds[std::to_string(percorso[k].tipo_cella)] = value;
        continue;
      }
      columns[key].push_back(value);
    }
    const std::vector<AuthorValue> values = CellInSources(static_cast<int64_t>(k), percorso[k]);
    if (!values.empty())
      sources[std::to_string(k)] = SourceRows(values, Writers::Of(writers.cells, k), Writers::Of(writers.marks, k));
  }
  data["cell_fields"] = fields;
  data["columns"] = columns;
  data["kind_names"] = kinds;
  data["cell_sources"] = sources;

  const std::vector<RecordRole> roles = RecordRoles(stazioni);
  Json records = Json::array();
  for (size_t i = 0; i < stazioni.size(); ++i) {
    Json record = StationRecordJson(i, roles[i], stazioni[i]);
    record["source_rows"] =
        SourceRows(RecordInSources(roles[i], stazioni[i]), Writers::Of(writers.records, i));
    records.push_back(record);
  }
  data["records"] = records;

  const RouteFeatures features = FindRouteFeatures(stazioni, percorso);
  Json stations = Json::array();
  for (const Station& station : features.stations) {
    Json stops = Json::array();
    for (const CellObject& stop : features.stop_cells)
      if (stop.content.valore_1 == station.index) stops.push_back(stop.cell);
    stations.push_back({{"record", station.index},
                        {"name", Windows1252ToUtf8(station.record->nome)},
                        {"position_m", station.record->progressiva},
                        {"zone_from_m", station.record->inizio_zona},
                        {"zone_to_m", station.record->fine_zona},
                        {"kind", station.record->tipo_stazione},
                        {"stop_cells", stops}});
  }
  data["stations"] = stations;

  Json slowdowns = Json::array();
  for (const Slowdown& slowdown : features.slowdowns)
    slowdowns.push_back(
        {{"from_m", slowdown.start_metre}, {"to_m", slowdown.end_metre}, {"speed_kmh", slowdown.speed}});
  data["slowdowns"] = slowdowns;
  Json boards = Json::array();
  for (const CellObject& board : features.boards)
    boards.push_back({{"cell", board.cell}, {"caption", Windows1252ToUtf8(BoardCaption(stazioni, board.content))}});
  data["boards"] = boards;

  Json progressives = Json::array();
  for (int i = kRecordProgressivaTre; i <= kRecordProgressivaUno; ++i) {
    if (stazioni[i] == rec_stazione{}) continue;
    const std::vector<AuthorValue> values = RecordInSources(RecordRole::Progressive, stazioni[i]);
    progressives.push_back({{"record", i},
                            {"position_m", std::get<int64_t>(values[0].value)},
                            {"chainage_m", std::get<int64_t>(values[1].value)},
                            {"direction", std::get<int64_t>(values[2].value)}});
  }
  data["progressives"] = progressives;

  Json written = Json::array();
  Json by_rules = Json::array();
  for (const CodeChange& change : CodeChangeOrigins(percorso))
    (change.origin == CodeChangeOrigin::Written ? written : by_rules).push_back(change.cell);
  data["code_changes_written"] = written;
  data["code_changes_by_rules"] = by_rules;

  data["plan"] = scenario.tracciato.empty() ? Json(nullptr) : PlanData(scenario.tracciato);
  data["warnings"] = warnings;
  return data;
}

}  // namespace scenario::tool
