#include "desktop/main_frame.h"

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

#include "desktop/command_ids.h"
#include "desktop/corvane_doc.h"
#include "desktop/corvane_view.h"
#include "desktop/document_dialogs.h"
#include "desktop/help/help_targets.h"
#include "desktop/machine_settings.h"
#include "desktop/monotonic_clock.h"
#include "desktop/tray_rose.h"
#include "platform/qt/window_flags.h"

// The icon lives in the desktop library's resources, which a static library must register.
static void InitDesktopResources() { Q_INIT_RESOURCE(corvane); }

namespace corvane::desktop {
namespace {

// Width of the band along the edges of a frameless window that sizes it.
constexpr int kSizingBorder = 5;  // pixels

struct SettingCommand {
  int id;
  std::int32_t CorvaneSettings::*member;
};

// The display options kept in the engine's settings.
constexpr SettingCommand kSettingCommands[] = {
    {cmd::kShowCurrent, &CorvaneSettings::ShowCurrent},
    {cmd::kBoldCurrent, &CorvaneSettings::BoldCur},
    {cmd::kShowAverage, &CorvaneSettings::ShowAverage},
    {cmd::kBoldAverage, &CorvaneSettings::BoldAvg},
    {cmd::kShowMax, &CorvaneSettings::ShowMax},
    {cmd::kBoldMax, &CorvaneSettings::BoldMax},
    {cmd::kBoldCritical, &CorvaneSettings::BoldCrit},
    {cmd::kAlwaysOnTop, &CorvaneSettings::AlwaysOntop},
    {cmd::kEnableTray, &CorvaneSettings::EnableTray},
    {cmd::kNotifyCritical, &CorvaneSettings::NotifyCritical},
    {cmd::kCaption, &CorvaneSettings::Caption},
};

struct ColourCommand {
  int id;
  ColourSetting setting;
};

constexpr ColourCommand kColourCommands[] = {
    {cmd::kCurrentColour, ColourSetting::kCurrent},
    {cmd::kAverageColour, ColourSetting::kAverage},
    {cmd::kMaxColour, ColourSetting::kMax},
    {cmd::kBackColour, ColourSetting::kBack},
    {cmd::kTextColour, ColourSetting::kText},
    {cmd::kLinesColour, ColourSetting::kLines},
    {cmd::kCriticalColour, ColourSetting::kCritical},
};

}  // namespace

CMainFrame::CMainFrame(CCorvaneDoc& document, DocumentDialogs& dialogs, MachineSettings& machine)
    : document_(document),
      dialogs_(dialogs),
      machine_(machine),
      tray_clicks_(MonotonicMilliseconds) {
  InitDesktopResources();
  setWindowIcon(QIcon(QStringLiteral(":/corvane/corvane.svg")));
  view_ = new CCorvaneView(document_, this);
  setCentralWidget(view_);
  CreateActions();
  CreateMenus();
  CreateContextMenu();
  CreateStatusBar();
  CreateTrayIcon();

  connect(&document_, &CCorvaneDoc::titleChanged, this, &CMainFrame::UpdateCaption);
  connect(&document_, &CCorvaneDoc::recentFilesChanged, this, &CMainFrame::UpdateRecentFiles);
  connect(tray_icon_, &QSystemTrayIcon::activated, this, &CMainFrame::OnTrayActivated);
  connect(tray_menu_, &QMenu::aboutToShow, this, &CMainFrame::UpdateTrayMenu);
  connect(options_menu_, &QMenu::aboutToShow, this, &CMainFrame::SyncCheckMarks);
  connect(context_menu_, &QMenu::aboutToShow, this, &CMainFrame::SyncCheckMarks);

  // Dragging the diagram moves the window and hovering the edges of a frameless window shows
  // the sizing cursors, so the frame follows the mouse.
  setMouseTracking(true);
  setAcceptDrops(true);
  // The frame is created at half the screen's size, centred; start-up then moves it to the
  // profile's rectangle.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect available = screen->geometry();
    const QSize size(available.width() / 2, available.height() / 2);
    setGeometry(QRect(
        QPoint((available.width() - size.width()) / 2, (available.height() - size.height()) / 2),
        size));
  }
  document_.AttachWindows(this, &view_->engine_window());
  UpdateCaption();
  UpdateRecentFiles();
}

