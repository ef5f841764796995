#include "desktop/help/about_dlg.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QtMath>

#include "desktop/help/help_targets.h"
#include "desktop/help/static_link.h"

namespace corvane::desktop {
namespace {

constexpr int kIconSize = 48;

// A small wind rose, for a program that has not set a window icon of its own.
QPixmap PaintedIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPointF centre(size / 2.0, size / 2.0);
  const double radius = size / 2.0 - 1;
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::black);
  painter.drawEllipse(centre, radius, radius);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(128, 128, 128), 1));
  painter.drawEllipse(centre, radius * 0.5, radius * 0.5);
  painter.setPen(QPen(Qt::red, 1));
  painter.drawEllipse(centre, radius * 0.8, radius * 0.8);
  const double reach[] = {0.9, 0.55, 0.7, 0.35, 0.6, 0.45};
  QPolygonF rose;
  for (int i = 0; i < 6; ++i) {
    const double angle = i * 2 * M_PI / 6;
    rose << centre + QPointF(std::sin(angle), -std::cos(angle)) * radius * reach[i];
  }
  painter.setPen(QPen(QColor(255, 255, 0), size / 24.0));
  painter.drawPolygon(rose);
  return pixmap;
}

QPixmap ProgramIcon() {
  const QIcon icon = QApplication::windowIcon();
  if (!icon.isNull()) return icon.pixmap(kIconSize, kIconSize);
  return PaintedIcon(kIconSize);
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* main_window, QWidget* parent)
    : QDialog(parent), link_(new CStaticLink(tr("Corvane manual"), this)) {
  setWindowTitle(tr("About Corvane"));

  auto* icon = new QLabel(this);
  icon->setPixmap(ProgramIcon());
  icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
  icon->setAccessibleName(tr("Corvane icon"));

  auto* name = new QLabel(tr("Corvane Version 1.6.1"), this);
  QFont bold = name->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.2);
  name->setFont(bold);
  auto* maker = new QLabel(tr("Live performance monitor by Quillfen"), this);
  auto* visit = new QLabel(tr("For latest updates and more information visit"), this);

  link_->setUrl(WebsiteTarget().toString());
  link_->setMainWindow(main_window);
  link_->setToolTip(tr("Opens the manual in your web browser"));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* text = new QVBoxLayout;
  text->addWidget(name);
  text->addWidget(maker);
  text->addSpacing(12);
  text->addWidget(visit);
  text->addWidget(link_, 0, Qt::AlignLeft);
  auto* top = new QHBoxLayout;
  top->addWidget(icon);
  top->addSpacing(8);
  top->addLayout(text, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addSpacing(8);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  buttons->button(QDialogButtonBox::Ok)->setFocus();
}

void CAboutDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The about box sits in the middle of the desktop, not of its owner.
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  QRect frame = frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  move(frame.topLeft());
}

}  // namespace corvane::desktop
