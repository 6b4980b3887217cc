#include "tools/readback/author_units.h"

#include <cctype>

#include "encoding/text_encoding.h"

namespace scenario::tool {

namespace {

AuthorValue Value(const std::string& keyword, int column, const std::string& name, int64_t value,
                  const std::string& unit, const std::string& field, const std::string& note = "") {
  return {keyword, column, name, value, unit, field, note};
}

AuthorValue Text(const std::string& keyword, int column, const std::string& name, const std::string& text,
                 const std::string& field) {
  return {keyword, column, name, text, "", field, ""};
}

// A station's length from its zone, by its kind: kinds 5 to 8 reach back
// from the position by the length, the others by half of it.
int64_t StationLength(const rec_stazione& r) {
  const int64_t back = int64_t{r.progressiva} - r.inizio_zona;
  return r.tipo_stazione >= 5 && r.tipo_stazione <= 8 ? back : 2 * back;
}

void AddStation(const rec_stazione& r, std::vector<AuthorValue>* values) {
  const std::string k = "stazione";
  values->push_back(Value(k, 1, "position", r.progressiva, "m", "progressiva"));
  values->push_back(Value(k, 2, "kind", r.tipo_stazione, "", "tipo_stazione"));
  values->push_back(Value(k, 3, "length", StationLength(r), "m", "",
                          "from the zone's start inizio_zona and the kind"));
  const std::array<int64_t, 9> pars = ParValues(r);
  for (size_t n = 0; n < pars.size(); ++n) {
    const std::string par = "par_" + std::to_string(n + 1);
    values->push_back(Value(k, static_cast<int>(n) + 4, par, pars[n], "", par));
  }
  values->push_back(Value(k, 13, "sosta", r.sosta, "", "sosta"));
  const std::array<int32_t, 3> time = TimeOfDay(r.orario);
  values->push_back(Value(k, 14, "hours", time[0], "h", "orario"));
  values->push_back(Value(k, 15, "minutes", time[1], "min", "orario"));
  values->push_back(Value(k, 16, "seconds", time[2], "s", "orario"));
  values->push_back(Text(k, 17, "name", r.nome, "nome"));
}

void AddSignal(int64_t from, const rec_cella& c, std::vector<AuthorValue>* values) {
  const std::string k = "segnale";
  // valore_4 = rapp x 10 + sx x 3 + dx: read with dx from 0 to 2, or, when
  // the cell keeps a time, with sx 2.
  const int64_t rapp = c.valore_4 / 10;
  const int64_t q = c.valore_4 % 10;
  const bool timed = c.tempo_segnale != 0;
  const int64_t sx = timed ? 2 : q / 3;
  const int64_t dx = timed ? q - 6 : q % 3;
  const std::string from_4 = "valore_4 = rapp x 10 + sx x 3 + dx";
  values->push_back(Value(k, 1, "posizione", from, "m", "", "where the cell begins"));
  values->push_back(Value(k, 2, "sx", sx, "", "valore_4", from_4));
  values->push_back(Value(k, 3, "s1", c.valore_1 / 10, "", "valore_1", "valore_1 = s1 x 10 + d1"));
  values->push_back(Value(k, 4, "s2", c.valore_2 / 10, "", "valore_2", "valore_2 = s2 x 10 + d2"));
  values->push_back(Value(k, 5, "s3", c.valore_3 / 10, "", "valore_3", "valore_3 = s3 x 10 + d3"));
  values->push_back(Value(k, 6, "rapp", rapp, "", "valore_4", from_4));
  values->push_back(Value(k, 7, "dx", dx, "", "valore_4", from_4));
  values->push_back(Value(k, 8, "d1", c.valore_1 % 10, "", "valore_1", "valore_1 = s1 x 10 + d1"));
  values->push_back(Value(k, 9, "d2", c.valore_2 % 10, "", "valore_2", "valore_2 = s2 x 10 + d2"));
  values->push_back(Value(k, 10, "d3", c.valore_3 % 10, "", "valore_3", "valore_3 = s3 x 10 + d3"));
  values->push_back(Value(k, 11, "tempo", c.tempo_segnale, "", "tempo_segnale",
                          "kept only when sx is 2, 1 to 100 raised to 101, to its low 8 bits"));
}

void AddIndicator(int64_t from, const rec_cella& c, std::vector<AuthorValue>* values) {
  const std::string k = "indicatori_vmax";
  values->push_back(Value(k, 1, "posizione", from, "m", "", "where the cell begins"));
  const std::array<int16_t, 3> speeds = {c.valore_1, c.valore_2, c.valore_3};
  const std::array<const char*, 3> high = {"vas", "vbs", "vcs"};
  const std::array<const char*, 3> low = {"vad", "vbd", "vcd"};
  // Each stored value is high x 20 + low / 5: two pairs of digits, each a
  // speed in fifths.
  for (size_t n = 0; n < 3; ++n) {
    const std::string field = "valore_" + std::to_string(n + 1);
    values->push_back(Value(k, static_cast<int>(n) + 2, high[n], speeds[n] / 100 * 5, "km/h", field,
                            field + " = " + high[n] + " x 20 + " + low[n] + " / 5"));
  }
  values->push_back(Value(k, 5, "strisces", c.valore_4 / 10, "", "valore_4", "valore_4 = strisces x 10 + strisced"));
  for (size_t n = 0; n < 3; ++n) {
    const std::string field = "valore_" + std::to_string(n + 1);
    values->push_back(Value(k, static_cast<int>(n) + 6, low[n], speeds[n] % 100 * 5, "km/h", field,
                            field + " = " + high[n] + " x 20 + " + low[n] + " / 5"));
  }
  values->push_back(Value(k, 9, "strisced", c.valore_4 % 10, "", "valore_4", "valore_4 = strisces x 10 + strisced"));
}

void AddApproachMark(const rec_cella& c, std::vector<AuthorValue>* values) {
  if (c.avviso == 0) return;
  if (c.avviso >= 81 && c.avviso <= 84) {
    values->push_back(Value("approach mark of a stazione", 0, "mark", c.avviso - 80, "", "avviso",
                            "avviso = 80 + the mark"));
    return;
  }
  const int mark = c.avviso % 10;
  if (mark < 1 || mark > 4) {
    values->push_back(Value("approach mark", 0, "avviso", c.avviso, "", "avviso",
                            "neither a station's (81 to 84) nor a signal's mark"));
    return;
  }
  const std::string k = "approach mark of a segnale";
  const std::string how = "avviso = (sx x 3 + dx) x 10 + the mark; mark n stands n x 100 m before the signal";
  values->push_back(Value(k, 0, "mark", mark, "", "avviso", how));
  values->push_back(Value(k, 0, "sx times 3 plus dx", c.avviso / 10, "", "avviso", how));
}

// The limits a slowdown's cells carry: its speed, the share of the train it
// holds (start and end cells only) and its d_v.
void AddSlowdownLimits(const rec_cella& c, bool with_train_share, std::vector<AuthorValue>* values) {
  values->push_back(Value("rallentamento", 2, "v", c.valore_1, "km/h", "valore_1"));
  if (with_train_share) values->push_back(Value("rallentamento", 4, "f_tt", c.valore_3, "", "valore_3"));
  values->push_back(Value("rallentamento", 6, "d_v", c.valore_2, "", "valore_2"));
}

}  // namespace

std::array<int32_t, 3> TimeOfDay(int32_t seconds) {
  return {seconds / 3600, seconds % 3600 / 60, seconds % 60};
}

std::array<int64_t, 9> ParValues(const rec_stazione& r) {
  return {r.par_1, r.par_2, r.par_3, r.par_4, r.par_5, r.par_6, r.par_7, r.par_8, r.par_9};
}

std::string AuthorKey(const AuthorValue& value) {
  std::string key;
  for (char c : value.name)
    key += std::isalnum(static_cast<unsigned char>(c)) ? static_cast<char>(std::tolower(static_cast<unsigned char>(c)))
                                                       : '_';
  if (value.unit == "m") key += "_m";
  if (value.unit == "km/h") key += "_kmh";
  if (value.unit == "per mille") key += "_per_mille";
  if (value.unit == "%") key += "_percent";
  return key;
}

std::string ShownValue(const AuthorValue& value) {
  if (const std::string* text = std::get_if<std::string>(&value.value)) return PrintableText(*text);
  std::string shown = std::to_string(std::get<int64_t>(value.value));
  if (!value.unit.empty()) shown += " " + value.unit;
  return shown;
}

std::string AuthorText(const AuthorValue& value) { return value.name + " " + ShownValue(value); }

std::vector<AuthorValue> RecordInSources(RecordRole role, const rec_stazione& r) {
  std::vector<AuthorValue> values;
  switch (role) {
    case RecordRole::Unused:
    case RecordRole::Empty:
      break;
    case RecordRole::Station:
      AddStation(r, &values);
      break;
    case RecordRole::Caption:
      values.push_back(Text("cartello_indicatore", 2, "caption", r.nome, "nome"));
      break;
    case RecordRole::Progressive: {
      const std::string k = "progressiva chilometrica";
      values.push_back(Value(k, 1, "position", r.inizio_zona, "m", "inizio_zona"));
      const bool along = r.progressiva == 1;
      values.push_back(Value(k, 2, "chainage", along ? int64_t{r.fine_zona} - 100 : r.fine_zona, "m", "fine_zona",
                             along ? "stored 100 m higher, for direction 1" : ""));
      values.push_back(Value(k, 3, "direction", r.progressiva, "", "progressiva"));
      break;
    }
    case RecordRole::GeneralData:
      values.push_back(Value("lunghezza percorso", 1, "route length", r.fine_zona, "m", "fine_zona"));
      values.push_back(Value("percentuale massa frenata", 1, "braked mass", r.inizio_zona, "%", "inizio_zona"));
      values.push_back(Value("numero vetture", 1, "coaches", r.progressiva, "", "progressiva"));
      break;
    case RecordRole::ScenarioHeader:
      values.push_back(Value("sfondo uno", 1, "sfondo uno", r.inizio_zona, "", "inizio_zona"));
      values.push_back(Value("sfondo due", 1, "sfondo due", r.progressiva, "", "progressiva"));
      values.push_back(Value("sfondo tre", 1, "sfondo tre", r.fine_zona, "", "fine_zona"));
      values.push_back(Text("file names", 0, "line name", r.nome, "nome"));
      values.push_back(Value("compactor", 0, "station-table marker", r.par_4, "", "par_4"));
      values.push_back(Value("compactor", 0, "check code", r.orario, "", "orario"));
      break;
    case RecordRole::TrainHeader:
      values.push_back(Value("ripetizione segnali", 1, "start", r.inizio_zona, "m", "inizio_zona"));
      values.push_back(Value("ripetizione segnali", 2, "end", r.fine_zona, "m", "fine_zona"));
      values.push_back(Value("ripetizione segnali", 0, "codes", r.progressiva, "", "progressiva",
                             "the digit of the keyword, 4 or 9; 0 when the end is 0"));
      values.push_back(Text("file names", 0, "train number", r.nome, "nome"));
      values.push_back(Value("sabbia", 1, "sabbia", r.par_4, "", "par_4"));
      values.push_back(Value("orologio", 1, "hours", r.par_7, "h", "par_7"));
      values.push_back(Value("orologio", 2, "minutes", r.par_8, "min", "par_8"));
      values.push_back(Value("orologio", 3, "seconds", r.par_9, "s", "par_9"));
      break;
  }
  return values;
}

std::vector<AuthorValue> CellInSources(int64_t cell, const rec_cella& c) {
  std::vector<AuthorValue> values;
  const int64_t from = CellStart(cell);
  switch (c.tipo_cella) {
    case tipo::segnale:
      AddSignal(from, c, &values);
      break;
    case tipo::inizio_rallentamento:
      values.push_back(Value("rallentamento", 1, "x", from, "m", "", "where the cell begins"));
      AddSlowdownLimits(c, true, &values);
      break;
    case tipo::fine_rallentamento:
      values.push_back(Value("rallentamento", 0, "end", from, "m", "", "x + l: where the cell begins"));
      AddSlowdownLimits(c, true, &values);
      break;
    case tipo::avviso_rallentamento:
      values.push_back(Value("rallentamento", 1, "x", from + 1200, "m", "",
                             "the warning board stands 1200 m before the start"));
      AddSlowdownLimits(c, false, &values);
      break;
    case tipo::prima_dell_avviso:
      values.push_back(Value("rallentamento", 0, "marker", c.valore_1, "", "valore_1",
                             "1 next to the warning board, then 2, 3, 4"));
      values.push_back(Value("rallentamento", 0, "d_v marker", c.valore_2, "", "valore_2"));
      break;
    case tipo::indicatore_v_max:
      AddIndicator(from, c, &values);
      break;
    case tipo::fermata_stazione:
      values.push_back(Value("stazione", 0, "record", c.valore_1, "", "valore_1", "the stop cell of this record"));
      break;
    case tipo::cambio_codice:
    case tipo::cambio_codice_abbattimento:
      values.push_back(Value("abbattimento", 1, "position", from + 50, "m", "",
                             "the cell begins 50 m before the position"));
      values.push_back(Value("abbattimento", 2, "code", c.tipo_cella == tipo::cambio_codice ? c.valore_1 : 0, "",
                             c.tipo_cella == tipo::cambio_codice ? "valore_1" : "",
                             c.tipo_cella == tipo::cambio_codice ? "" : "0 or less: no code"));
      break;
    case tipo::cartello:
      values.push_back(Value("cartello_indicatore", 1, "position", from, "m", "", "where the cell begins"));
      values.push_back(Value("cartello_indicatore", 0, "caption record", c.valore_1, "", "valore_1"));
      break;
    default:
      break;
  }
  AddApproachMark(c, &values);
  return values;
}

namespace {
constexpr std::string_view kMarkOf = "approach mark of a ";
}  // namespace

bool IsApproachMark(const AuthorValue& value) { return value.keyword.starts_with("approach mark"); }

bool KeywordGives(const KeywordSpec& spec, const AuthorValue& value) {
  std::string_view name = value.keyword;
  if (IsApproachMark(value)) {
    if (!name.starts_with(kMarkOf)) return false;
    name.remove_prefix(kMarkOf.size());
  }
  // Values are named by their keyword as the keyword table writes it, or
  // by its first words where the rest varies ("ripetizione segnali",
  // "progressiva chilometrica").
  return !name.empty() && std::string_view(spec.keyword).starts_with(name);
}

}  // namespace scenario::tool
