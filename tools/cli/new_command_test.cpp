// scenario-tool new: two sources named as the compile reads them, in
// Windows-1252 with CR LF, that compile with no error and no warning for
// every length and name it takes; what it cannot take refused with the value
// and what to write, and an existing source never lost without --force.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files/real_file_system.h"
#include "platform/system/program_directory.h"
#include "sources/text_file_writer.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"
#include "tools/authoring/author_compile.h"
#include "tools/authoring/new_scenario.h"

namespace scenario::tool {
namespace {

using scenario::testing_support::TempDir;
using testing_support::RunTool;

std::string Bytes(const std::vector<std::string>& lines) { return TextFileBytes(WithEndMarker(lines)); }

// A file's bytes through the tool's own file system, which takes names as
// Windows-1252 bytes on every system.
std::string Read(const std::string& path) {
  RealFileSystem files;
  std::string bytes;
  EXPECT_TRUE(files.ReadFile(path, &bytes).ok()) << path;
  return bytes;
}

bool Exists(const std::string& path) {
  RealFileSystem files;
  return files.FileExists(path);
}

struct NameCase {
  std::string given;   // on the command line
  std::string written;  // the Windows-1252 bytes of the files' names
};

const NameCase kNames[] = {
    {"Valle", "Valle"},
    {"Valle Alta", "Valle Alta"},                  // a blank
    {"Calvisio -Sambreta", "Calvisio -Sambreta"},  // a hyphen, as the built-in line
    {"Citt\xc3\xa0", "Citt\xe0"},                  // as Linux gives "Città", in UTF-8
    {"Citt\xe0", "Citt\xe0"},                      // as Windows gives it, in Windows-1252
};

// The smallest length, the default (no --length), a large one that is no
// multiple of 50, and the largest.
const std::vector<std::string> kLengths[] = {
    {"--length", std::to_string(kNewLineShortest)},
    {},
    {"--length", "123457"},
    {"--length", std::to_string(kNewLineLongest)},
};

TEST(NewCommand, EveryLengthAndNameCompilesWithNoErrorAndNoWarning) {
  for (const NameCase& name : kNames) {
    for (const std::vector<std::string>& length : kLengths) {
      const std::string length_text = length.empty() ? std::to_string(kNewLineDefault) : length[1];
      SCOPED_TRACE(name.given + ", " + length_text + " m");
      TempDir dir;
      std::vector<std::string> args = {"new", name.given, "42", "-o", dir.PathOf("new")};
      args.insert(args.end(), length.begin(), length.end());
      const testing_support::ToolRun run = RunTool(args);
      ASSERT_EQ(run.status, 0) << run.err;
      EXPECT_EQ(run.err, "");
      // Joined as the tool joins them, with the system's separator.
      const std::string line_file = JoinPath(dir.PathOf("new"), name.written + "_linea.txt");
      const std::string train_file = JoinPath(dir.PathOf("new"), name.written + "_42-.txt");
      EXPECT_EQ(run.out, "wrote " + line_file + "\nwrote " + train_file + "\n");
      const int32_t metres = std::stoi(length_text);
      EXPECT_EQ(Read(line_file), Bytes(NewLineDescription(metres)));
      EXPECT_EQ(Read(train_file), Bytes(NewTrainService(metres)));

      CompileRequest request;
      request.line_file = line_file;
      request.train_file = train_file;
      request.output_directory = dir.PathOf("compiled");
      RealFileSystem files;
      const CompileReport report = RunCompile(request, files);
      EXPECT_EQ(report.codice_errore, 0) << report.cause.value_or("");
      EXPECT_FALSE(report.stopped_with.has_value());
      for (const CompileWarning& warning : report.warnings)
        ADD_FAILURE() << warning.place.file << ":" << warning.place.line << ": " << warning.kind << ": "
                      << warning.message;
      EXPECT_EQ(report.names.nome_linea, name.written);
      EXPECT_EQ(report.names.numero_treno, "42");
      EXPECT_EQ(report.files_written.size(), 3u);
    }
  }
}

// Windows-1252 text with CR LF line ends and nothing else: no LF or CR
// alone, no byte that Windows-1252 leaves unassigned, no UTF-8.
TEST(NewCommand, TheSourcesAreWindows1252WithCrLf) {
  TempDir dir;
  ASSERT_EQ(RunTool({"new", "Valle", "42", "-o", dir.path().string()}).status, 0);
  for (const char* name : {"Valle_linea.txt", "Valle_42-.txt"}) {
    SCOPED_TRACE(name);
    const std::string bytes = Read(JoinPath(dir.path().string(), name));
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    for (size_t i = 0; i < bytes.size(); ++i) {
      const auto byte = static_cast<unsigned char>(bytes[i]);
      if (byte == '\r') {
        EXPECT_EQ(bytes[i + 1], '\n') << "a CR alone at byte " << i;
      }
      if (byte == '\n') {
        EXPECT_EQ(bytes[i - 1], '\r') << "an LF alone at byte " << i;
      }
      EXPECT_TRUE(byte >= 0x20 || byte == '\r' || byte == '\n') << "control byte at " << i;
      EXPECT_TRUE(byte < 0x80) << "the template is plain ASCII, a subset of Windows-1252: byte " << i;
    }
    EXPECT_EQ(bytes.find("[generale]\r\n"), 0u);
  }
}

TEST(NewCommand, WhatCannotBeUsedIsRefusedWithTheValueAndWhatToWrite) {
  const std::pair<std::vector<std::string>, std::string> refused[] = {
      {{"--length", "10.5"}, "scenario-tool new: the length '10.5' is not a whole number of metres: write the "
                             "line's length as a whole number of metres from 1800 to 1000000, such as --length "
                             "10000\n"},
      {{"--length", "1000"}, "scenario-tool new: the length 1000 m is too short for a new line"},
      {{"--length", "1500000"}, "scenario-tool new: the length 1500000 m is longer than a line can be"},
      {{"--length", "-1"}, "scenario-tool new: the length '-1' is below 0"},
  };
  for (const auto& [options, told] : refused) {
    SCOPED_TRACE(options[1]);
    TempDir dir;
    std::vector<std::string> args = {"new", "Valle", "42", "-o", dir.PathOf("new")};
    args.insert(args.end(), options.begin(), options.end());
    const testing_support::ToolRun run = RunTool(args);
    EXPECT_EQ(run.status, 64);
    EXPECT_EQ(run.err.rfind(told, 0), 0u) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(Exists(dir.PathOf("new"))) << "the directory was made all the same";
  }
  const std::pair<std::vector<std::string>, std::string> names[] = {
      {{"Valle/Alta", "42"}, "scenario-tool new: the line name 'Valle/Alta' holds '/', which a file name cannot "
                             "hold"},
      {{"Valle", "4*2"}, "scenario-tool new: the train number '4*2' holds '*', which a file name cannot hold"},
      {{"Valle \xe2\x86\x92 Monte", "42"},
       "scenario-tool new: the line name 'Valle \xe2\x86\x92 Monte' holds '\xe2\x86\x92', which Windows-1252 "
       "cannot hold"},
      {{"", "42"}, "scenario-tool new: the line name is empty"},
      {{"Valle", std::string(300, '4')},
       "scenario-tool new: the line name and the train number are 305 letters long together"},
  };
  for (const auto& [given, told] : names) {
    SCOPED_TRACE(given[0] + " " + given[1].substr(0, 10));
    TempDir dir;
    const testing_support::ToolRun run = RunTool({"new", given[0], given[1], "-o", dir.path().string()});
    EXPECT_EQ(run.status, 64);
    EXPECT_EQ(run.err.rfind(told, 0), 0u) << run.err;
    EXPECT_TRUE(dir.Files().empty());
  }
  EXPECT_EQ(RunTool({"new", "Valle"}).status, 64);  // no train number
}

TEST(NewCommand, ExistingSourcesAreKeptUnlessReplacingIsAskedFor) {
  TempDir dir;
  const std::string line = JoinPath(dir.path().string(), "Valle_linea.txt");
  const std::string train = JoinPath(dir.path().string(), "Valle_42-.txt");
  scenario::testing_support::WriteWholeFile(train, "my edited service\r\n");

  const testing_support::ToolRun refused = RunTool({"new", "Valle", "42", "-o", dir.path().string()});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "scenario-tool new: these files exist already and would be replaced:\n  " + train +
                             "\nwrite into another directory (-o DIR), choose other names, or give --force to "
                             "replace them\n");
  EXPECT_EQ(Read(train), "my edited service\r\n");
  EXPECT_FALSE(Exists(line)) << "one source of the pair written without the other";

  const testing_support::ToolRun forced =
      RunTool({"new", "Valle", "42", "-o", dir.path().string(), "--length", "20000", "--force"});
  EXPECT_EQ(forced.status, 0) << forced.err;
  EXPECT_EQ(Read(train), Bytes(NewTrainService(20000)));
  EXPECT_EQ(Read(line), Bytes(NewLineDescription(20000)));
}

TEST(NewCommand, HelpTellsTheSyntaxTheRangeAndTheStatuses) {
  const testing_support::ToolRun help = RunTool({"new", "--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* told : {"Usage: scenario-tool new [OPTIONS] LINE_NAME TRAIN", "--length M",
                           "a whole number from 1800 to 1000000", "--length M=10000", "-o,--output DIR", "--force",
                           "docs/tutorial.md", "Exit status: 0 written"})
    EXPECT_NE(help.out.find(told), std::string::npos) << told << " in\n" << help.out;
}

}  // namespace
}  // namespace scenario::tool
