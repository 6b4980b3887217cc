#include "platform/files/temporary_names.h"

#include <gtest/gtest.h>

#include "platform/files/directory_lock.h"

namespace scenario {
namespace {

TEST(TemporaryNames, EveryNameMadeIsRecognisedWithItsProcess) {
  struct Made {
    const char* name;
    unsigned long process;
    unsigned long counter;
  };
  for (const Made& made : {Made{"Calvisio -Sambreta_linea.dat", 4242, 0},
                           Made{"x", 1, 17},
                           Made{"a.tmp-1-2", 99, 5},  // a name that looks like one itself
                           Made{"Calvisio -Sambreta_31613-.txt", 4194304, 4294967295ul}}) {
    const std::string temporary = TemporaryNameFor(made.name, made.process, made.counter);
    SCOPED_TRACE(temporary);
    unsigned long process = 0;
    ASSERT_TRUE(IsTemporaryName(temporary, &process));
    EXPECT_EQ(process, made.process);
  }
  EXPECT_EQ(TemporaryNameFor("f.dat", 12, 3), ".f.dat.tmp-12-3");
}

TEST(TemporaryNames, EachKindIsToldApart) {
  const struct {
    std::string name;
    TemporaryKind kind;
    unsigned long process;
  } table[] = {
      {TemporaryNameFor("f.dat", 12, 3), TemporaryKind::NewFile, 12},
      {TemporaryNameFor("f.dat", 12, 3, TemporaryKind::OldFile), TemporaryKind::OldFile, 12},
      {SetRecordNameFor(40, 0), TemporaryKind::SetRecord, 40},
      // The record's own new file, while it is written.
      {TemporaryNameFor(SetRecordNameFor(40, 0), 41, 2), TemporaryKind::NewFile, 41},
      // An old file kept aside whose own name looks like a new file's.
      {TemporaryNameFor("a.tmp-1-2", 7, 0, TemporaryKind::OldFile), TemporaryKind::OldFile, 7},
  };
  EXPECT_EQ(table[1].name, ".f.dat.old-12-3");
  EXPECT_EQ(table[2].name, ".scenario-compactor.set-40-0");
  for (const auto& row : table) {
    SCOPED_TRACE(row.name);
    unsigned long process = 0;
    TemporaryKind kind = TemporaryKind::NewFile;
    ASSERT_TRUE(IsTemporaryName(row.name, &process, &kind));
    EXPECT_EQ(kind, row.kind);
    EXPECT_EQ(process, row.process);
  }
}

TEST(TemporaryNames, NothingElseIsTakenForOne) {
  for (const char* name : {kLockFileName, "Calvisio -Sambreta_linea.dat", "f.dat.tmp-12-3",
                           ".tmp-12-3", "..tmp-12-3", ".f.tmp-", ".f.tmp-12", ".f.tmp-12-",
                           ".f.tmp--3", ".f.tmp-x-3", ".f.tmp-12-3x", ".f.tmp-12-3.bak",
                           ".f.tmp-12-3-4", ".f.tmp-+12-3", ".f.TMP-12-3",
                           ".f.tmp-123456789012345678901234567890-1", "", ".",
                           // Only the program's own record is one.
                           ".f.set-1-2", ".scenario-tool.set-1-2", ".f.OLD-1-2", ".f.old-1"}) {
    unsigned long process = 7;
    EXPECT_FALSE(IsTemporaryName(name, &process)) << "'" << name << "'";
    EXPECT_EQ(process, 7u) << name;
  }
}

}  // namespace
}  // namespace scenario
