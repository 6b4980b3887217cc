// The viewer's page: its HTML, style and script (built into the program
// from tools/viewer/page/) with the data of one scenario put inside.
#pragma once

#include <string>

#include "tools/json_output.h"

namespace scenario::tool {

// The whole page. `data` goes in as JSON, `plan_base64` as text; neither
// can end the element that holds it.
std::string ViewerPage(const Json& data, const std::string& plan_base64);

}  // namespace scenario::tool
