#include "tools/drawing/route_profile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <tuple>

#include "tools/drawing/label_rows.h"
#include "tools/drawing/plan_view.h"
#include "tools/drawing/plot_symbols.h"

namespace scenario::tool {

namespace {

// Metres along the route to page x.
struct RouteScale {
  double left;
  double width;
  double metres;  // the length drawn: from 0 to the end of the last cell
  double X(double m) const { return left + std::clamp(m, 0.0, metres) / metres * width; }
};

struct Lane {
  const char* name;
  const char* unit;
  double top;
  double height;
  double bottom() const { return top + height; }
};

// A stretch of cells holding one value.
struct Run {
  double from;
  double to;
  int value;
};

// The runs of a cell field, cells whose field holds 0 (never set) left out.
template <typename Field>
std::vector<Run> RunsOf(const std::vector<rec_cella>& percorso, Field field) {
  std::vector<Run> runs;
  for (size_t k = 0; k < percorso.size(); ++k) {
    const int raw = field(percorso[k]);
    if (raw == 0) continue;
    const double from = static_cast<double>(CellStart(static_cast<int64_t>(k)));
    if (!runs.empty() && runs.back().to == from && runs.back().value == raw) {
      runs.back().to = from + 50;
    } else {
      runs.push_back({from, from + 50, raw});
    }
  }
  return runs;
}

// Runs that touch are drawn as one stepped line.
void DrawSteps(SvgDocument& svg, const RouteScale& scale, const std::vector<Run>& runs,
               const std::function<double(int)>& y_of, const Style& style) {
  std::vector<Point2> line;
  for (size_t i = 0; i < runs.size(); ++i) {
    const double y = y_of(runs[i].value);
    if (!line.empty() && runs[i - 1].to != runs[i].from) {
      svg.Polyline(line, style);
      line.clear();
    }
    line.push_back({scale.X(runs[i].from), y});
    line.push_back({scale.X(runs[i].to), y});
  }
  svg.Polyline(line, style);
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string Metres(int64_t metres) { return std::to_string(metres) + " m"; }

// Blanks inside a caption shrink to one.
std::string Squeezed(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == ' ' && !out.empty() && out.back() == ' ') continue;
    out.push_back(c);
  }
  return out;
}

TextStyle Small(const char* fill, Anchor anchor = Anchor::Middle) {
  return {"", 10, anchor, false, fill, 0, ""};
}

// Values to page y inside a lane: `low` at the lane's foot, `high` near
// its top.
struct ValueScale {
  double foot_y;
  double head_y;
  double low;
  double high;
  double Y(double value) const { return foot_y - (value - low) / (high - low) * (foot_y - head_y); }
};

void DrawLaneFrame(SvgDocument& svg, const RouteScale& scale, const Lane& lane, bool shaded) {
  svg.Rect(scale.left, lane.top, scale.width, lane.height,
           {"lane", "", 0, shaded ? "#f6f7fa" : "#ffffff", "", ""});
  svg.Text({scale.left - 46, lane.top + 16}, lane.name, {"lane-name", 12, Anchor::End, true, "#222", 0, ""});
  if (lane.unit[0] != '\0')
    svg.Text({scale.left - 46, lane.top + 30}, lane.unit, {"lane-unit", 10, Anchor::End, false, "#666", 0, ""});
}

void DrawSpeedLane(SvgDocument& svg, const RouteScale& scale, const Lane& lane,
                   const std::vector<rec_cella>& percorso, const RouteFeatures& features) {
  const std::vector<Run> runs = RunsOf(percorso, [](const rec_cella& c) { return static_cast<int>(c.velocita_limite); });
  double highest = 0;
  for (const Run& run : runs) highest = std::max(highest, run.value * 5.0);
  for (const CellObject& indicator : features.indicators)
    for (int16_t value : {indicator.content.valore_1, indicator.content.valore_2, indicator.content.valore_3})
      highest = std::max(highest, value / 20.0);
  for (const Slowdown& slowdown : features.slowdowns) highest = std::max(highest, static_cast<double>(slowdown.speed));
  const double top_speed = std::max(50.0, std::ceil(highest / 50.0) * 50.0);
  const ValueScale speed{lane.bottom() - 8, lane.top + 28, 0, top_speed};
  const double step = top_speed <= 100 ? 20 : 50;
  for (double v = 0; v <= top_speed + 1e-9; v += step) {
    const double y = speed.Y(v);
    svg.Line({scale.left, y}, {scale.left + scale.width, y}, {"", colour::kGrid, 1, "", "", ""});
    svg.Text({scale.left - 5, y + 3.5}, Number(v), Small(colour::kAxis, Anchor::End));
  }
  DrawSteps(svg, scale, runs, [&](int fifth) { return speed.Y(fifth * 5.0); }, {"speed-limit", colour::kSpeed, 2, "", "", "line speed limit"});

  LabelRows label_rows(3, 3);
  for (const CellObject& indicator : features.indicators) {
    const rec_cella& c = indicator.content;
    const int vas = c.valore_1 / 20, vbs = c.valore_2 / 20, vcs = c.valore_3 / 20;
    const std::string title = "maximum-speed indicator at " + Metres(indicator.metre) + ": " + std::to_string(vas) +
                              " / " + std::to_string(vbs) + " / " + std::to_string(vcs) + " km/h";
    const Point2 tip{scale.X(static_cast<double>(indicator.metre)), speed.Y(vas)};
    IndicatorMark(svg, tip, "indicator", title);
    const std::string label = std::to_string(vas);
    const double half = TextWidth(label.size(), 10) / 2;
    const int row = label_rows.Place(tip.x - half, tip.x + half);
    svg.Text({tip.x, tip.y - 12 - 11 * row}, label, Small(colour::kIndicator));
  }
}

void DrawGradientLane(SvgDocument& svg, const RouteScale& scale, const Lane& lane,
                      const std::vector<rec_cella>& percorso) {
  const std::vector<Run> runs = RunsOf(percorso, [](const rec_cella& c) { return static_cast<int>(c.pendenza); });
  double steepest = 0;
  for (const Run& run : runs) steepest = std::max(steepest, std::abs(run.value - 100.0));
  const double top_gradient = std::max(5.0, NiceStep(steepest));
  const ValueScale gradient{lane.bottom() - 10, lane.top + 10, -top_gradient, top_gradient};
  for (double g : {-top_gradient, 0.0, top_gradient}) {
    const double y = gradient.Y(g);
    svg.Line({scale.left, y}, {scale.left + scale.width, y},
             {"", g == 0 ? "#bbbbbb" : colour::kGrid, 1, "", "", ""});
    svg.Text({scale.left - 5, y + 3.5}, Number(g), Small(colour::kAxis, Anchor::End));
  }
  DrawSteps(svg, scale, runs, [&](int pendenza) { return gradient.Y(pendenza - 100.0); }, {"gradient", colour::kGradient, 2, "", "", "gradient"});
}

void DrawStationLane(SvgDocument& svg, const RouteScale& scale, const Lane& lane, const RouteFeatures& features) {
  const double bar_top = lane.top + 34;
  // Names above the zones, then below, then further below.
  const double name_y[] = {bar_top - 7, bar_top + 29, bar_top + 41};
  LabelRows label_rows(3, 8);
  for (size_t i = 0; i < features.stations.size(); ++i) {
    const rec_stazione& r = *features.stations[i].record;
    const double from = scale.X(r.inizio_zona);
    const double to = scale.X(r.fine_zona);
    const std::string title = r.nome + " (record " + std::to_string(features.stations[i].index) + "): position " +
                              Metres(r.progressiva) + ", zone " + Metres(r.inizio_zona) + " to " +
                              Metres(r.fine_zona) + ", kind " + std::to_string(r.tipo_stazione);
    svg.Rect(std::min(from, to), bar_top, std::max(std::abs(to - from), 2.0), 16,
             {"station-zone", colour::kStation, 1, colour::kZone, "", title});
    const double at = scale.X(r.progressiva);
    svg.Line({at, bar_top - 3}, {at, bar_top + 19}, {"", colour::kStation, 1.5, "", "", ""});
    // The name centred on the station, kept inside the lane's ends.
    const double half = TextWidth(r.nome.size(), 10) / 2;
    const double centre = std::clamp(at, scale.left + half, scale.left + scale.width - half);
    const int row = label_rows.Place(centre - half, centre + half);
    svg.Text({centre, name_y[row]}, r.nome, {"station-name", 10, Anchor::Middle, false, colour::kStation, 0, ""});
  }
}

void DrawSignalLane(SvgDocument& svg, const RouteScale& scale, const Lane& lane, const RouteFeatures& features) {
  for (const CellObject& signal : features.signals) {
    const rec_cella& c = signal.content;
    const std::string title = "signal at " + Metres(signal.metre) + " (cell " + std::to_string(signal.cell) +
                              "): valore_1 " + std::to_string(c.valore_1) + ", valore_2 " +
                              std::to_string(c.valore_2) + ", valore_3 " + std::to_string(c.valore_3) +
                              ", valore_4 " + std::to_string(c.valore_4);
    SignalMark(svg, {scale.X(static_cast<double>(signal.metre)), lane.bottom() - 6}, "signal", title);
  }
}

void DrawSlowdownLane(SvgDocument& svg, const RouteScale& scale, const Lane& lane, const RouteFeatures& features) {
  const double bar_top = lane.top + 28;
  const double bar_bottom = bar_top + 12;
  for (const Slowdown& slowdown : features.slowdowns) {
    const double from = scale.X(static_cast<double>(slowdown.start_metre));
    const double to = scale.X(static_cast<double>(slowdown.end_metre));
    svg.Rect(from, bar_top, std::max(to - from, 2.0), bar_bottom - bar_top,
             {"slowdown", colour::kSlowdown, 1, "#f4a3a3", "",
              "slowdown at " + std::to_string(slowdown.speed) + " km/h from " + Metres(slowdown.start_metre) +
                  " to " + Metres(slowdown.end_metre)});
    svg.Text({(from + to) / 2, bar_top - 5}, std::to_string(slowdown.speed) + " km/h", Small(colour::kSlowdown));
  }
  for (const CellObject& start : features.slowdown_starts) {
    const double x = scale.X(static_cast<double>(start.metre));
    svg.Line({x, bar_top - 3}, {x, bar_bottom + 3},
             {"slowdown-start", colour::kSlowdown, 2, "", "", "slowdown start at " + Metres(start.metre)});
  }
  for (const CellObject& end : features.slowdown_ends) {
    const double x = scale.X(static_cast<double>(end.metre));
    svg.Line({x, bar_top - 3}, {x, bar_bottom + 3},
             {"slowdown-end", colour::kSlowdown, 2, "", "4,2", "slowdown end at " + Metres(end.metre)});
  }
  for (const CellObject& warning : features.warnings) {
    const double x = scale.X(static_cast<double>(warning.metre));
    // The warning board stands before its slowdown: a dashed lead to it.
    auto next = std::find_if(features.slowdowns.begin(), features.slowdowns.end(),
                             [&](const Slowdown& s) { return s.start_metre >= warning.metre; });
    if (next != features.slowdowns.end())
      svg.Line({x, bar_bottom - 6}, {scale.X(static_cast<double>(next->start_metre)), bar_bottom - 6},
               {"", colour::kSlowdown, 1, "", "3,3", ""});
    WarningMark(svg, {x, bar_bottom}, "slowdown-warning",
                "slowdown warning board at " + Metres(warning.metre) + ": " +
                    std::to_string(warning.content.valore_1) + " km/h ahead");
  }
}

void DrawCodeChangeLane(SvgDocument& svg, const RouteScale& scale, const Lane& lane, const RouteFeatures& features) {
  double last_label = -1e9;
  for (const CellObject& change : features.code_changes) {
    const bool kept = change.content.tipo_cella == tipo::cambio_codice_abbattimento;
    const double x = scale.X(static_cast<double>(change.metre));
    const std::string code = std::to_string(change.content.valore_1);
    CodeChangeMark(svg, {x, lane.top + 26}, kept, "code-change",
                   (kept ? "code change keeping the code, at " : "code change to " + code + " at ") +
                       Metres(change.metre) + " (cell " + std::to_string(change.cell) + ")");
    if (!kept && x - last_label >= 24) {
      svg.Text({x, lane.top + 13}, code, Small(colour::kCodeChange));
      last_label = x;
    }
  }
}

void DrawBoardLane(SvgDocument& svg, const RouteScale& scale, const Lane& lane,
                   const std::vector<rec_stazione>& stazioni, const RouteFeatures& features) {
  // Captions stand upright below their boards; a caption that would run
  // into the one before moves right, with a lead back to its board.
  double last_caption = -1e300;
  for (const CellObject& board : features.boards) {
    const double x = scale.X(static_cast<double>(board.metre));
    const std::string caption = Squeezed(BoardCaption(stazioni, board.content));
    BoardMark(svg, {x, lane.top + 12}, "board", "indication board at " + Metres(board.metre) + ": " + caption);
    const double caption_x = std::max(x, last_caption + 12);
    if (caption_x != x)
      svg.Line({x, lane.top + 17}, {caption_x, lane.top + 24}, {"", colour::kBoard, 0.8, "", "", ""});
    svg.Text({caption_x + 3.5, lane.top + 26}, caption,
             {"board-caption", 9.5, Anchor::End, false, colour::kBoard, -90, ""});
    last_caption = caption_x;
  }
}

void DrawAxis(SvgDocument& svg, const RouteScale& scale, double top, double bottom) {
  const double step_km = NiceStep(scale.metres / 1000.0 / 20.0);
  for (double km = 0; km * 1000 <= scale.metres + 1e-6; km += step_km) {
    const double x = scale.X(km * 1000);
    svg.Line({x, top}, {x, bottom}, {"grid", colour::kGrid, 1, "", "", ""});
    svg.Line({x, bottom}, {x, bottom + 5}, {"", colour::kAxis, 1, "", "", ""});
    svg.Text({x, bottom + 17}, Number(km), Small(colour::kAxis));
  }
  svg.Line({scale.left, bottom}, {scale.left + scale.width, bottom}, {"axis", colour::kAxis, 1.2, "", "", ""});
  svg.Text({scale.left + scale.width / 2, bottom + 34}, "route position (km)",
           {"axis-title", 12, Anchor::Middle, false, "#222", 0, ""});
}

}  // namespace

