#include "tools/lsp/draft_store.h"

namespace scenario::lsp {

namespace {

std::string PlaceText(TextPosition position) {
  return "line " + std::to_string(position.line + 1) + ", character " + std::to_string(position.character);
}

}  // namespace

void DraftStore::Open(const std::string& path, std::string text, int version) {
  drafts_[path] = Draft{std::move(text), version};
}

bool DraftStore::Change(const std::string& path, const std::vector<TextChange>& edits, int version,
                        std::string* fault) {
  const auto found = drafts_.find(path);
  if (found == drafts_.end()) {
    *fault = "the document is not open";
    return false;
  }
  std::string text = found->second.text;
  for (const TextChange& edit : edits) {
    if (!edit.range) {
      text = edit.text;
      continue;
    }
    const LineTable lines(text);
    const std::optional<size_t> start = OffsetOf(text, lines, edit.range->start);
    const std::optional<size_t> end = OffsetOf(text, lines, edit.range->end);
    if (!start || !end || *end < *start) {
      *fault = "the edit's range, from " + PlaceText(edit.range->start) + " to " + PlaceText(edit.range->end) +
               ", does not lie in the document's " + std::to_string(lines.line_count()) +
               " lines; the document is kept as it was, version " + std::to_string(found->second.version);
      return false;
    }
    text.replace(*start, *end - *start, edit.text);
  }
  found->second = Draft{std::move(text), version};
  return true;
}

const Draft* DraftStore::Find(const std::string& path) const {
  const auto found = drafts_.find(path);
  return found == drafts_.end() ? nullptr : &found->second;
}

std::vector<std::string> DraftStore::Paths() const {
  std::vector<std::string> paths;
  for (const auto& [path, draft] : drafts_) paths.push_back(path);
  return paths;
}

}  // namespace scenario::lsp
