// Sources saved in another character set than Windows-1252: a UTF-16 file
// is refused before anything is written, a UTF-8 byte-order mark changes
// nothing, and a line name or train number in UTF-8 bytes is warned about.
#include "encoding/source_encoding.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/system/program_directory.h"
#include "platform/files/real_file_system.h"
#include "tests/support/temp_dir.h"
#include "tests/support/built_in_sources.h"
#include "tests/support/tool_run.h"

namespace scenario::tool {
namespace {

namespace fs = std::filesystem;
using scenario::testing_support::ReadWholeFile;
using scenario::testing_support::WriteWholeFile;
using testing_support::RunTool;

// Every byte as one UTF-16 unit: right for the letters of Windows-1252 below
// 0x80 and from 0xA0, which are all the built-in sources hold.
std::string Utf16(const std::string& bytes, bool little_endian) {
  std::string out;
  for (char c : bytes) {
    if (little_endian) out += {c, '\0'};
    else out += {'\0', c};
  }
  return out;
}

struct EncodingCase {
  const char* name;
  std::string (*encode)(const std::string&);
  const char* refusal;  // a part of the message; null: read as before
};

const EncodingCase kEncodings[] = {
    {"utf16_le_with_mark", [](const std::string& t) { return "\xFF\xFE" + Utf16(t, true); },
     "is saved as UTF-16 little-endian (Notepad's \"Unicode\")"},
    {"utf16_be_with_mark", [](const std::string& t) { return "\xFE\xFF" + Utf16(t, false); },
     "is saved as UTF-16 big-endian (Notepad's \"Unicode\")"},
    {"utf16_le_without_mark", [](const std::string& t) { return Utf16(t, true); },
     "holds a NUL byte at byte 2: it is saved as UTF-16"},
    {"utf16_be_without_mark", [](const std::string& t) { return Utf16(t, false); },
     "holds a NUL byte at byte 1: it is saved as UTF-16"},
    {"utf8_with_mark", [](const std::string& t) { return "\xEF\xBB\xBF" + t; }, nullptr},
    {"windows_1252", [](const std::string& t) { return t; }, nullptr},
};

class SourceEncodingTest : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(SourceEncodingTest, EitherSourceIsRefusedWhenUnreadableAndReadAsBeforeOtherwise) {
  const EncodingCase& encoding = GetParam();
  testing_support::BuiltInSources plain;
  ASSERT_EQ(plain.Compile().status, 0);
  for (const bool line_file : {true, false}) {
    SCOPED_TRACE(line_file ? "line description" : "train service");
    testing_support::BuiltInSources sources;
    const fs::path changed = line_file ? sources.line() : sources.train();
    WriteWholeFile(changed, encoding.encode(ReadWholeFile(changed)));
    for (const std::string command : {"check", "compile"}) {
      SCOPED_TRACE(command);
      const testing_support::ToolRun run = command == "check" ? sources.Check() : sources.Compile();
      if (encoding.refusal) {
        EXPECT_EQ(run.status, 65);
        // The file and the cause come first.
        EXPECT_EQ(run.err.rfind("scenario-tool " + command + ": '" + changed.string() + "' " + encoding.refusal, 0), 0u)
            << run.err;
        EXPECT_NE(run.err.find("save it as Windows-1252 (\"ANSI\" in Notepad, \"Western European\" in other "
                               "editors)"),
                  std::string::npos)
            << run.err;
        EXPECT_FALSE(fs::exists(sources.output));
        EXPECT_EQ(run.out, "");
      } else {
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
      }
    }
    if (!encoding.refusal) {
      for (const auto& entry : fs::directory_iterator(plain.output))
        EXPECT_EQ(ReadWholeFile(sources.output / entry.path().filename()), ReadWholeFile(entry.path()))
            << entry.path().filename();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Encodings, SourceEncodingTest, ::testing::ValuesIn(kEncodings),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SourceEncoding, ANulFarIntoTheFileIsLeftToTheReaders) {
  EXPECT_TRUE(UnreadableEncoding("a.txt", std::string(511, 'x') + '\0'));
  EXPECT_FALSE(UnreadableEncoding("a.txt", std::string(512, 'x') + '\0'));
  EXPECT_FALSE(UnreadableEncoding("a.txt", ""));
  EXPECT_FALSE(UnreadableEncoding("a.txt", "\xFF"));
}

struct NameCase {
  const char* name;
  std::string line_file;
  std::string train_file;
  std::vector<std::string> options;
  std::string stored;        // the line name in the compiled files' names
  std::string warned_file;  // empty: no warning
  std::string warning;      // '@' stands for the directory of the files
};

std::vector<NameCase> NameCases() {
  const std::string shown =
      "is written in UTF-8 bytes: the compiled files and their check codes keep these bytes, and the simulator "
      "reads names as Windows-1252, one byte per letter, so it will show '";
  return {
      {"utf8_line_name", "Citt\xC3\xA0_linea.txt", "Citt\xC3\xA0_7-.txt", {}, "Citt\xC3\xA0", "Citt\xC3\xA0_linea.txt",
       "the line name 'Citt\xC3\xA0', from the file name '@Citt\xC3\xA0_linea.txt', " + shown +
           "Citt\xC3\x83\xC2\xA0'; rename the files with the Windows-1252 letter (one byte), or use plain ASCII "
           "letters in the names"},
      {"utf8_line_name_from_the_train_file", "Valle.txt", "Citt\xC3\xA0_7-.txt", {}, "Citt\xC3\xA0", "Citt\xC3\xA0_7-.txt",
       "the line name 'Citt\xC3\xA0', from the file name '@Citt\xC3\xA0_7-.txt', " + shown + "Citt\xC3\x83\xC2\xA0'"},
      {"utf8_train_number", "Valle_linea.txt", "Valle_7\xC2\xAA-.txt", {}, "Valle", "Valle_7\xC2\xAA-.txt",
       "the train number '7\xC2\xAA', from the file name '@Valle_7\xC2\xAA-.txt', " + shown + "7\xC3\x82\xC2\xAA'"},
      {"utf8_line_name_given", "Valle_linea.txt", "Valle_7-.txt", {"--line-name", "Citt\xC3\xA0", "--train-number", "7"},
       "Citt\xC3\xA0", "Valle_linea.txt",
       "the line name 'Citt\xC3\xA0', from the option --line-name, " + shown +
           "Citt\xC3\x83\xC2\xA0'; give it with the Windows-1252 letter (one byte), or in plain ASCII letters"},
      {"windows_1252_line_name", "Citt\xE0_linea.txt", "Citt\xE0_7-.txt", {}, "Citt\xE0", "", ""},
      {"ascii_names", "Valle_linea.txt", "Valle_7-.txt", {}, "Valle", "", ""},
  };
}

class Utf8NameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(Utf8NameTest, ANameInUtf8BytesIsWarnedAboutAndKeptAsItIs) {
  const NameCase& name = GetParam();
  testing_support::BuiltInSources sources;
  // The names are the system's own bytes (Windows-1252 on Windows, as they
  // are elsewhere), so the files are made and looked for through the
  // programs' file system, not through std::filesystem's code page.
  RealFileSystem disk;
  const std::string root = sources.root().string();
  const std::string output = sources.output.string();
  const std::string line = JoinPath(root, name.line_file);
  const std::string train = JoinPath(root, name.train_file);
  ASSERT_TRUE(disk.ReplaceFile(line, ReadWholeFile(sources.line())).ok());
  ASSERT_TRUE(disk.ReplaceFile(train, ReadWholeFile(sources.train())).ok());
  std::vector<std::string> args{"compile", line, train, "-o", output};
  args.insert(args.end(), name.options.begin(), name.options.end());
  const testing_support::ToolRun run = RunTool(args);
  EXPECT_EQ(run.status, 0) << run.err;
  // The name's bytes are kept as they are, in the compiled files' names too.
  EXPECT_TRUE(disk.FileExists(JoinPath(output, name.stored + "_linea.dat")));
  if (name.warned_file.empty()) {
    EXPECT_EQ(run.err, "");
    return;
  }
  std::string warning = name.warning;
  if (const size_t at = warning.find('@'); at != std::string::npos) warning.replace(at, 1, JoinPath(root, ""));
  EXPECT_EQ(run.err.rfind(JoinPath(root, name.warned_file) + ": warning: " + warning, 0), 0u) << run.err;
  args.push_back("--werror");
  EXPECT_EQ(RunTool(args).status, 1);
}

INSTANTIATE_TEST_SUITE_P(Names, Utf8NameTest, ::testing::ValuesIn(NameCases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace scenario::tool
