// WindowDragFilter: the main window's own mouse handling, as an event filter on the window.
// A press takes the keyboard (a frameless window has no caption to activate it by); dragging
// the diagram moves the window once the mouse has travelled; the edges of a frameless window
// size it and show the sizing cursors; a right press on the diagram asks for the context menu
// and a double-click on it for the caption.
//
// GUI thread only. The window and the diagram must outlive the filter.
#pragma once

#include <QObject>
#include <QPoint>

class QMouseEvent;
class QWidget;

namespace corvane::desktop {

class WindowDragFilter final : public QObject {
  Q_OBJECT

 public:
  // `diagram` is the child the drags start on and the keyboard goes to.
  WindowDragFilter(QWidget& window, QWidget& diagram);

 Q_SIGNALS:
  void contextMenuRequested(const QPoint& global_pos);
  void diagramDoubleClicked();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool Press(QMouseEvent* event);
  bool Move(QMouseEvent* event);
  bool DoubleClick(QMouseEvent* event);
  bool InDiagram(const QPoint& pos) const;
  Qt::Edges ResizeEdges(const QPoint& pos) const;

  QWidget& window_;
  QWidget& diagram_;
  bool drag_armed_ = false;
  QPoint press_pos_;
};

}  // namespace corvane::desktop
