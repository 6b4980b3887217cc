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

TEST(TemporaryNames, NothingElseIsTakenForOne) {
  for (const char* name : {kLockFileName, "Calvisio -Sambreta_linea.dat", "f.dat.tmp-12-3",
                           ".tmp-12-3", "..tmp-12-3", ".f.tmp-", ".f.tmp-12", ".f.tmp-12-",
                           ".f.tmp--3", ".f.tmp-x-3", ".f.tmp-12-3x", ".f.tmp-12-3.bak",
                           ".f.tmp-12-3-4", ".f.tmp-+12-3", ".f.TMP-12-3",
                           ".f.tmp-123456789012345678901234567890-1", "", "."}) {
    unsigned long process = 7;
    EXPECT_FALSE(IsTemporaryName(name, &process)) << "'" << name << "'";
    EXPECT_EQ(process, 7u) << name;
  }
}

}  // namespace
}  // namespace scenario