CMainFrame::~CMainFrame() {
  document_.ShutDown();
  document_.AttachWindows(nullptr, nullptr);
}

// ---- Construction. ----

QAction* CMainFrame::AddAction(int id, const QString& text, bool checkable) {
  auto* action = new QAction(text, this);
  action->setData(id);
  action->setCheckable(checkable);
  action->setStatusTip(tr(CommandPrompt(id)));
  connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
  actions_.insert(id, action);
  return action;
}

void CMainFrame::CreateActions() {
  AddAction(cmd::kFileNew, tr("&New..."))->setShortcut(QKeySequence::New);
  AddAction(cmd::kFileOpen, tr("&Open..."))->setShortcut(QKeySequence::Open);
  AddAction(cmd::kFileSave, tr("&Save"))->setShortcut(QKeySequence::Save);
  AddAction(cmd::kFileSaveAs, tr("Save &As..."));
  AddAction(cmd::kViewLog, tr("&View Log..."));
  AddAction(cmd::kCleanLog, tr("&Clean Log"));
  AddAction(cmd::kLogSettings, tr("&Log Settings..."));
  AddAction(cmd::kResetMax, tr("Reset &Max"));
  AddAction(cmd::kRestart, tr("&Restart"));
  for (int i = 0; i < kRecentFileCount; ++i)
    recent_actions_.append(AddAction(cmd::kFileMru1 + i, {}));
  AddAction(cmd::kAppExit, tr("E&xit"));

  AddAction(cmd::kCaption, tr("Window &Caption"), true);
  AddAction(cmd::kEnableTray, tr("Enable In &Tray"), true);
  AddAction(cmd::kAlwaysOnTop, tr("Always On &Top"), true);
  AddAction(cmd::kStatusBar, tr("&Status Bar"), true);
  AddAction(cmd::kNotifyCritical, tr("&Notify On Critical"), true);
  AddAction(cmd::kShowNames, tr("&Names"), true);
  AddAction(cmd::kShowValues, tr("&Values"), true);
  AddAction(cmd::kShowNumbers, tr("N&umbers"), true);
  AddAction(cmd::kShowCurrent, tr("&Show"), true);
  AddAction(cmd::kBoldCurrent, tr("&Bold"), true);
  AddAction(cmd::kCurrentColour, tr("&Color..."));
  AddAction(cmd::kShowAverage, tr("&Show"), true);
  AddAction(cmd::kBoldAverage, tr("&Bold"), true);
  AddAction(cmd::kAverageColour, tr("&Color..."));
  AddAction(cmd::kShowMax, tr("&Show"), true);
  AddAction(cmd::kBoldMax, tr("&Bold"), true);
  AddAction(cmd::kMaxColour, tr("&Color..."));
  AddAction(cmd::kBackColour, tr("&Background..."));
  AddAction(cmd::kTextColour, tr("&Text Color..."));
  AddAction(cmd::kLinesColour, tr("&Lines Color..."));
  AddAction(cmd::kCriticalColour, tr("&Critical Color..."));
  AddAction(cmd::kBoldCritical, tr("Bold C&ritical Line"), true);
  AddAction(cmd::kConnect, tr("C&onnect to..."));
  AddAction(cmd::kCounters, tr("&Counters..."));
  AddAction(cmd::kPreferences, tr("&Preferences..."));
  AddAction(cmd::kSystemOptions, tr("S&ystem..."));

  AddAction(cmd::kHelpContents, tr("&Contents"))->setShortcut(QKeySequence::HelpContents);
  AddAction(cmd::kWebsite, tr("&Website..."));
  AddAction(cmd::kContactUs, tr("C&ontact Us..."));
  AddAction(cmd::kAbout, tr("&About..."));

  AddAction(cmd::kContextMinimize, tr("M&inimize"));
  AddAction(cmd::kTrayRestore, tr("&Restore"));
  AddAction(cmd::kTrayMinimize, tr("&Minimize"));
}

