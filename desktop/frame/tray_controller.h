// TrayController: the main window's tray icon: the icon (the live mini rose from the first
// sample on), its menu's Restore and Minimize, the click rule that shows and hides the window,
// and hiding to the tray when the window is minimised while Enable In Tray is on (where a
// tray exists). Whether a tray exists is asked at every minimise, and while the window is
// hidden: a tray that goes away (the panel restarts, its extension is turned off) brings the
// window back, which could otherwise be reached no more. Owned by the main frame, whose window
// it shows and hides.
//
// GUI thread only. The window, the engine and the actions must outlive it.
#pragma once

#include <QObject>
#include <QSystemTrayIcon>
#include <functional>

#include "desktop/frame/tray_click_rule.h"

class QAction;
class QTimer;
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
  // Hides the window to the tray (the tray's own commands: a tray is there); should the tray go
  // later, the window comes back.
  void HideToTray();
  void RestoreFromTray();
  // The program ends: the icon goes.
  void Remove() { icon_->hide(); }

  // How often a hidden window looks for the tray.
  static constexpr int kTrayCheckMs = 1000;

  // For tests: the clock of the click rule, and whether a tray exists (normally asked of Qt
  // each time).
  void SetClock(TrayClickRule::Clock clock) { clicks_.SetClock(std::move(clock)); }
  void SetAvailable(bool available);

 private:
  void OnActivated(QSystemTrayIcon::ActivationReason reason);
  void ToggleVisibility();
  void UpdateMenu();
  // While hidden: the window comes back when the tray has gone.
  void CheckTray();

  QWidget& window_;
  QMenu* menu_;
  QAction* restore_;
  QAction* minimize_;
  QSystemTrayIcon* icon_ = nullptr;
  TrayRose* rose_ = nullptr;
  bool enabled_ = true;
  std::function<bool()> available_ = &QSystemTrayIcon::isSystemTrayAvailable;
  QTimer* tray_check_ = nullptr;  // runs while the window is hidden to the tray
  TrayClickRule clicks_;
};

}  // namespace corvane::desktop
