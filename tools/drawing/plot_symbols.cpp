#include "tools/drawing/plot_symbols.h"

namespace scenario::tool {

void StationPlanMark(SvgDocument& svg, Point2 at, const std::string& css_class, const std::string& title) {
  svg.Circle(at, 5, {css_class, colour::kStation, 2, "white", "", title});
}

void SignalMark(SvgDocument& svg, Point2 foot, const std::string& css_class, const std::string& title) {
  svg.Line(foot, {foot.x, foot.y - 16}, {"", colour::kSignal, 1.5, "", "", ""});
  svg.Circle({foot.x, foot.y - 19}, 3.5, {css_class, colour::kSignal, 1, colour::kSignal, "", title});
}

void WarningMark(SvgDocument& svg, Point2 foot, const std::string& css_class, const std::string& title) {
  svg.Polygon({{foot.x - 6, foot.y}, {foot.x + 6, foot.y}, {foot.x, foot.y - 11}},
              {css_class, colour::kSlowdown, 1.2, "#ffd8d8", "", title});
}

void CodeChangeMark(SvgDocument& svg, Point2 at, bool kept, const std::string& css_class,
                    const std::string& title) {
  const char* fill = kept ? colour::kKeptCode : colour::kCodeChange;
  svg.Polygon({{at.x, at.y - 6}, {at.x + 5, at.y}, {at.x, at.y + 6}, {at.x - 5, at.y}},
              {css_class, fill, 1, fill, "", title});
}

void BoardMark(SvgDocument& svg, Point2 at, const std::string& css_class, const std::string& title) {
  svg.Rect(at.x - 4.5, at.y - 4.5, 9, 9, {css_class, colour::kBoard, 1.2, "#f3e6dc", "", title});
}

void IndicatorMark(SvgDocument& svg, Point2 tip, const std::string& css_class, const std::string& title) {
  svg.Polygon({{tip.x - 5, tip.y - 9}, {tip.x + 5, tip.y - 9}, {tip.x, tip.y}},
              {css_class, colour::kIndicator, 1, colour::kIndicator, "", title});
}

}  // namespace scenario::tool
