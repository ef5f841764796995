#include "platform/linux/host/settings_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <set>
#include <thread>

#include "platform/linux/host/ini_document.h"
#include "tests/platform/linux/host/test_support.h"

namespace corvane::host {
namespace {

using namespace std::string_literals;
using testing_support::ReadFile;
using testing_support::ScopedEnv;
using testing_support::TempFolder;
using testing_support::WriteFile;

constexpr const char* kService = "Software\\Quillfen\\Corvane\\Service";

class SettingsStoreTest : public ::testing::Test {
 protected:
  TempFolder folder_;
  std::string file_ = folder_ / "hive/registry.ini";
  SettingsStore store_{file_};
};

TEST_F(SettingsStoreTest, AFreshHiveHasTheDesktopKeyAndNothingElse) {
  EXPECT_TRUE(store_.OpenKey("Control Panel\\Desktop").ok());
  EXPECT_TRUE(store_.OpenKey("control panel").ok());
  const HostStatus missing = store_.OpenKey(kService);
  EXPECT_EQ(missing.code(), ENOENT);
  EXPECT_NE(missing.Message().find(file_), std::string::npos) << missing.Message();
  EXPECT_EQ(store_.QueryValue("Control Panel\\Desktop", "SCRNSAVE.EXE").status.code(), ENOENT);
  EXPECT_FALSE(std::filesystem::exists(file_)) << "reading never writes";
}

TEST_F(SettingsStoreTest, AKeyOpenedButNeverCreatedTakesNoValues) {
  EXPECT_EQ(store_.SetValue(kService, "Profile", "/p.crvn").code(), ENOENT);
  EXPECT_FALSE(std::filesystem::exists(file_));
  ASSERT_TRUE(store_.CreateKey(kService).ok());
  ASSERT_TRUE(store_.SetValue(kService, "Profile", "/p.crvn").ok());
  EXPECT_EQ(store_.QueryValue(kService, "Profile").value, "/p.crvn");
  EXPECT_TRUE(store_.OpenKey("Software\\Quillfen").ok()) << "keys above a created one exist";
}

TEST_F(SettingsStoreTest, TheFirstWriteKeepsTheSeededKeys) {
  ASSERT_TRUE(store_.CreateKey(kService).ok());
  const IniDocument written = IniDocument::Parse(ReadFile(file_));
  EXPECT_TRUE(written.HasKey("Control Panel\\Desktop"));
  EXPECT_TRUE(written.HasKey(kService));
}

TEST_F(SettingsStoreTest, SetQueryAndDeleteValues) {
  ASSERT_TRUE(store_.CreateKey(kService).ok());
  const std::string odd = "line\nfeed, tab\t, nul\0, \\ and = "s;
  ASSERT_TRUE(store_.SetValue(kService, "Profile", odd).ok());
  ASSERT_TRUE(store_.SetValue(kService, "", "default value").ok());
  SettingsStore other(file_);  // another handle reads the same file
  EXPECT_EQ(other.QueryValue(kService, "profile").value, odd);
  EXPECT_EQ(other.QueryValue(kService, "").value, "default value");

  ASSERT_TRUE(store_.DeleteValue(kService, "PROFILE").ok());
  EXPECT_EQ(store_.QueryValue(kService, "Profile").status.code(), ENOENT);
  EXPECT_EQ(store_.DeleteValue(kService, "Profile").code(), ENOENT);
  EXPECT_TRUE(store_.OpenKey(kService).ok());
}

TEST_F(SettingsStoreTest, RefusesKeyPathsNoSectionCanHold) {
  EXPECT_EQ(store_.CreateKey("A\\\\B").code(), EINVAL);
  EXPECT_EQ(store_.CreateKey("A\nB").code(), EINVAL);
  EXPECT_EQ(store_.OpenKey("A\nB").code(), EINVAL);
  EXPECT_FALSE(std::filesystem::exists(file_));
}

TEST_F(SettingsStoreTest, ReplacesTheFileWholeAndLeavesNoTemporaryFiles) {
  ASSERT_TRUE(store_.CreateKey(kService).ok());
  ASSERT_EQ(chmod(file_.c_str(), 0640), 0);
  struct stat before {};
  ASSERT_EQ(stat(file_.c_str(), &before), 0);
  ASSERT_TRUE(store_.SetValue(kService, "Profile", "/x.crvn").ok());
  struct stat after {};
  ASSERT_EQ(stat(file_.c_str(), &after), 0);
  EXPECT_NE(before.st_ino, after.st_ino) << "written beside and renamed, not rewritten in place";
  EXPECT_EQ(after.st_mode & 0777, 0640u) << "the file keeps its permissions";
  std::set<std::string> names;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::filesystem::path(file_).parent_path())) {
    names.insert(entry.path().filename().string());
  }
  EXPECT_EQ(names, (std::set<std::string>{"registry.ini", ".registry.ini.lock"}));
}

