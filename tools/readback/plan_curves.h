// The curves of a compiled plan of the track, read back off its points.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/scenario_model.h"

namespace scenario::tool {

// The plan's curvature of the classes 1 to 6.
inline constexpr std::array<double, 6> kCurvature = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};

// A curve of the line description: from `start` over `length` metres, of
// class 1 to 6, to the left or the right.
struct Curve {
  int64_t start = 0;
  int64_t length = 0;
  int classe = 1;
  bool left = false;
};

// The keyword of its line in the line description: "curvad3", "curvas1".
std::string CurveKeyword(const Curve& curve);

// Each point of the plan is the straight step or the step turned by one of
// the six curvatures to either side; runs of one turn are the curves. A
// point that no step gives counts as straight.
std::vector<Curve> CurvesOf(const std::vector<PuntoTracciato>& plan);

}  // namespace scenario::tool
