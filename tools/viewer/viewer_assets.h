// The page's template, style and script, read from tools/viewer/page/ when
// the program is built.
#pragma once

#include <string_view>

namespace scenario::tool {

extern const std::string_view kViewerHtml;
extern const std::string_view kViewerCss;
extern const std::string_view kViewerJs;

}  // namespace scenario::tool
