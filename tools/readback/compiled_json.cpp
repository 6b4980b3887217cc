#include "tools/readback/compiled_json.h"

#include "tools/readback/compiled_scenario.h"
#include "encoding/text_encoding.h"

namespace scenario::tool {

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
  Json cell = {{"index", k}, {"from_m", CellStart(static_cast<int64_t>(k))}, {"kind", CellKindName(c.tipo_cella)}};
  for (const CellField& field : CellFields()) {
    cell[field.name] = field.value(c);
    if (field.author_name) cell[field.author_name] = field.author_value(c);
  }
  cell["source"] = SourceJson(CellInSources(static_cast<int64_t>(k), c));
  return cell;
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
