// The one way the tool prints JSON: an object indented by two blanks, one
// key to a line, keys in the order they were added, and bytes that are not
// UTF-8 replaced rather than refused.
#pragma once

#include <ostream>

#include <nlohmann/json.hpp>

namespace scenario::tool {

using Json = nlohmann::ordered_json;

inline void PrintJson(const Json& json, std::ostream& out) {
  out << json.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
}

}  // namespace scenario::tool
