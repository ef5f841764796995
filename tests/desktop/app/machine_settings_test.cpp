// The desktop's values in the user's settings store and the folder new profiles go to.
#include "desktop/app/machine_settings.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "tests/support/lock_holder.h"
#include "tests/support/temp_folder.h"

namespace corvane::desktop {
namespace {

// What the settings reported, from the writer's thread.
class Reports {
 public:
  StoreWriteQueue::Reporter Reporter() {
    return [this](const std::string& line) {
      std::lock_guard lock(mutex_);
      lines_.push_back(line);
    };
  }
  std::vector<std::string> Lines() {
    std::lock_guard lock(mutex_);
    return lines_;
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

class MachineSettingsTest : public ::testing::Test {
 protected:
  std::string Registry() const { return (temp_ / "registry.ini").string(); }
  MachineSettings Settings() { return Settings(host::SettingsStore(Registry())); }
  MachineSettings Settings(host::SettingsStore store) {
    return MachineSettings(std::move(store), temp_ / "Profiles", reports_.Reporter());
  }
  // A store whose writes give up at once when another process holds its lock.
  host::SettingsStore Impatient() const {
    host::SettingsStore store(Registry());
    store.set_lock_wait({1, std::chrono::milliseconds(1)});
    return store;
  }
  std::string Stored(std::string_view key, std::string_view name) const {
    const auto value = host::SettingsStore(Registry()).QueryValue(key, name);
    return value.ok() ? value.value : "(missing)";
  }
  // Makes the store's files, its lock file among them, as a first write does.
  void MakeStore() const {
    host::SettingsStore store(Registry());
    ASSERT_TRUE(store.CreateKey(kSettingsKey).ok());
  }
  Reports reports_;
  QString Name(const char* file) const {
    return QString::fromStdString((temp_ / "Profiles" / file).string());
  }
  test_support::TempFolder temp_;
};

TEST_F(MachineSettingsTest, NewProfileNamesRunWithoutANumberOne) {
  MachineSettings settings = Settings();
  EXPECT_EQ(settings.NewProfileName(), Name("MyProfile.crvn"));
  EXPECT_EQ(settings.NewProfileName(), Name("MyProfile2.crvn"));
  ASSERT_TRUE(settings.Flush());
  EXPECT_EQ(Settings().NewProfileName(), Name("MyProfile3.crvn"));
  EXPECT_TRUE(std::filesystem::is_directory(temp_ / "Profiles"));
}

TEST_F(MachineSettingsTest, AStoredCounterThatIsNoNumberCountsAsZero) {
  host::SettingsStore store(Registry());
  ASSERT_TRUE(store.CreateKey(kSettingsKey).ok());
  for (const auto& [stored, expected] : std::vector<std::pair<std::string, const char*>>{
           {"", "MyProfile.crvn"}, {"abc", "MyProfile.crvn"}, {"7", "MyProfile8.crvn"}}) {
    ASSERT_TRUE(store.SetValue(kSettingsKey, "NewFileNum", stored).ok());
    EXPECT_EQ(Settings().NewProfileName(), Name(expected)) << stored;
  }
}

TEST_F(MachineSettingsTest, LastProfileNeedsTheKeyAndTheValue) {
  EXPECT_FALSE(Settings().LastProfile().has_value());
  host::SettingsStore store(Registry());
  ASSERT_TRUE(store.CreateKey(kRecentFileListKey).ok());
  EXPECT_FALSE(Settings().LastProfile().has_value());
  ASSERT_TRUE(store.SetValue(kRecentFileListKey, "File1", "/p/a.crvn").ok());
  EXPECT_EQ(Settings().LastProfile(), QStringLiteral("/p/a.crvn"));
}

TEST_F(MachineSettingsTest, RecentFilesKeepFourWithTheLatestFirstAndNoRepeats) {
  MachineSettings settings = Settings();
  for (const char* file : {"/a", "/b", "/c", "/d", "/e", "/c"}) settings.AddRecentFile(file);
  EXPECT_EQ(settings.RecentFiles(), QStringList({"/c", "/e", "/d", "/b"}));
  EXPECT_EQ(settings.LastProfile(), QStringLiteral("/c"));
  settings.RemoveRecentFile("/e");
  ASSERT_TRUE(settings.Flush());
  EXPECT_EQ(Settings().RecentFiles(), QStringList({"/c", "/d", "/b"}));
  EXPECT_FALSE(host::SettingsStore(Registry()).QueryValue(kRecentFileListKey, "File4").ok());
}

TEST_F(MachineSettingsTest, WritesReturnWhileAnotherProcessHoldsTheLockAndLandWhenItGoes) {
  MakeStore();
  test_support::LockHolder holder(host::LockFileOf(Registry()));
  ASSERT_TRUE(holder.held());
  MachineSettings settings = Settings();
  settings.AddRecentFile("/p/a.crvn");
  EXPECT_EQ(settings.NewProfileName(), Name("MyProfile.crvn"));
  // The calls came back while the lock was still held, so nothing can be in the file yet.
  EXPECT_EQ(Stored(kRecentFileListKey, "File1"), "(missing)");
  EXPECT_EQ(settings.RecentFiles(), QStringList({"/p/a.crvn"}));
  EXPECT_EQ(settings.NewProfileName(), Name("MyProfile2.crvn"));
  holder.Release();
  EXPECT_TRUE(settings.Flush());
  EXPECT_EQ(Stored(kRecentFileListKey, "File1"), "/p/a.crvn");
  EXPECT_EQ(Stored(kSettingsKey, "NewFileNum"), "2");
}

TEST_F(MachineSettingsTest, AWriteThatCannotTakeTheLockIsReportedAndTriedAgain) {
  MakeStore();
  test_support::LockHolder holder(host::LockFileOf(Registry()));
  ASSERT_TRUE(holder.held());
  MachineSettings settings = Settings(Impatient());
  settings.AddRecentFile("/p/a.crvn");
  EXPECT_FALSE(settings.Flush());
  const std::vector<std::string> failed = reports_.Lines();
  ASSERT_FALSE(failed.empty());
  EXPECT_NE(failed.front().find(Registry()), std::string::npos) << failed.front();
  EXPECT_NE(failed.front().find(host::LockFileOf(Registry())), std::string::npos) << failed.front();
  EXPECT_EQ(settings.LastProfile(), QStringLiteral("/p/a.crvn"));

  holder.Release();
  settings.AddRecentFile("/p/b.crvn");
  EXPECT_TRUE(settings.Flush());
  EXPECT_EQ(Stored(kRecentFileListKey, "File1"), "/p/b.crvn");
  EXPECT_EQ(Stored(kRecentFileListKey, "File2"), "/p/a.crvn");
  EXPECT_EQ(reports_.Lines().size(), failed.size());
}

TEST_F(MachineSettingsTest, TheLastValuesReachTheStoreAtQuitOrAreReportedLost) {
  for (const bool locked : {false, true}) {
    SCOPED_TRACE(locked ? "locked" : "free");
    std::filesystem::remove(Registry());
    MakeStore();
    std::optional<test_support::LockHolder> holder;
    if (locked) holder.emplace(host::LockFileOf(Registry()));
    {
      MachineSettings settings = Settings(Impatient());
      for (const char* file : {"/a", "/b", "/c", "/d", "/e"}) {
        settings.AddRecentFile(file);
        settings.NewProfileName();
      }
      settings.RemoveRecentFile("/d");
    }
    holder.reset();
    const std::vector<std::string> lines = reports_.Lines();
    if (locked) {
      ASSERT_FALSE(lines.empty());
      EXPECT_NE(lines.back().find("at exit"), std::string::npos) << lines.back();
      EXPECT_EQ(Stored(kRecentFileListKey, "File1"), "(missing)");
    } else {
      EXPECT_TRUE(lines.empty()) << lines.front();
      EXPECT_EQ(Settings().RecentFiles(), QStringList({"/e", "/c", "/b"}));
      EXPECT_EQ(Stored(kRecentFileListKey, "File4"), "(missing)");
      EXPECT_EQ(Stored(kSettingsKey, "NewFileNum"), "5");
    }
  }
}

struct FolderCase {
  const char* program_folder;
  bool writable;
  const char* expected;
};

TEST(ChooseProfileFolderTest, SystemAndReadOnlyFoldersSendProfilesToTheDocuments) {
  const FolderCase cases[] = {
      {"/home/ann/corvane/build/desktop", true, "/home/ann/corvane/build/desktop"},
      {"/home/ann/corvane/build/desktop", false, "/home/ann/Documents/Corvane"},
      {"/usr/bin", true, "/home/ann/Documents/Corvane"},
      {"/usr/local/bin", true, "/home/ann/Documents/Corvane"},
      {"/opt/corvane/bin", true, "/home/ann/Documents/Corvane"},
      {"/usrx/bin", true, "/usrx/bin"},
      {"", true, "/home/ann/Documents/Corvane"},
  };
  for (const FolderCase& c : cases) {
    EXPECT_EQ(ChooseProfileFolder(c.program_folder, c.writable, "/home/ann/Documents"),
              std::filesystem::path(c.expected))
        << c.program_folder << " writable " << c.writable;
  }
}

}  // namespace
}  // namespace corvane::desktop
