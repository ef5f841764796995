// TrayRose: the tray icon as a live mini wind rose. After a sample it builds the TrayPicture
// for the size the tray asks for at the screen's device pixel ratio and draws it into the
// icon's pixmap only when the picture changed, at most once a second (a sample sooner is drawn
// when the second is over; one up to kRedrawSlackMs early, as a 1-second interval's samples
// come, is drawn at once rather than woken for again a moment later), and only while a tray
// shows the icon: the icon visible and a tray
// there, which is asked of the desktop at most every kTrayRecheckMs (the question goes over
// D-Bus and X). A sample while no tray shows it draws nothing, and the view need not hand it
// samples then (TrayShows is its demand). An axis in alert is drawn with a
// line more than twice as wide and a square marker, not only in the critical colour. The tip says
// how many counters are in alert.
//
// GUI thread only. The engine and the tray icon must outlive it.
#pragma once

#include <QObject>
#include <QPixmap>
#include <QSize>
#include <QTimer>
#include <functional>
#include <optional>

#include "core/tray_picture.h"

class QSystemTrayIcon;

namespace corvane {
class Corvane;
}

namespace corvane::desktop {

class TrayRose final : public QObject {
  Q_OBJECT

 public:
  static constexpr qint64 kMinRedrawGapMs = 1000;
  static constexpr qint64 kRedrawSlackMs = 100;
  static constexpr int kDefaultIconSize = 22;  // logical pixels, when the tray does not say
  static constexpr qint64 kTrayRecheckMs = 30'000;

  TrayRose(const Corvane& engine, QSystemTrayIcon& icon, QObject* parent = nullptr);

  // A sample ended (the engine's window was invalidated): redraw now, later, or not at all.
  void SampleEnded();
  // The tip for `in_alert` counters in alert.
  void SetAlertCount(int in_alert);

  // Whether a tray shows the icon now; the answer is kept for kTrayRecheckMs, and dropped when
  // the icon is shown or hidden (TrayVisibilityChanged).
  bool TrayShows();
  // The icon was shown or hidden: a shown icon gets the picture of a sample it missed.
  void TrayVisibilityChanged();

  // For tests: the clock (monotonic milliseconds), the icon size and scale, and whether a tray
  // exists, instead of Qt's.
  void SetClock(std::function<qint64()> clock) { clock_ = std::move(clock); }
  void SetTrayProbe(std::function<bool()> available) {
    available_ = std::move(available);
    tray_checked_ms_.reset();
    Q_EMIT showsChanged();
  }
  void SetIconGeometry(QSize logical_size, qreal device_pixel_ratio);
  int redraw_count() const { return redraws_; }
  const QPixmap& pixmap() const { return pixmap_; }
  bool redraw_scheduled() const { return deferred_.isActive(); }

  static QString ToolTip(int in_alert);
  // Draws the picture into an image of its own size (device pixels), transparent outside the
  // rose's disc.
  static QImage Render(const TrayPicture& picture);

 Q_SIGNALS:
  // The icon was shown or hidden, or the tray is asked another way: whether a tray shows it
  // may have changed.
  void showsChanged();

 private:
  void Refresh();
  QSize LogicalSize() const;
  qreal DevicePixelRatio() const;

  const Corvane& engine_;
  QSystemTrayIcon& icon_;
  std::function<qint64()> clock_;
  std::function<bool()> available_;
  std::optional<qint64> tray_checked_ms_;  // when the tray was asked for last
  bool tray_available_ = false;
  bool missed_ = false;  // a sample ended while no tray showed the icon
  std::optional<QSize> size_override_;
  qreal ratio_override_ = 0;
  QTimer deferred_;
  std::optional<TrayPicture> shown_;
  std::optional<qint64> last_redraw_ms_;
  QPixmap pixmap_;
  int redraws_ = 0;
};

}  // namespace corvane::desktop
