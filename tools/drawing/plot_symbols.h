// The marks of the scenario picture, drawn the same way along the route and
// in the legend. `css_class` names what a mark stands for; the legend's
// samples get a class of their own, so that they are not counted as objects.
#pragma once

#include <string>

#include "tools/drawing/svg_document.h"

namespace scenario::tool {

namespace colour {
inline constexpr const char* kTrack = "#333333";
inline constexpr const char* kStation = "#b22222";
inline constexpr const char* kZone = "#9ecae1";
inline constexpr const char* kSpeed = "#1f5fbf";
inline constexpr const char* kIndicator = "#e07b00";
inline constexpr const char* kGradient = "#2e8b57";
inline constexpr const char* kSignal = "#6a3d9a";
inline constexpr const char* kSlowdown = "#d62728";
inline constexpr const char* kCodeChange = "#0b7a75";
inline constexpr const char* kKeptCode = "#8c8c8c";
inline constexpr const char* kBoard = "#8c564b";
inline constexpr const char* kGrid = "#e3e3e3";
inline constexpr const char* kAxis = "#555555";
}  // namespace colour

// A station in the plan: a ring.
void StationPlanMark(SvgDocument& svg, Point2 at, const std::string& css_class, const std::string& title);
// A signal: a mast from `foot` up to a lamp.
void SignalMark(SvgDocument& svg, Point2 foot, const std::string& css_class, const std::string& title);
// A slowdown warning board: a triangle standing on `foot`.
void WarningMark(SvgDocument& svg, Point2 foot, const std::string& css_class, const std::string& title);
// A code change: a diamond centred on `at`.
void CodeChangeMark(SvgDocument& svg, Point2 at, bool kept, const std::string& css_class,
                    const std::string& title);
// An indication board: a small square centred on `at`.
void BoardMark(SvgDocument& svg, Point2 at, const std::string& css_class, const std::string& title);
// A maximum-speed indicator: a downward triangle with its tip on `tip`.
void IndicatorMark(SvgDocument& svg, Point2 tip, const std::string& css_class, const std::string& title);

}  // namespace scenario::tool
