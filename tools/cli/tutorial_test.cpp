// The tutorial (docs/tutorial.md) against the tool: its commands are run in
// order in an empty folder, the sources it shows are those the tool writes,
// its edits apply to them, and what it shows the tool printing and
// returning is what the tool prints and returns. A block that differs is
// named by its line in the tutorial.
//
// The tutorial's fenced blocks, by their info string:
//   console      "$ scenario-tool ..." lines, each followed by what it prints
//                (standard output, then standard error); "$ echo $?" followed
//                by the exit status of the command before.
//   scenario F   the whole text of the file F at that point.
//   diff F       an edit of F: lines kept (" "), taken out ("-"), put in ("+").
// Other blocks (commands for an editor, say) are only read.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "encoding/text_encoding.h"
#include "platform/files/real_file_system.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"

namespace scenario::tool {
namespace {

namespace fs = std::filesystem;
using scenario::testing_support::ReadWholeFile;
using scenario::testing_support::TempDir;

const fs::path kSourceDir = SCENARIO_SOURCE_DIR;
const fs::path kTutorial = kSourceDir / "docs" / "tutorial.md";

struct Block {
  int line = 0;  // of its opening fence in the tutorial
  std::string kind;
  std::string file;
  std::vector<std::string> lines;
};

std::vector<std::string> SplitLines(const std::string& text, const std::string& end = "\n") {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t stop = text.find(end, start);
    if (stop == std::string::npos) stop = text.size();
    lines.push_back(text.substr(start, stop - start));
    start = stop + end.size();
  }
  return lines;
}

std::vector<Block> FencedBlocks(const std::vector<std::string>& lines) {
  std::vector<Block> blocks;
  Block* open = nullptr;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.rfind("```", 0) != 0) {
      if (open != nullptr) open->lines.push_back(line);
      continue;
    }
    if (open != nullptr) {
      open = nullptr;
      continue;
    }
    Block block;
    block.line = static_cast<int>(i) + 1;
    const std::string info = line.substr(3);
    const size_t blank = info.find(' ');
    block.kind = info.substr(0, blank);
    if (blank != std::string::npos) block.file = info.substr(blank + 1);
    blocks.push_back(block);
    open = &blocks.back();
  }
  return blocks;
}

// A command line as a POSIX shell splits it: words between blanks, with
// double or single quotes around words that hold blanks.
std::vector<std::string> Words(const std::string& command) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false;
  char quote = 0;
  for (const char c : command) {
    if (quote != 0) {
      if (c == quote)
        quote = 0;
      else
        word += c;
    } else if (c == '"' || c == '\'') {
      quote = c;
      in_word = true;
    } else if (c == ' ') {
      if (in_word) words.push_back(word);
      word.clear();
      in_word = false;
    } else {
      word += c;
      in_word = true;
    }
  }
  if (in_word) words.push_back(word);
  return words;
}

std::string Shown(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "\n    " + line;
  return lines.empty() ? "\n    (nothing)" : text;
}

// The working directory, for the tutorial's relative paths; set back when
// the test ends.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const fs::path& directory) : before_(fs::current_path()) {
    fs::current_path(directory);
  }
  ~WorkingDirectory() { fs::current_path(before_); }
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

 private:
  fs::path before_;
};

std::string ReadSource(const std::string& path) {
  RealFileSystem files;
  std::string bytes;
  if (!files.ReadFile(path, &bytes).ok()) return "";
  return bytes;
}

void WriteSource(const std::string& path, const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  scenario::testing_support::WriteWholeFile(path, bytes);
}

// Where the tutorial's blocks run.
class TutorialRun {
 public:
  void Console(const Block& block) {
    for (size_t i = 0; i < block.lines.size();) {
      const int at = block.line + 1 + static_cast<int>(i);
      const std::string& line = block.lines[i];
      ASSERT_EQ(line.rfind("$ ", 0), 0u) << Where(at) << "a console block must go on with a command, '$ ...', not '"
                                         << line << "'";
      std::vector<std::string> shown;
      for (++i; i < block.lines.size() && block.lines[i].rfind("$ ", 0) != 0; ++i) shown.push_back(block.lines[i]);
      const std::string command = line.substr(2);
      if (command == "echo $?") {
        ASSERT_TRUE(last_status_) << Where(at) << "'echo $?' before any scenario-tool command";
        EXPECT_EQ(shown, std::vector<std::string>{std::to_string(*last_status_)})
            << Where(at) << "the exit status of '" << last_command_ << "' is " << *last_status_
            << ", but the tutorial shows:" << Shown(shown);
        continue;
      }
      const std::vector<std::string> words = Words(command);
      ASSERT_TRUE(!words.empty() && words[0] == "scenario-tool")
          << Where(at) << "the test runs only 'scenario-tool ...' and 'echo $?' in a console block, not '"
          << command << "'; show other commands in another block";
      const testing_support::ToolRun run = testing_support::RunTool(std::vector<std::string>(words.begin() + 1, words.end()));
      std::string printed = run.out + run.err;
      // Windows joins the paths it prints with '\'.
      for (char& c : printed)
        if (c == '\\') c = '/';
      const std::vector<std::string> printed_lines = SplitLines(printed);
      EXPECT_EQ(printed_lines, shown) << Where(at) << "'" << command << "' printed:" << Shown(printed_lines)
                                      << "\nbut the tutorial shows:" << Shown(shown);
      if (words.size() > 1) commands_run.insert(words[1]);
      last_status_ = run.status;
      last_command_ = command;
    }
  }

