#include "desktop/help/about_dlg.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QtMath>
#include <cmath>
#include <utility>

#include "core/product_version.h"
#include "desktop/help/help_targets.h"
#include "desktop/help/static_link.h"
#include "platform/qt/keyboard_access.h"
#include "platform/qt/screen_centre.h"

namespace corvane::desktop {
namespace {

constexpr int kIconSize = 48;

// A small wind rose, for a program that has not set a window icon of its own: eight axes,
// a grid ring, the red critical border and the current (yellow) and average (green) lines.
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
  constexpr int kAxes = 8;
  const auto along = [&](int axis, double reach) {
    const double angle = axis * 2 * M_PI / kAxes;
    return centre + QPointF(std::sin(angle), -std::cos(angle)) * radius * reach;
  };
  painter.setPen(QPen(QColor(128, 128, 128), 1));
  for (int i = 0; i < kAxes; ++i) painter.drawLine(centre, along(i, 0.95));
  painter.drawEllipse(centre, radius * 0.45, radius * 0.45);
  painter.setPen(QPen(QColor(255, 0, 0), 1));
  painter.drawEllipse(centre, radius * 0.8, radius * 0.8);
  const double current[kAxes] = {0.95, 0.9, 0.55, 0.3, 0.5, 0.25, 0.6, 0.4};
  const double average[kAxes] = {0.7, 0.75, 0.45, 0.25, 0.4, 0.2, 0.5, 0.3};
  for (const auto& [reach, colour] :
       {std::pair{average, QColor(0, 204, 0)}, std::pair{current, QColor(255, 255, 0)}}) {
    QPolygonF line;
    for (int i = 0; i < kAxes; ++i) line << along(i, reach[i]);
    painter.setPen(QPen(colour, size / 32.0));
    painter.drawPolygon(line);
  }
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
  // A fixed box: a title and a close button, nothing to maximise or minimise.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);

  auto* icon = new QLabel(this);
  icon->setPixmap(ProgramIcon());
  icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
  icon->setAccessibleName(tr("Corvane icon"));

  auto* name = new QLabel(tr("Corvane Version %1").arg(QString::fromUtf8(ProductVersion())), this);
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
  // Every control can be reached with Alt and a letter of its own.
  qt::AssignMnemonics(this);
}

void CAboutDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The about box sits in the middle of the desktop, not of its owner.
  qt::CentreOnScreen(this, QGuiApplication::primaryScreen());
}

}  // namespace corvane::desktop
