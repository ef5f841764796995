#include "platform/qt/qt_screen_info.h"

#include <QGuiApplication>
#include <QScreen>

namespace corvane::qt {

QtScreenInfo::QtScreenInfo(QObject* parent) : QObject(parent) {
  connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, &QtScreenInfo::Watch);
  Watch(QGuiApplication::primaryScreen());
}

void QtScreenInfo::Watch(QScreen* screen) {
  if (screen != nullptr) {
    connect(screen, &QScreen::geometryChanged, this, &QtScreenInfo::Refresh, Qt::UniqueConnection);
  }
  Refresh();
}

void QtScreenInfo::Refresh() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const ScreenSize size = screen == nullptr
                              ? kNoScreenSize
                              : ScreenSize{screen->geometry().width(), screen->geometry().height()};
  std::lock_guard lock(mutex_);
  size_ = size;
}

ScreenSize QtScreenInfo::PrimaryScreenSize() const {
  std::lock_guard lock(mutex_);
  return size_;
}

}  // namespace corvane::qt
