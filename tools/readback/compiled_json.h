// The records, cells and plan points of the compiled files as JSON objects:
// every stored field under its name, the values derived from them, and the
// values as the sources give them. `dump --json` prints them, and the
// viewer's page shows them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "model/scenario_model.h"
#include "tools/readback/author_units.h"
#include "tools/readback/route_features.h"
#include "tools/readback/stored_fields.h"

namespace scenario::tool {

// The tool's JSON, its keys in the order they were added (the type that
// tools/cli/json_output.h prints).
using Json = nlohmann::ordered_json;

// A number as a number, a text as UTF-8 (read as Windows-1252).
Json ValueJson(const FieldValue& value);
// The values as the sources give them, by keyword: {"keyword": {"name": value, ...}, ...}.
Json SourceJson(const std::vector<AuthorValue>& values);

// {"index", "role", the stored fields..., "source"}.
Json StationRecordJson(size_t index, RecordRole role, const rec_stazione& record);
// {"index", "from_m", "kind", the stored fields with the speed in km/h and
// the gradient in per mille beside theirs..., "source"}.
Json CellJson(size_t index, const rec_cella& cell);
// {"type", "value"} of one coordinate of a plan point.
Json PlanValueJson(const TaggedValue& value);

}  // namespace scenario::tool