double DrawRouteProfile(SvgDocument& svg, double left, double top, double width,
                        const std::vector<rec_stazione>& stazioni, const std::vector<rec_cella>& percorso,
                        const RouteFeatures& features) {
  const RouteScale scale{left, width, std::max(50.0, 50.0 * static_cast<double>(percorso.size() - 1))};
  std::vector<Lane> lanes;
  double y = top;
  for (auto [name, unit, height] : {std::tuple{"speed limit", "km/h", 170.0}, std::tuple{"gradient", "", 90.0},
                                    std::tuple{"stations", "zones", 88.0}, std::tuple{"signals", "", 40.0},
                                    std::tuple{"slowdowns", "", 56.0}, std::tuple{"code changes", "", 40.0},
                                    std::tuple{"indication", "boards", 200.0}}) {
    lanes.push_back({name, unit, y, height});
    y += height;
  }
  const double bottom = y;

  for (size_t i = 0; i < lanes.size(); ++i) DrawLaneFrame(svg, scale, lanes[i], i % 2 == 0);
  DrawAxis(svg, scale, top, bottom);

  DrawSpeedLane(svg, scale, lanes[0], percorso, features);
  DrawGradientLane(svg, scale, lanes[1], percorso);
  DrawStationLane(svg, scale, lanes[2], features);
  DrawSignalLane(svg, scale, lanes[3], features);
  DrawSlowdownLane(svg, scale, lanes[4], features);
  DrawCodeChangeLane(svg, scale, lanes[5], features);
  DrawBoardLane(svg, scale, lanes[6], stazioni, features);

  // Where the line itself ends; the route's last cells run on beyond it.
  const int32_t length = stazioni.size() > static_cast<size_t>(kRecordDatiGenerali)
                             ? stazioni[kRecordDatiGenerali].fine_zona
                             : 0;
  if (length > 0 && length < scale.metres) {
    const double x = scale.X(length);
    svg.Line({x, top}, {x, bottom}, {"line-end", "#444444", 1.2, "", "6,4", ""});
    svg.Text({x - 4, top + 12}, "end of line, " + Number(length / 1000.0) + " km", Small("#444444", Anchor::End));
  }
  return bottom + 40;
}

}  // namespace scenario::tool
