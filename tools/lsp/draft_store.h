// The texts the editor has open, as it holds them (UTF-8), with their
// versions; edits are applied as they arrive, whole or by range.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tools/lsp/source_code.h"

namespace scenario::lsp {

struct Draft {
  std::string text;
  int version = 0;
};

// One edit: the text that replaces `range`, or the whole text without one.
struct TextChange {
  std::optional<TextRange> range;
  std::string text;
};

class DraftStore {
 public:
  void Open(const std::string& path, std::string text, int version);
  // Applies the edits in order and takes the new version. When an edit's
  // range does not lie in the text (or starts after it ends), the text is
  // left as it was before the first edit and `fault` says why.
  bool Change(const std::string& path, const std::vector<TextChange>& edits, int version, std::string* fault);
  void Close(const std::string& path) { drafts_.erase(path); }
  const Draft* Find(const std::string& path) const;
  std::vector<std::string> Paths() const;

 private:
  std::map<std::string, Draft> drafts_;
};

}  // namespace scenario::lsp
