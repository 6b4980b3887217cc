// Drawing: one SVG picture of a compiled scenario, from the plan of the track
// and the route's features.
//
// One picture of a compiled scenario: the plan of the track seen from above
// with its stations, and below it, along the route in kilometres, the speed
// limit, the gradient, the stations' zones, the signals, the slowdowns, the
// code changes and the indication boards.
#pragma once

#include <string>

#include "tools/readback/compiled_scenario.h"

namespace scenario::tool {

// The picture as an SVG document. Every station gets one mark of class
// "station-plan" in the plan (when there is a plan) and one of class
// "station-zone" along the route; every signal one mark of class "signal".
std::string PlotScenario(const CompiledScenario& scenario);

}  // namespace scenario::tool
