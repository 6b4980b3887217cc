#include "tools/plan_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/plot_symbols.h"
#include "tools/text_encoding.h"

namespace scenario::tool {

double NiceStep(double at_least) {
  if (!(at_least > 0)) return 1;
  double power = std::pow(10.0, std::floor(std::log10(at_least)));
  for (;;) {
    for (double factor : {1.0, 2.0, 5.0})
      if (factor * power >= at_least) return factor * power;
    power *= 10;
  }
}

namespace {

// The plan's points that were computed, with their metre.
struct PlanPoint {
  size_t x;
  double first;   // column 0
  double second;  // column 1
};

std::vector<PlanPoint> ComputedPoints(const std::vector<PuntoTracciato>& tracciato) {
  std::vector<PlanPoint> points;
  for (size_t x = 0; x < tracciato.size(); ++x) {
    if (tracciato[x][0].type == ValueType::Empty || tracciato[x][1].type == ValueType::Empty) continue;
    const double first = tracciato[x][0].AsReal();
    const double second = tracciato[x][1].AsReal();
    if (!std::isfinite(first) || !std::isfinite(second)) continue;
    points.push_back({x, first, second});
  }
  return points;
}

// Seen from above, the second coordinate points up the page and the first
// to its right; the whole is then turned by `angle` about the origin.
struct PlanTurn {
  double cos_a = 1;
  double sin_a = 0;
  Point2 Apply(double first, double second) const {
    const double east = first;
    const double north = second;
    return {east * cos_a - north * sin_a, east * sin_a + north * cos_a};
  }
};

std::string Kilometres(double metres) {
  char text[32];
  std::snprintf(text, sizeof text, "%g km", metres / 1000.0);
  return text;
}

void Note(SvgDocument& svg, const Box& box, const std::string& text) {
  svg.Text({box.x + box.width / 2, box.y + box.height / 2}, text,
           {"plan-note", 14, Anchor::Middle, false, "#777", 0, ""});
}

}  // namespace

void DrawPlanView(SvgDocument& svg, const Box& box, const std::vector<PuntoTracciato>& tracciato,
                  const std::vector<Station>& stations) {
  svg.Rect(box.x, box.y, box.width, box.height, {"plan-frame", "#cccccc", 1, "#fbfbf8", "", ""});
  svg.Text({box.x + 10, box.y + 20}, "Plan of the track, seen from above",
           {"panel-title", 14, Anchor::Start, true, "#222", 0, ""});
  if (tracciato.empty()) {
    Note(svg, box, "no compiled line file: the plan is not shown");
    return;
  }
  const std::vector<PlanPoint> points = ComputedPoints(tracciato);
  if (points.size() < 2) {
    Note(svg, box, "the plan was never computed: every point of the compiled line file is Empty");
    return;
  }

  // Turn the plan so that the line from its first to its last point runs
  // left to right (page y grows downward, so north is flipped below).
  const double chord_east = points.back().first - points.front().first;
  const double chord_north = points.back().second - points.front().second;
  const double angle = (chord_east == 0 && chord_north == 0) ? 0 : -std::atan2(chord_north, chord_east);
  const PlanTurn turn{std::cos(angle), std::sin(angle)};

  // Sample the line: about 3000 points are plenty for the eye.
  const size_t stride = std::max<size_t>(1, points.size() / 3000);
  std::vector<Point2> turned;
  for (size_t i = 0; i < points.size(); i += stride) turned.push_back(turn.Apply(points[i].first, points[i].second));
  turned.push_back(turn.Apply(points.back().first, points.back().second));

  double min_u = turned[0].x, max_u = turned[0].x, min_v = turned[0].y, max_v = turned[0].y;
  for (const Point2& p : turned) {
    min_u = std::min(min_u, p.x);
    max_u = std::max(max_u, p.x);
    min_v = std::min(min_v, p.y);
    max_v = std::max(max_v, p.y);
  }
  const double margin_x = 70;
  const double margin_top = 50;
  const double margin_bottom = 55;
  const double usable_w = box.width - 2 * margin_x;
  const double usable_h = box.height - margin_top - margin_bottom;
  const double span_u = std::max(max_u - min_u, 1e-9);
  const double span_v = std::max(max_v - min_v, 1e-9);
  const double scale = std::min(usable_w / span_u, usable_h / span_v);
  const double offset_x = box.x + margin_x + (usable_w - span_u * scale) / 2;
  const double offset_y = box.y + margin_top + (usable_h - span_v * scale) / 2;
  // North up: a larger turned v is higher on the page.
  auto to_page = [&](Point2 p) { return Point2{offset_x + (p.x - min_u) * scale, offset_y + (max_v - p.y) * scale}; };

  std::vector<Point2> line;
  line.reserve(turned.size());
  for (const Point2& p : turned) line.push_back(to_page(p));
  svg.Polyline(line, {"track", colour::kTrack, 2.2, "", "", "the track"});

  // Stations: a ring at the point of their position, names above and below
  // by turns so that neighbours do not run into each other.
  for (size_t i = 0; i < stations.size(); ++i) {
    const rec_stazione& record = *stations[i].record;
    const int64_t wanted = record.progressiva;
    // The computed point nearest the station's metre.
    auto nearest = std::lower_bound(points.begin(), points.end(), wanted,
                                    [](const PlanPoint& p, int64_t x) { return static_cast<int64_t>(p.x) < x; });
    if (nearest == points.end()) nearest = points.end() - 1;
    const Point2 at = to_page(turn.Apply(nearest->first, nearest->second));
    const std::string title = record.nome + " at " + std::to_string(record.progressiva) + " m";
    StationPlanMark(svg, at, "station-plan", title);
    const bool above = i % 2 == 0;
    svg.Text({at.x, above ? at.y - 10 : at.y + 19}, record.nome,
             {"station-name", 11, Anchor::Middle, false, colour::kStation, 0, ""});
  }

  // Scale bar, bottom left.
  const double bar_metres = NiceStep(120 / scale);
  const double bar_px = bar_metres * scale;
  const Point2 bar{box.x + 20, box.y + box.height - 18};
  svg.Line(bar, {bar.x + bar_px, bar.y}, {"scale-bar", colour::kAxis, 2, "", "", ""});
  svg.Line({bar.x, bar.y - 5}, {bar.x, bar.y + 5}, {"", colour::kAxis, 2, "", "", ""});
  svg.Line({bar.x + bar_px, bar.y - 5}, {bar.x + bar_px, bar.y + 5}, {"", colour::kAxis, 2, "", "", ""});
  svg.Text({bar.x + bar_px + 8, bar.y + 4}, Kilometres(bar_metres),
           {"scale-label", 11, Anchor::Start, false, colour::kAxis, 0, ""});

  // The directions of the plan's coordinates on the page, bottom right.
  const Point2 origin{box.x + box.width - 120, box.y + box.height - 40};
  auto arrow = [&](double first, double second, const std::string& label) {
    const Point2 d = turn.Apply(first, second);
    const Point2 tip{origin.x + d.x * 26, origin.y - d.y * 26};
    svg.Line(origin, tip, {"axis-arrow", colour::kAxis, 1.5, "", "", ""});
    svg.Circle(tip, 2.5, {"", colour::kAxis, 1, colour::kAxis, "", ""});
    svg.Text({origin.x + d.x * 40, origin.y - d.y * 40 + 4}, label,
             {"axis-label", 10, Anchor::Middle, false, colour::kAxis, 0, ""});
  };
  arrow(1, 0, "column 0");
  arrow(0, 1, "column 1");
  svg.Text({box.x + box.width - 10, box.y + 20}, "start at the left, end at the right",
           {"plan-hint", 11, Anchor::End, false, "#777", 0, ""});
}

}  // namespace scenario::tool
