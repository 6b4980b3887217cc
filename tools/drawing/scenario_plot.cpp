#include "tools/drawing/scenario_plot.h"

#include <cstdio>

#include "tools/common/counted.h"
#include "tools/drawing/plan_view.h"
#include "tools/drawing/plot_symbols.h"
#include "tools/readback/route_features.h"
#include "tools/drawing/route_profile.h"
#include "tools/drawing/svg_document.h"

namespace scenario::tool {

namespace {

constexpr double kWidth = 1600;
constexpr double kLeft = 160;
constexpr double kRight = 40;
constexpr double kPlanMinHeight = 220;
constexpr double kPlanMaxHeight = 420;
constexpr double kLegendHeight = 100;

std::string Heading(const CompiledScenario& scenario, const RouteFeatures& features) {
  const std::string& line = scenario.stazioni[kRecordScenario].nome;
  const std::string& train = scenario.stazioni[kRecordTreno].nome;
  char length[32];
  std::snprintf(length, sizeof length, "%g", scenario.stazioni[kRecordDatiGenerali].fine_zona / 1000.0);
  return line + ", train " + train + ": a line of " + length + " km, " +
         Counted(static_cast<long long>(features.stations.size()), "station") + ", " +
         Counted(static_cast<long long>(features.signals.size()), "signal") + ", " +
         Counted(static_cast<long long>(features.slowdowns.size()), "slowdown");
}

void DrawLegend(SvgDocument& svg, double top) {
  const std::string sample = "legend-sample";
  const TextStyle label{"legend-label", 11, Anchor::Start, false, "#222", 0, ""};
  const double column = (kWidth - kLeft - kRight) / 5;
  auto at = [&](int index) { return Point2{kLeft + (index % 5) * column, top + 20 + (index / 5) * 26}; };

  svg.Text({kLeft - 46, top + 24}, "legend", {"lane-name", 12, Anchor::End, true, "#222", 0, ""});
  Point2 p = at(0);
  svg.Line({p.x, p.y}, {p.x + 26, p.y}, {sample, colour::kSpeed, 2, "", "", ""});
  svg.Text({p.x + 34, p.y + 4}, "line speed limit", label);
  p = at(1);
  IndicatorMark(svg, {p.x + 13, p.y + 5}, sample, "");
  svg.Text({p.x + 34, p.y + 4}, "maximum-speed indicator (first speed)", label);
  p = at(2);
  svg.Line({p.x, p.y}, {p.x + 26, p.y}, {sample, colour::kGradient, 2, "", "", ""});
  svg.Text({p.x + 34, p.y + 4}, "gradient", label);
  p = at(3);
  svg.Rect(p.x, p.y - 6, 26, 12, {sample, colour::kStation, 1, colour::kZone, "", ""});
  svg.Text({p.x + 34, p.y + 4}, "station zone, its position marked", label);
  p = at(4);
  SignalMark(svg, {p.x + 13, p.y + 10}, sample, "");
  svg.Text({p.x + 34, p.y + 4}, "signal", label);
  p = at(5);
  svg.Rect(p.x, p.y - 6, 26, 12, {sample, colour::kSlowdown, 1, "#f4a3a3", "", ""});
  svg.Text({p.x + 34, p.y + 4}, "slowdown, start to end (dashed: end)", label);
  p = at(6);
  WarningMark(svg, {p.x + 13, p.y + 6}, sample, "");
  svg.Text({p.x + 34, p.y + 4}, "slowdown warning board", label);
  p = at(7);
  CodeChangeMark(svg, {p.x + 7, p.y}, false, sample, "");
  CodeChangeMark(svg, {p.x + 21, p.y}, true, sample, "");
  svg.Text({p.x + 34, p.y + 4}, "code change (grey: keeps the code)", label);
  p = at(8);
  BoardMark(svg, {p.x + 13, p.y}, sample, "");
  svg.Text({p.x + 34, p.y + 4}, "indication board and caption", label);
  p = at(9);
  StationPlanMark(svg, {p.x + 13, p.y}, sample, "");
  svg.Text({p.x + 34, p.y + 4}, "station in the plan", label);
  svg.Text({kLeft, top + 82},
           "Cells whose speed limit or gradient was never set are left blank. Hover over a mark for its "
           "values.",
           {"legend-note", 10.5, Anchor::Start, false, "#666", 0, ""});
}

}  // namespace

std::string PlotScenario(const CompiledScenario& scenario) {
  const RouteFeatures features = FindRouteFeatures(scenario.stazioni, scenario.percorso);
  SvgDocument svg(kWidth, 0);
  svg.Text({kLeft, 32}, Heading(scenario, features), {"heading", 18, Anchor::Start, true, "#111", 0, ""});
  const double plan_height =
      DrawPlanView(svg, {kLeft, 50, kWidth - kLeft - kRight, kPlanMinHeight, kPlanMaxHeight}, scenario.tracciato,
                   features.stations, scenario.stazioni[kRecordDatiGenerali].fine_zona);
  const double below = DrawRouteProfile(svg, kLeft, 50 + plan_height + 30, kWidth - kLeft - kRight,
                                        scenario.stazioni, scenario.percorso, features);
  DrawLegend(svg, below + 10);
  svg.SetHeight(below + 10 + kLegendHeight);
  return svg.Finish();
}

}  // namespace scenario::tool
