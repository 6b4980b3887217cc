// The studio's page as this program was built with it (cmake/embed_file.cmake
// from the web preset's build/web/studio/studio.html, given as the cache
// variable SCENARIO_STUDIO_PAGE); empty in a build without it.
#pragma once

#include <string_view>

namespace scenario::tool {

std::string_view StudioPage();

}  // namespace scenario::tool
