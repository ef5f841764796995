// CMainFrame: the desktop program's top-level window: the menu bar, the status bar (hidden at
// start), the chart view, the context menu of the diagram and the tray icon. It carries out
// the display-option commands itself and routes the others to the document and the dialogs.
// Caption off makes it a frameless window without menu bar, still sized from its edges;
// dragging the diagram moves it, a double-click brings the caption back, a right-click opens
// the context menu, and so do Shift+F10 and the Menu key, at the window's centre; the window
// manager's own keys still move and size it. Minimising while Enable In Tray is on hides it to the
// tray (where a tray exists).
//
// GUI thread only. The document and the dialogs must outlive the frame.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPoint>
#include <QSystemTrayIcon>

#include "core/corvane_settings.h"
#include "desktop/tray_click_rule.h"

class QAction;
class QLabel;
class QMenu;

namespace corvane::desktop {

class CCorvaneDoc;
class CCorvaneView;
class TrayRose;
class DocumentDialogs;
class MachineSettings;

class CMainFrame final : public QMainWindow {
  Q_OBJECT

 public:
  CMainFrame(CCorvaneDoc& document, DocumentDialogs& dialogs, MachineSettings& machine);
  ~CMainFrame() override;

  CCorvaneView* view() const { return view_; }
  // The action of a command id (the same object in the menu bar and the context menu).
  QAction* action(int id) const { return actions_.value(id); }
  QMenu* context_menu() const { return context_menu_; }
  QMenu* tray_menu() const { return tray_menu_; }
  QSystemTrayIcon* tray_icon() const { return tray_icon_; }
  TrayRose* tray_rose() const { return tray_rose_; }
  bool tray_icon_added() const { return tray_icon_->isVisible(); }
  bool tray_enabled() const { return tray_enabled_; }

  // Settles on-top state, tray icon, caption and menu bar from the settings; `activation`
  // is the frame being shown for a document (start-up, New, Open).
  void Synchronise(bool activation);
  // Carries out a command by id, as its menu item does.
  void OnCommand(int id);
  // Opens the context menu at a global position (the menu runs its own loop).
  void ShowContextMenu(const QPoint& global_pos);
  // The context menu from the keyboard (Shift+F10, the Menu key): at the window's centre.
  void ShowContextMenuFromKeyboard();

  void HideToTray();
  void RestoreFromTray();

  // For tests: the tray's clock, and whether a tray exists (normally asked of Qt).
  void SetTrayClock(TrayClickRule::Clock clock) { tray_clicks_.SetClock(std::move(clock)); }
  void SetTrayAvailable(bool available) { tray_available_ = available; }

 Q_SIGNALS:
  // The window has been closed for good (after the save check).
  void closed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void CreateActions();
  void CreateMenus();
  void CreateContextMenu();
  void CreateTrayIcon();
  void CreateStatusBar();
  QAction* AddAction(int id, const QString& text, bool checkable = false);
  QMenu* AddLineMenu(QMenu* parent, const QString& title, int show, int bold, int colour);
  QMenu* AddDiagramMenu(QMenu* parent);
  QMenu* AddLabelsMenu(QMenu* parent);

  void UpdateCaption();
  void UpdateRecentFiles();
  void SyncCheckMarks();
  void UpdateTrayMenu();
  bool ToggleSetting(std::int32_t CorvaneSettings::*member);
  void ToggleChartLabel(int id);
  void ToggleCaption();
  void SetCaptionShown(bool shown);
  void SetOnTop(bool on_top);
  void SetTrayIconAdded(bool added);
  void ApplyWindowFlags(Qt::WindowFlags flags);
  void OnTrayActivated(QSystemTrayIcon::ActivationReason reason);
  void ToggleVisibility();
  bool InDiagram(const QPoint& pos) const;
  Qt::Edges ResizeEdges(const QPoint& pos) const;

  CCorvaneDoc& document_;
  DocumentDialogs& dialogs_;
  MachineSettings& machine_;
  CCorvaneView* view_ = nullptr;
  QLabel* ready_label_ = nullptr;
  QHash<int, QAction*> actions_;
  QMenu* file_menu_ = nullptr;
  QAction* recent_separator_ = nullptr;
  QList<QAction*> recent_actions_;
  QAction* no_recent_action_ = nullptr;
  QMenu* options_menu_ = nullptr;
  QMenu* context_menu_ = nullptr;
  QMenu* tray_menu_ = nullptr;
  QSystemTrayIcon* tray_icon_ = nullptr;
  TrayRose* tray_rose_ = nullptr;
  bool tray_enabled_ = true;
  bool tray_available_ = QSystemTrayIcon::isSystemTrayAvailable();
  TrayClickRule tray_clicks_;
  bool drag_armed_ = false;
  QPoint press_pos_;
};

}  // namespace corvane::desktop
