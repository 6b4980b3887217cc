// The plan of the track seen from above, in a box of the picture: the track
// as a line (grey beyond the end of the line), its stations marked and
// named, a scale bar and the directions of the plan's two coordinates.
#pragma once

#include <cstdint>
#include <vector>

#include "model/scenario_model.h"
#include "tools/readback/route_features.h"
#include "tools/drawing/svg_document.h"

namespace scenario::tool {

struct PlanBox {
  double x = 0;
  double y = 0;
  double width = 0;
  double min_height = 0;
  double max_height = 0;
};

// The plan is turned so that its start lies left and its end right, at one
// scale for both directions, in a box as tall as it needs within the
// bounds. An empty plan, or one never computed, leaves a note instead.
// Returns the height of the box drawn.
double DrawPlanView(SvgDocument& svg, const PlanBox& box, const std::vector<PuntoTracciato>& tracciato,
                    const std::vector<Station>& stations, int32_t line_length);

// A round length for a scale or an axis step: 1, 2 or 5 times a power of
// ten, the smallest such not below `at_least`.
double NiceStep(double at_least);

}  // namespace scenario::tool
