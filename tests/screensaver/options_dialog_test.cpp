// The options dialog as a user meets it: typing into its boxes and pressing its buttons on
// Qt's offscreen platform, over real store files in a temporary folder.
#include "screensaver/options_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <fstream>

#include "platform/linux/privileged/privileged_store_write.h"
#include "tests/support/lock_holder.h"
#include "tests/support/qt/message_box_answerer.h"
#include "tests/support/qt/widget_driver.h"
#include "tests/support/temp_folder.h"

namespace corvane::screensaver {
namespace {

using host::SettingsStore;

using qt_test::MessageBoxAnswerer;

class OptionsDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    std::ofstream(folder_ / "Profile.crvn") << "profile\n";
    profile_ = (folder_ / "Profile.crvn").string();
  }

  void Open(ScreensaverOptionsDialog::ElevatedWrite elevated = {}) {
    dialog_ = std::make_unique<ScreensaverOptionsDialog>(user_, default_user_, std::move(elevated));
    dialog_->show();
    QApplication::setActiveWindow(dialog_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
  }
  QLineEdit* Box(const char* name) { return dialog_->findChild<QLineEdit*>(name); }
  void Type(const char* name, const std::string& text) {
    qt_test::TypeInto(Box(name), QString::fromStdString(text));
  }
  void Fill(const std::string& path, const std::string& area, const std::string& timeout) {
    Type("edit_profile_path", path);
    Type("edit_area_size", area);
    Type("edit_timeout", timeout);
  }
  void Press(QDialogButtonBox::StandardButton which) {
    QTest::mouseClick(dialog_->findChild<QDialogButtonBox*>()->button(which), Qt::LeftButton);
  }
  std::string UserValue(const char* name) { return user_.QueryValue(kScreenSaverKey, name).value; }

  test_support::TempFolder folder_;
  std::string profile_;
  SettingsStore user_{(folder_ / "user.ini").string()};
  SettingsStore default_user_{(folder_ / "default.ini").string()};
  std::unique_ptr<ScreensaverOptionsDialog> dialog_;
};

TEST_F(OptionsDialogTest, ShowsTitleAndStoredTexts) {
  ScreensaverSettings stored{"/somewhere/A.crvn", 0, 0, "050", "7"};
  ASSERT_TRUE(WriteScreensaverValues(user_, stored).ok());
  Open();
  EXPECT_EQ(dialog_->windowTitle().toStdString(), kOptionsTitle);
  EXPECT_EQ(Box("edit_profile_path")->text().toStdString(), "/somewhere/A.crvn");
  EXPECT_EQ(Box("edit_area_size")->text().toStdString(), "050");
  EXPECT_EQ(Box("edit_timeout")->text().toStdString(), "7");
  EXPECT_FALSE(dialog_->findChild<QCheckBox*>()->isChecked());
  // The release is the one the desktop program's about box and the packages name.
  EXPECT_EQ(dialog_->findChild<QLabel*>("label_about")->text().toStdString(),
            "Corvane 1.6.1 screen saver: the live wind rose of a monitoring profile\n"
            "Released December 2026");
}

TEST_F(OptionsDialogTest, DigitsOnlyInNumberBoxes) {
  Open();
  Type("edit_area_size", "4a-2");
  EXPECT_EQ(Box("edit_area_size")->text().toStdString(), "42");
}

struct RefusalCase {
  const char* name;
  bool valid_path;
  const char* area;
  const char* timeout;
  const char* message;  // empty: the path message
  const char* focus;
};

void PrintTo(const RefusalCase& c, std::ostream* out) { *out << c.name; }

class OptionsRefusalTest : public OptionsDialogTest,
                           public testing::WithParamInterface<RefusalCase> {};

TEST_P(OptionsRefusalTest, ShowsOneMessageFocusesTheBoxWritesNothing) {
  const RefusalCase& c = GetParam();
  Open();
  const std::string path = c.valid_path ? profile_ : (folder_ / "missing.crvn").string();
  Fill(path, c.area, c.timeout);
  MessageBoxAnswerer catcher;
  Press(QDialogButtonBox::Ok);
  const std::string expected =
      *c.message != '\0' ? std::string(c.message) : std::string(kInvalidPathText) + path;
  EXPECT_EQ(catcher.texts(), QStringList{QString::fromStdString(expected)});
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_EQ(dialog_->focusWidget(), Box(c.focus));
  EXPECT_FALSE(user_.OpenKey(kScreenSaverKey).ok());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionsRefusalTest,
    testing::Values(
        RefusalCase{"MissingPath", false, "50", "20", "", "edit_profile_path"},
        RefusalCase{"PathBeforeArea", false, "0", "0", "", "edit_profile_path"},
        RefusalCase{"AreaZero", true, "0", "20", kAreaRangeText, "edit_area_size"},
        RefusalCase{"AreaOverHundred", true, "101", "20", kAreaRangeText, "edit_area_size"},
        RefusalCase{"AreaBeforeTimeout", true, "101", "0", kAreaRangeText, "edit_area_size"},
        RefusalCase{"TimeoutZero", true, "50", "0", kTimeoutRangeText, "edit_timeout"},
        RefusalCase{"TimeoutEmpty", true, "50", "", kTimeoutRangeText, "edit_timeout"},
        RefusalCase{"TimeoutOverHundred", true, "50", "101", kTimeoutRangeText, "edit_timeout"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OptionsDialogTest, LimitsAndAFolderAreAcceptedTextsStoredAsTyped) {
  struct Accepted {
    std::string path, area, timeout;
  };
  for (const Accepted& a :
       {Accepted{profile_, "1", "100"}, Accepted{folder_.path().string(), "100", "1"},
        Accepted{profile_, "050", "20"}}) {
    Open();
    Fill(a.path, a.area, a.timeout);
    MessageBoxAnswerer catcher;
    Press(QDialogButtonBox::Ok);
    EXPECT_TRUE(catcher.texts().empty()) << catcher.texts().join(" | ").toStdString();
    EXPECT_EQ(dialog_->result(), QDialog::Accepted);
    EXPECT_EQ(UserValue("Profile"), a.path);
    EXPECT_EQ(UserValue("AreaSize"), a.area);
    EXPECT_EQ(UserValue("Timeout"), a.timeout);
  }
  EXPECT_EQ(ReadScreensaverSettings(user_).area_size, 50);
  EXPECT_FALSE(default_user_.OpenKey(kScreenSaverKey).ok());  // the check box was clear
}

TEST_F(OptionsDialogTest, CancelAfterChangesWritesNothing) {
  Open();
  Fill(profile_, "30", "10");
  dialog_->findChild<QCheckBox*>()->click();
  Press(QDialogButtonBox::Cancel);
  EXPECT_EQ(dialog_->result(), QDialog::Rejected);
  EXPECT_FALSE(std::filesystem::exists(folder_ / "user.ini"));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "default.ini"));
}

TEST_F(OptionsDialogTest, LogonCheckWritesTheDefaultUsersStore) {
  Open();
  Fill(profile_, "30", "10");
  QTest::mouseClick(dialog_->findChild<QCheckBox*>(), Qt::LeftButton);
  Press(QDialogButtonBox::Ok);
  EXPECT_EQ(dialog_->result(), QDialog::Accepted);
  EXPECT_EQ(default_user_.QueryValue(kDesktopKey, "SCRNSAVE.EXE").value, "corvscreen.scr");
  EXPECT_EQ(default_user_.QueryValue(kDesktopKey, "ScreenSaveActive").value, "1");
  const ScreensaverSettings logon = ReadScreensaverSettings(default_user_);
  EXPECT_EQ(logon.profile_path, profile_);
  EXPECT_EQ(logon.area_size_text, "30");
  EXPECT_EQ(logon.timeout_text, "10");
}

TEST_F(OptionsDialogTest, UnwritableLogonStoreIsToldNeverDropped) {
  std::ofstream(folder_ / "etc") << "not a folder";
  default_user_ = SettingsStore((folder_ / "etc" / "registry.ini").string());
  Open();
  Fill(profile_, "30", "10");
  dialog_->findChild<QCheckBox*>()->click();
  MessageBoxAnswerer catcher;
  Press(QDialogButtonBox::Ok);
  ASSERT_EQ(catcher.texts().size(), 1u);
  const std::string text = catcher.texts()[0].toStdString();
  EXPECT_NE(text.find((folder_ / "etc" / "registry.ini").string()), std::string::npos) << text;
  EXPECT_NE(text.find("Not a directory"), std::string::npos) << text;
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_EQ(UserValue("AreaSize"), "30");  // the user's own choice is kept
}

TEST_F(OptionsDialogTest, AStoreHeldByAnotherWriterIsToldAndTheDialogStays) {
  user_.set_lock_wait({3, std::chrono::milliseconds(1)});
  ASSERT_TRUE(user_.CreateKey(kScreenSaverKey).ok());
  test_support::LockHolder holder(host::LockFileOf(user_.file()));
  ASSERT_TRUE(holder.held());
  Open();
  Fill(profile_, "30", "10");
  MessageBoxAnswerer catcher;
  Press(QDialogButtonBox::Ok);
  ASSERT_EQ(catcher.texts().size(), 1u);
  const std::string text = catcher.texts()[0].toStdString();
  EXPECT_NE(text.find("Cannot save the screen saver's settings."), std::string::npos) << text;
  EXPECT_NE(text.find(host::LockFileOf(user_.file()) + ": another process held it for 3 ms"),
            std::string::npos)
      << text;
  EXPECT_TRUE(dialog_->isVisible());
  holder.Release();
  EXPECT_TRUE(UserValue("AreaSize").empty());
}

TEST_F(OptionsDialogTest, LogonGoesThroughTheElevatedWriterWhenGiven) {
  for (const bool written : {true, false}) {
    std::vector<ScreensaverSettings> asked;
    Open([&](QWidget*, const ScreensaverSettings& s) {
      asked.push_back(s);
      return written;
    });
    Fill(profile_, "30", "10");
    dialog_->findChild<QCheckBox*>()->click();
    Press(QDialogButtonBox::Ok);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].area_size_text, "30");
    EXPECT_EQ(asked[0].profile_path, profile_);
    // Not written: the dialog stays open with the choice still made.
    EXPECT_EQ(dialog_->isVisible(), !written);
  }
}

