#include "tools/readback/stored_fields.h"

namespace scenario::tool {

const std::vector<StoredField>& StationFields() {
  static const std::vector<StoredField> fields = {
      {"tipo_stazione", [](const rec_stazione& r) -> FieldValue { return r.tipo_stazione; }},
      {"inizio_zona", [](const rec_stazione& r) -> FieldValue { return r.inizio_zona; }},
      {"fine_zona", [](const rec_stazione& r) -> FieldValue { return r.fine_zona; }},
      {"progressiva", [](const rec_stazione& r) -> FieldValue { return r.progressiva; }},
      {"par_1", [](const rec_stazione& r) -> FieldValue { return r.par_1; }},
      {"nome", [](const rec_stazione& r) -> FieldValue { return r.nome; }},
      {"par_4", [](const rec_stazione& r) -> FieldValue { return r.par_4; }},
      {"par_5", [](const rec_stazione& r) -> FieldValue { return r.par_5; }},
      {"par_7", [](const rec_stazione& r) -> FieldValue { return r.par_7; }},
      {"par_8", [](const rec_stazione& r) -> FieldValue { return r.par_8; }},
      {"par_9", [](const rec_stazione& r) -> FieldValue { return r.par_9; }},
      {"par_6", [](const rec_stazione& r) -> FieldValue { return r.par_6; }},
      {"sosta", [](const rec_stazione& r) -> FieldValue { return r.sosta; }},
      {"par_3", [](const rec_stazione& r) -> FieldValue { return r.par_3; }},
      {"par_2", [](const rec_stazione& r) -> FieldValue { return r.par_2; }},
      {"orario", [](const rec_stazione& r) -> FieldValue { return r.orario; }},
  };
  return fields;
}

std::optional<FieldValue> StoredValue(const rec_stazione& r, const std::string& field) {
  for (const StoredField& stored : StationFields())
    if (field == stored.name) return stored.value(r);
  return std::nullopt;
}

const std::vector<CellField>& CellFields() {
  static const std::vector<CellField> fields = {
      {"tipo_cella", [](const rec_cella& c) -> int64_t { return c.tipo_cella; }, nullptr, nullptr},
      {"valore_1", [](const rec_cella& c) -> int64_t { return c.valore_1; }, nullptr, nullptr},
      {"valore_2", [](const rec_cella& c) -> int64_t { return c.valore_2; }, nullptr, nullptr},
      {"valore_3", [](const rec_cella& c) -> int64_t { return c.valore_3; }, nullptr, nullptr},
      {"valore_4", [](const rec_cella& c) -> int64_t { return c.valore_4; }, nullptr, nullptr},
      {"tempo_segnale", [](const rec_cella& c) -> int64_t { return c.tempo_segnale; }, nullptr, nullptr},
      {"avviso", [](const rec_cella& c) -> int64_t { return c.avviso; }, nullptr, nullptr},
      {"montagna", [](const rec_cella& c) -> int64_t { return c.montagna; }, nullptr, nullptr},
      {"velocita_limite", [](const rec_cella& c) -> int64_t { return c.velocita_limite; }, "velocita_limite_kmh",
       [](const rec_cella& c) -> int64_t { return SpeedKmh(c.velocita_limite); }},
      {"pendenza", [](const rec_cella& c) -> int64_t { return c.pendenza; }, "pendenza_per_mille",
       [](const rec_cella& c) -> int64_t { return GradientPerMille(c.pendenza); }},
      {"aderenza", [](const rec_cella& c) -> int64_t { return c.aderenza; }, nullptr, nullptr},
  };
  return fields;
}

}  // namespace scenario::tool
