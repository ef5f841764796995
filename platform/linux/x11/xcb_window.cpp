#include "platform/linux/x11/xcb_window.h"

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace corvane::x11 {
namespace {

constexpr std::uint8_t kBadWindow = 3;
constexpr std::uint8_t kBadDrawable = 9;

xcb_connection_t* Connect(const std::string& display, int* screen, std::string* error) {
  xcb_connection_t* connection = xcb_connect(display.empty() ? nullptr : display.c_str(), screen);
  if (xcb_connection_has_error(connection) != 0) {
    xcb_disconnect(connection);
    const char* name = display.empty() ? std::getenv("DISPLAY") : display.c_str();
    *error = std::string("cannot connect to the X display \"") + (name ? name : "") + "\"";
    return nullptr;
  }
  return connection;
}

xcb_screen_t* ScreenOf(xcb_connection_t* connection, int number) {
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (int i = 0; it.rem != 0; ++i, xcb_screen_next(&it)) {
    if (i == number) return it.data;
  }
  return nullptr;
}

std::string Hex(std::uint32_t id) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", id);
  return text;
}

}  // namespace

XcbWindow::XcbWindow(xcb_connection_t* connection, int screen)
    : connection_(connection), screen_(ScreenOf(connection, screen)) {}

XcbWindow::~XcbWindow() {
  if (gc_ != 0) xcb_free_gc(connection_, gc_);
  if (cursor_ != 0) xcb_free_cursor(connection_, cursor_);
  if (own_ && window_ != 0) xcb_destroy_window(connection_, window_);
  xcb_flush(connection_);
  xcb_disconnect(connection_);
}

int XcbWindow::fd() const { return xcb_get_file_descriptor(connection_); }

XcbWindow::Opened XcbWindow::Attach(std::uint32_t id, const std::string& display) {
  Opened opened;
  int screen = 0;
  xcb_connection_t* connection = Connect(display, &screen, &opened.error);
  if (connection == nullptr) return opened;
  std::unique_ptr<XcbWindow> window(new XcbWindow(connection, screen));
  if (window->screen_ == nullptr) {
    opened.error = "the X display has no screen " + std::to_string(screen);
    return opened;
  }
  window->window_ = id != 0 ? id : window->screen_->root;
  // Exposures to repaint, size changes to follow, destruction to end on, and whether it can be
  // seen at all.
  const std::uint32_t mask =
      XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_VISIBILITY_CHANGE;
  xcb_change_window_attributes(connection, window->window_, XCB_CW_EVENT_MASK, &mask);
  if (!window->Describe(&opened.error)) return opened;
  opened.window = std::move(window);
  return opened;
}

XcbWindow::Opened XcbWindow::CreateFullScreen(const std::string& title,
                                              const std::string& display) {
  Opened opened;
  int screen = 0;
  xcb_connection_t* connection = Connect(display, &screen, &opened.error);
  if (connection == nullptr) return opened;
  std::unique_ptr<XcbWindow> window(new XcbWindow(connection, screen));
  xcb_screen_t* s = window->screen_;
  if (s == nullptr) {
    opened.error = "the X display has no screen " + std::to_string(screen);
    return opened;
  }
  // An invisible cursor: a one-pixel cursor whose only pixel is masked out.
  const xcb_pixmap_t blank = xcb_generate_id(connection);
  xcb_create_pixmap(connection, 1, blank, s->root, 1, 1);
  window->cursor_ = xcb_generate_id(connection);
  xcb_create_cursor(connection, window->cursor_, blank, blank, 0, 0, 0, 0, 0, 0, 0, 0);
  xcb_free_pixmap(connection, blank);

  window->window_ = xcb_generate_id(connection);
  window->own_ = true;
  // The root window spans the whole virtual screen, every monitor included.
  const std::uint32_t values[] = {s->black_pixel, 1,
                                  XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_STRUCTURE_NOTIFY |
                                      XCB_EVENT_MASK_VISIBILITY_CHANGE | XCB_EVENT_MASK_KEY_PRESS |
                                      XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_POINTER_MOTION,
                                  window->cursor_};
  xcb_create_window(
      connection, s->root_depth, window->window_, s->root, 0, 0, s->width_in_pixels,
      s->height_in_pixels, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, s->root_visual,
      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK | XCB_CW_CURSOR, values);
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window->window_, XCB_ATOM_WM_NAME,
                      XCB_ATOM_STRING, 8, static_cast<std::uint32_t>(title.size()), title.data());
  static constexpr char kClass[] = "corvscreen\0Corvscreen";
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window->window_, XCB_ATOM_WM_CLASS,
                      XCB_ATOM_STRING, 8, sizeof kClass, kClass);
  xcb_map_window(connection, window->window_);
  if (!window->Describe(&opened.error)) return opened;
  window->GrabInput();
  opened.window = std::move(window);
  return opened;
}

