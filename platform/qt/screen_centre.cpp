#include "platform/qt/screen_centre.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace corvane::qt {

void CentreOnScreen(QWidget* window, const QScreen* screen) {
  if (window == nullptr) return;
  if (screen == nullptr && window->parentWidget() != nullptr)
    screen = window->parentWidget()->screen();
  if (screen == nullptr) screen = window->screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  QRect frame = window->frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  window->move(frame.topLeft());
}

}  // namespace corvane::qt
