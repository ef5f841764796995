// WindowObscuration: whether a top-level window is wholly covered by other windows, as the X
// server reports it (VisibilityNotify). Qt's exposure on X11 follows mapping and unmapping
// (minimising, hiding) but not covering, so a window that draws only what can be seen asks
// this as well. On other platforms (Wayland, offscreen) it never reports a window covered: they
// say it through the exposure or not at all. A compositing X server never reports one either.
//
// GUI thread only; a native event filter on the application while it lives.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <cstdint>

class QWindow;
struct xcb_connection_t;

namespace corvane::qt {

class WindowObscuration final : public QObject, public QAbstractNativeEventFilter {
  Q_OBJECT

 public:
  explicit WindowObscuration(QObject* parent = nullptr);
  ~WindowObscuration() override;
  WindowObscuration(const WindowObscuration&) = delete;
  WindowObscuration& operator=(const WindowObscuration&) = delete;

  // Follows `window`, whose native window must exist, instead of the one before; it counts as
  // uncovered until the server says otherwise. Asks the server once for the window's events.
  void Watch(const QWindow* window);
  bool obscured() const { return obscured_; }

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

 Q_SIGNALS:
  void changed();

 private:
  xcb_connection_t* connection_ = nullptr;
  std::uint32_t window_ = 0;
  bool obscured_ = false;
};

}  // namespace corvane::qt
