// What the viewer's page draws and shows of a compiled scenario, as one
// JSON object, and the plan of the track as binary numbers beside it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/scenario_model.h"
#include "tools/authoring/line_account.h"
#include "tools/readback/compiled_scenario.h"
#include "tools/readback/compiled_json.h"

namespace scenario::tool {

// Where a code change of the route comes from: a code-change point of the
// train service ("abbattimento"), or the cell rules, which place the code
// 180 before signals near a slowdown warning, before slowdown starts,
// along slow slowdowns and before the first signal after them.
enum class CodeChangeOrigin { Written, CellRules };

struct CodeChange {
  int64_t cell = 0;
  CodeChangeOrigin origin = CodeChangeOrigin::Written;
};

// Every code-change cell of the route (kinds 12 and 13), with where it
// comes from. A code other than 180, or a code change keeping the code,
// was written. A 180 counts as the rules' when the rules, run on the route
// without the code changes counted as theirs, place a 180 in that very
// cell; where the files allow both readings (a written 180 where the rules
// would have put one), the rules' is taken.
std::vector<CodeChange> CodeChangeOrigins(const std::vector<rec_cella>& percorso);

// The page's data: the names, the cells column by column (every field that
// `dump --json` gives a cell, under the same name), the values the sources
// give for each cell that holds any, the station table as `dump --json`
// gives it, the stations with their stop cells, the code changes and where
// they come from, the kilometric progressive zones, the plan (see
// PlanData), and the warnings. With `lines` (the account of the compile
// of its sources), each value as the sources give it carries the "file" and
// the "line" that wrote it, where one did.
Json ViewData(const CompiledScenario& scenario, const std::vector<std::string>& warnings,
              const LineAccounts* lines = nullptr);

// How many computed points of the plan lie between two anchors.
inline constexpr size_t kPlanAnchorEvery = 4096;

// The plan as the page rebuilds it, exactly, point by point: every computed
// point is the one before it moved by the step before it, turned by the
// curvature c of the curve it lies in (0 on the straight):
//   x(j) = x(j-1) + (dx + c dy),  y(j) = y(j-1) + (dy - c dx),
//   dx = x(j-1) - x(j-2),  dy = y(j-1) - y(j-2),
// in the page's double arithmetic, which gives the very bits the compile
// gave. So the page holds the curves, and the points themselves only where
// the rebuilding would begin: every kPlanAnchorEvery computed points two
// points in a row (the anchors), and every point the rule does not give
// (exceptions, in a file changed by hand). {"points", "computed", "seeds",
// "curves": [{"start_m", "length_m", "class", "side", "keyword",
// "curvature"}], "anchor_every", "anchors": base64 of little-endian 8-byte
// numbers, x and y of the anchor's two points, "exceptions": [x...],
// "exception_values": base64 of x and y of each}.
Json PlanData(const std::vector<PuntoTracciato>& tracciato);

}  // namespace scenario::tool
