#include "desktop/frame/document_ui.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <memory>

#include "desktop/help/help_topics.h"
#include "platform/qt/product_text.h"

namespace corvane::desktop {
namespace {

constexpr char kCannotReadFile[] =
    QT_TRANSLATE_NOOP("corvane::desktop::DocumentUi", "Cannot read file: ");
constexpr char kCannotWriteFile[] =
    QT_TRANSLATE_NOOP("corvane::desktop::DocumentUi", "Cannot write to file: ");
constexpr char kSaveChanges[] =
    QT_TRANSLATE_NOOP("corvane::desktop::DocumentUi", "Save changes to %1?");
constexpr char kLoggingOff[] = QT_TRANSLATE_NOOP(
    "corvane::desktop::DocumentUi", "Logging is turned off. Would you like to change log options?");

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

DocumentUi::DocumentUi(CCorvaneDoc& document, DocumentDialogs& dialogs, qt::QtMessageSink& messages,
                       QWidget& window, EngineWindow& view_window)
    : QObject(&window),
      document_(document),
      dialogs_(dialogs),
      window_(window),
      view_window_(view_window),
      stopper_(document.engine(), this) {
  stopper_.SetWaitingWidget(&window_);
  document_.AttachView(&view_window_);
  messages.SetParentWindow(&window_);
  // A message box's Help button names its topic by the message's help id.
  messages.SetHelpHandler([this](std::uint32_t help_id, QWidget* parent) {
    dialogs_.ShowHelp(TopicOfMessage(help_id), parent);
  });
}

QMessageBox::StandardButton DocumentUi::Ask(QMessageBox::Icon icon, const QString& text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton default_button,
                                            bool system_modal) {
  QMessageBox box(icon, QString::fromLatin1(product::kAppTitle), text, buttons, &window_);
  box.setDefaultButton(default_button);
  if (system_modal) {
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
  }
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

// ---- The document's life. ----

void DocumentUi::New(const Done& done) {
  stopper_.Stop([this, done](bool) {
    if (document_.NewDocument() == NewOutcome::kCreated) {
      RunWizard();
      document_.SettleNewProfile();
    }
    if (done) done(true);
  });
}

void DocumentUi::Open(const QString& path, const Done& done) {
  stopper_.Stop([this, path, done](bool stopped) {
    if (!stopped) {
      ShowCannotStopCollector(&window_);
      if (done) done(false);
      return;
    }
    if (document_.OpenDocument(path) == OpenOutcome::kOpened) {
      PlaceWindow(window_, document_.WindowRect());
    } else {
      Ask(QMessageBox::Warning, tr(kCannotReadFile) + path, QMessageBox::Ok, QMessageBox::Ok);
    }
    if (done) done(true);
  });
}

void DocumentUi::StoreWindowRect() {
  // The frame's corner as the window system has it now. QWidget::pos() keeps the frame's
  // margins from the window's last move: when the caption comes back without a move (a
  // double-click on a frameless window) it may still hold none, and the stored corner would
  // creep down by the title bar's height at every start. A hidden window has no frame; its
  // last visible corner is the one to keep.
  QPoint corner = window_.pos();
  const QWindow* window = window_.windowHandle();
  if (window != nullptr && window_.isVisible()) corner = window->framePosition();
  const QSize size = window_.size();
  const int left = corner.x(), top = corner.y();
  const int right = left + size.width(), bottom = top + size.height();
  // A minimised window keeps no rectangle worth storing; one hidden in the tray keeps its
  // last visible one.
  if (!window_.isMinimized() && bottom > 0 && right > 0 && bottom > top && right > left)
    document_.StoreWindowRect(left, top, right, bottom);
}

bool DocumentUi::SaveModified() {
  StoreWindowRect();
  if (!document_.IsModified()) {
    document_.SaveDisplayChanges();
    return true;
  }
  const QMessageBox::StandardButton answer =
      Ask(QMessageBox::Question, tr(kSaveChanges).arg(document_.Title()),
          QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
  if (answer == QMessageBox::Cancel) return false;
  if (answer == QMessageBox::Discard) return true;
  return OnFileSave();
}

void DocumentUi::RunWizard() {
  const int result = dialogs_.RunWizard(document_.engine(), &view_window_, &window_);
  if (result == kWizardCountersResult) OnCounters();
}

// ---- Commands. ----

void DocumentUi::OnFileNew() {
  if (!SaveModified()) return Q_EMIT documentShown();
  New([this](bool) { Q_EMIT documentShown(); });
}

void DocumentUi::OnFileOpen() {
  if (!SaveModified()) return Q_EMIT documentShown();
  const std::optional<QString> path = dialogs_.AskOpenPath(&window_);
  if (!path) return Q_EMIT documentShown();
  Open(*path, [this](bool) { Q_EMIT documentShown(); });
}

void DocumentUi::OpenFiles(const QStringList& paths) {
  if (paths.isEmpty()) return Q_EMIT documentShown();
  const QStringList rest = paths.mid(1);
  if (!SaveModified()) return OpenFiles(rest);
  Open(paths.first(), [this, rest](bool) { OpenFiles(rest); });
}

bool DocumentUi::Save(const QString& path) {
  if (document_.SaveAs(path) == SaveOutcome::kSaved) return true;
  Ask(QMessageBox::Warning, tr(kCannotWriteFile) + path, QMessageBox::Ok, QMessageBox::Ok);
  return false;
}

bool DocumentUi::OnFileSave() {
  if (document_.PathName().isEmpty()) return OnFileSaveAs();
  return Save(document_.PathName());
}

bool DocumentUi::OnFileSaveAs() {
  const std::optional<QString> path = dialogs_.AskSavePath(document_.PathName(), &window_);
  return path && Save(*path);
}

void DocumentUi::OnViewLog() {
  if (document_.LoggingOff()) {
    const auto answer = Ask(QMessageBox::Question, tr(kLoggingOff),
                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                            QMessageBox::Yes, /*system_modal=*/true);
    if (answer == QMessageBox::Yes) OnLogSettings();
    if (document_.LoggingOff()) return;
  }
  dialogs_.OpenUrl(document_.LogUrl());
}

void DocumentUi::OnLogSettings() { dialogs_.RunLogSettings(document_.engine(), &window_); }

void DocumentUi::OnRestart() {
  stopper_.Stop([this](bool stopped) {
    if (!stopped) return ShowCannotStopCollector(&window_);
    document_.Restart();
  });
}

void DocumentUi::OnConnect() {
  const std::optional<QString> computer = dialogs_.AskComputer(document_.engine(), &window_);
  if (!computer) return;
  stopper_.Stop([this, name = *computer](bool stopped) {
    if (!stopped) return ShowCannotStopCollector(&window_);
    document_.Connect(name);
  });
}

void DocumentUi::OnCounters() {
  if (dialogs_.RunCounters(document_.engine(), &view_window_, &window_)) document_.UpdateAllViews();
  document_.TakeChartChanges();
}

void DocumentUi::OnPreferences() {
  if (dialogs_.RunPreferences(document_.engine(), &view_window_, &window_))
    document_.UpdateAllViews();
  document_.TakeChartChanges();
}

void DocumentUi::OnSystemOptions() { dialogs_.RunSystemOptions(&window_); }

void DocumentUi::OnColour(ColourSetting which) {
  const std::optional<QColor> colour =
      dialogs_.ChooseColour(document_.Colour(which), CCorvaneDoc::CustomColours(which), &window_);
  if (colour) document_.SetColour(which, *colour);
}

}  // namespace corvane::desktop
