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

std::string TextFileBytes(const std::vector<std::string>& slots) {
  std::string bytes;
  for (std::size_t indice = 0; indice < slots.size() && indice < kNumeroRighe; ++indice) {
    if (slots[indice] == kFineDelFile) return bytes;
    bytes += slots[indice];
    bytes += "\r\n";
  }
  throw std::invalid_argument("a line list without the end marker in its first " +
                              std::to_string(kNumeroRighe) + " slots");
}

void WriteTextFile(const Workspace& workspace, std::string_view name,
                   const std::vector<std::string>& slots) {
  ReplaceWorkspaceFile(workspace, name, TextFileBytes(slots));
}

}  // namespace scenario