QMenu* CMainFrame::AddLabelsMenu(QMenu* parent) {
  QMenu* menu = parent->addMenu(tr("Display &Labels"));
  menu->addAction(action(cmd::kShowNames));
  menu->addAction(action(cmd::kShowValues));
  menu->addAction(action(cmd::kShowNumbers));
  return menu;
}

QMenu* CMainFrame::AddLineMenu(QMenu* parent, const QString& title, int show, int bold,
                               int colour) {
  QMenu* menu = parent->addMenu(title);
  menu->addAction(action(show));
  menu->addAction(action(bold));
  menu->addAction(action(colour));
  return menu;
}

QMenu* CMainFrame::AddDiagramMenu(QMenu* parent) {
  QMenu* menu = parent->addMenu(tr("&Diagram"));
  for (int id : {cmd::kBackColour, cmd::kTextColour, cmd::kLinesColour, cmd::kCriticalColour,
                 cmd::kBoldCritical}) {
    menu->addAction(action(id));
  }
  return menu;
}

void CMainFrame::CreateMenus() {
  file_menu_ = menuBar()->addMenu(tr("&File"));
  for (int id : {cmd::kFileNew, cmd::kFileOpen, cmd::kFileSave, cmd::kFileSaveAs}) {
    file_menu_->addAction(action(id));
  }
  file_menu_->addSeparator();
  for (int id : {cmd::kViewLog, cmd::kCleanLog, cmd::kLogSettings})
    file_menu_->addAction(action(id));
  file_menu_->addSeparator();
  file_menu_->addAction(action(cmd::kResetMax));
  file_menu_->addAction(action(cmd::kRestart));
  recent_separator_ = file_menu_->addSeparator();
  no_recent_action_ = file_menu_->addAction(tr("Recent File"));
  no_recent_action_->setEnabled(false);
  for (QAction* recent : recent_actions_) file_menu_->addAction(recent);
  file_menu_->addSeparator();
  file_menu_->addAction(action(cmd::kAppExit));

  options_menu_ = menuBar()->addMenu(tr("&Options"));
  for (int id : {cmd::kCaption, cmd::kEnableTray, cmd::kAlwaysOnTop, cmd::kStatusBar,
                 cmd::kNotifyCritical}) {
    options_menu_->addAction(action(id));
  }
  options_menu_->addSeparator();
  AddLabelsMenu(options_menu_);
  AddLineMenu(options_menu_, tr("C&urrent Line"), cmd::kShowCurrent, cmd::kBoldCurrent,
              cmd::kCurrentColour);
  AddLineMenu(options_menu_, tr("&Average Line"), cmd::kShowAverage, cmd::kBoldAverage,
              cmd::kAverageColour);
  AddLineMenu(options_menu_, tr("&Maximal Line"), cmd::kShowMax, cmd::kBoldMax, cmd::kMaxColour);
  AddDiagramMenu(options_menu_);
  options_menu_->addSeparator();
  options_menu_->addAction(action(cmd::kConnect));
  options_menu_->addSeparator();
  for (int id : {cmd::kCounters, cmd::kPreferences, cmd::kSystemOptions}) {
    options_menu_->addAction(action(id));
  }

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->addAction(action(cmd::kHelpContents));
  help->addSeparator();
  help->addAction(action(cmd::kWebsite));
  help->addAction(action(cmd::kContactUs));
  help->addSeparator();
  help->addAction(action(cmd::kAbout));
}

void CMainFrame::CreateContextMenu() {
  context_menu_ = new QMenu(this);
  for (int id : {cmd::kCaption, cmd::kEnableTray, cmd::kAlwaysOnTop}) {
    context_menu_->addAction(action(id));
  }
  context_menu_->addSeparator();
  AddLabelsMenu(context_menu_);
  AddLineMenu(context_menu_, tr("C&urrent Line"), cmd::kShowCurrent, cmd::kBoldCurrent,
              cmd::kCurrentColour);
  AddLineMenu(context_menu_, tr("&Average Line"), cmd::kShowAverage, cmd::kBoldAverage,
              cmd::kAverageColour);
  AddLineMenu(context_menu_, tr("&Maximal Line"), cmd::kShowMax, cmd::kBoldMax, cmd::kMaxColour);
  AddDiagramMenu(context_menu_);
  context_menu_->addSeparator();
  for (int id : {cmd::kCounters, cmd::kConnect, cmd::kPreferences}) {
    context_menu_->addAction(action(id));
  }
  context_menu_->addSeparator();
  for (int id : {cmd::kViewLog, cmd::kCleanLog, cmd::kLogSettings}) {
    context_menu_->addAction(action(id));
  }
  context_menu_->addSeparator();
  for (int id : {cmd::kResetMax, cmd::kRestart, cmd::kContextMinimize, cmd::kAppExit}) {
    context_menu_->addAction(action(id));
  }
}

