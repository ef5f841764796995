#include "desktop/frame/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QWindow>
#include <string_view>
#include <vector>

#include "core/recording/dropped_file.h"
#include "desktop/app/machine_settings.h"
#include "desktop/app/program_icon.h"
#include "desktop/dialogs/document_dialogs.h"
#include "desktop/document/corvane_doc.h"
#include "desktop/frame/command_ids.h"
#include "desktop/frame/corvane_view.h"
#include "desktop/frame/document_ui.h"
#include "desktop/frame/playback_session.h"
#include "desktop/frame/tray_controller.h"
#include "desktop/frame/tray_rose.h"
#include "desktop/frame/window_drag_filter.h"
#include "platform/qt/product_text.h"
#include "platform/qt/window_flags.h"

namespace corvane::desktop {
namespace {

// The status bar's text while the live chart is shown.
constexpr char kReady[] = QT_TRANSLATE_NOOP("corvane::desktop::CMainFrame", "Ready");

// The menus, each a list of command names: "-" is a separator, ">name" the submenu of that
// name, "recent" the recent files with the item shown while there are none.
struct MenuSpec {
  const char* name;
  const char* title;
  std::vector<const char*> items;
};

const MenuSpec kMenus[] = {
    {"file",
     QT_TRANSLATE_NOOP("corvane::desktop::CMainFrame", "&File"),
     {"file.new", "file.open", "file.open_log", "file.save", "file.save_as", "-", "file.view_log",
      "file.clean_log", "file.log_settings", "-", "file.reset_max", "file.restart", "recent", "-",
      "file.exit"}},
    {"options",
     QT_TRANSLATE_NOOP("corvane::desktop::CMainFrame", "&Options"),
     {"options.caption", "options.enable_tray", "options.always_on_top", "options.status_bar",
      "options.notify_critical", "-", ">labels", ">current", ">average", ">max", ">diagram", "-",
      "options.connect", "-", "options.counters", "options.preferences", "options.system"}},
    {"help",
     QT_TRANSLATE_NOOP("corvane::desktop::CMainFrame", "&Help"),
     {"help.contents", "-", "help.website", "help.contact_us", "-", "help.about"}},
    {"labels",
     QT_TRANSLATE_NOOP("corvane::desktop::CMainFrame", "Display &Labels"),
     {"labels.names", "labels.values", "labels.numbers"}},
    {"current",
     QT_TRANSLATE_NOOP("corvane::desktop::CMainFrame", "C&urrent Line"),
     {"current.show", "current.bold", "current.colour"}},
    {"average",
     QT_TRANSLATE_NOOP("corvane::desktop::CMainFrame", "&Average Line"),
     {"average.show", "average.bold", "average.colour"}},
    {"max",
     QT_TRANSLATE_NOOP("corvane::desktop::CMainFrame", "&Maximal Line"),
     {"max.show", "max.bold", "max.colour"}},
    {"diagram",
     QT_TRANSLATE_NOOP("corvane::desktop::CMainFrame", "&Diagram"),
     {"diagram.background", "diagram.text_colour", "diagram.lines_colour",
      "diagram.critical_colour", "diagram.bold_critical"}},
    {"context",
     "",
     {"options.caption",
      "options.enable_tray",
      "options.always_on_top",
      "-",
      ">labels",
      ">current",
      ">average",
      ">max",
      ">diagram",
      "-",
      "options.counters",
      "options.connect",
      "options.preferences",
      "-",
      "file.view_log",
      "file.clean_log",
      "file.log_settings",
      "-",
      "file.reset_max",
      "file.restart",
      "window.minimize",
      "file.exit"}},
    {"tray", "", {"tray.restore", "tray.minimize", "-", "help.about", "file.exit"}},
};

const MenuSpec& Menu(std::string_view name) {
  for (const MenuSpec& menu : kMenus) {
    if (name == menu.name) return menu;
  }
  return kMenus[0];
}

}  // namespace

CMainFrame::CMainFrame(CCorvaneDoc& document, DocumentDialogs& dialogs, MachineSettings& machine,
                       qt::QtMessageSink& messages)
    : document_(document), dialogs_(dialogs), machine_(machine) {
  setWindowIcon(ProgramIcon());
  setAcceptDrops(true);
  PlaceAtStart();

  // The diagram, and what the document's commands ask the user.
  view_ = new CCorvaneView(document_, this);
  setCentralWidget(view_);
  ui_ = new DocumentUi(document_, dialogs_, messages, *this, view_->engine_window());

  // The commands and the menus built from them.
  CreateActions();
  CreateMenus();
  CreateContextMenu();
  CreateStatusBar();
  CreateTray();
  CreatePlayback();

  // Moving and sizing by the mouse.
  auto* drag = new WindowDragFilter(*this, *view_);
  connect(drag, &WindowDragFilter::contextMenuRequested, this, &CMainFrame::ShowContextMenu);
  connect(drag, &WindowDragFilter::diagramDoubleClicked, this, &CMainFrame::ToggleCaption);

  // What the frame shows follows the document.
  connect(&document_, &CCorvaneDoc::titleChanged, this, &CMainFrame::UpdateCaption);
  connect(&document_, &CCorvaneDoc::recentFilesChanged, this, &CMainFrame::UpdateRecentFiles);
  connect(ui_, &DocumentUi::documentShown, this, [this] { Synchronise(true); });
  connect(options_menu_, &QMenu::aboutToShow, this, &CMainFrame::SyncCheckMarks);
  connect(context_menu_, &QMenu::aboutToShow, this, &CMainFrame::SyncCheckMarks);
  UpdateCaption();
  UpdateRecentFiles();
}

void CMainFrame::PlaceAtStart() {
  // The frame is created at half the screen's size, centred; start-up then moves it to the
  // profile's rectangle.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect available = screen->geometry();
    const QSize size(available.width() / 2, available.height() / 2);
    setGeometry(QRect(
        QPoint((available.width() - size.width()) / 2, (available.height() - size.height()) / 2),
        size));
  }
}

