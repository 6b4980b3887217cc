// The README and the pages under docs/ link to each other: every relative
// link must reach a file of the tree, and every anchor a heading of its page.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace scenario::tool {
namespace {

namespace fs = std::filesystem;
using scenario::testing_support::ReadWholeFile;

// The anchor a heading gets where Markdown is shown: lower case, letters,
// digits, blanks and hyphens kept, blanks turned into hyphens.
std::string Anchor(const std::string& heading) {
  std::string anchor;
  for (const char c : heading) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte)) anchor += static_cast<char>(std::tolower(byte));
    else if (c == ' ' || c == '-') anchor += '-';
    else if (c == '_') anchor += '_';
    else if (byte >= 0x80) anchor += c;  // letters beyond ASCII stay
  }
  return anchor;
}

std::set<std::string> Anchors(const std::string& text) {
  std::set<std::string> anchors;
  std::istringstream lines(text);
  std::string line;
  bool in_code = false;
  while (std::getline(lines, line)) {
    if (line.rfind("```", 0) == 0) in_code = !in_code;
    if (in_code || line.empty() || line[0] != '#') continue;
    const size_t text_start = line.find_first_not_of('#');
    if (text_start == std::string::npos || line[text_start] != ' ') continue;
    anchors.insert(Anchor(line.substr(text_start + 1)));
  }
  return anchors;
}

TEST(DocumentLinks, EveryLinkOfTheReadmeAndTheDocsReachesItsFileAndHeading) {
  const fs::path top = SCENARIO_SOURCE_DIR;
  std::vector<fs::path> pages = {top / "README.md"};
  for (const fs::directory_entry& entry : fs::directory_iterator(top / "docs"))
    if (entry.path().extension() == ".md") pages.push_back(entry.path());
  ASSERT_GE(pages.size(), 5u);
  const std::regex link(R"(\]\(([^)\s]+)\))");
  int links = 0;
  for (const fs::path& page : pages) {
    const std::string text = ReadWholeFile(page);
    for (std::sregex_iterator it(text.begin(), text.end(), link), end; it != end; ++it) {
      const std::string target = (*it)[1];
      if (target.find("://") != std::string::npos || target.rfind("mailto:", 0) == 0) continue;
      ++links;
      const size_t hash = target.find('#');
      const std::string file = target.substr(0, hash);
      const fs::path reached = file.empty() ? page : page.parent_path() / file;
      EXPECT_TRUE(fs::exists(reached)) << page.filename() << " links to '" << target << "', which is no file";
      if (hash == std::string::npos || !fs::exists(reached) || reached.extension() != ".md") continue;
      const std::string anchor = target.substr(hash + 1);
      EXPECT_EQ(Anchors(ReadWholeFile(reached)).count(anchor), 1u)
          << page.filename() << " links to '" << target << "', but " << reached.filename()
          << " has no heading with that anchor";
    }
  }
  EXPECT_GT(links, 10);
}

}  // namespace
}  // namespace scenario::tool
