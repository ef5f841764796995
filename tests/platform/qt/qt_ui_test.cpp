// The Qt pieces the desktop program and the screen saver share: the number texts, centring on
// the screen, the coalesced call across threads, window flags changed in place and the
// profile browser, on Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <atomic>
#include <thread>
#include <vector>

#include "platform/qt/coalesced_call.h"
#include "platform/qt/number_text.h"
#include "platform/qt/object_name.h"
#include "platform/qt/profile_file_dialog.h"
#include "platform/qt/screen_centre.h"
#include "platform/qt/window_flags.h"
#include "tests/support/qt/widget_driver.h"

namespace corvane::qt {
namespace {

TEST(NumberTextTest, ReadingsAndFieldTexts) {
  struct Case {
    double value;
    const char* reading;
    const char* field;
  };
  for (const Case& c :
       {Case{42, "42", "42"}, Case{-3, "-3", "-3"}, Case{12.345, "12.35", "12.345"},
        Case{0.1 + 0.2, "0.30", "0.3"}, Case{5e12, "5000000000000.00", "5000000000000"},
        Case{2147483647, "2147483647", "2147483647"},
        Case{-2147483648.0, "-2147483648", "-2147483648"},
        Case{2147483648.0, "2147483648.00", "2147483648"}, Case{1e-7, "0.00", "1e-07"}}) {
    EXPECT_EQ(ValueText(c.value).toStdString(), c.reading) << c.value;
    EXPECT_EQ(FieldNumberText(c.value).toStdString(), c.field) << c.value;
  }
}

TEST(ObjectNameTest, RoleThenResourceIdOrNameAndTheSchemeRefusesTheRest) {
  using qt::WidgetRole;
  EXPECT_EQ(qt::ObjectName(WidgetRole::kEdit, 1005), "edit_1005");
  EXPECT_EQ(qt::ObjectName(WidgetRole::kDialog, 130), "dialog_130");
  EXPECT_EQ(qt::ObjectName(WidgetRole::kButton, "connect"), "button_connect");
  EXPECT_EQ(qt::ObjectName(WidgetRole::kSlider, "time"), "slider_time");
  EXPECT_EQ(qt::ObjectName(WidgetRole::kRadio, "all_instances"), "radio_all_instances");
  for (const char* good : {"edit_1005", "combo_1016", "bar_playback", "label_wayland_note"})
    EXPECT_TRUE(qt::FollowsNameScheme(good)) << good;
  for (const char* bad : {"edit1013", "list1016", "counterBrowser", "browseConnect", "edit_",
                          "_1005", "edit_Computer", "widget_1", "edit_a__b", "edit_1a"})
    EXPECT_FALSE(qt::FollowsNameScheme(bad)) << bad;
  QLineEdit edit;
  EXPECT_EQ(qt::Named(&edit, WidgetRole::kEdit, 1026), &edit);
  EXPECT_EQ(edit.objectName(), "edit_1026");
}

TEST(ScreenCentreTest, ThePartlyOffScreenWindowEndsInTheMiddle) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  QWidget window;
  window.setGeometry(-500, -400, 320, 200);
  CentreOnScreen(&window);
  EXPECT_EQ(window.frameGeometry().center(), screen->availableGeometry().center());
  QWidget owner;
  owner.setGeometry(10, 10, 100, 100);
  QWidget child_window(&owner, Qt::Dialog);
  child_window.resize(90, 60);
  CentreOnScreen(&child_window, screen);
  EXPECT_EQ(child_window.frameGeometry().center(), screen->availableGeometry().center());
}

TEST(CoalescedCallTest, ABurstFromAnotherThreadRunsOnceOnTheContextsThread) {
  QObject context;
  std::vector<std::thread::id> runs;
  CoalescedCall call(&context, [&] { runs.push_back(std::this_thread::get_id()); });
  std::thread burst([&] {
    for (int i = 0; i < 1000; ++i) call.Request();
  });
  burst.join();
  EXPECT_TRUE(runs.empty()) << "nothing runs before the context's thread takes its events";
  QCoreApplication::processEvents();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0], std::this_thread::get_id());
  // Asked again once it ran, it runs again.
  call.Request();
  QCoreApplication::processEvents();
  EXPECT_EQ(runs.size(), 2u);
}

TEST(CoalescedCallTest, ACallQueuedWhenItsContextGoesIsDropped) {
  int runs = 0;
  {
    QObject context;
    CoalescedCall call(&context, [&] { ++runs; });
    call.Request();
  }
  QCoreApplication::processEvents();
  EXPECT_EQ(runs, 0);
}

TEST(WindowFlagsTest, OnTopChangesOnTheLiveWindowWithoutHidingIt) {
  QWidget window;
  window.setGeometry(60, 50, 300, 200);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const QPointer<QWindow> native = window.windowHandle();
  int hides = 0;
  QObject::connect(native, &QWindow::visibleChanged, [&hides](bool shown) { hides += !shown; });
  for (const bool on_top : {true, false, true}) {
    SetStaysOnTop(&window, on_top);
    EXPECT_EQ(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint), on_top);
    ASSERT_FALSE(native.isNull());
    EXPECT_EQ(native->flags().testFlag(Qt::WindowStaysOnTopHint), on_top);
  }
  EXPECT_EQ(window.windowHandle(), native.data());
  EXPECT_EQ(hides, 0);
  EXPECT_EQ(window.geometry(), QRect(60, 50, 300, 200));
  // A window not created yet keeps the flags for later.
  QWidget later;
  SetStaysOnTop(&later, true);
  EXPECT_TRUE(later.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_FALSE(later.isVisible());
}

TEST(ProfileFileDialogTest, BrowseOffersProfilesThenEveryFileAndAnswersTheChoice) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString profile = folder.filePath(QStringLiteral("Mine.crvn"));
  QFile file(profile);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  QStringList filters;
  QString title;
  qt_test::OnNextModal<QFileDialog>([&](QFileDialog* files) {
    title = files->windowTitle();
    filters = files->nameFilters();
    // Typed, as a user does: a selection made through the dialog's model waits for its
    // folder to be read, which a loaded machine delays.
    auto* name = files->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    name->setText(profile);
    QMetaObject::invokeMethod(files, "accept");
    if (files->isVisible()) {
      ADD_FAILURE() << "the file dialog did not take " << profile.toStdString();
      files->reject();
    }
  });
  const std::optional<QString> chosen = BrowseForProfile(folder.path(), nullptr);
  EXPECT_EQ(title.toStdString(), "Browse Corvane Profiles");
  EXPECT_EQ(filters, (QStringList{QStringLiteral("Corvane Profiles (*.crvn)"),
                                  QStringLiteral("All Files (*)")}));
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, profile);

  qt_test::OnNextModal<QFileDialog>([](QFileDialog* files) { files->reject(); });
  EXPECT_FALSE(BrowseForProfile(profile, nullptr).has_value()) << "cancelled";
}

}  // namespace
}  // namespace corvane::qt
