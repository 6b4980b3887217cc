#include "platform/files/directory_lock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "tests/support/system_facts.h"
#include "tests/support/temp_dir.h"

namespace scenario {
namespace {

using namespace std::chrono_literals;
using testing_support::TempDir;

// A lock belongs to an open file: a second taking within this process
// meets the first as another process would.
TEST(DirectoryLock, ASecondTakingWaitsForTheFirstToLetGo) {
  TempDir dir;
  std::unique_ptr<DirectoryLock> first;
  ASSERT_TRUE(LockDirectoryOnDisk(dir.path().string(), 0ms, nullptr, &first).ok());
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(std::filesystem::is_regular_file(dir.path() / kLockFileName));

  // Held for longer than the wait: it gives up, after telling once.
  int told = 0;
  std::unique_ptr<DirectoryLock> second;
  const auto start = std::chrono::steady_clock::now();
  Status status = LockDirectoryOnDisk(dir.path().string(), 150ms, [&] { ++told; }, &second);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_FALSE(status.ok());
  EXPECT_EQ(status.operation(), "lock the directory");
  EXPECT_EQ(status.code(), StatusCode::HeldElsewhere);
  EXPECT_EQ(status.reason(), HeldElsewhereReason(150ms));
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(told, 1);
  EXPECT_GE(waited, 150ms);

  // Let go while the other waits: it gets the lock then.
  std::thread letting_go([&] {
    std::this_thread::sleep_for(100ms);
    first.reset();
  });
  told = 0;
  status = LockDirectoryOnDisk(dir.path().string(), 10s, [&] { ++told; }, &second);
  letting_go.join();
  EXPECT_TRUE(status.ok()) << status.reason();
  EXPECT_NE(second, nullptr);
  EXPECT_EQ(told, 1);
}

TEST(DirectoryLock, AFreeDirectoryIsTakenAtOnceWithoutAWord) {
  TempDir dir;
  int told = 0;
  for (int round = 0; round < 2; ++round) {  // the second finds the lock file there
    std::unique_ptr<DirectoryLock> lock;
    ASSERT_TRUE(LockDirectoryOnDisk(dir.path().string(), 0ms, [&] { ++told; }, &lock).ok());
    EXPECT_NE(lock, nullptr);
  }
  EXPECT_EQ(told, 0);
}

TEST(DirectoryLock, ALockFileThatIsNoFileIsRefusedByName) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / kLockFileName);
  std::unique_ptr<DirectoryLock> lock;
  const Status status = LockDirectoryOnDisk(dir.path().string(), 0ms, nullptr, &lock);
  EXPECT_FALSE(status.ok());
  EXPECT_NE(status.reason().find(kLockFileName), std::string::npos) << status.reason();
  EXPECT_EQ(lock, nullptr);

  TempDir other;
  std::error_code no_links;
  std::filesystem::create_symlink(other.path() / "elsewhere", other.path() / kLockFileName, no_links);
  if (no_links) GTEST_SKIP() << "this system lets the test make no symbolic link: " << no_links.message();
  EXPECT_FALSE(LockDirectoryOnDisk(other.path().string(), 0ms, nullptr, &lock).ok());
  EXPECT_FALSE(std::filesystem::exists(other.path() / "elsewhere")) << "followed the link";
}

TEST(DirectoryLock, AMissingDirectoryFails) {
  TempDir dir;
  std::unique_ptr<DirectoryLock> lock;
  const Status status = LockDirectoryOnDisk((dir.path() / "none").string(), 0ms, nullptr, &lock);
  EXPECT_FALSE(status.ok());
  EXPECT_NE(status.reason().find(testing_support::MissingDirectoryReason()), std::string::npos)
      << status.reason();
}

TEST(DirectoryLock, TheWaitLimitComesFromTheEnvironmentOnlyWhenItIsANumber) {
  const struct {
    const char* value;  // nullptr: unset
    std::chrono::milliseconds limit;
  } table[] = {{nullptr, 60s}, {"", 60s}, {"250", 250ms}, {"0", 0ms},
               {"-5", 60s},    {"2s", 60s}, {"99999999999999999999", 60s}};
  for (const auto& row : table) {
    SCOPED_TRACE(row.value ? row.value : "(unset)");
    if (row.value) testing_support::SetEnvironment(kLockWaitVariable, row.value);
    else testing_support::SetEnvironment(kLockWaitVariable, std::nullopt);
    EXPECT_EQ(LockWaitLimit(), row.limit);
  }
  testing_support::SetEnvironment(kLockWaitVariable, std::nullopt);
  EXPECT_EQ(DescribeWait(60s), "60 s");
  EXPECT_EQ(DescribeWait(250ms), "250 ms");
}

}  // namespace
}  // namespace scenario