CMainFrame::~CMainFrame() = default;

// ---- Construction. ----

void CMainFrame::CreateActions() {
  for (const Command& command : Commands()) {
    auto* action = new QAction(tr(command.text), this);
    action->setData(command.id);
    action->setObjectName(QString::fromLatin1(command.name));
    action->setCheckable(command.checkable);
    if (command.shortcut != QKeySequence::UnknownKey) action->setShortcut(command.shortcut);
    action->setStatusTip(tr(command.prompt));
    connect(action, &QAction::triggered, this, [this, id = command.id] { OnCommand(id); });
    actions_.insert(command.id, action);
    actions_by_name_.insert(QString::fromLatin1(command.name), action);
    if (command.id >= cmd::kFileMru1 && command.id < cmd::kFileMru1 + kRecentFileCount)
      recent_actions_.append(action);
  }
}

void CMainFrame::FillMenu(QMenu* menu, const char* name) {
  for (const char* item : Menu(name).items) {
    const std::string_view entry(item);
    if (entry == "-") {
      menu->addSeparator();
    } else if (entry == "recent") {
      menu->addSeparator();
      no_recent_action_ = menu->addAction(tr("Recent File"));
      no_recent_action_->setEnabled(false);
      for (QAction* recent : recent_actions_) menu->addAction(recent);
    } else if (entry.front() == '>') {
      const MenuSpec& sub = Menu(entry.substr(1));
      FillMenu(menu->addMenu(tr(sub.title)), sub.name);
    } else {
      menu->addAction(actions_by_name_.value(QString::fromLatin1(item)));
    }
  }
}

void CMainFrame::CreateMenus() {
  file_menu_ = menuBar()->addMenu(tr(Menu("file").title));
  FillMenu(file_menu_, "file");
  options_menu_ = menuBar()->addMenu(tr(Menu("options").title));
  FillMenu(options_menu_, "options");
  FillMenu(menuBar()->addMenu(tr(Menu("help").title)), "help");
}

void CMainFrame::CreateContextMenu() {
  context_menu_ = new QMenu(this);
  FillMenu(context_menu_, "context");
}

void CMainFrame::CreateStatusBar() {
  ready_label_ = new QLabel(tr(kReady), this);
  statusBar()->addWidget(ready_label_, 1);
  statusBar()->hide();
}

void CMainFrame::CreateTray() {
  auto* menu = new QMenu(this);
  FillMenu(menu, "tray");
  tray_ = new TrayController(*this, document_.engine(), menu, action(cmd::kTrayRestore),
                             action(cmd::kTrayMinimize));
  connect(&view_->engine_window(), &qt::QtEngineWindow::delivered, tray_->rose(),
          &TrayRose::SampleEnded);
  // An unseen window still hands the rose its samples while a tray shows it.
  TrayRose* rose = tray_->rose();
  view_->SetOtherDemand([rose] { return rose->TrayShows(); });
  connect(rose, &TrayRose::showsChanged, view_, &CCorvaneView::DemandChanged);
  connect(&document_.alert_notifier(), &AlertNotifier::alertCountChanged, tray_->rose(),
          &TrayRose::SetAlertCount);
}

