// The content of the line description text source: the built-in line.
#pragma once

#include <string>
#include <vector>

namespace scenario {

// The lines of the built-in line description file, in file order, without
// line ends: the route length, the kilometric progressive zones, the
// background settings, the cab-signalling stretch, then the curves,
// gradients, mountains, maximum-speed indicators and indication boards.
std::vector<std::string> BuiltInLineDescription();

}  // namespace scenario
