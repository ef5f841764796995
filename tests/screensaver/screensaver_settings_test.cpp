// The screen saver's settings in real store files: fallbacks, defaults and what is written.
#include "screensaver/screensaver_settings.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/temp_folder.h"

namespace corvane::screensaver {
namespace {

using host::SettingsStore;

class ScreensaverSettingsTest : public testing::Test {
 protected:
  void Write(const std::string& text) { std::ofstream(folder_ / "user.ini") << text; }
  SettingsStore Store() { return SettingsStore((folder_ / "user.ini").string()); }
  test_support::TempFolder folder_;
};

TEST_F(ScreensaverSettingsTest, NothingStoredGivesDefaultsAndNoProfile) {
  bool read = true;
  const ScreensaverSettings s = ReadScreensaverSettings(Store(), &read);
  EXPECT_FALSE(read);
  EXPECT_EQ(s.profile_path, "");
  EXPECT_EQ(s.area_size, 50);
  EXPECT_EQ(s.timeout, 20);
  EXPECT_EQ(s.area_size_text, "50");
  EXPECT_EQ(s.timeout_text, "20");
}

TEST_F(ScreensaverSettingsTest, RecentFileIsTheFallbackProfile) {
  Write(
      "[Software\\Quillfen\\Corvane\\Recent File List]\nFile1=/home/ann/Recent.crvn\n"
      "[Software\\Quillfen\\Corvane\\Screen Saver]\nAreaSize=70\n");
  bool read = false;
  const ScreensaverSettings s = ReadScreensaverSettings(Store(), &read);
  EXPECT_TRUE(read);
  EXPECT_EQ(s.profile_path, "/home/ann/Recent.crvn");
  EXPECT_EQ(s.area_size, 70);
  EXPECT_EQ(s.timeout, 20);
}

TEST_F(ScreensaverSettingsTest, StoredValuesWinAndKeepTheirText) {
  Write(
      "[Software\\Quillfen\\Corvane\\Recent File List]\nFile1=/home/ann/Recent.crvn\n"
      "[Software\\Quillfen\\Corvane\\Screen Saver]\nProfile=/srv/Big.crvn\nAreaSize=050\n"
      "Timeout=7s\n");
  const ScreensaverSettings s = ReadScreensaverSettings(Store());
  EXPECT_EQ(s.profile_path, "/srv/Big.crvn");
  EXPECT_EQ(s.area_size, 50);
  EXPECT_EQ(s.area_size_text, "050");
  EXPECT_EQ(s.timeout, 7);
  EXPECT_EQ(s.timeout_text, "7s");
}

TEST_F(ScreensaverSettingsTest, ZeroAndWordsBecomeDefaultsLongTextsAreCut) {
  Write("[Software\\Quillfen\\Corvane\\Screen Saver]\nProfile=" + std::string(300, 'p') +
        "\nAreaSize=0\nTimeout=soon\n");
  const ScreensaverSettings s = ReadScreensaverSettings(Store());
  EXPECT_EQ(s.profile_path.size(), kMaxProfilePath);
  EXPECT_EQ(s.area_size_text, "50");
  EXPECT_EQ(s.timeout_text, "20");
}

TEST(TextToIntTest, ReadsLeadingNumber) {
  const std::pair<const char*, int> cases[] = {{"050", 50},
                                               {"  12ab", 12},
                                               {"-3", -3},
                                               {"+4", 4},
                                               {"", 0},
                                               {"x1", 0},
                                               {"99999999999", 2147483647}};
  for (const auto& [text, value] : cases) EXPECT_EQ(TextToInt(text), value) << text;
}

TEST_F(ScreensaverSettingsTest, WritingCreatesTheKeyAndReadsBack) {
  SettingsStore store = Store();
  ScreensaverSettings s;
  s.profile_path = "/p/A.crvn";
  s.area_size_text = "050";
  s.timeout_text = "5";
  ASSERT_TRUE(WriteScreensaverValues(store, s).ok());
  const ScreensaverSettings back = ReadScreensaverSettings(store);
  EXPECT_EQ(back.profile_path, "/p/A.crvn");
  EXPECT_EQ(back.area_size_text, "050");
  EXPECT_EQ(back.area_size, 50);
  EXPECT_EQ(back.timeout, 5);
}

TEST_F(ScreensaverSettingsTest, LogonScreensaverWritesDesktopKeyAndValues) {
  SettingsStore store((folder_ / "default.ini").string());
  ScreensaverSettings s{"/p/A.crvn", 60, 9, "60", "9"};
  ASSERT_TRUE(WriteLogonScreensaver(store, s).ok());
  EXPECT_EQ(store.QueryValue(kDesktopKey, "SCRNSAVE.EXE").value, "corvscreen.scr");
  EXPECT_EQ(store.QueryValue(kDesktopKey, "ScreenSaveActive").value, "1");
  EXPECT_EQ(store.QueryValue(kScreenSaverKey, "Timeout").value, "9");
}

TEST_F(ScreensaverSettingsTest, UnwritableStoreReportsTheFile) {
  std::ofstream(folder_ / "file") << "x";
  SettingsStore store((folder_ / "file" / "registry.ini").string());
  const host::HostStatus status = WriteLogonScreensaver(store, ScreensaverSettings{});
  ASSERT_FALSE(status.ok());
  EXPECT_NE(status.Message().find((folder_ / "file").string()), std::string::npos)
      << status.Message();
}

}  // namespace
}  // namespace corvane::screensaver