bool XcbWindow::RaiseOther(std::uint32_t id, const std::string& display) {
  int screen = 0;
  std::string error;
  xcb_connection_t* connection = Connect(display, &screen, &error);
  if (connection == nullptr) return false;
  const std::uint32_t above = XCB_STACK_MODE_ABOVE;
  xcb_void_cookie_t cookie =
      xcb_configure_window_checked(connection, id, XCB_CONFIG_WINDOW_STACK_MODE, &above);
  xcb_generic_error_t* failure = xcb_request_check(connection, cookie);
  const bool ok = failure == nullptr;
  std::free(failure);
  xcb_disconnect(connection);
  return ok;
}

bool XcbWindow::Describe(std::string* error) {
  xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
      connection_, xcb_get_window_attributes(connection_, window_), nullptr);
  xcb_get_geometry_reply_t* geometry =
      xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window_), nullptr);
  if (attributes == nullptr || geometry == nullptr) {
    std::free(attributes);
    std::free(geometry);
    *error = "there is no X window " + Hex(window_);
    return false;
  }
  const xcb_visualid_t visual = attributes->visual;
  // A window mapped already is taken as uncovered until the server says otherwise; one mapped
  // later reports its visibility then.
  mapped_ = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
  format_.depth = geometry->depth;
  width_ = geometry->width;
  height_ = geometry->height;
  std::free(attributes);
  std::free(geometry);

  bool found = false;
  for (xcb_screen_iterator_t s = xcb_setup_roots_iterator(xcb_get_setup(connection_));
       s.rem != 0 && !found; xcb_screen_next(&s)) {
    for (xcb_depth_iterator_t d = xcb_screen_allowed_depths_iterator(s.data); d.rem != 0 && !found;
         xcb_depth_next(&d)) {
      for (xcb_visualtype_iterator_t v = xcb_depth_visuals_iterator(d.data); v.rem != 0;
           xcb_visualtype_next(&v)) {
        if (v.data->visual_id != visual) continue;
        format_.red_mask = v.data->red_mask;
        format_.green_mask = v.data->green_mask;
        format_.blue_mask = v.data->blue_mask;
        format_.true_colour = v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR ||
                              v.data->_class == XCB_VISUAL_CLASS_DIRECT_COLOR;
        found = true;
        break;
      }
    }
  }
  if (!found) {
    *error = "the visual of X window " + Hex(window_) + " is not listed by the server";
    return false;
  }
  const xcb_setup_t* setup = xcb_get_setup(connection_);
  format_.msb_first = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
  for (xcb_format_iterator_t f = xcb_setup_pixmap_formats_iterator(setup); f.rem != 0;
       xcb_format_next(&f)) {
    if (f.data->depth == format_.depth) {
      format_.bits_per_pixel = f.data->bits_per_pixel;
      format_.scanline_pad = f.data->scanline_pad;
    }
  }
  if (const std::string why = format_.Unsupported(); !why.empty()) {
    *error = "cannot draw into X window " + Hex(window_) + ": " + why;
    return false;
  }
  gc_ = xcb_generate_id(connection_);
  xcb_create_gc(connection_, gc_, window_, 0, nullptr);
  return true;
}

void XcbWindow::GrabInput() {
  // Another client may hold a grab for a moment (a menu closing); try for about a second.
  for (int attempt = 0; attempt < 20; ++attempt) {
    xcb_grab_keyboard_reply_t* keyboard =
        xcb_grab_keyboard_reply(connection_,
                                xcb_grab_keyboard(connection_, 1, window_, XCB_CURRENT_TIME,
                                                  XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                nullptr);
    const bool ok = keyboard != nullptr && keyboard->status == XCB_GRAB_STATUS_SUCCESS;
    std::free(keyboard);
    if (ok) break;
    struct timespec pause = {0, 50'000'000};
    nanosleep(&pause, nullptr);
  }
  std::free(xcb_grab_pointer_reply(
      connection_,
      xcb_grab_pointer(
          connection_, 1, window_, XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_POINTER_MOTION,
          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE, cursor_, XCB_CURRENT_TIME),
      nullptr));
}

void XcbWindow::Put(std::span<const std::uint32_t> frame, int stride, int x, int y, int w, int h) {
  if (gone_) return;
  x = std::max(x, 0);
  y = std::max(y, 0);
  w = std::min(w, width_ - x);
  h = std::min(h, height_ - y);
  if (w <= 0 || h <= 0) return;
  const std::size_t row_bytes = format_.BytesPerRow(w);
  // A request may carry at most the server's maximum length (in 4-byte units, large with the
  // BIG-REQUESTS extension that XCB enables); big frames go in strips of rows.
  const std::size_t limit =
      static_cast<std::size_t>(xcb_get_maximum_request_length(connection_)) * 4;
  const std::size_t header = sizeof(xcb_put_image_request_t) + 8;
  const int rows_per_put =
      static_cast<int>(std::clamp<std::size_t>((limit - header) / row_bytes, 1, 1 << 16));
  for (int top = y; top < y + h; top += rows_per_put) {
    const int rows = std::min(rows_per_put, y + h - top);
    packed_.resize(row_bytes * static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r) {
      const std::size_t start =
          static_cast<std::size_t>(top + r) * static_cast<std::size_t>(stride) +
          static_cast<std::size_t>(x);
      format_.PackRow(frame.subspan(start, static_cast<std::size_t>(w)),
                      packed_.data() + row_bytes * static_cast<std::size_t>(r));
    }
    xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_,
                  static_cast<std::uint16_t>(w), static_cast<std::uint16_t>(rows),
                  static_cast<std::int16_t>(x), static_cast<std::int16_t>(top), 0,
                  static_cast<std::uint8_t>(format_.depth),
                  static_cast<std::uint32_t>(packed_.size()), packed_.data());
  }
}

