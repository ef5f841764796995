#include "desktop/frame/tray_controller.h"

#include <QMenu>
#include <QTimer>
#include <QWidget>

#include "desktop/app/monotonic_clock.h"
#include "desktop/frame/command_ids.h"
#include "desktop/frame/tray_rose.h"

namespace corvane::desktop {

TrayController::TrayController(QWidget& window, Corvane& engine, QMenu* menu, QAction* restore,
                               QAction* minimize)
    : QObject(&window),
      window_(window),
      menu_(menu),
      restore_(restore),
      minimize_(minimize),
      clicks_(MonotonicMilliseconds) {
  menu_->setDefaultAction(minimize_);
  icon_ = new QSystemTrayIcon(window_.windowIcon(), this);
  icon_->setToolTip(tr(text::kAppTitle));
  icon_->setContextMenu(menu_);
  // The icon is the live rose from the first sample on, its tip the number of alerts.
  rose_ = new TrayRose(engine, *icon_, this);
  tray_check_ = new QTimer(this);
  tray_check_->setInterval(kTrayCheckMs);
  connect(tray_check_, &QTimer::timeout, this, &TrayController::CheckTray);
  connect(icon_, &QSystemTrayIcon::activated, this, &TrayController::OnActivated);
  connect(menu_, &QMenu::aboutToShow, this, &TrayController::UpdateMenu);
}

void TrayController::SetAvailable(bool available) {
  available_ = [available] { return available; };
  rose_->SetTrayProbe(available_);
}

void TrayController::Synchronise(bool enabled, bool activation) {
  enabled_ = enabled;
  if (activation && enabled_ && !icon_added()) {
    icon_->setVisible(true);
    rose_->TrayVisibilityChanged();
  }
}

void TrayController::SetEnabled(bool enabled) {
  enabled_ = enabled;
  icon_->setVisible(enabled);
  rose_->TrayVisibilityChanged();
}

void TrayController::UpdateMenu() {
  const bool visible = window_.isVisible();
  restore_->setEnabled(!visible);
  minimize_->setEnabled(visible);
  menu_->setDefaultAction(visible ? minimize_ : restore_);
}

void TrayController::HideToTray() {
  window_.hide();
  menu_->setDefaultAction(restore_);
  tray_check_->start();
}

void TrayController::CheckTray() {
  if (window_.isVisible()) {
    tray_check_->stop();
  } else if (!available_()) {
    RestoreFromTray();
  }
}

void TrayController::RestoreFromTray() {
  tray_check_->stop();
  window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
  window_.show();
  window_.raise();
  window_.activateWindow();
  menu_->setDefaultAction(minimize_);
}

void TrayController::ToggleVisibility() {
  if (window_.isVisible()) {
    HideToTray();
  } else {
    RestoreFromTray();
  }
}

void TrayController::OnActivated(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      if (clicks_.Click()) ToggleVisibility();
      return;
    case QSystemTrayIcon::DoubleClick:
      if (clicks_.DoubleClick()) ToggleVisibility();
      return;
    default:
      return;  // the context menu opens by itself
  }
}

void TrayController::WindowStateChanged() {
  if (!window_.isMinimized() || !enabled_ || !available_()) return;
  // Hidden once the minimise has been carried out, so the window leaves the taskbar; the tray
  // is asked again then, as it may have gone meanwhile.
  QTimer::singleShot(0, this, [this] {
    if (window_.isMinimized() && available_()) HideToTray();
  });
}

}  // namespace corvane::desktop