void CMainFrame::CreatePlayback() {
  playback_ = new PlaybackSession(document_, *ui_, *this, view_->engine_window());
  connect(playback_, &PlaybackSession::activeChanged, this, &CMainFrame::OnPlaybackActive);
  connect(playback_, &PlaybackSession::momentShown, this, [this](const QString& caption) {
    moment_ = caption.section(QLatin1Char('.'), 0, 0);
    ready_label_->setText(caption);
    UpdateCaption();
  });
}

QMenu* CMainFrame::tray_menu() const { return tray_->menu(); }
QSystemTrayIcon* CMainFrame::tray_icon() const { return tray_->icon(); }
TrayRose* CMainFrame::tray_rose() const { return tray_->rose(); }
bool CMainFrame::tray_icon_added() const { return tray_->icon_added(); }
bool CMainFrame::tray_enabled() const { return tray_->enabled(); }
void CMainFrame::HideToTray() { tray_->HideToTray(); }
void CMainFrame::RestoreFromTray() { tray_->RestoreFromTray(); }
void CMainFrame::SetTrayClock(TrayClickRule::Clock clock) { tray_->SetClock(std::move(clock)); }
void CMainFrame::SetTrayAvailable(bool available) { tray_->SetAvailable(available); }

// ---- State shown by the frame. ----

void CMainFrame::UpdateCaption() {
  if (playback_ != nullptr && playback_->IsActive()) {
    setWindowTitle(
        QStringLiteral("%1 (%2) - %3")
            .arg(playback_->LogName(), moment_, QString::fromLatin1(product::kAppTitle)));
    return;
  }
  setWindowTitle(document_.Title() + QStringLiteral(" - ") +
                 QString::fromLatin1(product::kAppTitle));
}

void CMainFrame::OnPlaybackActive(bool active) {
  for (const Command& command : Commands()) {
    if (command.in_playback == InPlayback::kDisabled) action(command.id)->setEnabled(!active);
  }
  if (!active) {
    moment_.clear();
    ready_label_->setText(tr(kReady));
    view_->setFocus(Qt::OtherFocusReason);
  }
  UpdateCaption();
  SyncCheckMarks();
}

void CMainFrame::UpdateRecentFiles() {
  const QStringList files = machine_.RecentFiles();
  for (int i = 0; i < recent_actions_.size(); ++i) {
    QAction* recent = recent_actions_[i];
    const bool used = i < files.size();
    recent->setVisible(used);
    if (!used) continue;
    QString shown = QDir::toNativeSeparators(files[i]);
    const QString home = QDir::homePath();
    if (shown.startsWith(home + QLatin1Char('/')))
      shown = QLatin1Char('~') + shown.mid(home.size());
    recent->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(shown.replace('&', "&&")));
    recent->setStatusTip(files[i]);
  }
  no_recent_action_->setVisible(files.isEmpty());
}

void CMainFrame::SyncCheckMarks() {
  const Corvane& engine = document_.engine();
  for (const Command& command : Commands()) {
    if (command.checked != nullptr) {
      action(command.id)->setChecked(command.checked(*this));
    } else if (command.label.get != nullptr) {
      action(command.id)->setChecked((engine.*command.label.get)() != 0);
    }
  }
}

void CMainFrame::Synchronise(bool activation) {
  const CorvaneSettings settings = document_.engine().GetSettings();
  SetOnTop(settings.AlwaysOntop != 0);
  tray_->Synchronise(settings.EnableTray != 0, activation);
  document_.alert_notifier().SetEnabled(settings.NotifyCritical != 0);
  if (activation) SetCaptionShown(settings.Caption != 0);
  SyncCheckMarks();
}

// ---- Commands. ----

void CMainFrame::OnCommand(int id) {
  for (const Command& command : Commands()) {
    if (command.id != id) continue;
    if (playback_->IsActive()) {
      if (command.in_playback == InPlayback::kDisabled) return;
      if (command.in_playback == InPlayback::kLeaves) playback_->Leave();
    }
    if (command.label.set != nullptr) return ToggleChartLabel(command.label);
    return command.handler(*this);
  }
}

void CMainFrame::OnFileOpenLog() {
  if (const std::optional<QString> path = dialogs_.AskOpenLogPath(this)) OpenLog(*path);
}

void CMainFrame::OpenLog(const QString& path) { playback_->Open(path); }

void CMainFrame::OpenRecent(int index) {
  const QStringList files = machine_.RecentFiles();
  if (index < files.size()) ui_->OpenFiles({files[index]});
}

void CMainFrame::OpenPage(const QUrl& page) {
  if (!page.isEmpty()) dialogs_.OpenUrl(page);
}

