// Running scenario-tool in a test, and editing text sources line by line.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/files/file_system.h"

namespace scenario::testing_support {

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the tool in this process on the real file system, or on `files`.
ToolRun RunTool(const std::vector<std::string>& args);
ToolRun RunTool(const std::vector<std::string>& args, FileSystem& files);

// A text source's lines, without their CR LF ends.
std::vector<std::string> ReadLines(const std::filesystem::path& path);
// Writes the lines back, each ended by CR LF.
void WriteLines(const std::filesystem::path& path, const std::vector<std::string>& lines);
// Replaces line `number` (1-based) of a text source.
void ReplaceLine(const std::filesystem::path& path, int number, const std::string& text);

}  // namespace scenario::testing_support
