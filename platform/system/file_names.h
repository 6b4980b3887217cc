// How the system compares the names of files.
#pragma once

namespace scenario {

// Whether two file names that differ only in the case of their letters name
// the same file ("VALLE_LINEA.TXT" and "Valle_linea.txt").
bool FileNamesIgnoreCase();

}  // namespace scenario
