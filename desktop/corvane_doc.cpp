#include "desktop/corvane_doc.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMetaObject>
#include <QUrl>
#include <QWindow>
#include <atomic>
#include <thread>

#include "core/catalogue.h"
#include "core/counter_item.h"
#include "core/counter_path.h"
#include "desktop/command_ids.h"
#include "desktop/help/help_topics.h"
#include "platform/qt/painter_surface.h"

namespace corvane::desktop {
namespace {

std::int32_t FromQColor(const QColor& colour) {
  return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

std::int32_t* ColourMember(CorvaneSettings& settings, ColourSetting which) {
  switch (which) {
    case ColourSetting::kCurrent:
      return &settings.CurColor;
    case ColourSetting::kAverage:
      return &settings.AvgColor;
    case ColourSetting::kMax:
      return &settings.MaxColor;
    case ColourSetting::kBack:
      return &settings.BackColor;
    case ColourSetting::kText:
      return &settings.TextColor;
    case ColourSetting::kLines:
      return &settings.LineColor;
    case ColourSetting::kCritical:
      return &settings.CritColor;
  }
  return &settings.CurColor;
}

// The line colour dialogs offer 16 shades of their own hue, v = 255, 251, ..., 195; the
// diagram colour dialogs leave the custom colours as the user last set them.
QList<QColor> CustomColours(ColourSetting which) {
  QList<QColor> colours;
  for (int i = 0; i < 16; ++i) {
    const int v = 255 - 4 * i;
    switch (which) {
      case ColourSetting::kCurrent:
        colours.append(QColor(v, v, 0));
        break;
      case ColourSetting::kAverage:
        colours.append(QColor(0, v, 0));
        break;
      case ColourSetting::kMax:
        colours.append(QColor(0, v, v));
        break;
      default:
        colours.append(QColor());
        break;
    }
  }
  return colours;
}

}  // namespace

void PlaceWindow(QWidget& window, const QRect& rect) {
  const QSize size = rect.size();
  if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
    window.resize(size);
  } else {
    // The stored corner is the frame's, the size the client area's, as the save check takes
    // them, so a profile keeps its window however wide the window manager's frame is.
    window.move(rect.left(), rect.top());
    window.resize(size);
  }
}

CCorvaneDoc::CCorvaneDoc(perf::Provider& provider, DocumentDialogs& dialogs,
                         MachineSettings& machine, StartupFlags& flags, QObject* parent)
    : QObject(parent),
      provider_(provider),
      dialogs_(dialogs),
      machine_(machine),
      flags_(flags),
      engine_(provider, /*interactive=*/true,
              EngineHost{&sink_, &screen_, nullptr, &alert_poster_}) {
  // A message box's Help button sends its help id with the message base, as the help expects.
  sink_.SetHelpHandler([this](std::uint32_t context, QWidget* parent) {
    dialogs_.ShowHelp(MessageHelpContext(context), parent);
  });
  engine_.SetUpNewProfile();
}

CCorvaneDoc::~CCorvaneDoc() { ShutDown(); }

void CCorvaneDoc::AttachWindows(QWidget* main_window, EngineWindow* view_window) {
  main_window_ = main_window;
  view_window_ = view_window;
  sink_.SetParentWindow(main_window);
}

void CCorvaneDoc::ShutDown() {
  // A collector that does not end within 5 s is waited for by the engine's destructor; it no
  // longer reaches the window meanwhile.
  StopCollector();
  engine_.ClearWindow();
  view_window_ = nullptr;
}

QString CCorvaneDoc::Title() const { return QFileInfo(path_name_).fileName(); }

QRect CCorvaneDoc::WindowRect() const {
  const CorvaneSettings s = engine_.GetSettings();
  // QRect's right and bottom are inclusive; the stored ones are one past the edge.
  return QRect(QPoint(s.WndLeft, s.WndTop), QPoint(s.WndRight - 1, s.WndBottom - 1));
}

void CCorvaneDoc::SetPathName(const QString& path, bool add_to_recent) {
  path_name_ = path;
  if (add_to_recent) {
    machine_.AddRecentFile(path);
    Q_EMIT recentFilesChanged();
  }
  Q_EMIT titleChanged();
}

bool CCorvaneDoc::Start(bool repaint_at_start) {
  engine_.SetStatusText(text::kLoading);
  engine_.ApplySettingsToChart();
  const bool started = engine_.Start(view_window_, repaint_at_start);
  Q_EMIT updateAllViews();
  return started;
}

bool CCorvaneDoc::StopCollector() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  QEventLoop loop;
  std::atomic<bool> stopped{false};
  // The wait runs beside the event loop so that the windows keep painting; the loop leaves
  // user input queued until the stop is decided.
  std::thread waiter([&] {
    stopped = engine_.Stop();
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  waiter.join();
  QApplication::restoreOverrideCursor();
  return stopped;
}

QMessageBox::StandardButton CCorvaneDoc::Ask(QMessageBox::Icon icon, const QString& text,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton default_button,
                                             bool system_modal) {
  QMessageBox box(icon, tr(text::kAppTitle), text, buttons, main_window_);
  box.setDefaultButton(default_button);
  if (system_modal) {
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
  }
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

void CCorvaneDoc::ShowCannotStop() {
  Ask(QMessageBox::Warning,
      QString::fromUtf8(kCannotStopCollectorText.data(),
                        static_cast<int>(kCannotStopCollectorText.size())),
      QMessageBox::Ok, QMessageBox::Ok);
}

// ---- The document's life. ----

bool CCorvaneDoc::NewDocument() {
  StopCollector();  // a collector that does not stop does not hold up a new profile
  modified_ = false;
  unreadable_ = false;
  engine_.RemoveAllAxes();
  const bool at_program_start = flags_.first_document;
  if (at_program_start) {
    flags_.first_document = false;
    const std::optional<QString> last = machine_.LastProfile();
    flags_.show_wizard = !last.has_value();
    if (last && engine_.Load(last->toStdString())) {
      SetPathName(*last, true);
      Start(false);
      return true;
    }
    flags_.show_wizard = true;
  }
  const QString path = machine_.NewProfileName();
  SetPathName(path, false);
  engine_.ResetToDefaults();
  AddStandardCounters(true, SC_DEFAULT, engine_);
  engine_.SetLogLocation(path.toStdString(), false);
  if (at_program_start) {
    // The wizard runs at the end of the program's start, once the window shows.
    Start(false);
    return true;
  }
  Start(true);
  RunWizard();
  if (engine_.GetAxisCount() == 0) engine_.SetModified(false);
  return true;
}

bool CCorvaneDoc::OpenDocument(const QString& path) {
  if (!StopCollector()) {
    ShowCannotStop();
    return false;
  }
  flags_.first_document = false;
  modified_ = false;
  unreadable_ = false;
  engine_.RemoveAllAxes();
  engine_.ResetToDefaults();
  if (engine_.Load(path.toStdString())) {
    if (main_window_) PlaceWindow(*main_window_, WindowRect());
    SetPathName(path, true);
    Start(false);
    return true;
  }
  Ask(QMessageBox::Warning, tr(text::kCannotReadFile) + path, QMessageBox::Ok, QMessageBox::Ok);
  engine_.RemoveAllAxes();
  // An empty diagram under the file's name; leaving it must not overwrite the file.
  engine_.SetModified(false);
  unreadable_ = true;
  SetPathName(path, false);
  Q_EMIT updateAllViews();
  return true;
}

bool CCorvaneDoc::SaveDocument(const QString& path) {
  if (!engine_.Save(path.toStdString())) {
    Ask(QMessageBox::Warning, tr(text::kCannotWriteFile) + path, QMessageBox::Ok, QMessageBox::Ok);
    return false;
  }
  if (path != path_name_) engine_.SetLogLocation(path.toStdString(), true);
  modified_ = false;
  unreadable_ = false;
  return true;
}

bool CCorvaneDoc::IsModified() {
  const bool modified = modified_ || engine_.IsModified();
  if (main_window_) {
    // The frame's corner as the window system has it now. QWidget::pos() keeps the frame's
    // margins from the window's last move: when the caption comes back without a move (a
    // double-click on a frameless window) it may still hold none, and the stored corner
    // would creep down by the title bar's height at every start. A hidden window has no
    // frame; its last visible corner is the one to keep.
    QPoint corner = main_window_->pos();
    const QWindow* window = main_window_->windowHandle();
    if (window != nullptr && main_window_->isVisible()) corner = window->framePosition();
    const QSize size = main_window_->size();
    const int left = corner.x(), top = corner.y();
    const int right = left + size.width(), bottom = top + size.height();
    // A minimised window keeps no rectangle worth storing; one hidden in the tray keeps its
    // last visible one.
    if (!main_window_->isMinimized() && bottom > 0 && right > 0 && bottom > top && right > left) {
      CorvaneSettings settings = engine_.GetSettings();
      settings.WndLeft = left;
      settings.WndTop = top;
      settings.WndRight = right;
      settings.WndBottom = bottom;
      engine_.SetSettings(settings);
    }
  }
  if (!modified && !path_name_.isEmpty() && !unreadable_) {
    engine_.Save(path_name_.toStdString());  // silent: a failure here is not the user's concern
  }
  return modified;
}

bool CCorvaneDoc::SaveModified() {
  if (!IsModified()) return true;
  const QMessageBox::StandardButton answer =
      Ask(QMessageBox::Question, tr(text::kSaveChanges).arg(Title()),
          QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
  if (answer == QMessageBox::Cancel) return false;
  if (answer == QMessageBox::Discard) return true;
  return OnFileSave();
}

void CCorvaneDoc::RunWizard() {
  const int result = dialogs_.RunWizard(engine_, view_window_, main_window_);
  if (result == kWizardCountersResult) OnCounters();
}

// ---- Commands. ----

void CCorvaneDoc::OnFileNew() {
  if (!SaveModified()) return;
  NewDocument();
}

void CCorvaneDoc::OnFileOpen() {
  if (!SaveModified()) return;
  const std::optional<QString> path = dialogs_.AskOpenPath(main_window_);
  if (path) OpenDocument(*path);
}

void CCorvaneDoc::OpenFile(const QString& path) {
  if (!SaveModified()) return;
  OpenDocument(path);
}

bool CCorvaneDoc::DoSave(const QString& path) {
  if (!SaveDocument(path)) return false;
  SetPathName(path, true);
  return true;
}

bool CCorvaneDoc::OnFileSave() {
  if (path_name_.isEmpty()) return OnFileSaveAs();
  return DoSave(path_name_);
}

bool CCorvaneDoc::OnFileSaveAs() {
  const std::optional<QString> path = dialogs_.AskSavePath(path_name_, main_window_);
  return path && DoSave(*path);
}

void CCorvaneDoc::OnViewLog() {
  if (engine_.GetSettings().LogMode == log_mode::kOff) {
    const auto answer = Ask(QMessageBox::Question, tr(text::kLoggingOff),
                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                            QMessageBox::Yes, /*system_modal=*/true);
    if (answer == QMessageBox::Yes) OnLogSettings();
    if (engine_.GetSettings().LogMode == log_mode::kOff) return;
  }
  dialogs_.OpenUrl(QUrl::fromLocalFile(QString::fromStdString(engine_.GetLogPath())));
}

void CCorvaneDoc::OnCleanLog() { engine_.CleanLog(); }

void CCorvaneDoc::OnLogSettings() { dialogs_.RunLogSettings(engine_, main_window_); }

void CCorvaneDoc::OnResetMax() {
  engine_.ResetMax();
  Q_EMIT updateAllViews();
}

void CCorvaneDoc::OnRestart() {
  if (!StopCollector()) {
    ShowCannotStop();
    return;
  }
  engine_.Start(view_window_, false);
}

void CCorvaneDoc::OnConnect() {
  const std::optional<QString> computer = dialogs_.AskComputer(main_window_);
  if (!computer) return;
  if (!StopCollector()) {
    ShowCannotStop();
    return;
  }
  const std::string name = computer->toStdString();
  for (int i = 0; i < engine_.GetAxisCount(); ++i) {
    chart::AxisItem* item = nullptr;
    if (!engine_.GetAxisItem(i, &item)) continue;
    const std::string* path = CounterPathOf(item);
    if (path == nullptr) continue;
    auto* rewritten = new CounterItem(RewriteCounterMachine(*path, name));
    if (!engine_.SetAxisItem(i, rewritten)) delete rewritten;
  }
  engine_.Start(view_window_, false);
  Q_EMIT updateAllViews();
}

void CCorvaneDoc::OnCounters() {
  if (dialogs_.RunCounters(engine_, view_window_, main_window_)) Q_EMIT updateAllViews();
  if (engine_.IsModified()) modified_ = true;
}

void CCorvaneDoc::OnPreferences() {
  if (dialogs_.RunPreferences(engine_, view_window_, main_window_)) Q_EMIT updateAllViews();
  if (engine_.IsModified()) modified_ = true;
}

void CCorvaneDoc::OnSystemOptions() { dialogs_.RunSystemOptions(main_window_); }

void CCorvaneDoc::OnColour(ColourSetting which) {
  CorvaneSettings settings = engine_.GetSettings();
  std::int32_t* member = ColourMember(settings, which);
  const std::optional<QColor> colour = dialogs_.ChooseColour(qt::PainterSurface::ToQColor(*member),
                                                             CustomColours(which), main_window_);
  if (!colour) return;
  *member = FromQColor(*colour);
  engine_.SetSettings(settings);
  engine_.ApplySettingsToChart();
  Q_EMIT updateAllViews();
}

}  // namespace corvane::desktop