TEST_F(SettingsStoreTest, KeepsCommentsOfAHandEditedFile) {
  std::filesystem::create_directories(std::filesystem::path(file_).parent_path());
  WriteFile(file_,
            "; machine settings, edited by hand\n[Control Panel\\Desktop]\nScreenSaveActive=1\n");
  ASSERT_TRUE(store_.SetValue("Control Panel\\Desktop", "SCRNSAVE.EXE", "corvscreen.scr").ok());
  EXPECT_EQ(ReadFile(file_),
            "; machine settings, edited by hand\n[Control Panel\\Desktop]\nScreenSaveActive=1\n"
            "SCRNSAVE.EXE=corvscreen.scr\n");
}

TEST_F(SettingsStoreTest, AFileThatCannotBeReadIsAnErrorNotAnEmptyHive) {
  std::filesystem::create_directories(file_);  // a folder where the file should be
  const HostResult<std::string> value = store_.QueryValue("Control Panel\\Desktop", "x");
  EXPECT_NE(value.status.code(), ENOENT);
  EXPECT_FALSE(value.ok());
  EXPECT_FALSE(store_.OpenKey("Control Panel\\Desktop").ok());
  EXPECT_FALSE(store_.CreateKey(kService).ok());
}

TEST_F(SettingsStoreTest, AFolderInThePathIsReportedWithItsName) {
  WriteFile(folder_ / "hive", "not a folder");
  const HostStatus status = store_.CreateKey(kService);
  EXPECT_EQ(status.code(), ENOTDIR);
  EXPECT_NE(status.Message().find(folder_ / "hive"), std::string::npos) << status.Message();
}

// A reader must always find a whole file: every version written holds both keys.
TEST_F(SettingsStoreTest, ReadersNeverSeeAHalfWrittenFile) {
  ASSERT_TRUE(store_.CreateKey("First").ok());
  ASSERT_TRUE(store_.CreateKey("Last").ok());
  ASSERT_TRUE(store_.SetValue("Last", "n", "0").ok());
  std::atomic<bool> done{false};
  std::atomic<int> torn{0};
  std::thread reader([&] {
    SettingsStore mine(file_);
    while (!done.load()) {
      if (!mine.OpenKey("First").ok() || !mine.QueryValue("Last", "n").ok()) ++torn;
    }
  });
  const std::string padding(4000, 'p');  // several write() calls' worth per file
  for (int i = 0; i < 60; ++i) {
    ASSERT_TRUE(store_.SetValue("First", "pad", padding + std::to_string(i)).ok());
    ASSERT_TRUE(store_.SetValue("Last", "n", std::to_string(i)).ok());
  }
  done = true;
  reader.join();
  EXPECT_EQ(torn.load(), 0);
  EXPECT_EQ(store_.QueryValue("Last", "n").value, "59");
}

// Two processes writing different keys at the same time: neither loses the other's.
TEST_F(SettingsStoreTest, TwoWritingProcessesKeepEachOthersKeys) {
  constexpr int kKeysEach = 25;
  const auto write_keys = [&](const char* prefix) {
    SettingsStore mine(file_);
    for (int i = 0; i < kKeysEach; ++i) {
      const std::string key = std::string(prefix) + std::to_string(i);
      if (!mine.CreateKey(key).ok() || !mine.SetValue(key, "v", key).ok()) return 1;
    }
    return 0;
  };
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(write_keys("Child"));
  const int parent_result = write_keys("Parent");
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(parent_result, 0);
  for (const char* prefix : {"Child", "Parent"}) {
    for (int i = 0; i < kKeysEach; ++i) {
      const std::string key = std::string(prefix) + std::to_string(i);
      EXPECT_EQ(store_.QueryValue(key, "v").value, key);
    }
  }
}

TEST(HiveFile, FollowsTheEnvironment) {
  {
    ScopedEnv user("CORVANE_USER_REGISTRY", "/tmp/u.ini");
    ScopedEnv machine("CORVANE_DEFAULT_REGISTRY", "/tmp/m.ini");
    EXPECT_EQ(HiveFile(Hive::kCurrentUser), "/tmp/u.ini");
    EXPECT_EQ(HiveFile(Hive::kDefaultUser), "/tmp/m.ini");
  }
  ScopedEnv user("CORVANE_USER_REGISTRY", std::nullopt);
  ScopedEnv machine("CORVANE_DEFAULT_REGISTRY", std::nullopt);
  ScopedEnv home("HOME", "/home/ann");
  EXPECT_EQ(HiveFile(Hive::kDefaultUser), "/etc/Quillfen/Corvane/registry.ini");
  {
    ScopedEnv config("XDG_CONFIG_HOME", "/cfg");
    EXPECT_EQ(HiveFile(Hive::kCurrentUser), "/cfg/Quillfen/Corvane/registry.ini");
  }
  {
    ScopedEnv config("XDG_CONFIG_HOME", "relative/ignored");
    EXPECT_EQ(HiveFile(Hive::kCurrentUser), "/home/ann/.config/Quillfen/Corvane/registry.ini");
  }
  ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
  EXPECT_EQ(HiveFile(Hive::kCurrentUser), "/home/ann/.config/Quillfen/Corvane/registry.ini");
}

}  // namespace
}  // namespace corvane::host