  void Scenario(const Block& block) {
    const std::string bytes = ReadSource(block.file);
    ASSERT_FALSE(bytes.empty()) << Where(block.line) << "there is no file " << block.file << " at this point";
    const std::vector<std::string> written = SplitLines(Windows1252ToUtf8(bytes), "\r\n");
    std::string differs;
    for (size_t k = 0; k < std::max(written.size(), block.lines.size()) && differs.empty(); ++k) {
      const std::string in_file = k < written.size() ? "'" + written[k] + "'" : "nothing (the file ends)";
      const std::string shown = k < block.lines.size() ? "'" + block.lines[k] + "'" : "nothing (the block ends)";
      if (in_file != shown)
        differs = "line " + std::to_string(k + 1) + " of the file is " + in_file + ", but the block shows " + shown;
    }
    if (!differs.empty())
      ADD_FAILURE() << Where(block.line) << "the block of " << block.file << " differs from the file the tool wrote: "
                    << differs;
    EXPECT_EQ(bytes, [&] {
      std::string text;
      for (const std::string& line : written) text += line + "\r\n";
      return text;
    }()) << Where(block.line) << block.file << " is not written with CR LF line ends";
    files_shown.insert(block.file);
  }

  void Edit(const Block& block) {
    std::vector<std::string> before;
    std::vector<std::string> after;
    for (const std::string& line : block.lines) {
      const char mark = line.empty() ? ' ' : line[0];
      const std::string text = line.empty() ? "" : line.substr(1);
      ASSERT_TRUE(mark == ' ' || mark == '-' || mark == '+')
          << Where(block.line) << "a line of a diff block begins with ' ', '-' or '+': '" << line << "'";
      if (mark != '+') before.push_back(text);
      if (mark != '-') after.push_back(text);
    }
    std::vector<std::string> lines = SplitLines(ReadSource(block.file), "\r\n");
    size_t found = lines.size();
    int matches = 0;
    for (size_t start = 0; start + before.size() <= lines.size(); ++start) {
      if (std::equal(before.begin(), before.end(), lines.begin() + static_cast<long>(start))) {
        found = start;
        ++matches;
      }
    }
    ASSERT_EQ(matches, 1) << Where(block.line) << "the edit of " << block.file << " does not apply: its lines"
                          << Shown(before) << "\nstand " << matches << " times in the file, which holds:"
                          << Shown(lines);
    lines.erase(lines.begin() + static_cast<long>(found), lines.begin() + static_cast<long>(found + before.size()));
    lines.insert(lines.begin() + static_cast<long>(found), after.begin(), after.end());
    WriteSource(block.file, lines);
    ++edits;
  }

  std::set<std::string> commands_run;
  std::set<std::string> files_shown;
  int edits = 0;

 private:
  static std::string Where(int line) { return "docs/tutorial.md, line " + std::to_string(line) + ": "; }

  std::optional<int> last_status_;
  std::string last_command_;
};

TEST(Tutorial, ItsCommandsFilesAndEditsAreWhatTheToolDoes) {
  const std::vector<Block> blocks = FencedBlocks(SplitLines(ReadWholeFile(kTutorial)));
  TempDir dir;
  const WorkingDirectory inside(dir.path());
  TutorialRun run;
  for (const Block& block : blocks) {
    SCOPED_TRACE("the block at line " + std::to_string(block.line) + " of docs/tutorial.md");
    if (block.kind == "console") run.Console(block);
    if (block.kind == "scenario") run.Scenario(block);
    if (block.kind == "diff") run.Edit(block);
    if (::testing::Test::HasFatalFailure()) return;
  }
  // The steps the tutorial is about are all there, and were all run.
  for (const char* command : {"new", "check", "view", "compile"})
    EXPECT_EQ(run.commands_run.count(command), 1u) << "the tutorial runs no 'scenario-tool " << command << "'";
  EXPECT_EQ(run.files_shown, (std::set<std::string>{"valle/Valle_linea.txt", "valle/Valle_42-.txt"}));
  EXPECT_GE(run.edits, 3);
  for (const char* compiled : {"valle/compiled/Valle_linea.dat", "valle/compiled/Valle_42.sim",
                               "valle/compiled/Valle_42.dat", "valle/valle.html"})
    EXPECT_TRUE(fs::exists(dir.path() / compiled)) << compiled;
}

}  // namespace
}  // namespace scenario::tool