void CMainFrame::ToggleStatusBar() {
  statusBar()->setVisible(statusBar()->isHidden());
  SyncCheckMarks();
}

bool CMainFrame::SettingOn(std::int32_t CorvaneSettings::*member) const {
  return document_.engine().GetSettings().*member != 0;
}

bool CMainFrame::ToggleSetting(std::int32_t CorvaneSettings::*member) {
  Corvane& engine = document_.engine();
  CorvaneSettings settings = engine.GetSettings();
  const bool on = settings.*member == 0;
  settings.*member = on ? 1 : 0;
  engine.SetSettings(settings);
  engine.ApplySettingsToChart();
  SyncCheckMarks();
  view_->update();
  return on;
}

void CMainFrame::ToggleChartLabel(const ChartLabel& label) {
  Corvane& engine = document_.engine();
  {
    // Label changes are display options: the document stays as modified as it was.
    chart::ChartLock lock(engine);
    const bool modified = engine.IsModified();
    (engine.*label.set)((engine.*label.get)() != 0 ? 0 : 1);
    engine.SetModified(modified);
  }
  SyncCheckMarks();
  view_->update();
}

// ---- Window behaviour. ----

void CMainFrame::ApplyWindowFlags(Qt::WindowFlags flags) { qt::ApplyWindowFlags(this, flags); }

void CMainFrame::SetOnTop(bool on_top) { qt::SetStaysOnTop(this, on_top); }

void CMainFrame::SetCaptionShown(bool shown) {
  menuBar()->setVisible(shown);
  Qt::WindowFlags flags = windowFlags();
  flags.setFlag(Qt::FramelessWindowHint, !shown);
  ApplyWindowFlags(flags);
  if (shown) SyncCheckMarks();
}

void CMainFrame::ToggleCaption() { OnCommand(cmd::kCaption); }

void CMainFrame::ShowContextMenu(const QPoint& global_pos) { context_menu_->exec(global_pos); }

void CMainFrame::ShowContextMenuFromKeyboard() {
  // The platform may turn the Menu key into a context-menu event as well: one menu is enough.
  if (context_menu_->isVisible()) return;
  ShowContextMenu(mapToGlobal(rect().center()));
}

void CMainFrame::contextMenuEvent(QContextMenuEvent* event) {
  // The diagram's menu opens on the button press; the main window's own toolbar menu is not
  // wanted. A context-menu request from the keyboard opens the diagram's menu.
  event->accept();
  if (event->reason() == QContextMenuEvent::Keyboard) ShowContextMenuFromKeyboard();
}

void CMainFrame::keyPressEvent(QKeyEvent* event) {
  const bool menu_key = event->key() == Qt::Key_Menu && event->modifiers() == Qt::NoModifier;
  const bool shift_f10 = event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier;
  if (menu_key || shift_f10) {
    event->accept();
    ShowContextMenuFromKeyboard();
    return;
  }
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
      playback_->IsActive()) {
    event->accept();
    playback_->Leave();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

void CMainFrame::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // Activated, the window takes its always-on-top state from the setting again (a followed
  // link in the about box takes it out of that state for the browser).
  if (event->type() == QEvent::ActivationChange && isActiveWindow())
    SetOnTop(document_.engine().GetSettings().AlwaysOntop != 0);
  if (event->type() == QEvent::WindowStateChange) tray_->WindowStateChanged();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (ui_->stopper().IsPending()) {
    event->ignore();
    return;
  }
  // The save check is the live profile's: it comes back first.
  playback_->Leave();
  if (!ui_->SaveModified()) {
    event->ignore();
    return;
  }
  tray_->Remove();
  event->accept();
  Q_EMIT closed();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths.append(url.toLocalFile());
  }
  if (paths.isEmpty()) return;
  event->acceptProposedAction();
  // A dropped activity log is played back (the last one, when several are dropped, and then
  // no profile opens). Otherwise each dropped profile opens in turn, as File > Open does; the
  // last one stays open. Opened once the drop is over, so that the drag source is not kept
  // waiting by a message.
  QString log;
  for (const QString& path : paths) {
    if (recording::ClassifyDroppedFile(path.toStdString()) ==
        recording::DroppedFileKind::kActivityLog)
      log = path;
  }
  if (!log.isEmpty()) {
    QTimer::singleShot(0, this, [this, log] { OpenLog(log); });
    return;
  }
  QTimer::singleShot(0, this, [this, paths] {
    playback_->Leave();
    ui_->OpenFiles(paths);
  });
}

}  // namespace corvane::desktop
