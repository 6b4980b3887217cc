// The route viewer: one self-contained HTML page of a compiled scenario, its
// data and the page built into the program.
//
// The viewer's page: its HTML, style and script (built into the program
// from tools/viewer/page/) with the data of one scenario put inside.
#pragma once

#include <string>

#include "tools/readback/compiled_json.h"

namespace scenario::tool {

// The whole page, `data` in it as JSON that cannot end the element that
// holds it.
std::string ViewerPage(const Json& data);

}  // namespace scenario::tool
