#include "desktop/help/static_link.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>

#include "desktop/help/html_opener.h"
#include "platform/qt/window_flags.h"

namespace corvane::desktop {

CStaticLink::CStaticLink(const QString& text, QWidget* parent)
    : QLabel(text, parent), opener_(&OpenLink) {
  setTextFormat(Qt::PlainText);
  QPalette link_palette = palette();
  // Blue as links are; on a dark theme, where that blue cannot be read, the theme's own link
  // colour.
  const bool dark = link_palette.color(QPalette::Window).lightness() < 128;
  link_palette.setColor(QPalette::WindowText,
                        dark ? link_palette.color(QPalette::Link) : QColor(0, 0, 255));
  setPalette(link_palette);
  QFont underlined = font();
  underlined.setUnderline(true);
  setFont(underlined);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::TabFocus);
}

void CStaticLink::Follow() {
  if (url_.isEmpty()) url_ = QStringLiteral("http://") + text();
  LeaveAlwaysOnTop(main_window_);
  const QUrl url(url_);
  // A link that cannot be opened says nothing.
  opener_(url);
  Q_EMIT followed(url);
}

void CStaticLink::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
  QLabel::mousePressEvent(event);
}

void CStaticLink::mouseReleaseEvent(QMouseEvent* event) {
  const bool click =
      pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  if (click) {
    Follow();
    event->accept();
    return;
  }
  QLabel::mouseReleaseEvent(event);
}

void CStaticLink::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
    Follow();
    event->accept();
    return;
  }
  QLabel::keyPressEvent(event);
}

void LeaveAlwaysOnTop(QWidget* window) { qt::SetStaysOnTop(window, false); }

}  // namespace corvane::desktop
