// The main frame from the keyboard: without a caption, Shift+F10 and the Menu key open the
// diagram's menu at the window's centre, and a click gives the frameless window the keyboard.
#include <QMenu>
#include <QTest>

#include "desktop/frame/command_ids.h"
#include "desktop/frame/corvane_view.h"
#include "tests/desktop/desktop_test_support.h"

namespace corvane::desktop::testing {
namespace {

using FrameKeyboardTest = DesktopFixture;

struct MenuKey {
  const char* name;
  Qt::Key key;
  Qt::KeyboardModifiers modifiers;
};

class ContextMenuKeyTest : public DesktopFixture, public ::testing::WithParamInterface<MenuKey> {};

TEST_P(ContextMenuKeyTest, OpensTheContextMenuAtTheWindowsCentreWithoutCaption) {
  ASSERT_TRUE(StartProgram());
  frame().action(cmd::kCaption)->trigger();
  ASSERT_TRUE(frame().windowFlags().testFlag(Qt::FramelessWindowHint));
  frame().view()->setFocus();
  const QPoint centre = frame().mapToGlobal(frame().rect().center());

  bool shown = false;
  QRect menu_geometry;
  QTimer::singleShot(50, [&] {
    shown = frame().context_menu()->isVisible();
    menu_geometry = frame().context_menu()->geometry();
    frame().context_menu()->close();
  });
  QTest::keyClick(frame().view(), GetParam().key, GetParam().modifiers);
  EXPECT_TRUE(shown);
  // The menu starts at the centre; a screen too small for it below moves it up, never sideways.
  EXPECT_EQ(menu_geometry.left(), centre.x());
  EXPECT_LE(menu_geometry.top(), centre.y());
  EXPECT_GE(menu_geometry.bottom(), centre.y());
}

INSTANTIATE_TEST_SUITE_P(Keys, ContextMenuKeyTest,
                         ::testing::Values(MenuKey{"ShiftF10", Qt::Key_F10, Qt::ShiftModifier},
                                           MenuKey{"MenuKey", Qt::Key_Menu, Qt::NoModifier}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FrameKeyboardTest, F10AloneAndShiftOtherKeysDoNotOpenTheMenu) {
  ASSERT_TRUE(StartProgram());
  frame().action(cmd::kCaption)->trigger();
  frame().view()->setFocus();
  bool shown = false;
  QTimer probe;
  QObject::connect(&probe, &QTimer::timeout, [&] {
    if (frame().context_menu()->isVisible()) {
      shown = true;
      frame().context_menu()->close();
    }
  });
  probe.start(5);
  QTest::keyClick(frame().view(), Qt::Key_F10, Qt::NoModifier);
  QTest::keyClick(frame().view(), Qt::Key_F9, Qt::ShiftModifier);
  QTest::qWait(50);
  EXPECT_FALSE(shown);
}

TEST_F(FrameKeyboardTest, AKeyboardContextMenuRequestOpensTheMenuOnce) {
  ASSERT_TRUE(StartProgram());
  int shows = 0;
  QObject::connect(frame().context_menu(), &QMenu::aboutToShow, [&] { ++shows; });
  QTimer::singleShot(50, [&] { frame().context_menu()->close(); });
  QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(0, 0), QPoint(0, 0));
  QCoreApplication::sendEvent(&frame(), &event);
  EXPECT_EQ(shows, 1);
}

TEST_F(FrameKeyboardTest, AClickOnTheFramelessWindowGivesItTheKeyboard) {
  ASSERT_TRUE(StartProgram());
  frame().action(cmd::kCaption)->trigger();
  frame().view()->clearFocus();
  ASSERT_NE(frame().focusWidget(), frame().view());
  QTest::mouseClick(&frame(), Qt::LeftButton, Qt::NoModifier, frame().view()->geometry().center());
  // The window's focus is on the chart (the window manager activates the window itself; the
  // end-to-end test sees that under openbox).
  EXPECT_EQ(frame().focusWidget(), frame().view());
  EXPECT_EQ(frame().view()->focusPolicy(), Qt::StrongFocus);
}

}  // namespace
}  // namespace corvane::desktop::testing
