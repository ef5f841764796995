// The settings writers' lock: held by another process, planted by another user, or a link.
// Real files in a temporary folder; the wait is a count of tries, so no case depends on speed.
#include "platform/linux/host/writer_lock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/linux/host/settings_store.h"
#include "tests/platform/linux/host/test_support.h"
#include "tests/support/lock_holder.h"

namespace corvane::host {
namespace {

using test_support::LockHolder;
using testing_support::ReadFile;
using testing_support::TempFolder;
using testing_support::WriteFile;

constexpr const char* kDesktop = "Control Panel\\Desktop";
constexpr LockWait kShortWait{3, std::chrono::milliseconds(1)};

TEST(LockFileOf, IsAHiddenFileBesideTheHive) {
  EXPECT_EQ(LockFileOf("/etc/Quillfen/Corvane/registry.ini"),
            "/etc/Quillfen/Corvane/.registry.ini.lock");
  EXPECT_EQ(LockFileOf("registry.ini"), ".registry.ini.lock");
}

class WriterLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(store_.SetValue(kDesktop, "ScreenSaveActive", "0").ok());
    store_.set_lock_wait(kShortWait);
  }
  TempFolder folder_;
  std::string file_ = folder_ / "registry.ini";
  SettingsStore store_{file_};
};

TEST_F(WriterLockTest, AWriterGivesUpAfterItsTriesAndSaysWhoHoldsWhat) {
  const std::string before = ReadFile(file_);
  LockHolder holder(LockFileOf(file_));
  ASSERT_TRUE(holder.held());
  const HostStatus status = store_.SetValue(kDesktop, "ScreenSaveActive", "1");
  EXPECT_EQ(status.code(), EWOULDBLOCK);
  EXPECT_NE(status.Message().find(LockFileOf(file_) + ": another process held it for 3 ms"),
            std::string::npos)
      << status.Message();
  EXPECT_EQ(ReadFile(file_), before);
  EXPECT_EQ(store_.QueryValue(kDesktop, "ScreenSaveActive").value, "0") << "reads never wait";

  holder.Release();
  EXPECT_TRUE(store_.SetValue(kDesktop, "ScreenSaveActive", "1").ok());
  EXPECT_EQ(store_.QueryValue(kDesktop, "ScreenSaveActive").value, "1");
}

TEST_F(WriterLockTest, HoldingTheFolderOrTheHiveNoLongerHoldsBackAWriter) {
  for (const std::string& path : {folder_.path().string(), file_}) {
    LockHolder holder(path);
    ASSERT_TRUE(holder.held()) << path;
    EXPECT_TRUE(store_.SetValue(kDesktop, "ScreenSaveActive", "1").ok()) << path;
  }
}

TEST_F(WriterLockTest, ALockFileOthersCouldOpenIsClosedToThem) {
  ASSERT_EQ(::chmod(LockFileOf(file_).c_str(), 0666), 0);
  ASSERT_TRUE(store_.SetValue(kDesktop, "ScreenSaveActive", "1").ok());
  struct stat info {};
  ASSERT_EQ(::stat(LockFileOf(file_).c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
}

TEST_F(WriterLockTest, ALinkInThePlaceOfTheLockIsNotFollowed) {
  const std::string target = folder_ / "elsewhere";
  WriteFile(target, "");
  std::filesystem::remove(LockFileOf(file_));
  std::filesystem::create_symlink(target, LockFileOf(file_));
  const HostStatus status = store_.SetValue(kDesktop, "ScreenSaveActive", "1");
  EXPECT_EQ(status.code(), ELOOP);
  EXPECT_NE(status.Message().find(LockFileOf(file_)), std::string::npos) << status.Message();
}

TEST_F(WriterLockTest, ALockFilePlantedByAnotherUserIsRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
  ASSERT_EQ(::chown(LockFileOf(file_).c_str(), 65534, 65534), 0);
  const HostStatus status = store_.SetValue(kDesktop, "ScreenSaveActive", "1");
  EXPECT_EQ(status.code(), EPERM);
  EXPECT_NE(status.Message().find("belongs to user 65534"), std::string::npos) << status.Message();
  EXPECT_EQ(store_.QueryValue(kDesktop, "ScreenSaveActive").value, "0");
}

}  // namespace
}  // namespace corvane::host
