#include "tools/readback/compiled_json.h"

#include "tools/readback/compiled_scenario.h"
#include "encoding/text_encoding.h"

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

Json ValueJson(const FieldValue& value) {
  if (const std::string* text = std::get_if<std::string>(&value)) return Windows1252ToUtf8(*text);
  return std::get<int64_t>(value);
}

Json SourceJson(const std::vector<AuthorValue>& values) {
  Json json = Json::object();
  for (const AuthorValue& value : values) json[value.keyword][AuthorKey(value)] = ValueJson(value.value);
  return json;
}

Json StationRecordJson(size_t index, RecordRole role, const rec_stazione& r) {
  Json record = {{"index", index}, {"role", RoleName(role)}};
  for (const StoredField& field : StationFields()) record[field.name] = ValueJson(field.value(r));
  record["source"] = SourceJson(RecordInSources(role, r));
  return record;
}

Json CellJson(size_t k, const rec_cella& c) {
  return {{"index", k},
          {"from_m", CellStart(static_cast<int64_t>(k))},
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
          {"velocita_limite_kmh", SpeedKmh(c.velocita_limite)},
          {"pendenza", c.pendenza},
          {"pendenza_per_mille", GradientPerMille(c.pendenza)},
          {"aderenza", c.aderenza},
          {"source", SourceJson(CellInSources(static_cast<int64_t>(k), c))}};
}

Json PlanValueJson(const TaggedValue& value) {
  Json json = {{"type", ValueTypeName(value.type)}};
  switch (value.type) {
    case ValueType::Empty: json["value"] = nullptr; break;
    case ValueType::Integer: json["value"] = value.integer; break;
    case ValueType::Double: json["value"] = value.real; break;
  }
  return json;
}

}  // namespace scenario::tool
