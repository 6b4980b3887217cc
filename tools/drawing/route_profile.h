// The route drawn along its length, in kilometres: one lane each for the
// speed limit (with the maximum-speed indicators), the gradient, the
// stations' zones, the signals, the slowdowns, the code changes and the
// indication boards, over one axis.
#pragma once

#include <vector>

#include "model/scenario_model.h"
#include "tools/readback/route_features.h"
#include "tools/drawing/svg_document.h"

namespace scenario::tool {

// Draws the lanes from `top` down, `left` to `left + width`; returns the
// page y below the axis.
double DrawRouteProfile(SvgDocument& svg, double left, double top, double width,
                        const std::vector<rec_stazione>& stazioni, const std::vector<rec_cella>& percorso,
                        const RouteFeatures& features);

}  // namespace scenario::tool