TEST(LogonWritesTest, EveryValueMayBeWrittenWithAdministratorRights) {
  const ScreensaverSettings settings{"/home/ann/A.crvn", 50, 20, "050", "20"};
  const std::vector<host::StoreWrite> writes = LogonWrites(settings);
  ASSERT_EQ(writes.size(), 5u);
  for (const host::StoreWrite& write : writes) {
    EXPECT_TRUE(host::MayWriteElevated(write)) << write.key << " " << write.name;
  }
  EXPECT_EQ(writes[3].value, "050");
}

TEST_F(OptionsDialogTest, BrowsePutsTheChosenFileIntoThePathBox) {
  Open();
  Type("edit_profile_path", folder_.path().string());
  qt_test::OnNextModal<QFileDialog>([&](QFileDialog* files) {
    EXPECT_EQ(files->windowTitle().toStdString(), "Browse Corvane Profiles");
    // As a user does: the path typed into the name box, then Open. (A selection made through
    // the dialog's model waits for its folder to be read, which a loaded machine delays.)
    auto* name = files->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    name->setText(QString::fromStdString(profile_));
    QMetaObject::invokeMethod(files, "accept");
    if (files->isVisible()) {
      ADD_FAILURE() << "the file dialog did not take " << profile_;
      files->reject();
    }
  });
  qt_test::PressButton(dialog_.get(), "Browse...");
  EXPECT_EQ(Box("edit_profile_path")->text().toStdString(), profile_);
}

TEST_F(OptionsDialogTest, WaylandSessionIsNamedInTheDialog) {
  setenv("XDG_SESSION_TYPE", "wayland", 1);
  Open();
  EXPECT_TRUE(dialog_->findChild<QLabel*>("label_wayland_note")->isVisible());
  setenv("XDG_SESSION_TYPE", "x11", 1);
  Open();
  EXPECT_FALSE(dialog_->findChild<QLabel*>("label_wayland_note")->isVisible());
  unsetenv("XDG_SESSION_TYPE");
}

// The logon writes go through the privileged writer when the default user's store is closed
// to the user: it must take every one of them (same keys, same value names).
TEST(LogonWritesTest, ThePrivilegedWriterTakesEveryLogonWrite) {
  ScreensaverSettings settings{"/srv/profiles/Hall.crvn", 30, 10, "30", "10"};
  const std::vector<host::StoreWrite> writes = LogonWrites(settings);
  ASSERT_EQ(writes.size(), 5u);
  for (const host::StoreWrite& write : writes)
    EXPECT_TRUE(host::MayWriteElevated(write)) << write.key << " " << write.name;
}

}  // namespace
}  // namespace corvane::screensaver
