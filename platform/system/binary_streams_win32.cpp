#include "platform/system/binary_streams.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace scenario {

void SetStandardStreamsBinary() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
}

}  // namespace scenario
