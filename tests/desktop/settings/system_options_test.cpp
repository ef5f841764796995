#include "desktop/settings/system_options.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <functional>

#include "desktop/settings/service_config_dlg.h"
#include "platform/linux/host/settings_store.h"
#include "tests/platform/linux/privileged/privileged_test_support.h"
#include "tests/support/qt/widget_driver.h"

namespace corvane::desktop {
namespace {

using host::Hive;
using host::SettingsStore;

TEST(NamesCorvscreenTest, ComparesTheTailByteForByte) {
  struct Case {
    const char* value;
    bool on;
  };
  for (const Case& c : {Case{"corvscreen.scr", true}, Case{"/usr/lib/corvane/corvscreen.scr", true},
                        Case{"CORVSCREEN.SCR", false}, Case{"corvscreen.scr ", false},
                        Case{"vscreen.scr", false}, Case{"", false}, Case{"logon.scr", false}}) {
    EXPECT_EQ(NamesCorvscreen(c.value), c.on) << c.value;
  }
}

class SystemOptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::remove(hive_.blocker());  // the machine-wide store is writable here
    SettingsStore(Hive::kDefaultUser).CreateKey("Software\\Quillfen\\Corvane\\Service");
    SettingsStore(Hive::kDefaultUser)
        .SetValue("Software\\Quillfen\\Corvane\\Service", "Profile", "/srv/a.crvn");
    SettingsStore(Hive::kDefaultUser)
        .SetValue("Control Panel\\Desktop", "SCRNSAVE.EXE", "/opt/corvane/corvscreen.scr");
    SettingsStore(Hive::kCurrentUser)
        .SetValue("Control Panel\\Desktop", "SCRNSAVE.EXE", "corvscreen.scr");
  }
  // Runs the command; `act` works the dialog, then OK is pressed.
  void Run(const std::function<void(CServiceConfigDlg*)>& act) {
    qt_test::OnNextModal<CServiceConfigDlg>([&](CServiceConfigDlg* dialog) {
      seen_logon_ = dialog->LogonBox()->isChecked();
      seen_current_ = dialog->CurrentUserBox()->isChecked();
      seen_profile_ = dialog->ProfileEdit()->text();
      act(dialog);
      qt_test::PressButton(dialog, "OK");
    });
    RunSystemOptions(nullptr, {});
  }
  std::string Value(Hive hive, const char* key, const char* name) {
    return SettingsStore(hive).QueryValue(key, name).value;
  }

  test_support::BlockedDefaultHive hive_;
  bool seen_logon_ = false;
  bool seen_current_ = false;
  QString seen_profile_;
};

TEST_F(SystemOptionsTest, OkWithoutChangesWritesNothing) {
  const std::string machine = test_support::ReadText(hive_.hive());
  const std::string user = test_support::ReadText(hive_.user_hive());
  Run([](CServiceConfigDlg*) {});
  EXPECT_TRUE(seen_logon_);
  EXPECT_TRUE(seen_current_);
  EXPECT_EQ(seen_profile_, "/srv/a.crvn");
  EXPECT_EQ(test_support::ReadText(hive_.hive()), machine);
  EXPECT_EQ(test_support::ReadText(hive_.user_hive()), user);
}

TEST_F(SystemOptionsTest, UntickingWritesTheSystemsOwnSavers) {
  Run([](CServiceConfigDlg* dialog) {
    QTest::mouseClick(dialog->LogonBox(), Qt::LeftButton, {}, QPoint(6, 6));
    QTest::mouseClick(dialog->CurrentUserBox(), Qt::LeftButton, {}, QPoint(6, 6));
    dialog->ProfileEdit()->selectAll();
    QTest::keyClicks(dialog->ProfileEdit(), "/srv/b.crvn");
  });
  EXPECT_EQ(Value(Hive::kDefaultUser, "Control Panel\\Desktop", "SCRNSAVE.EXE"), "logon.scr");
  EXPECT_EQ(Value(Hive::kCurrentUser, "Control Panel\\Desktop", "SCRNSAVE.EXE"), "scrnsave.scr");
  EXPECT_EQ(Value(Hive::kDefaultUser, "Software\\Quillfen\\Corvane\\Service", "Profile"),
            "/srv/b.crvn");
}

}  // namespace
}  // namespace corvane::desktop
