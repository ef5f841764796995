#include "desktop/document/corvane_doc.h"

#include <QDir>
#include <QFileInfo>

#include "core/catalogue.h"
#include "core/counter_item.h"
#include "core/counter_path.h"
#include "platform/qt/painter_surface.h"

namespace corvane::desktop {
namespace {

// Shown on the chart until the first sample.
constexpr char kLoading[] = QT_TRANSLATE_NOOP("corvane::desktop::CCorvaneDoc", "Loading...");

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

}  // namespace

// The line colour dialogs offer 16 shades of their own hue, v = 255, 251, ..., 195; the
// diagram colour dialogs leave the custom colours as the user last set them.
QList<QColor> CCorvaneDoc::CustomColours(ColourSetting which) {
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

CCorvaneDoc::CCorvaneDoc(perf::Provider& provider, MessageSink& messages, MachineSettings& machine,
                         StartupFlags& flags, QObject* parent)
    : QObject(parent),
      machine_(machine),
      flags_(flags),
      engine_(provider, /*interactive=*/true,
              EngineHost{&messages, &screen_, nullptr, &alert_poster_}) {
  engine_.SetUpNewProfile();
}

void CCorvaneDoc::ShutDown() {
  // A collector that does not end within 5 s is waited for by the engine's destructor; it no
  // longer reaches the window meanwhile.
  engine_.Stop();
  engine_.ClearWindow();
  view_window_ = nullptr;
}

QString CCorvaneDoc::Title() const { return QFileInfo(path_name_).fileName(); }

QRect CCorvaneDoc::WindowRect() const {
  const CorvaneSettings s = engine_.GetSettings();
  // QRect's right and bottom are inclusive; the stored ones are one past the edge.
  return QRect(QPoint(s.WndLeft, s.WndTop), QPoint(s.WndRight - 1, s.WndBottom - 1));
}

void CCorvaneDoc::StoreWindowRect(int left, int top, int right, int bottom) {
  CorvaneSettings settings = engine_.GetSettings();
  settings.WndLeft = left;
  settings.WndTop = top;
  settings.WndRight = right;
  settings.WndBottom = bottom;
  engine_.SetSettings(settings);
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
  engine_.SetStatusText(tr(kLoading).toStdString());
  engine_.ApplySettingsToChart();
  const bool started = engine_.Start(view_window_, repaint_at_start);
  Q_EMIT updateAllViews();
  return started;
}

// ---- The document's life. ----

NewOutcome CCorvaneDoc::NewDocument() {
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
      return NewOutcome::kLastProfile;
    }
    flags_.show_wizard = true;
  }
  const QString path = machine_.NewProfileName();
  SetPathName(path, false);
  engine_.ResetToDefaults();
  // A user who keeps a Prometheus server in the settings has new profiles read through it.
  engine_.SetRemoteServer(machine_.DefaultServer());
  AddStandardCounters(true, SC_DEFAULT, engine_);
  engine_.SetLogLocation(path.toStdString(), false);
  Start(!at_program_start);
  return at_program_start ? NewOutcome::kAtStart : NewOutcome::kCreated;
}

void CCorvaneDoc::SettleNewProfile() {
  if (engine_.GetAxisCount() == 0) engine_.SetModified(false);
}

OpenOutcome CCorvaneDoc::OpenDocument(const QString& path) {
  flags_.first_document = false;
  modified_ = false;
  unreadable_ = false;
  engine_.RemoveAllAxes();
  engine_.ResetToDefaults();
  if (engine_.Load(path.toStdString())) {
    SetPathName(path, true);
    Start(false);
    return OpenOutcome::kOpened;
  }
  engine_.RemoveAllAxes();
  // An empty diagram under the file's name; leaving it must not overwrite the file.
  engine_.SetModified(false);
  unreadable_ = true;
  SetPathName(path, false);
  Q_EMIT updateAllViews();
  return OpenOutcome::kUnreadable;
}

SaveOutcome CCorvaneDoc::SaveDocument(const QString& path) {
  if (!engine_.Save(path.toStdString())) return SaveOutcome::kCannotWrite;
  if (path != path_name_) engine_.SetLogLocation(path.toStdString(), true);
  modified_ = false;
  unreadable_ = false;
  return SaveOutcome::kSaved;
}

SaveOutcome CCorvaneDoc::SaveAs(const QString& path) {
  const SaveOutcome outcome = SaveDocument(path);
  if (outcome == SaveOutcome::kSaved) SetPathName(path, true);
  return outcome;
}

bool CCorvaneDoc::IsModified() const { return modified_ || engine_.IsModified(); }

void CCorvaneDoc::SaveDisplayChanges() {
  if (IsModified() || path_name_.isEmpty() || unreadable_) return;
  engine_.Save(path_name_.toStdString());  // silent: a failure here is not the user's concern
}

// ---- What the commands change. ----

void CCorvaneDoc::Restart() { engine_.Start(view_window_, false); }

void CCorvaneDoc::Connect(const QString& computer) {
  const std::string name = computer.toStdString();
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

void CCorvaneDoc::ResetMax() {
  engine_.ResetMax();
  Q_EMIT updateAllViews();
}

void CCorvaneDoc::CleanLog() { engine_.CleanLog(); }

void CCorvaneDoc::TakeChartChanges() {
  if (engine_.IsModified()) modified_ = true;
}

QColor CCorvaneDoc::Colour(ColourSetting which) const {
  CorvaneSettings settings = engine_.GetSettings();
  return qt::PainterSurface::ToQColor(*ColourMember(settings, which));
}

void CCorvaneDoc::SetColour(ColourSetting which, const QColor& colour) {
  CorvaneSettings settings = engine_.GetSettings();
  *ColourMember(settings, which) = FromQColor(colour);
  engine_.SetSettings(settings);
  engine_.ApplySettingsToChart();
  Q_EMIT updateAllViews();
}

bool CCorvaneDoc::SetProfileAside() {
  auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                               QStringLiteral("/corvane-live-XXXXXX.crvn"));
  if (!file->open()) return false;
  file->close();
  const bool modified = engine_.IsModified();
  // The chart's own save: the engine's would move the activity log beside the temporary file.
  if (!engine_.chart::WindRose::Save(file->fileName().toStdString())) {
    engine_.SetModified(modified);
    return false;
  }
  engine_.SetModified(modified);
  aside_modified_ = modified;
  aside_ = std::move(file);
  return true;
}

bool CCorvaneDoc::TakeProfileBack() {
  if (!aside_) return false;
  const std::unique_ptr<QTemporaryFile> file = std::move(aside_);
  engine_.SetUpNewProfile();
  engine_.RemoveAllAxes();
  engine_.ResetToDefaults();
  engine_.chart::WindRose::Load(file->fileName().toStdString());
  engine_.SetLogLocation(path_name_.toStdString(), false);
  engine_.SetModified(aside_modified_);
  Start(true);
  return true;
}

bool CCorvaneDoc::LoggingOff() const { return engine_.GetSettings().LogMode == log_mode::kOff; }

QUrl CCorvaneDoc::LogUrl() const {
  return QUrl::fromLocalFile(QString::fromStdString(engine_.GetLogPath()));
}

}  // namespace corvane::desktop