void XcbWindow::Flush() { xcb_flush(connection_); }

std::vector<WindowEvent> XcbWindow::TakeEvents() {
  std::vector<WindowEvent> events;
  bool was_viewable = viewable();
  // The viewability's changes, reported where they happen among the other events.
  const auto note_viewable = [&] {
    if (viewable() == was_viewable) return;
    was_viewable = viewable();
    events.push_back({was_viewable ? WindowEvent::Kind::kShown : WindowEvent::Kind::kHidden});
  };
  while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
    WindowEvent e;
    bool keep = true;
    switch (event->response_type & 0x7F) {
      case 0: {  // an error of a request sent without waiting for its reply
        const auto* error = reinterpret_cast<xcb_generic_error_t*>(event);
        keep = (error->error_code == kBadWindow || error->error_code == kBadDrawable) &&
               error->resource_id == window_;
        e.kind = WindowEvent::Kind::kGone;
        break;
      }
      case XCB_EXPOSE: {
        const auto* expose = reinterpret_cast<xcb_expose_event_t*>(event);
        e = {WindowEvent::Kind::kExposed, expose->x, expose->y, expose->width, expose->height};
        break;
      }
      case XCB_CONFIGURE_NOTIFY: {
        const auto* configure = reinterpret_cast<xcb_configure_notify_event_t*>(event);
        keep = configure->window == window_ &&
               (configure->width != width_ || configure->height != height_);
        width_ = configure->window == window_ ? configure->width : width_;
        height_ = configure->window == window_ ? configure->height : height_;
        e = {WindowEvent::Kind::kResized, 0, 0, width_, height_};
        break;
      }
      case XCB_MAP_NOTIFY:
      case XCB_UNMAP_NOTIFY:
        keep = false;
        if (reinterpret_cast<xcb_map_notify_event_t*>(event)->window == window_) {
          mapped_ = (event->response_type & 0x7F) == XCB_MAP_NOTIFY;
          if (!mapped_) obscured_ = false;  // a new map reports its visibility again
          note_viewable();
        }
        break;
      case XCB_VISIBILITY_NOTIFY: {
        const auto* visibility = reinterpret_cast<xcb_visibility_notify_event_t*>(event);
        keep = false;
        if (visibility->window == window_) {
          obscured_ = visibility->state == XCB_VISIBILITY_FULLY_OBSCURED;
          note_viewable();
        }
        break;
      }
      case XCB_DESTROY_NOTIFY:
        keep = reinterpret_cast<xcb_destroy_notify_event_t*>(event)->window == window_;
        e.kind = WindowEvent::Kind::kGone;
        break;
      case XCB_KEY_PRESS:
        e.kind = WindowEvent::Kind::kKey;
        break;
      case XCB_BUTTON_PRESS:
        e.kind = WindowEvent::Kind::kButton;
        break;
      case XCB_MOTION_NOTIFY: {
        const auto* motion = reinterpret_cast<xcb_motion_notify_event_t*>(event);
        e = {WindowEvent::Kind::kMotion, motion->root_x, motion->root_y, 0, 0};
        break;
      }
      default:
        keep = false;
    }
    std::free(event);
    if (keep) {
      if (e.kind == WindowEvent::Kind::kGone) gone_ = true;
      events.push_back(e);
    }
  }
  if (!gone_ && xcb_connection_has_error(connection_) != 0) {
    gone_ = true;
    events.push_back({WindowEvent::Kind::kGone});
  }
  return events;
}

}  // namespace corvane::x11
