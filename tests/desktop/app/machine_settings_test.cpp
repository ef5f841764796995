// The desktop's values in the user's settings store and the folder new profiles go to.
#include "desktop/app/machine_settings.h"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace corvane::desktop {
namespace {

class MachineSettingsTest : public ::testing::Test {
 protected:
  std::string Registry() const { return (temp_ / "registry.ini").string(); }
  MachineSettings Settings() const {
    return MachineSettings(host::SettingsStore(Registry()), temp_ / "Profiles");
  }
  QString Name(const char* file) const {
    return QString::fromStdString((temp_ / "Profiles" / file).string());
  }
  test_support::TempFolder temp_;
};

TEST_F(MachineSettingsTest, NewProfileNamesRunWithoutANumberOne) {
  MachineSettings settings = Settings();
  EXPECT_EQ(settings.NewProfileName(), Name("MyProfile.crvn"));
  EXPECT_EQ(settings.NewProfileName(), Name("MyProfile2.crvn"));
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
  EXPECT_EQ(Settings().RecentFiles(), QStringList({"/c", "/d", "/b"}));
  EXPECT_FALSE(host::SettingsStore(Registry()).QueryValue(kRecentFileListKey, "File4").ok());
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
