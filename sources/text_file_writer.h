// The one procedure that writes a text file of the scenario: the writer
// fills a list of line slots, puts the end marker after its last line, and
// every slot before the marker becomes one line of the file, ended by CR LF.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/workspace.h"

namespace scenario {

// Ends a writer's list of lines; it is never written.
inline constexpr std::string_view kFineDelFile = "riferimento fine del file";

// A line list holds at most this many slots (0 to 1000), the end marker
// included.
inline constexpr std::size_t kNumeroRighe = 1001;

// The slots for `lines`: the lines in order, then the end marker.
// Throws std::length_error when the lines leave no slot for the marker.
std::vector<std::string> WithEndMarker(std::vector<std::string> lines);

// The bytes of the file written from `slots`: every slot before the first
// one equal to the end marker (exact comparison), each followed by CR LF.
// Throws std::invalid_argument when none of the first kNumeroRighe slots is
// the marker: such a list has no end.
std::string TextFileBytes(const std::vector<std::string>& slots);

// The bytes of a text file of `lines`, each followed by CR LF. A list of
// slots is written through this too, up to its end marker.
std::string TextLinesBytes(const std::vector<std::string>& lines);

// Replaces the workspace file `name` with the text of `slots`. A failure of
// the file system throws SystemFailure naming the file.
void WriteTextFile(const Workspace& workspace, std::string_view name,
                   const std::vector<std::string>& slots);

}  // namespace scenario
