// The plan of the track seen from above, fitted into a box of the picture:
// the track as a line, its stations marked and named, a scale bar and the
// directions of the plan's two coordinates.
#pragma once

#include <vector>

#include "model/scenario_model.h"
#include "tools/route_features.h"
#include "tools/svg_document.h"

namespace scenario::tool {

struct Box {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;
};

// The plan is turned so that its start lies left and its end right, at one
// scale for both directions. An empty plan, or one never computed, leaves a
// note in the box instead.
void DrawPlanView(SvgDocument& svg, const Box& box, const std::vector<PuntoTracciato>& tracciato,
                  const std::vector<Station>& stations);

// A round length for a scale or an axis step: 1, 2 or 5 times a power of
// ten, the smallest such not below `at_least`.
double NiceStep(double at_least);

}  // namespace scenario::tool
