// The screen saver's picture in a real X window (the X server of $DISPLAY; the test is run
// under Xvfb, and skipped without a display): while the window is unmapped or wholly covered by
// another, samples neither record nor draw the chart; once it can be seen again the window
// shows the current picture, pixel for pixel that of a window beside it that stayed shown. Samples
// are stored into the engine by hand and handed over through the view's Invalidate, as the
// collector does.
#include "screensaver/saver_view.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QTest>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/counter_item.h"
#include "core/engine.h"
#include "platform/fake/fake_provider.h"
#include "platform/linux/x11/xcb_window.h"

namespace corvane::screensaver {
namespace {

constexpr int kSide = 500;  // the window: wide enough for the chart's texts

// The test's own connection: two windows side by side that savers draw into, the second of
// which is hidden or covered by a third.
class XServer {
 public:
  XServer() : connection_(xcb_connect(nullptr, nullptr)) {
    if (xcb_connection_has_error(connection_) != 0) return;
    screen_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    shown_ = MakeWindow(0);
    target_ = MakeWindow(kSide + 20);
    cover_ = MakeWindow(kSide + 20);
  }
  ~XServer() { xcb_disconnect(connection_); }
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  bool ok() const { return screen_ != nullptr; }
  std::uint32_t shown() const { return shown_; }
  std::uint32_t target() const { return target_; }
  void Map(std::uint32_t window) {
    xcb_map_window(connection_, window);
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(connection_, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    Sync();
  }
  void Unmap(std::uint32_t window) {
    xcb_unmap_window(connection_, window);
    Sync();
  }
  void Cover() { Map(cover_); }
  void Uncover() { Unmap(cover_); }
  // A window's pixels, as 0x00RRGGBB (a 24-bit TrueColor screen, as Xvfb's).
  std::vector<std::uint32_t> Pixels(std::uint32_t window) {
    xcb_get_image_reply_t* image = xcb_get_image_reply(
        connection_,
        xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, kSide, kSide, ~0U),
        nullptr);
    std::vector<std::uint32_t> pixels;
    if (image == nullptr) return pixels;
    const auto* data = reinterpret_cast<const std::uint32_t*>(xcb_get_image_data(image));
    const int count = xcb_get_image_data_length(image) / 4;
    for (int i = 0; i < count; ++i) pixels.push_back(data[i] & 0xFFFFFF);
    std::free(image);
    return pixels;
  }

 private:
  std::uint32_t MakeWindow(int x) {
    const std::uint32_t window = xcb_generate_id(connection_);
    // Override-redirect: no window manager places or decorates them.
    const std::uint32_t values[] = {screen_->white_pixel, 1};
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, screen_->root,
                      static_cast<std::int16_t>(x), 0, kSide, kSide, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    return window;
  }
  void Sync() {
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
  }

  xcb_connection_t* connection_;
  xcb_screen_t* screen_ = nullptr;
  std::uint32_t shown_ = 0;
  std::uint32_t target_ = 0;
  std::uint32_t cover_ = 0;
};

class SaverViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
    server_ = std::make_unique<XServer>();
    ASSERT_TRUE(server_->ok());
    server_->Map(server_->shown());
    server_->Map(server_->target());
    engine_.SetUpNewProfile();
    engine_.RemoveAllAxes();
    for (int i = 0; i < 6; ++i) {
      ASSERT_TRUE(engine_.AddAxis("Axis " + std::to_string(i), "", false, 0, 100, 80, 1,
                                  new CounterItem("\\A\\c" + std::to_string(i))));
    }
    engine_.PrepareStatistics();
    for (std::uint32_t id : {server_->shown(), server_->target()}) {
      x11::XcbWindow::Opened opened = x11::XcbWindow::Attach(id);
      ASSERT_TRUE(opened.window) << opened.error;
      windows_.push_back(std::move(opened.window));
      views_.push_back(std::make_unique<SaverView>(
          engine_, *windows_.back(), ChartPlacement(90, 3600, [] { return 0U; }), false));
      views_.back()->Start();
    }
    Settle();
  }

  // Lets the view read its window's events and carry out what was posted to it.
  static void Settle() {
    for (int i = 0; i < 6; ++i) {
      QCoreApplication::processEvents();
      QTest::qWait(10);
    }
  }

  void Sample(double base) {
    for (int i = 0; i < 6; ++i) engine_.SetValue(i, base + 11 * i);
    engine_.EndSample();
    for (auto& view : views_) view->Invalidate(true);
    Settle();
  }

  fake::FakeProvider fake_;
  Corvane engine_{fake_, false};
  std::unique_ptr<XServer> server_;
  std::vector<std::unique_ptr<x11::XcbWindow>> windows_;
  std::vector<std::unique_ptr<SaverView>> views_;  // the first stays shown
};

TEST_F(SaverViewTest, AWindowNobodyCanSeeIsNotDrawnAndComesBackCurrent) {
  XServer& x = *server_;
  x11::XcbWindow& window = *windows_[1];
  SaverView& view = *views_[1];
  const auto viewable = [&window](bool wanted) {
    return QTest::qWaitFor(
        [&] {
          QCoreApplication::processEvents();
          return window.viewable() == wanted;
        },
        5000);
  };
  double base = 5;
  for (const bool covering : {true, false}) {
    SCOPED_TRACE(covering ? "covered" : "unmapped");
    Sample(base);
    ASSERT_TRUE(viewable(true));
    const std::vector<std::uint32_t> before = x.Pixels(x.target());
    ASSERT_EQ(before, x.Pixels(x.shown()));

    if (covering) {
      x.Cover();
    } else {
      x.Unmap(x.target());
    }
    ASSERT_TRUE(viewable(false));
    const int recordings = view.recordings();
    const int redraws = view.redraws();
    const int shown_redraws = views_[0]->redraws();
    for (int i = 1; i <= 3; ++i) Sample(base + 9 * i);
    EXPECT_EQ(view.recordings(), recordings);
    EXPECT_EQ(view.redraws(), redraws);
    EXPECT_EQ(views_[0]->redraws(), shown_redraws + 3) << "the window beside it drew them";

    if (covering) {
      x.Uncover();
    } else {
      x.Map(x.target());
    }
    ASSERT_TRUE(viewable(true));
    Settle();
    EXPECT_EQ(view.redraws(), redraws + 1) << "one redraw of what was passed over";
    const std::vector<std::uint32_t> after = x.Pixels(x.target());
    EXPECT_NE(after, before) << "the samples meanwhile are shown";
    EXPECT_TRUE(after == x.Pixels(x.shown())) << "the same picture as the window that stayed";
    base += 40;
  }
}

}  // namespace
}  // namespace corvane::screensaver