void CMainFrame::CreateStatusBar() {
  ready_label_ = new QLabel(tr(text::kReady), this);
  statusBar()->addWidget(ready_label_, 1);
  statusBar()->hide();
}

void CMainFrame::CreateTrayIcon() {
  tray_menu_ = new QMenu(this);
  tray_menu_->addAction(action(cmd::kTrayRestore));
  tray_menu_->addAction(action(cmd::kTrayMinimize));
  tray_menu_->addSeparator();
  tray_menu_->addAction(action(cmd::kAbout));
  tray_menu_->addAction(action(cmd::kAppExit));
  tray_menu_->setDefaultAction(action(cmd::kTrayMinimize));
  tray_icon_ = new QSystemTrayIcon(windowIcon(), this);
  tray_icon_->setToolTip(tr(text::kAppTitle));
  tray_icon_->setContextMenu(tray_menu_);
  // The icon is the live rose from the first sample on, its tip the number of alerts.
  tray_rose_ = new TrayRose(document_.engine(), *tray_icon_, this);
  connect(&view_->engine_window(), &qt::QtEngineWindow::delivered, tray_rose_,
          &TrayRose::SampleEnded);
  connect(&document_.alert_notifier(), &AlertNotifier::alertCountChanged, tray_rose_,
          &TrayRose::SetAlertCount);
}

// ---- State shown by the frame. ----

void CMainFrame::UpdateCaption() {
  setWindowTitle(document_.Title() + QStringLiteral(" - ") + tr(text::kAppTitle));
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
  const CorvaneSettings settings = document_.engine().GetSettings();
  for (const SettingCommand& command : kSettingCommands) {
    action(command.id)->setChecked(settings.*command.member != 0);
  }
  Corvane& engine = document_.engine();
  action(cmd::kShowNames)->setChecked(engine.GetShowNames() != 0);
  action(cmd::kShowValues)->setChecked(engine.GetShowValues() != 0);
  action(cmd::kShowNumbers)->setChecked(engine.GetShowNumbers() != 0);
  action(cmd::kStatusBar)->setChecked(!statusBar()->isHidden());
}

void CMainFrame::UpdateTrayMenu() {
  const bool visible = isVisible();
  action(cmd::kTrayRestore)->setEnabled(!visible);
  action(cmd::kTrayMinimize)->setEnabled(visible);
  tray_menu_->setDefaultAction(action(visible ? cmd::kTrayMinimize : cmd::kTrayRestore));
}

void CMainFrame::Synchronise(bool activation) {
  const CorvaneSettings settings = document_.engine().GetSettings();
  SetOnTop(settings.AlwaysOntop != 0);
  tray_enabled_ = settings.EnableTray != 0;
  document_.alert_notifier().SetEnabled(settings.NotifyCritical != 0);
  if (activation) {
    if (tray_enabled_ && !tray_icon_added()) SetTrayIconAdded(true);
    SetCaptionShown(settings.Caption != 0);
  }
  SyncCheckMarks();
}

// ---- Commands. ----

