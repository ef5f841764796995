#include "desktop/frame/window_drag_filter.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace corvane::desktop {
namespace {

// Width of the band along the edges of a frameless window that sizes it.
constexpr int kSizingBorder = 5;  // pixels

}  // namespace

WindowDragFilter::WindowDragFilter(QWidget& window, QWidget& diagram)
    : QObject(&window), window_(window), diagram_(diagram) {
  // Hovering the edges of a frameless window shows the sizing cursors: the window follows
  // the mouse.
  window_.setMouseTracking(true);
  window_.installEventFilter(this);
}

bool WindowDragFilter::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &window_) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      return Press(static_cast<QMouseEvent*>(event));
    case QEvent::MouseMove:
      return Move(static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonRelease:
      drag_armed_ = false;
      return false;
    case QEvent::MouseButtonDblClick:
      return DoubleClick(static_cast<QMouseEvent*>(event));
    default:
      return false;
  }
}

bool WindowDragFilter::InDiagram(const QPoint& pos) const {
  return diagram_.geometry().contains(pos);
}

Qt::Edges WindowDragFilter::ResizeEdges(const QPoint& pos) const {
  Qt::Edges edges;
  if (!window_.windowFlags().testFlag(Qt::FramelessWindowHint)) return edges;
  if (pos.x() < kSizingBorder) edges |= Qt::LeftEdge;
  if (pos.x() >= window_.width() - kSizingBorder) edges |= Qt::RightEdge;
  if (pos.y() < kSizingBorder) edges |= Qt::TopEdge;
  if (pos.y() >= window_.height() - kSizingBorder) edges |= Qt::BottomEdge;
  return edges;
}

bool WindowDragFilter::Press(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  // A frameless window has no caption for the window manager to activate it by: a click on
  // it takes the keyboard, so that its keys work at once.
  window_.activateWindow();
  diagram_.setFocus(Qt::MouseFocusReason);
  if (event->button() == Qt::LeftButton) {
    const Qt::Edges edges = ResizeEdges(pos);
    QWindow* handle = window_.windowHandle();
    if (edges && handle != nullptr && handle->startSystemResize(edges)) return true;
    // The move starts once the mouse has travelled: started on the press it would swallow
    // the clicks of a double-click.
    drag_armed_ = InDiagram(pos);
    press_pos_ = pos;
    return true;
  }
  if (event->button() == Qt::RightButton && InDiagram(pos)) {
    Q_EMIT contextMenuRequested(event->globalPosition().toPoint());
    return true;
  }
  return false;
}

bool WindowDragFilter::Move(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (drag_armed_ && (event->buttons() & Qt::LeftButton)) {
    if ((pos - press_pos_).manhattanLength() >= QApplication::startDragDistance()) {
      drag_armed_ = false;
      if (window_.windowHandle() != nullptr) window_.windowHandle()->startSystemMove();
    }
    return true;
  }
  const Qt::Edges edges = ResizeEdges(pos);
  if ((edges & Qt::LeftEdge && edges & Qt::TopEdge) ||
      (edges & Qt::RightEdge && edges & Qt::BottomEdge)) {
    window_.setCursor(Qt::SizeFDiagCursor);
  } else if ((edges & Qt::RightEdge && edges & Qt::TopEdge) ||
             (edges & Qt::LeftEdge && edges & Qt::BottomEdge)) {
    window_.setCursor(Qt::SizeBDiagCursor);
  } else if (edges & (Qt::LeftEdge | Qt::RightEdge)) {
    window_.setCursor(Qt::SizeHorCursor);
  } else if (edges & (Qt::TopEdge | Qt::BottomEdge)) {
    window_.setCursor(Qt::SizeVerCursor);
  } else {
    window_.unsetCursor();
  }
  return true;
}

bool WindowDragFilter::DoubleClick(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !InDiagram(event->position().toPoint())) return false;
  drag_armed_ = false;
  Q_EMIT diagramDoubleClicked();
  return true;
}

}  // namespace corvane::desktop
