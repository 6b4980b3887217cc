// The editor names documents by URI; the server reads files by path.
#pragma once

#include <optional>
#include <string>

namespace scenario::lsp {

// The path of a file: URI ("file:///home/a/Valle_linea.txt",
// "file:///c%3A/x/Valle_linea.txt" -> "c:/x/Valle_linea.txt"); nothing for
// any other URI.
std::optional<std::string> PathOfUri(const std::string& uri);

// The file: URI of an absolute path.
std::string UriOfPath(const std::string& path);

}  // namespace scenario::lsp