void CMainFrame::OnCommand(int id) {
  for (const SettingCommand& command : kSettingCommands) {
    if (command.id != id) continue;
    const bool on = ToggleSetting(command.member);
    if (id == cmd::kAlwaysOnTop) SetOnTop(on);
    if (id == cmd::kEnableTray) {
      tray_enabled_ = on;
      SetTrayIconAdded(on);
    }
    if (id == cmd::kCaption) SetCaptionShown(on);
    if (id == cmd::kNotifyCritical) document_.alert_notifier().SetEnabled(on);
    return;
  }
  for (const ColourCommand& command : kColourCommands) {
    if (command.id == id) return document_.OnColour(command.setting);
  }
  if (id >= cmd::kFileMru1 && id < cmd::kFileMru1 + kRecentFileCount) {
    const QStringList files = machine_.RecentFiles();
    const int index = id - cmd::kFileMru1;
    if (index < files.size()) {
      document_.OpenFile(files[index]);
      Synchronise(true);
    }
    return;
  }
  switch (id) {
    case cmd::kFileNew:
      document_.OnFileNew();
      return Synchronise(true);
    case cmd::kFileOpen:
      document_.OnFileOpen();
      return Synchronise(true);
    case cmd::kFileSave:
      document_.OnFileSave();
      return;
    case cmd::kFileSaveAs:
      document_.OnFileSaveAs();
      return;
    case cmd::kAppExit:
      close();
      return;
    case cmd::kViewLog:
      return document_.OnViewLog();
    case cmd::kCleanLog:
      return document_.OnCleanLog();
    case cmd::kLogSettings:
      return document_.OnLogSettings();
    case cmd::kResetMax:
      return document_.OnResetMax();
    case cmd::kRestart:
      return document_.OnRestart();
    case cmd::kConnect:
      return document_.OnConnect();
    case cmd::kCounters:
      return document_.OnCounters();
    case cmd::kPreferences:
      return document_.OnPreferences();
    case cmd::kSystemOptions:
      return document_.OnSystemOptions();
    case cmd::kShowNames:
    case cmd::kShowValues:
    case cmd::kShowNumbers:
      return ToggleChartLabel(id);
    case cmd::kStatusBar:
      statusBar()->setVisible(statusBar()->isHidden());
      return SyncCheckMarks();
    case cmd::kHelpContents:
      return dialogs_.ShowHelp(0, this);
    case cmd::kWebsite:
    case cmd::kContactUs: {
      const QUrl page = id == cmd::kWebsite ? WebsiteTarget() : ContactTarget();
      if (!page.isEmpty()) dialogs_.OpenUrl(page);
      return;
    }
    case cmd::kAbout:
      return dialogs_.ShowAbout(this);
    case cmd::kContextMinimize:
      showMinimized();
      return;
    case cmd::kTrayRestore:
      return RestoreFromTray();
    case cmd::kTrayMinimize:
      return HideToTray();
    default:
      return;
  }
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

void CMainFrame::ToggleChartLabel(int id) {
  Corvane& engine = document_.engine();
  {
    // Label changes are display options: the document stays as modified as it was.
    chart::ChartLock lock(engine);
    const bool modified = engine.IsModified();
    switch (id) {
      case cmd::kShowNames:
        engine.SetShowNames(engine.GetShowNames() != 0 ? 0 : 1);
        break;
      case cmd::kShowValues:
        engine.SetShowValues(engine.GetShowValues() != 0 ? 0 : 1);
        break;
      default:
        engine.SetShowNumbers(engine.GetShowNumbers() != 0 ? 0 : 1);
        break;
    }
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

void CMainFrame::SetTrayIconAdded(bool added) { tray_icon_->setVisible(added); }

void CMainFrame::HideToTray() {
  hide();
  tray_menu_->setDefaultAction(action(cmd::kTrayRestore));
}

void CMainFrame::RestoreFromTray() {
  setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
  tray_menu_->setDefaultAction(action(cmd::kTrayMinimize));
}

void CMainFrame::ToggleVisibility() {
  if (isVisible()) {
    HideToTray();
  } else {
    RestoreFromTray();
  }
}

void CMainFrame::OnTrayActivated(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      if (tray_clicks_.Click()) ToggleVisibility();
      return;
    case QSystemTrayIcon::DoubleClick:
      if (tray_clicks_.DoubleClick()) ToggleVisibility();
      return;
    default:
      return;  // the context menu opens by itself
  }
}

void CMainFrame::ShowContextMenu(const QPoint& global_pos) { context_menu_->exec(global_pos); }

void CMainFrame::ShowContextMenuFromKeyboard() {
  // The platform may turn the Menu key into a context-menu event as well: one menu is enough.
  if (context_menu_->isVisible()) return;
  ShowContextMenu(mapToGlobal(rect().center()));
}

bool CMainFrame::InDiagram(const QPoint& pos) const { return view_->geometry().contains(pos); }

Qt::Edges CMainFrame::ResizeEdges(const QPoint& pos) const {
  Qt::Edges edges;
  if (!windowFlags().testFlag(Qt::FramelessWindowHint)) return edges;
  if (pos.x() < kSizingBorder) edges |= Qt::LeftEdge;
  if (pos.x() >= width() - kSizingBorder) edges |= Qt::RightEdge;
  if (pos.y() < kSizingBorder) edges |= Qt::TopEdge;
  if (pos.y() >= height() - kSizingBorder) edges |= Qt::BottomEdge;
  return edges;
}

void CMainFrame::mousePressEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  // A frameless window has no caption for the window manager to activate it by: a click on
  // it takes the keyboard, so that its keys work at once.
  activateWindow();
  view_->setFocus(Qt::MouseFocusReason);
  if (event->button() == Qt::LeftButton) {
    const Qt::Edges edges = ResizeEdges(pos);
    if (edges && windowHandle() != nullptr && windowHandle()->startSystemResize(edges)) return;
    // The move starts once the mouse has travelled: started on the press it would swallow
    // the clicks of a double-click.
    drag_armed_ = InDiagram(pos);
    press_pos_ = pos;
    return;
  }
  if (event->button() == Qt::RightButton && InDiagram(pos)) {
    ShowContextMenu(event->globalPosition().toPoint());
    return;
  }
  QMainWindow::mousePressEvent(event);
}

void CMainFrame::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (drag_armed_ && (event->buttons() & Qt::LeftButton)) {
    if ((pos - press_pos_).manhattanLength() >= QApplication::startDragDistance()) {
      drag_armed_ = false;
      if (windowHandle() != nullptr) windowHandle()->startSystemMove();
    }
    return;
  }
  const Qt::Edges edges = ResizeEdges(pos);
  if ((edges & Qt::LeftEdge && edges & Qt::TopEdge) ||
      (edges & Qt::RightEdge && edges & Qt::BottomEdge)) {
    setCursor(Qt::SizeFDiagCursor);
  } else if ((edges & Qt::RightEdge && edges & Qt::TopEdge) ||
             (edges & Qt::LeftEdge && edges & Qt::BottomEdge)) {
    setCursor(Qt::SizeBDiagCursor);
  } else if (edges & (Qt::LeftEdge | Qt::RightEdge)) {
    setCursor(Qt::SizeHorCursor);
  } else if (edges & (Qt::TopEdge | Qt::BottomEdge)) {
    setCursor(Qt::SizeVerCursor);
  } else {
    unsetCursor();
  }
}

