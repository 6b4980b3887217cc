// The language server's run: messages are read on a thread of their own as
// they come, and handled in order on the caller's; the checks that edits
// make due run only when no message waits, so that a burst of edits is
// compiled once, with the latest text.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/files/file_system.h"
#include "tools/lsp/transport.h"

namespace scenario::lsp {

// Serves until `exit` or the end of the input; returns the exit status (0
// after shutdown and exit, 1 otherwise). The transport must outlive the
// reading thread, which is left waiting on input that has not ended.
int ServeLanguage(Transport& transport, FileSystem& files);

// `scenario-tool lsp`: serves over standard input and output, in binary
// mode, and ends the process with the status. Given the editor's process,
// it also ends (with status 1) once that process is gone, whether or not
// its input has ended: an editor that was killed may leave the pipe open in
// a process of its own.
[[noreturn]] void RunStdioLanguageServer(FileSystem& files, std::optional<std::int64_t> client_process_id);

}  // namespace scenario::lsp
