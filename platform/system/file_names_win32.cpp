#include "platform/system/file_names.h"

namespace scenario {

bool FileNamesIgnoreCase() { return true; }

}  // namespace scenario