void CMainFrame::mouseReleaseEvent(QMouseEvent* event) {
  drag_armed_ = false;
  QMainWindow::mouseReleaseEvent(event);
}

void CMainFrame::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && InDiagram(event->position().toPoint())) {
    drag_armed_ = false;
    ToggleCaption();
    return;
  }
  QMainWindow::mouseDoubleClickEvent(event);
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
  QMainWindow::keyPressEvent(event);
}

void CMainFrame::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // Activated, the window takes its always-on-top state from the setting again (a followed
  // link in the about box takes it out of that state for the browser).
  if (event->type() == QEvent::ActivationChange && isActiveWindow())
    SetOnTop(document_.engine().GetSettings().AlwaysOntop != 0);
  if (event->type() == QEvent::WindowStateChange && isMinimized() && tray_enabled_ &&
      tray_available_) {
    // Hidden once the minimise has been carried out, so the window leaves the taskbar.
    QTimer::singleShot(0, this, [this] {
      if (isMinimized()) HideToTray();
    });
  }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (!document_.SaveModified()) {
    event->ignore();
    return;
  }
  document_.ShutDown();
  tray_icon_->hide();
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
  // Each dropped profile opens in turn, as File > Open does; the last one stays open.
  // Opened once the drop is over, so that the drag source is not kept waiting by a message.
  QTimer::singleShot(0, this, [this, paths] {
    for (const QString& path : paths) document_.OpenFile(path);
    Synchronise(true);
  });
}

}  // namespace corvane::desktop
