// CMainFrame: the desktop program's top-level window: the menu bar, the status bar (hidden at
// start), the chart view, the context menu of the diagram and the tray (TrayController). Its
// commands are one table (Commands); it carries out the display options itself and routes the
// others to the document's window side (DocumentUi) and the dialogs. Caption off makes it a
// frameless window without menu bar, still sized from its edges; dragging the diagram moves
// it and a double-click brings the caption back (WindowDragFilter); a right-click opens the
// context menu, and so do Shift+F10 and the Menu key, at the window's centre; the window
// manager's own keys still move and size it. File > Open Log... (or a log dropped on the window)
// plays a recording on the chart (PlaybackSession); Esc goes back to the live chart, and the
// commands that need the live profile either wait until then or go back first.
//
// GUI thread only. The document, the dialogs and the message sink must outlive the frame.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPoint>
#include <QSystemTrayIcon>
#include <QUrl>
#include <vector>

#include "core/corvane_settings.h"
#include "desktop/frame/command.h"
#include "desktop/frame/tray_click_rule.h"

class QAction;
class QLabel;
class QMenu;

namespace corvane::desktop {

class CCorvaneDoc;
class CCorvaneView;
class TrayController;
class TrayRose;
class DocumentDialogs;
class DocumentUi;
class MachineSettings;
class PlaybackSession;
}  // namespace corvane::desktop

namespace corvane::qt {
class QtMessageSink;
}  // namespace corvane::qt

namespace corvane::desktop {

class CMainFrame final : public QMainWindow {
  Q_OBJECT

 public:
  // The engine's messages (`messages`) are shown over the frame.
  CMainFrame(CCorvaneDoc& document, DocumentDialogs& dialogs, MachineSettings& machine,
             qt::QtMessageSink& messages);
  ~CMainFrame() override;

  CCorvaneView* view() const { return view_; }
  // The document's window side: the commands that ask the user and stop the collector.
  DocumentUi& document_ui() const { return *ui_; }
  // The action of a command id (the same object in the menu bar and the context menu).
  QAction* action(int id) const { return actions_.value(id); }
  QMenu* context_menu() const { return context_menu_; }
  TrayController& tray() const { return *tray_; }
  // The recording shown in place of the live chart, if any.
  PlaybackSession& playback() const { return *playback_; }
  QMenu* tray_menu() const;
  QSystemTrayIcon* tray_icon() const;
  TrayRose* tray_rose() const;
  bool tray_icon_added() const;
  bool tray_enabled() const;

  // Settles on-top state, tray icon, caption and menu bar from the settings; `activation`
  // is the frame being shown for a document (start-up, New, Open).
  void Synchronise(bool activation);
  // Carries out a command by id, as its menu item does.
  void OnCommand(int id);
  // Opens the context menu at a global position (the menu runs its own loop).
  void ShowContextMenu(const QPoint& global_pos);
  // The context menu from the keyboard (Shift+F10, the Menu key): at the window's centre.
  void ShowContextMenuFromKeyboard();

  // Plays the activity log at `path` back on the chart.
  void OpenLog(const QString& path);

  void HideToTray();
  void RestoreFromTray();

  // For tests: the tray's clock, and whether a tray exists (normally asked of Qt).
  void SetTrayClock(TrayClickRule::Clock clock);
  void SetTrayAvailable(bool available);

 Q_SIGNALS:
  // The window has been closed for good (after the save check).
  void closed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // The command table (main_frame_commands.cpp).
  static const std::vector<Command>& Commands();

  void CreateActions();
  // Adds the items of the menu list `name` to `menu`.
  void FillMenu(QMenu* menu, const char* name);
  void CreateMenus();
  void CreateContextMenu();
  void PlaceAtStart();
  void CreateTray();
  void CreateStatusBar();
  void CreatePlayback();
  void OnPlaybackActive(bool active);
  void OnFileOpenLog();

  void UpdateCaption();
  void UpdateRecentFiles();
  void SyncCheckMarks();
  bool ToggleSetting(std::int32_t CorvaneSettings::*member);
  bool SettingOn(std::int32_t CorvaneSettings::*member) const;
  void OpenRecent(int index);
  void OpenPage(const QUrl& page);
  void ToggleStatusBar();
  void ToggleChartLabel(const ChartLabel& label);
  void ToggleCaption();
  void SetCaptionShown(bool shown);
  void SetOnTop(bool on_top);
  void ApplyWindowFlags(Qt::WindowFlags flags);

  CCorvaneDoc& document_;
  DocumentDialogs& dialogs_;
  MachineSettings& machine_;
  CCorvaneView* view_ = nullptr;
  DocumentUi* ui_ = nullptr;
  TrayController* tray_ = nullptr;
  PlaybackSession* playback_ = nullptr;
  QString moment_;  // the recorded moment shown, for the caption
  QLabel* ready_label_ = nullptr;
  QHash<int, QAction*> actions_;
  QHash<QString, QAction*> actions_by_name_;
  QMenu* file_menu_ = nullptr;
  QList<QAction*> recent_actions_;
  QAction* no_recent_action_ = nullptr;
  QMenu* options_menu_ = nullptr;
  QMenu* context_menu_ = nullptr;
};

}  // namespace corvane::desktop
