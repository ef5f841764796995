// TrayController: the main window's tray icon: the icon (the live mini rose from the first
// sample on), its menu's Restore and Minimize, the click rule that shows and hides the window,
// and hiding to the tray when the window is minimised while Enable In Tray is on (where a
// tray exists). Owned by the main frame, whose window it shows and hides.
//
// GUI thread only. The window, the engine and the actions must outlive it.
#pragma once

#include <QObject>
#include <QSystemTrayIcon>

#include "desktop/frame/tray_click_rule.h"

class QAction;
class QMenu;
class QWidget;

namespace corvane {
class Corvane;
}

namespace corvane::desktop {

class TrayRose;

class TrayController final : public QObject {
  Q_OBJECT

 public:
  // `menu` is the tray menu, holding `restore` and `minimize`.
  TrayController(QWidget& window, Corvane& engine, QMenu* menu, QAction* restore,
                 QAction* minimize);

  QSystemTrayIcon* icon() const { return icon_; }
  QMenu* menu() const { return menu_; }
  TrayRose* rose() const { return rose_; }
  bool icon_added() const { return icon_->isVisible(); }
  bool enabled() const { return enabled_; }

  // Enable In Tray as the profile has it; `activation` (a document shown) also adds the icon.
  void Synchronise(bool enabled, bool activation);
  // The Enable In Tray command: the icon comes and goes with it.
  void SetEnabled(bool enabled);
  // The window's state changed: a minimised window goes to the tray where that is wanted.
  void WindowStateChanged();
  void HideToTray();
  void RestoreFromTray();
  // The program ends: the icon goes.
  void Remove() { icon_->hide(); }

  // For tests: the clock of the click rule, and whether a tray exists (normally asked of Qt).
  void SetClock(TrayClickRule::Clock clock) { clicks_.SetClock(std::move(clock)); }
  void SetAvailable(bool available) { available_ = available; }

 private:
  void OnActivated(QSystemTrayIcon::ActivationReason reason);
  void ToggleVisibility();
  void UpdateMenu();

  QWidget& window_;
  QMenu* menu_;
  QAction* restore_;
  QAction* minimize_;
  QSystemTrayIcon* icon_ = nullptr;
  TrayRose* rose_ = nullptr;
  bool enabled_ = true;
  bool available_ = QSystemTrayIcon::isSystemTrayAvailable();
  TrayClickRule clicks_;
};

}  // namespace corvane::desktop
