#include "tools/viewer/view_page.h"

#include <stdexcept>
#include <string_view>

#include "tools/viewer/viewer_assets.h"

namespace scenario::tool {

namespace {

// Replaces the one place holder `mark` of the template.
void Fill(std::string* page, std::string_view mark, std::string_view text) {
  const size_t at = page->find(mark);
  if (at == std::string::npos || page->find(mark, at + 1) != std::string::npos)
    throw std::logic_error("the viewer's page template holds '" + std::string(mark) + "' not exactly once");
  page->replace(at, mark.size(), text);
}

// JSON inside a <script> element: "</" only ever stands inside a string,
// where "<\/" reads the same.
std::string ScriptSafe(std::string json) {
  for (size_t at = json.find("</"); at != std::string::npos; at = json.find("</", at + 3)) json.insert(at + 1, "\\");
  return json;
}

std::string HtmlText(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace

std::string ViewerPage(const Json& data) {
  std::string page(kViewerHtml);
  const std::string title =
      data.value("line", std::string()) + ", train " + data.value("train", std::string()) + ": route viewer";
  // The data last: nothing in it is searched for place holders.
  Fill(&page, "@VIEWER_TITLE@", HtmlText(title));
  Fill(&page, "@VIEWER_HEADING@", HtmlText(title));
  Fill(&page, "/*@VIEWER_STYLE@*/", kViewerCss);
  Fill(&page, "/*@VIEWER_SCRIPT@*/", kViewerJs);
  Fill(&page, "@VIEWER_DATA@", ScriptSafe(data.dump(-1, ' ', false, Json::error_handler_t::replace)));
  return page;
}

}  // namespace scenario::tool
