#include "platform/system/binary_streams.h"

namespace scenario {

// A POSIX system makes no difference between text and binary streams.
void SetStandardStreamsBinary() {}

}  // namespace scenario
