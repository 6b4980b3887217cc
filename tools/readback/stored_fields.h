// The stored fields of the compiled files' records and cells, each under its
// name, in the order of the file: the one list that dump, its JSON, the
// viewer and decompile's self-check name fields by.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/scenario_model.h"
#include "tools/readback/author_units.h"

namespace scenario::tool {

// A stored field of a station record.
struct StoredField {
  const char* name;
  FieldValue (*value)(const rec_stazione&);
};
const std::vector<StoredField>& StationFields();
// The stored field of that name, or nothing.
std::optional<FieldValue> StoredValue(const rec_stazione& record, const std::string& field);

// A stored field of a route cell and, where authors write it in other
// units, that value beside it (the speed limit in km/h beside its fifths,
// the gradient in per mille beside its stored byte).
struct CellField {
  const char* name;
  int64_t (*value)(const rec_cella&);
  const char* author_name;                  // nullptr where the stored value is the author's
  int64_t (*author_value)(const rec_cella&);  // nullptr likewise
};
const std::vector<CellField>& CellFields();

}  // namespace scenario::tool
