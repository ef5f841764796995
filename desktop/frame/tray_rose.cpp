#include "desktop/frame/tray_rose.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QSystemTrayIcon>

#include "core/engine.h"
#include "desktop/app/monotonic_clock.h"
#include "desktop/frame/command_ids.h"
#include "platform/qt/painter_surface.h"

namespace corvane::desktop {
namespace {

QPoint ToQPoint(chart::Point point) { return QPoint(point.x, point.y); }

}  // namespace

TrayRose::TrayRose(const Corvane& engine, QSystemTrayIcon& icon, QObject* parent)
    : QObject(parent),
      engine_(engine),
      icon_(icon),
      clock_(MonotonicMilliseconds),
      available_(&QSystemTrayIcon::isSystemTrayAvailable) {
  deferred_.setSingleShot(true);
  connect(&deferred_, &QTimer::timeout, this, &TrayRose::Refresh);
  icon_.setToolTip(ToolTip(0));
}

void TrayRose::SetIconGeometry(QSize logical_size, qreal device_pixel_ratio) {
  size_override_ = logical_size;
  ratio_override_ = device_pixel_ratio;
}

QSize TrayRose::LogicalSize() const {
  if (size_override_) return *size_override_;
  const QRect area = icon_.geometry();  // empty where the tray does not tell
  if (area.isValid() && !area.isEmpty()) return area.size();
  return QSize(kDefaultIconSize, kDefaultIconSize);
}

qreal TrayRose::DevicePixelRatio() const {
  if (ratio_override_ > 0) return ratio_override_;
  const QRect area = icon_.geometry();
  const QScreen* screen = area.isValid() ? QGuiApplication::screenAt(area.center()) : nullptr;
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->devicePixelRatio() : 1.0;
}

QString TrayRose::ToolTip(int in_alert) {
  const QString title = QString::fromLatin1(text::kAppTitle);
  if (in_alert == 0) return tr("%1 - no counter in alert").arg(title);
  if (in_alert == 1) return tr("%1 - 1 counter in alert").arg(title);
  return tr("%1 - %2 counters in alert").arg(title).arg(in_alert);
}

void TrayRose::SetAlertCount(int in_alert) { icon_.setToolTip(ToolTip(in_alert)); }

bool TrayRose::TrayShows() {
  if (!icon_.isVisible()) return false;
  const qint64 now = clock_();
  if (!tray_checked_ms_ || now - *tray_checked_ms_ >= kTrayRecheckMs) {
    tray_available_ = available_();
    tray_checked_ms_ = now;
  }
  return tray_available_;
}

void TrayRose::TrayVisibilityChanged() {
  tray_checked_ms_.reset();
  if (!TrayShows()) {
    deferred_.stop();
  } else if (missed_ && !deferred_.isActive()) {
    Refresh();
  }
  Q_EMIT showsChanged();
}

void TrayRose::SampleEnded() {
  if (!TrayShows()) {
    missed_ = true;  // drawn when a tray shows it
    return;
  }
  if (deferred_.isActive()) return;  // the deferred redraw takes this sample too
  const qint64 now = clock_();
  if (!last_redraw_ms_ || now - *last_redraw_ms_ >= kMinRedrawGapMs - kRedrawSlackMs) {
    Refresh();
    return;
  }
  deferred_.start(static_cast<int>(kMinRedrawGapMs - (now - *last_redraw_ms_)));
}

void TrayRose::Refresh() {
  if (!TrayShows()) return;
  missed_ = false;
  const qreal ratio = DevicePixelRatio();
  const QSize logical = LogicalSize();
  const int side = qRound(std::min(logical.width(), logical.height()) * ratio);
  const TrayPicture picture = MakeTrayPicture(engine_, side);
  if (shown_ && *shown_ == picture) return;  // the same picture: nothing to draw
  shown_ = picture;
  QImage image = Render(picture);
  image.setDevicePixelRatio(ratio);
  pixmap_ = QPixmap::fromImage(image);
  icon_.setIcon(QIcon(pixmap_));
  last_redraw_ms_ = clock_();
  ++redraws_;
}

QImage TrayRose::Render(const TrayPicture& p) {
  QImage image(p.size, p.size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  if (p.size == 0) return image;
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(qt::PainterSurface::ToQColor(p.back));
  painter.drawEllipse(QRectF(0, 0, p.size, p.size));
  const QPointF centre(p.size / 2, p.size / 2);
  if (p.ring_radius > 0) {
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(qt::PainterSurface::ToQColor(p.critical), p.line_width));
    painter.drawEllipse(centre, p.ring_radius, p.ring_radius);
  }
  if (p.axis_count == 0) return image;
  const auto point = [&](int i) {
    return ToQPoint(p.points[static_cast<std::size_t>(i % p.axis_count)]);
  };
  QPolygon polygon;
  for (int i = 0; i < p.axis_count; ++i) polygon.append(point(i));
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(qt::PainterSurface::ToQColor(p.current), p.line_width, Qt::SolidLine,
                      Qt::RoundCap, Qt::RoundJoin));
  if (p.axis_count == 1) {
    painter.drawLine(centre, point(0));
  } else {
    painter.drawPolygon(polygon);
  }
  // An axis in alert: both lines meeting at its vertex (or its spoke, with one axis) in the
  // wide pen, and a square marker on the vertex.
  const QPen wide(qt::PainterSurface::ToQColor(p.critical), p.alert_width, Qt::SolidLine,
                  Qt::SquareCap, Qt::MiterJoin);
  for (int i = 0; i < p.axis_count; ++i) {
    if (!p.alert[static_cast<std::size_t>(i)]) continue;
    painter.setPen(wide);
    if (p.axis_count == 1) {
      painter.drawLine(centre, point(0));
    } else {
      painter.drawLine(point(i + p.axis_count - 1), point(i));
      painter.drawLine(point(i), point(i + 1));
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(qt::PainterSurface::ToQColor(p.critical));
    const int side = p.alert_width * 2;
    painter.drawRect(QRect(point(i) - QPoint(side / 2, side / 2), QSize(side, side)));
    painter.setBrush(Qt::NoBrush);
  }
  return image;
}

}  // namespace corvane::desktop
