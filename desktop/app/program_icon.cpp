#include "desktop/app/program_icon.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <array>

static void InitProgramIconResources() {
  Q_INIT_RESOURCE(corvane);
  Q_INIT_RESOURCE(corvane_icons);
}

namespace corvane::desktop {

namespace {

constexpr std::array kSizes{16, 22, 24, 32, 48, 64, 128};

}  // namespace

std::span<const int> ProgramIconSizes() { return kSizes; }

QString ProgramIconPicturePath() { return QStringLiteral(":/corvane/corvane.svg"); }

QPixmap ProgramIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) {
  // Square, as the picture is, fitted into what was asked (the picture keeps its aspect).
  const int side = std::min(size.width(), size.height());
  if (side <= 0) return QPixmap();
  if (mode == QIcon::Normal && std::ranges::find(kSizes, side) != kSizes.end()) {
    const QImage drawn(QStringLiteral(":/corvane/icons/corvane-%1.png").arg(side));
    if (!drawn.isNull()) return QPixmap::fromImage(drawn);
  }
  return Scalable().pixmap(QSize(side, side), mode, state);
}

void ProgramIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
                              QIcon::State state) {
  const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
  QPixmap drawn = pixmap(rect.size() * ratio, mode, state);
  drawn.setDevicePixelRatio(ratio);
  const QSize shown = drawn.size() / ratio;
  painter->drawPixmap(
      QRect(rect.x() + (rect.width() - shown.width()) / 2,
            rect.y() + (rect.height() - shown.height()) / 2, shown.width(), shown.height()),
      drawn);
}

QSize ProgramIconEngine::actualSize(const QSize& size, QIcon::Mode, QIcon::State) {
  const int side = std::min(size.width(), size.height());
  return QSize(side, side);
}

QIconEngine* ProgramIconEngine::clone() const { return new ProgramIconEngine; }

QString ProgramIconEngine::key() const { return QStringLiteral("CorvaneProgramIcon"); }

QIcon& ProgramIconEngine::Scalable() {
  if (scalable_.isNull()) scalable_ = QIcon(ProgramIconPicturePath());
  return scalable_;
}

QIcon ProgramIcon() {
  InitProgramIconResources();
  return QIcon(new ProgramIconEngine);
}

}  // namespace corvane::desktop
