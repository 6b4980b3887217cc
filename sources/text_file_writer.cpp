#include "sources/text_file_writer.h"

#include <stdexcept>

namespace scenario {

std::vector<std::string> WithEndMarker(std::vector<std::string> lines) {
  if (lines.size() >= kNumeroRighe) {
    throw std::length_error("a text file holds at most " + std::to_string(kNumeroRighe - 1) +
                            " lines, not " + std::to_string(lines.size()));
  }
  lines.emplace_back(kFineDelFile);
  return lines;
}

std::string TextLinesBytes(const std::vector<std::string>& lines) {
  std::size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string bytes;
  bytes.reserve(size);
  for (const std::string& line : lines) {
    bytes += line;
    bytes += "\r\n";
  }
  return bytes;
}

std::string TextFileBytes(const std::vector<std::string>& slots) {
  for (std::size_t indice = 0; indice < slots.size() && indice < kNumeroRighe; ++indice) {
    if (slots[indice] == kFineDelFile)
      return TextLinesBytes(std::vector<std::string>(slots.begin(), slots.begin() + static_cast<std::ptrdiff_t>(indice)));
  }
  throw std::invalid_argument("a line list without the end marker in its first " +
                              std::to_string(kNumeroRighe) + " slots");
}

void WriteTextFile(const Workspace& workspace, std::string_view name,
                   const std::vector<std::string>& slots) {
  ReplaceWorkspaceFile(workspace, name, TextFileBytes(slots));
}

}  // namespace scenario
