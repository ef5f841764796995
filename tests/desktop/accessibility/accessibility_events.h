// What the desktop's GUI tests hear from Qt's accessibility layer: switching it on and off as
// the platform does when an assistive technology comes or goes, and a recorder of the events
// it is given meanwhile. GUI thread only; one recorder at a time.
#pragma once

#include <QAccessible>
#include <vector>

#ifdef CORVANE_HAVE_QT_GUI_PRIVATE
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#endif

namespace corvane::desktop::testing {

// Switches Qt's accessibility on or off; false when this build cannot (no private GUI headers).
inline bool SetAccessibilityActive(bool active) {
#ifdef CORVANE_HAVE_QT_GUI_PRIVATE
  QPlatformAccessibility* platform = QGuiApplicationPrivate::platformIntegration()->accessibility();
  if (platform == nullptr) return false;
  platform->setActive(active);
  return QAccessible::isActive() == active;
#else
  return !active;
#endif
}

// Records every event the accessibility layer is given from its construction to its end, and
// switches accessibility off again at its end.
class AccessibilityEvents {
 public:
  struct Event {
    QAccessible::Event type;
    QAccessibleInterface* iface;
  };

  AccessibilityEvents() {
    current_ = this;
    QAccessible::installUpdateHandler(&Record);
  }
  ~AccessibilityEvents() {
    SetAccessibilityActive(false);
    QAccessible::installUpdateHandler(nullptr);
    current_ = nullptr;
  }
  AccessibilityEvents(const AccessibilityEvents&) = delete;
  AccessibilityEvents& operator=(const AccessibilityEvents&) = delete;

  // The events of one type about `target`.
  int Count(QAccessible::Event type, const QAccessibleInterface* target) const {
    int count = 0;
    for (const Event& e : events_) count += e.type == type && e.iface == target ? 1 : 0;
    return count;
  }
  // The events of one type about anything.
  int Count(QAccessible::Event type) const {
    int count = 0;
    for (const Event& e : events_) count += e.type == type ? 1 : 0;
    return count;
  }
  const std::vector<Event>& events() const { return events_; }
  void Clear() { events_.clear(); }

 private:
  static void Record(QAccessibleEvent* event) {
    if (current_ != nullptr) {
      current_->events_.push_back({event->type(), event->accessibleInterface()});
    }
  }

  static inline AccessibilityEvents* current_ = nullptr;
  std::vector<Event> events_;
};

}  // namespace corvane::desktop::testing
