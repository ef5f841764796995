#include "desktop/counters/dialog_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace corvane::desktop {

void CentreOnScreen(QWidget* dialog) {
  QScreen* screen = dialog->parentWidget() != nullptr ? dialog->parentWidget()->screen()
                                                      : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  QRect frame = dialog->frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  dialog->move(frame.topLeft());
}

}  // namespace corvane::desktop
