#include "tools/drawing/plan_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>

#include "tools/drawing/label_rows.h"
#include "tools/drawing/plot_symbols.h"

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

constexpr double kMarginX = 80;
constexpr double kMarginTop = 56;
constexpr double kMarginBottom = 56;

// A point of the plan that was computed, with its metre.
struct PlanPoint {
  int64_t x;
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
    points.push_back({static_cast<int64_t>(x), first, second});
  }
  return points;
}

// Seen from above, the second coordinate points up the page and the first
// to its right (the track starts along the second). The plan is turned so
// that the line from its first to its last point runs left to right, and
// scaled alike in both directions.
class PlanLayout {
 public:
  PlanLayout(const std::vector<PlanPoint>& points, double width, double min_height, double max_height) {
    const double chord_east = points.back().first - points.front().first;
    const double chord_north = points.back().second - points.front().second;
    const double angle = (chord_east == 0 && chord_north == 0) ? 0 : -std::atan2(chord_north, chord_east);
    cos_ = std::cos(angle);
    sin_ = std::sin(angle);
    Point2 first = Turn(points.front().first, points.front().second);
    min_u_ = max_u_ = first.x;
    min_v_ = max_v_ = first.y;
    for (const PlanPoint& p : points) {
      const Point2 t = Turn(p.first, p.second);
      min_u_ = std::min(min_u_, t.x);
      max_u_ = std::max(max_u_, t.x);
      min_v_ = std::min(min_v_, t.y);
      max_v_ = std::max(max_v_, t.y);
    }
    const double span_u = std::max(max_u_ - min_u_, 1e-9);
    const double span_v = std::max(max_v_ - min_v_, 1e-9);
    const double usable_w = width - 2 * kMarginX;
    scale_ = std::min(usable_w / span_u, (max_height - kMarginTop - kMarginBottom) / span_v);
    height_ = std::clamp(span_v * scale_ + kMarginTop + kMarginBottom, min_height, max_height);
    pad_x_ = kMarginX + (usable_w - span_u * scale_) / 2;
    pad_y_ = kMarginTop + (height_ - kMarginTop - kMarginBottom - span_v * scale_) / 2;
  }

  double height() const { return height_; }
  double scale() const { return scale_; }

  // A direction of the plan, turned, with north up (page y grows down).
  Point2 Direction(double first, double second) const {
    const Point2 t = Turn(first, second);
    return {t.x, -t.y};
  }
  // A plan point on the page, for a box whose corner is (x, y).
  Point2 Page(double x, double y, double first, double second) const {
    const Point2 t = Turn(first, second);
    return {x + pad_x_ + (t.x - min_u_) * scale_, y + pad_y_ + (max_v_ - t.y) * scale_};
  }

 private:
  Point2 Turn(double east, double north) const { return {east * cos_ - north * sin_, east * sin_ + north * cos_}; }

  double cos_ = 1, sin_ = 0;
  double min_u_ = 0, max_u_ = 0, min_v_ = 0, max_v_ = 0;
  double scale_ = 1, height_ = 0, pad_x_ = 0, pad_y_ = 0;
};

struct LabelBox {
  double left, top, right, bottom;
  bool Overlaps(const LabelBox& other) const {
    return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
  }
};

// Names beside their rings: above, below, then further out, then to the
// side, the first place that keeps clear of the names already placed.
class PlanLabels {
 public:
  void Place(SvgDocument& svg, Point2 ring, const std::string& name) {
    const double size = 11;
    const double width = TextWidth(name.size(), size);
    struct Candidate {
      double dx, dy;
      Anchor anchor;
    };
    const Candidate candidates[] = {{0, -10, Anchor::Middle}, {0, 19, Anchor::Middle}, {0, -24, Anchor::Middle},
                                    {0, 33, Anchor::Middle},  {9, 4, Anchor::Start},   {-9, 4, Anchor::End},
                                    {0, -38, Anchor::Middle}, {0, 47, Anchor::Middle}};
    const Candidate* chosen = &candidates[0];
    LabelBox box = BoxOf(ring, candidates[0].dx, candidates[0].dy, candidates[0].anchor, width, size);
    for (const Candidate& candidate : candidates) {
      const LabelBox trial = BoxOf(ring, candidate.dx, candidate.dy, candidate.anchor, width, size);
      if (std::none_of(placed_.begin(), placed_.end(), [&](const LabelBox& b) { return b.Overlaps(trial); })) {
        chosen = &candidate;
        box = trial;
        break;
      }
    }
    placed_.push_back(box);
    svg.Text({ring.x + chosen->dx, ring.y + chosen->dy}, name,
             {"station-name", size, chosen->anchor, false, colour::kStation, 0, ""});
  }

  // Keeps names off a ring.
  void Reserve(Point2 ring) { placed_.push_back({ring.x - 6, ring.y - 6, ring.x + 6, ring.y + 6}); }

 private:
  static LabelBox BoxOf(Point2 ring, double dx, double dy, Anchor anchor, double width, double size) {
    const double x = ring.x + dx;
    const double left = anchor == Anchor::Start ? x : anchor == Anchor::End ? x - width : x - width / 2;
    const double baseline = ring.y + dy;
    return {left - 2, baseline - size, left + width + 2, baseline + 3};
  }
  std::vector<LabelBox> placed_;
};

std::string Kilometres(double metres) {
  char text[32];
  std::snprintf(text, sizeof text, "%g km", metres / 1000.0);
  return text;
}

void Frame(SvgDocument& svg, const PlanBox& box, double height) {
  svg.Rect(box.x, box.y, box.width, height, {"plan-frame", "#cccccc", 1, "#fbfbf8", "", ""});
  svg.Text({box.x + 10, box.y + 20}, "Plan of the track, seen from above",
           {"panel-title", 14, Anchor::Start, true, "#222", 0, ""});
}

