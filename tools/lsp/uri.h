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

// The same for the programs' file names, which are the system's bytes (on
// Windows, Windows-1252): a URI spells a name in UTF-8.
std::optional<std::string> FileNameOfUri(const std::string& uri);
std::string UriOfFileName(const std::string& name);

}  // namespace scenario::lsp
