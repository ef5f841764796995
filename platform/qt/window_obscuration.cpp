#include "platform/qt/window_obscuration.h"

#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QWindow>
#include <cstdlib>

namespace corvane::qt {

WindowObscuration::WindowObscuration(QObject* parent) : QObject(parent) {
  QCoreApplication::instance()->installNativeEventFilter(this);
}

WindowObscuration::~WindowObscuration() {
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeNativeEventFilter(this);
}

void WindowObscuration::Watch(const QWindow* window) {
  const bool was = obscured_;
  obscured_ = false;
  window_ = 0;
  // The X11 interface alone does not say much: the offscreen platform has one without a
  // connection.
  const bool xcb = QGuiApplication::platformName() == QLatin1String("xcb");
  auto* x11 = xcb ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  connection_ = x11 != nullptr ? x11->connection() : nullptr;
  if (connection_ != nullptr && window != nullptr && window->handle() != nullptr) {
    window_ = static_cast<std::uint32_t>(window->winId());
    // The events Qt asked for, and the window's visibility besides.
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
        connection_, xcb_get_window_attributes(connection_, window_), nullptr);
    if (attributes != nullptr) {
      const std::uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_VISIBILITY_CHANGE;
      xcb_change_window_attributes(connection_, window_, XCB_CW_EVENT_MASK, &mask);
      xcb_flush(connection_);
      std::free(attributes);
    } else {
      window_ = 0;
    }
  }
  if (was != obscured_) Q_EMIT changed();
}

bool WindowObscuration::nativeEventFilter(const QByteArray& type, void* message,
                                          qintptr* /*result*/) {
  if (window_ == 0 || type != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7F) != XCB_VISIBILITY_NOTIFY) return false;
  const auto* visibility = static_cast<const xcb_visibility_notify_event_t*>(message);
  if (visibility->window != window_) return false;
  const bool obscured = visibility->state == XCB_VISIBILITY_FULLY_OBSCURED;
  if (obscured != obscured_) {
    obscured_ = obscured;
    Q_EMIT changed();
  }
  return false;
}

}  // namespace corvane::qt