double Note(SvgDocument& svg, const PlanBox& box, const std::string& text) {
  Frame(svg, box, box.min_height);
  svg.Text({box.x + box.width / 2, box.y + box.min_height / 2}, text,
           {"plan-note", 14, Anchor::Middle, false, "#777", 0, ""});
  return box.min_height;
}

// The line, about 3000 points of it: solid up to the end of the line, grey
// where the plan runs on beyond it.
template <typename Page>
void DrawTrack(SvgDocument& svg, const std::vector<PlanPoint>& points, int32_t line_length, const Page& page) {
  const size_t stride = std::max<size_t>(1, points.size() / 3000);
  std::vector<Point2> on_line;
  std::vector<Point2> beyond;
  for (size_t i = 0; i < points.size(); i += stride) {
    const bool last = i + stride >= points.size();
    const PlanPoint& p = last ? points.back() : points[i];
    if (p.x <= line_length || line_length <= 0) on_line.push_back(page(p));
    if (p.x >= line_length && line_length > 0) {
      if (beyond.empty() && !on_line.empty()) beyond.push_back(on_line.back());
      beyond.push_back(page(p));
    }
    if (last) break;
  }
  svg.Polyline(on_line, {"track", colour::kTrack, 2.2, "", "", "the track"});
  svg.Polyline(beyond, {"track-beyond", "#aaaaaa", 2, "", "6,4", "the plan beyond the end of the line"});
}

// Stations: a ring at the plan point of their position, then the names.
template <typename Page>
void DrawStations(SvgDocument& svg, const std::vector<PlanPoint>& points, const std::vector<Station>& stations,
                  const Page& page) {
  std::vector<Point2> rings;
  for (const Station& station : stations) {
    const int64_t wanted = station.record->progressiva;
    auto nearest = std::lower_bound(points.begin(), points.end(), wanted,
                                    [](const PlanPoint& p, int64_t x) { return p.x < x; });
    if (nearest == points.end()) nearest = points.end() - 1;
    rings.push_back(page(*nearest));
    StationPlanMark(svg, rings.back(), "station-plan",
                    station.record->nome + " at " + std::to_string(station.record->progressiva) + " m");
  }
  PlanLabels labels;
  for (const Point2& ring : rings) labels.Reserve(ring);
  for (size_t i = 0; i < stations.size(); ++i) labels.Place(svg, rings[i], stations[i].record->nome);
}

// Scale bar, bottom left.
void DrawScaleBar(SvgDocument& svg, const PlanBox& box, const PlanLayout& layout) {
  const double bar_metres = NiceStep(120 / layout.scale());
  const double bar_px = bar_metres * layout.scale();
  const Point2 bar{box.x + 20, box.y + layout.height() - 18};
  svg.Line(bar, {bar.x + bar_px, bar.y}, {"scale-bar", colour::kAxis, 2, "", "", ""});
  svg.Line({bar.x, bar.y - 5}, {bar.x, bar.y + 5}, {"", colour::kAxis, 2, "", "", ""});
  svg.Line({bar.x + bar_px, bar.y - 5}, {bar.x + bar_px, bar.y + 5}, {"", colour::kAxis, 2, "", "", ""});
  svg.Text({bar.x + bar_px + 8, bar.y + 4}, Kilometres(bar_metres),
           {"scale-label", 11, Anchor::Start, false, colour::kAxis, 0, ""});
}

// Which way the plan's two coordinates run on the page, bottom right.
void DrawDirections(SvgDocument& svg, const PlanBox& box, const PlanLayout& layout) {
  const Point2 origin{box.x + box.width - 70, box.y + layout.height() - 48};
  for (const auto& [first, second, label] :
       {std::tuple{1.0, 0.0, "column 0"}, std::tuple{0.0, 1.0, "column 1"}}) {
    const Point2 d = layout.Direction(first, second);
    const Point2 tip{origin.x + d.x * 22, origin.y + d.y * 22};
    svg.Line(origin, tip, {"axis-arrow", colour::kAxis, 1.5, "", "", ""});
    svg.Circle(tip, 2.5, {"", colour::kAxis, 1, colour::kAxis, "", ""});
    svg.Text({origin.x + d.x * 38, origin.y + d.y * 38 + 4}, label,
             {"axis-label", 10, Anchor::Middle, false, colour::kAxis, 0, ""});
  }
  svg.Text({box.x + box.width - 10, box.y + 20}, "start at the left, end at the right",
           {"plan-hint", 11, Anchor::End, false, "#777", 0, ""});
}

}  // namespace

double DrawPlanView(SvgDocument& svg, const PlanBox& box, const std::vector<PuntoTracciato>& tracciato,
                    const std::vector<Station>& stations, int32_t line_length) {
  if (tracciato.empty()) return Note(svg, box, "no compiled line file: the plan is not shown");
  const std::vector<PlanPoint> points = ComputedPoints(tracciato);
  if (points.size() < 2)
    return Note(svg, box, "the plan was never computed: every point of the compiled line file is Empty");

  const PlanLayout layout(points, box.width, box.min_height, box.max_height);
  Frame(svg, box, layout.height());
  auto page = [&](const PlanPoint& p) { return layout.Page(box.x, box.y, p.first, p.second); };
  DrawTrack(svg, points, line_length, page);
  DrawStations(svg, points, stations, page);
  DrawScaleBar(svg, box, layout);
  DrawDirections(svg, box, layout);
  return layout.height();
}

}  // namespace scenario::tool
