// The main frame as a user meets it: caption, check marks in both menus, status prompts and the
// tray rules.
#include <QAccessible>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>

#include "desktop/frame/command_ids.h"
#include "desktop/frame/corvane_view.h"
#include "desktop/frame/tray_controller.h"
#include "tests/desktop/desktop_test_support.h"

namespace corvane::desktop::testing {
namespace {

using FrameTest = DesktopFixture;

QPoint ViewCentre(CMainFrame& frame) { return frame.view()->geometry().center(); }

TEST_F(FrameTest, CaptionOffLeavesAFramelessWindowWithoutMenuAndADoubleClickBringsItBack) {
  ASSERT_TRUE(StartProgram());
  const QRect before = frame().geometry();
  frame().action(cmd::kCaption)->trigger();
  EXPECT_TRUE(frame().windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_FALSE(frame().menuBar()->isVisible());
  EXPECT_TRUE(frame().isVisible());
  EXPECT_EQ(engine().GetSettings().Caption, 0);

  QTest::mouseDClick(&frame(), Qt::LeftButton, Qt::NoModifier, ViewCentre(frame()));
  EXPECT_FALSE(frame().windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_TRUE(frame().menuBar()->isVisible());
  EXPECT_EQ(engine().GetSettings().Caption, 1);
  EXPECT_EQ(frame().geometry().topLeft(), before.topLeft());
}

TEST_F(FrameTest, AlwaysOnTopSetsTheFlagWithoutMovingOrHidingTheWindow) {
  ASSERT_TRUE(StartProgram());
  const QRect before = frame().geometry();
  frame().action(cmd::kAlwaysOnTop)->trigger();
  EXPECT_TRUE(frame().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(frame().isVisible());
  EXPECT_EQ(frame().geometry(), before);
  frame().action(cmd::kAlwaysOnTop)->trigger();
  EXPECT_FALSE(frame().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(FrameTest, ContextMenuCheckMarksFollowTheSettingsEvenWithoutCaption) {
  ASSERT_TRUE(StartProgram());
  frame().action(cmd::kCaption)->trigger();
  CorvaneSettings settings = engine().GetSettings();
  settings.BoldCrit = 1;
  settings.ShowCurrent = 0;
  engine().SetSettings(settings);
  engine().SetShowNumbers(1);

  bool checked_bold = false, checked_current = true, checked_numbers = false,
       checked_caption = true;
  QTimer::singleShot(50, [&] {
    checked_bold = frame().action(cmd::kBoldCritical)->isChecked();
    checked_current = frame().action(cmd::kShowCurrent)->isChecked();
    checked_numbers = frame().action(cmd::kShowNumbers)->isChecked();
    checked_caption = frame().action(cmd::kCaption)->isChecked();
    frame().context_menu()->close();
  });
  // A real right-click on the diagram opens the menu on the press; letting go after it closed
  // opens nothing more (and leaves no button held for the tests after this one).
  QTest::mousePress(&frame(), Qt::RightButton, Qt::NoModifier, ViewCentre(frame()));
  QTest::mouseRelease(&frame(), Qt::RightButton, Qt::NoModifier, ViewCentre(frame()));
  EXPECT_FALSE(frame().context_menu()->isVisible());
  EXPECT_FALSE(QGuiApplication::mouseButtons() & Qt::RightButton);
  EXPECT_TRUE(checked_bold);
  EXPECT_FALSE(checked_current);
  EXPECT_TRUE(checked_numbers);
  EXPECT_FALSE(checked_caption);
}

TEST_F(FrameTest, MenuBarCheckMarksMatchAfterToggles) {
  ASSERT_TRUE(StartProgram());
  struct Case {
    int id;
    std::function<bool()> setting;
  };
  const Case cases[] = {
      {cmd::kShowNames, [&] { return engine().GetShowNames() != 0; }},
      {cmd::kShowValues, [&] { return engine().GetShowValues() != 0; }},
      {cmd::kShowNumbers, [&] { return engine().GetShowNumbers() != 0; }},
      {cmd::kShowCurrent, [&] { return engine().GetSettings().ShowCurrent != 0; }},
      {cmd::kBoldCurrent, [&] { return engine().GetSettings().BoldCur != 0; }},
      {cmd::kShowAverage, [&] { return engine().GetSettings().ShowAverage != 0; }},
      {cmd::kBoldAverage, [&] { return engine().GetSettings().BoldAvg != 0; }},
      {cmd::kShowMax, [&] { return engine().GetSettings().ShowMax != 0; }},
      {cmd::kBoldMax, [&] { return engine().GetSettings().BoldMax != 0; }},
      {cmd::kBoldCritical, [&] { return engine().GetSettings().BoldCrit != 0; }},
      {cmd::kEnableTray, [&] { return engine().GetSettings().EnableTray != 0; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    const bool before = c.setting();
    EXPECT_EQ(frame().action(c.id)->isChecked(), before);
    frame().action(c.id)->trigger();
    EXPECT_NE(c.setting(), before);
    EXPECT_EQ(frame().action(c.id)->isChecked(), !before);
  }
  // None of them is a change the save question asks about.
  ASSERT_TRUE(Saved(doc().SaveDocument(doc().PathName())));
  frame().action(cmd::kShowNames)->trigger();
  EXPECT_FALSE(doc().IsModified());
}

TEST_F(FrameTest, NotifyOnCriticalIsAnOptionsItemOffForANewProfileAndSavedSilently) {
  ASSERT_TRUE(StartProgram());
  QAction* item = frame().action(cmd::kNotifyCritical);
  ASSERT_NE(item, nullptr);
  EXPECT_TRUE(frame().menuBar()->actions().at(1)->menu()->actions().contains(item))
      << "in the Options menu";
  EXPECT_TRUE(item->isCheckable());
  EXPECT_FALSE(item->isChecked()) << "off for a new profile";
  EXPECT_FALSE(doc().alert_notifier().enabled());
  ASSERT_TRUE(Saved(doc().SaveDocument(doc().PathName())));

  item->trigger();
  EXPECT_TRUE(item->isChecked());
  EXPECT_TRUE(doc().alert_notifier().enabled());
  EXPECT_FALSE(doc().IsModified()) << "a display flag: no save question";
  ASSERT_TRUE(ui().SaveModified());
  // The save check wrote it into the profile all the same.
  EXPECT_EQ(SettingsInFile(doc().PathName()).NotifyCritical, 1);

  item->trigger();
  EXPECT_FALSE(doc().alert_notifier().enabled());
}

// Every item of a menu and of its submenus, as a screen reader is told them.
void CollectItemNames(QMenu* menu, QStringList* names) {
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(menu);
  for (int i = 0; accessible != nullptr && i < accessible->childCount(); ++i)
    names->append(accessible->child(i)->text(QAccessible::Name));
  for (QAction* action : menu->actions())
    if (action->menu() != nullptr) CollectItemNames(action->menu(), names);
}

TEST_F(FrameTest, ScreenReadersReadTheWindowTitleAndMenuItemsWithoutShortcutText) {
  ASSERT_TRUE(StartProgram());
  QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&frame());
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->text(QAccessible::Name).toStdString(), frame().windowTitle().toStdString());
  EXPECT_TRUE(frame().windowTitle().endsWith(QStringLiteral(" - Corvane")))
      << frame().windowTitle().toStdString();

  QStringList names;
  for (QAction* top : frame().menuBar()->actions())
    if (top->menu() != nullptr) CollectItemNames(top->menu(), &names);
  CollectItemNames(frame().context_menu(), &names);
  EXPECT_TRUE(names.contains(QStringLiteral("New...")));
  EXPECT_TRUE(names.contains(QStringLiteral("Save")));
  for (const QString& name : names) {
    EXPECT_FALSE(name.contains(QLatin1Char('\t')) || name.contains(QStringLiteral("Ctrl+")))
        << name.toStdString();
  }
  // The shortcuts themselves stay, shown beside the items by the menu.
  EXPECT_EQ(frame().action(cmd::kFileNew)->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
  EXPECT_EQ(frame().action(cmd::kFileOpen)->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
  EXPECT_EQ(frame().action(cmd::kFileSave)->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
}

TEST_F(FrameTest, StatusBarIsHiddenAtStartAndShowsReadyOrTheHighlightedPrompt) {
  ASSERT_TRUE(StartProgram());
  EXPECT_FALSE(frame().statusBar()->isVisible());
  frame().action(cmd::kStatusBar)->trigger();
  EXPECT_TRUE(frame().statusBar()->isVisible());
  EXPECT_TRUE(frame().action(cmd::kStatusBar)->isChecked());
  frame().action(cmd::kResetMax)->showStatusText(&frame());
  EXPECT_EQ(frame().statusBar()->currentMessage(), QStringLiteral("Set to zero all max values"));
  frame().statusBar()->clearMessage();
  const auto labels = frame().statusBar()->findChildren<QLabel*>();
  ASSERT_FALSE(labels.isEmpty());
  EXPECT_EQ(labels[0]->text(), QStringLiteral("Ready"));
}

struct TrayCase {
  const char* name;
  std::vector<std::pair<qint64, QSystemTrayIcon::ActivationReason>> clicks;
  bool visible_after;
};

class TrayTest : public DesktopFixture, public ::testing::WithParamInterface<TrayCase> {};

TEST_P(TrayTest, ClicksOnTheIconToggleTheWindow) {
  ASSERT_TRUE(StartProgram());
  qint64 now = 0;
  frame().SetTrayClock([&] { return now; });
  for (const auto& [at, reason] : GetParam().clicks) {
    now = at;
    Q_EMIT frame().tray_icon()->activated(reason);
  }
  EXPECT_EQ(frame().isVisible(), GetParam().visible_after);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, TrayTest,
    ::testing::Values(TrayCase{"TwoClicks400msApartHide",
                               {{1000, QSystemTrayIcon::Trigger}, {1400, QSystemTrayIcon::Trigger}},
                               false},
                      TrayCase{"TwoClicks600msApartDoNothing",
                               {{1000, QSystemTrayIcon::Trigger}, {1600, QSystemTrayIcon::Trigger}},
                               true},
                      TrayCase{"ADoubleClickTogglesOnce",
                               {{1000, QSystemTrayIcon::Trigger},
                                {1100, QSystemTrayIcon::DoubleClick},
                                {1200, QSystemTrayIcon::Trigger}},
                               false},
                      TrayCase{"FourQuickClicksToggleTwice",
                               {{0, QSystemTrayIcon::Trigger},
                                {100, QSystemTrayIcon::Trigger},
                                {200, QSystemTrayIcon::Trigger},
                                {300, QSystemTrayIcon::Trigger}},
                               true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FrameTest, TrayMenuOffersRestoreOnlyWhileHiddenAndMinimizeOnlyWhileShown) {
  ASSERT_TRUE(StartProgram());
  EXPECT_TRUE(frame().tray_icon_added());
  Q_EMIT frame().tray_menu()->aboutToShow();
  EXPECT_FALSE(frame().action(cmd::kTrayRestore)->isEnabled());
  EXPECT_TRUE(frame().action(cmd::kTrayMinimize)->isEnabled());
  EXPECT_EQ(frame().tray_menu()->defaultAction(), frame().action(cmd::kTrayMinimize));

  frame().action(cmd::kTrayMinimize)->trigger();
  EXPECT_FALSE(frame().isVisible());
  Q_EMIT frame().tray_menu()->aboutToShow();
  EXPECT_TRUE(frame().action(cmd::kTrayRestore)->isEnabled());
  EXPECT_FALSE(frame().action(cmd::kTrayMinimize)->isEnabled());
  EXPECT_EQ(frame().tray_menu()->defaultAction(), frame().action(cmd::kTrayRestore));

  frame().action(cmd::kTrayRestore)->trigger();
  EXPECT_TRUE(frame().isVisible());
}

TEST_F(FrameTest, MinimisingHidesToTheTrayOnlyWhileEnableInTrayIsOn) {
  ASSERT_TRUE(StartProgram());
  frame().SetTrayAvailable(true);
  frame().action(cmd::kContextMinimize)->trigger();
  QTRY_VERIFY(!frame().isVisible());
  frame().RestoreFromTray();
  ASSERT_TRUE(frame().isVisible());

  frame().action(cmd::kEnableTray)->trigger();
  EXPECT_FALSE(frame().tray_icon_added());
  frame().action(cmd::kContextMinimize)->trigger();
  QTest::qWait(50);
  EXPECT_TRUE(frame().isVisible());
}

TEST_F(FrameTest, WithoutATrayMinimisingMinimises) {
  ASSERT_TRUE(StartProgram());
  frame().SetTrayAvailable(false);
  frame().action(cmd::kContextMinimize)->trigger();
  QTest::qWait(50);
  EXPECT_TRUE(frame().isVisible());
}

// The tray can go at any time (the panel restarts, its extension is turned off): a window hidden
// to a tray that is no more could never be brought back.
TEST_F(FrameTest, ATrayGoneBeforeTheWindowIsHiddenLeavesItShown) {
  ASSERT_TRUE(StartProgram());
  frame().SetTrayAvailable(true);
  frame().action(cmd::kContextMinimize)->trigger();
  // Gone between the minimise and the hiding that follows it.
  frame().SetTrayAvailable(false);
  QTest::qWait(50);
  EXPECT_TRUE(frame().isVisible());
}

TEST_F(FrameTest, ATrayGoneWhileTheWindowIsHiddenBringsTheWindowBack) {
  ASSERT_TRUE(StartProgram());
  frame().SetTrayAvailable(true);
  frame().action(cmd::kContextMinimize)->trigger();
  QTRY_VERIFY(!frame().isVisible());
  // Still there: the window stays in the tray.
  QTest::qWait(TrayController::kTrayCheckMs + 200);
  EXPECT_FALSE(frame().isVisible());

  frame().SetTrayAvailable(false);
  QTRY_VERIFY_WITH_TIMEOUT(frame().isVisible(), 20 * TrayController::kTrayCheckMs);
  EXPECT_FALSE(frame().isMinimized());

  // Hidden from the tray's own menu, the window comes back as well.
  frame().SetTrayAvailable(true);
  frame().action(cmd::kTrayMinimize)->trigger();
  ASSERT_FALSE(frame().isVisible());
  frame().SetTrayAvailable(false);
  QTRY_VERIFY_WITH_TIMEOUT(frame().isVisible(), 20 * TrayController::kTrayCheckMs);
}

TEST_F(FrameTest, RecentFilesAppearInTheFileMenuAndOpenTheirProfile) {
  ASSERT_TRUE(StartProgram());
  const QString first = QString::fromStdString((temp_ / "a.crvn").string());
  const QString second = QString::fromStdString((temp_ / "b.crvn").string());
  ASSERT_TRUE(ui().OnFileSave());
  dialogs_.save_path = first;
  ASSERT_TRUE(ui().OnFileSaveAs());
  dialogs_.save_path = second;
  ASSERT_TRUE(ui().OnFileSaveAs());
  EXPECT_TRUE(frame().action(cmd::kFileMru1)->text().endsWith(QStringLiteral("b.crvn")));
  EXPECT_TRUE(frame().action(cmd::kFileMru1 + 1)->text().endsWith(QStringLiteral("a.crvn")));
  EXPECT_TRUE(frame().action(cmd::kFileMru1 + 2)->isVisible());
  EXPECT_FALSE(frame().action(cmd::kFileMru1 + 3)->isVisible());
  frame().action(cmd::kFileMru1 + 1)->trigger();
  WaitForStops();
  EXPECT_EQ(doc().PathName(), first);
  EXPECT_EQ(frame().windowTitle(), QStringLiteral("a.crvn - Corvane"));
}

}  // namespace
}  // namespace corvane::desktop::testing
