// The standard input and output as byte streams: a protocol spoken over
// them (a language server's framed messages) must reach the other side
// byte for byte. On Windows the C runtime opens both in text mode, which
// turns LF into CR LF on the way out and drops CR on the way in; elsewhere
// the streams already carry bytes.
#pragma once

namespace scenario {

// Puts stdin and stdout into binary mode, for the rest of the process.
void SetStandardStreamsBinary();

}  // namespace scenario
