// XcbWindow: one X window that the screen saver paints whole frames of pixels into through
// its own XCB connection, in the window's own visual and depth. Either a window another
// program made and hands over by id (the screen-saver host's, or a preview), whose size it
// follows and whose disappearance it reports; or a full-screen window of its own over the
// whole virtual screen: black, without a cursor, taking the keyboard and the pointer.
//
// One thread owns an XcbWindow (the screen saver's GUI thread). Flush may also be called from
// another thread (XCB connections are thread-safe), which the fast exit does.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/linux/x11/pixel_format.h"

namespace corvane::x11 {

struct WindowEvent {
  enum class Kind {
    kExposed,  // x, y, width, height: a part to paint again
    kResized,  // width, height: the window's new size
    kGone,     // the window was destroyed, or the server connection was lost
    kKey,      // a key was pressed
    kButton,   // a mouse button was pressed
    kMotion,   // the pointer moved to x, y
    kShown,    // the window became viewable: mapped and not wholly covered by others
    kHidden,   // the window is viewable no more: unmapped or wholly covered
  };
  Kind kind = Kind::kExposed;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

class XcbWindow {
 public:
  struct Opened {
    std::unique_ptr<XcbWindow> window;
    std::string error;  // why there is none: the display, the window, its visual
  };

  // Connects to $DISPLAY (or `display` when not empty) and takes the window `id`; 0 means the
  // screen's root window. The window's exposures and size changes are reported from now on.
  static Opened Attach(std::uint32_t id, const std::string& display = {});
  // Connects and makes a black full-screen window of its own over the whole root window,
  // with the cursor hidden, mapped and raised; it takes the keyboard and the pointer.
  static Opened CreateFullScreen(const std::string& title, const std::string& display = {});
  // Raises another program's window and flushes. False when the window does not exist.
  static bool RaiseOther(std::uint32_t id, const std::string& display = {});

  ~XcbWindow();
  XcbWindow(const XcbWindow&) = delete;
  XcbWindow& operator=(const XcbWindow&) = delete;

  std::uint32_t id() const { return window_; }
  int width() const { return width_; }
  int height() const { return height_; }
  const PixelFormat& format() const { return format_; }
  // Whether anything of the window can be seen: mapped and not wholly covered by other
  // windows, as the last events said (a compositing server never reports it covered).
  bool viewable() const { return mapped_ && !obscured_; }
  // The connection's socket, readable when events may be waiting.
  int fd() const;

  // Puts the part (x, y, w, h) of a frame of 0xAARRGGBB pixels, `stride` pixels per row and
  // as large as the window, at the same place in the window. Queued; Flush sends it.
  void Put(std::span<const std::uint32_t> frame, int stride, int x, int y, int w, int h);
  void Flush();
  // Every event that has arrived, in order; sizes are also kept in width() and height().
  std::vector<WindowEvent> TakeEvents();

 private:
  XcbWindow(xcb_connection_t* connection, int screen);
  bool Describe(std::string* error);
  void GrabInput();

  xcb_connection_t* connection_;
  xcb_screen_t* screen_ = nullptr;
  std::uint32_t window_ = 0;
  bool own_ = false;  // made by us (full-screen), destroyed with us
  std::uint32_t gc_ = 0;
  std::uint32_t cursor_ = 0;
  int width_ = 0;
  int height_ = 0;
  PixelFormat format_;
  bool gone_ = false;
  bool mapped_ = false;
  bool obscured_ = false;
  std::vector<std::uint8_t> packed_;  // reused for every put
};

}  // namespace corvane::x11
