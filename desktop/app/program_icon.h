// The program's own icon, the small wind rose, for its window and its tray: drawn once at
// build time, at the sizes the window and the tray ask for, from the scalable picture, so
// showing it costs no SVG renderer; a size none of those matches (an unusual scale factor),
// and the icon's disabled and selected looks, are drawn from the picture itself, which
// brings Qt's SVG support in on that first use only. GUI thread.
#pragma once

#include <QIcon>
#include <QIconEngine>
#include <span>

namespace corvane::desktop {

// The square sizes, in device pixels, drawn at build time: the window icon's 16, 32, 64 and
// 128 (and so 16 to 64 at scale 2), and the tray's 22 and 24 (and 24 at scale 2). The larger
// ones a 200 % screen also asks for are left to the picture: they would cost more program
// image than the SVG engine they spare on such a screen.
std::span<const int> ProgramIconSizes();

// Serves the build-time pictures and falls back on the scalable one. It names no sizes of its
// own, so the window system asks for the sizes it asks a scalable icon for.
class ProgramIconEngine final : public QIconEngine {
 public:
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
  QIconEngine* clone() const override;
  QString key() const override;

 private:
  QIcon& Scalable();

  QIcon scalable_;  // the picture itself, loaded on first need
};

// The icon, ready for setWindowIcon and the tray.
QIcon ProgramIcon();

// Where the scalable picture is in the resources.
QString ProgramIconPicturePath();

}  // namespace corvane::desktop
