#include "screensaver/options_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QVBoxLayout>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "core/product_version.h"
#include "platform/linux/privileged/privileged_write_prompt.h"
#include "platform/qt/keyboard_access.h"
#include "platform/qt/object_name.h"
#include "platform/qt/product_text.h"
#include "platform/qt/profile_file_dialog.h"

namespace corvane::screensaver {
namespace {

QLineEdit* NumberBox(QWidget* parent, const char* name) {
  auto* box = corvane::qt::Named(new QLineEdit(parent), corvane::qt::WidgetRole::kEdit, name);
  box->setMaxLength(static_cast<int>(kMaxNumberText));
  box->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), box));
  box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 16);
  return box;
}

QLabel* RightAligned(const char* text, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(ScreensaverOptionsDialog::tr(text), parent);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->setBuddy(buddy);
  return label;
}

bool InRange(int value) { return value >= 1 && value <= 100; }

}  // namespace

ScreensaverOptionsDialog::ScreensaverOptionsDialog(host::SettingsStore& user,
                                                   host::SettingsStore& default_user,
                                                   ElevatedWrite elevated, QWidget* parent)
    : QDialog(parent), user_(user), default_user_(default_user), elevated_(std::move(elevated)) {
  setWindowTitle(tr(kOptionsTitle));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(CreateHeader());
  layout->addWidget(CreateProfileGroup());
  layout->addWidget(CreateSettingsGroup());
  logon_ = new QCheckBox(tr("Apply the same setting for the screensaver at logon"), this);
  layout->addWidget(logon_);
  wayland_note_ = new QLabel(tr(kWaylandNote), this);
  corvane::qt::Named(wayland_note_, corvane::qt::WidgetRole::kLabel, "wayland_note");
  wayland_note_->setWordWrap(true);
  wayland_note_->setVisible(IsWaylandSession());
  layout->addWidget(wayland_note_);
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons_);
  ConnectSignals();
  LoadSettings();
  // Every control can be reached with Alt and a letter of its own.
  corvane::qt::AssignMnemonics(this);
}

bool ScreensaverOptionsDialog::IsWaylandSession() {
  const char* type = std::getenv("XDG_SESSION_TYPE");
  return type != nullptr && std::string_view(type) == "wayland";
}

QWidget* ScreensaverOptionsDialog::CreateHeader() {
  auto* header = new QWidget(this);
  auto* row = new QHBoxLayout(header);
  row->setContentsMargins(0, 0, 0, 0);
  auto* icon = new QLabel(header);
  const QIcon themed =
      QIcon::fromTheme("utilities-system-monitor", style()->standardIcon(QStyle::SP_ComputerIcon));
  icon->setPixmap(themed.pixmap(32, 32));
  row->addWidget(icon);
  auto* about = new QLabel(
      tr("Corvane %1 screen saver: the live wind rose of a monitoring profile\n"
         "Released %2")
          .arg(QString::fromUtf8(ProductVersion()), QString::fromUtf8(ProductReleaseMonth())),
      header);
  corvane::qt::Named(about, corvane::qt::WidgetRole::kLabel, "about");
  row->addWidget(about, 1);
  return header;
}

QGroupBox* ScreensaverOptionsDialog::CreateProfileGroup() {
  auto* group = new QGroupBox(tr("Use Profile"), this);
  auto* row = new QHBoxLayout(group);
  profile_ = new QLineEdit(group);
  corvane::qt::Named(profile_, corvane::qt::WidgetRole::kEdit, "profile_path");
  profile_->setMinimumWidth(profile_->fontMetrics().averageCharWidth() * 40);
  browse_ = new QPushButton(tr("Browse..."), group);
  browse_->setAutoDefault(false);
  row->addWidget(profile_, 1);
  row->addWidget(browse_);
  return group;
}

QGroupBox* ScreensaverOptionsDialog::CreateSettingsGroup() {
  auto* group = new QGroupBox(tr("Settings"), this);
  auto* grid = new QGridLayout(group);
  area_size_ = NumberBox(group, "area_size");
  timeout_ = NumberBox(group, "timeout");
  grid->addWidget(
      RightAligned(QT_TRANSLATE_NOOP("corvane::screensaver::ScreensaverOptionsDialog",
                                     "Percentage of screen area used by graph (1-100):"),
                   area_size_, group),
      0, 0);
  grid->addWidget(area_size_, 0, 1);
  grid->addWidget(
      RightAligned(QT_TRANSLATE_NOOP("corvane::screensaver::ScreensaverOptionsDialog",
                                     "Time interval in seconds for changing position (1-100):"),
                   timeout_, group),
      1, 0);
  grid->addWidget(timeout_, 1, 1);
  grid->setColumnStretch(0, 1);
  return group;
}

void ScreensaverOptionsDialog::ConnectSignals() {
  connect(browse_, &QPushButton::clicked, this, &ScreensaverOptionsDialog::Browse);
  connect(buttons_, &QDialogButtonBox::accepted, this, &ScreensaverOptionsDialog::CheckAndSave);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void ScreensaverOptionsDialog::LoadSettings() {
  const ScreensaverSettings settings = ReadScreensaverSettings(user_);
  area_size_->setText(QString::fromStdString(settings.area_size_text));
  timeout_->setText(QString::fromStdString(settings.timeout_text));
  profile_->setText(QString::fromStdString(settings.profile_path));
}

void ScreensaverOptionsDialog::Browse() {
  if (const std::optional<QString> chosen = qt::BrowseForProfile(profile_->text(), this))
    profile_->setText(*chosen);
}

void ScreensaverOptionsDialog::CheckAndSave() {
  ScreensaverSettings settings;
  settings.area_size_text = area_size_->text().left(kMaxNumberText).toStdString();
  settings.timeout_text = timeout_->text().left(kMaxNumberText).toStdString();
  settings.area_size = TextToInt(settings.area_size_text);
  settings.timeout = TextToInt(settings.timeout_text);
  settings.profile_path = profile_->text().left(kMaxProfilePath).toStdString();

  std::error_code error;
  if (settings.profile_path.empty() || !std::filesystem::exists(settings.profile_path, error)) {
    Tell(tr(kInvalidPathText) + QString::fromStdString(settings.profile_path));
    profile_->setFocus();
    return;
  }
  if (!InRange(settings.area_size)) {
    Tell(tr(kAreaRangeText));
    area_size_->setFocus();
    return;
  }
  if (!InRange(settings.timeout)) {
    Tell(tr(kTimeoutRangeText));
    timeout_->setFocus();
    return;
  }
  const host::HostStatus saved = host::RunAnswering(
      this, tr(product::kAppTitle), [&] { return WriteScreensaverValues(user_, settings); });
  if (!saved.ok()) {
    Tell(tr("Cannot save the screen saver's settings.\n\n%1")
             .arg(QString::fromStdString(saved.Message())));
    return;
  }
  if (logon_->isChecked() && !SaveLogonScreensaver(settings)) {
    logon_->setFocus();
    return;
  }
  accept();
}

bool ScreensaverOptionsDialog::SaveLogonScreensaver(const ScreensaverSettings& settings) {
  if (elevated_) return elevated_(this, settings);
  const host::HostStatus direct = host::RunAnswering(
      this, tr(product::kAppTitle), [&] { return WriteLogonScreensaver(default_user_, settings); });
  if (direct.ok()) return true;
  Tell(tr("The screen saver at logon was not set: %1 cannot be written.\n%2\n\n"
          "Your own settings are saved. Clear the check box to close, or ask an administrator "
          "to run these options.")
           .arg(QString::fromStdString(default_user_.file()),
                QString::fromStdString(direct.Message())));
  return false;
}

void ScreensaverOptionsDialog::Tell(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, tr(product::kAppTitle), text, QMessageBox::Ok, this);
  box.exec();
}

std::vector<host::StoreWrite> LogonWrites(const ScreensaverSettings& settings) {
  const auto value = [](std::string_view key, std::string_view name, std::string_view text) {
    return host::StoreWrite{host::Hive::kDefaultUser, std::string(key), std::string(name),
                            std::string(text), /*create_key=*/true};
  };
  return {value(kDesktopKey, product::kScreenSaverProgramValue, kScreensaverProgram),
          value(kDesktopKey, product::kScreenSaveActiveValue, "1"),
          value(kScreenSaverKey, product::kProfileValue, settings.profile_path),
          value(kScreenSaverKey, product::kAreaSizeValue, settings.area_size_text),
          value(kScreenSaverKey, product::kTimeoutValue, settings.timeout_text)};
}

int RunOptionsDialog(unsigned /*owner*/) {
  // A foreign window cannot own a Qt dialog; the dialog opens on its own, in front.
  host::SettingsStore user(host::Hive::kCurrentUser);
  host::SettingsStore default_user(host::Hive::kDefaultUser);
  // The default user's store belongs to root: the same asking, elevated write as the desktop
  // program's system options.
  const auto elevated = [](QWidget* parent, const ScreensaverSettings& settings) {
    const std::vector<host::StoreWrite> writes = LogonWrites(settings);
    return host::WriteStoreValuesAsking(parent, QObject::tr(product::kAppTitle), writes) ==
           host::PromptedWrite::kWritten;
  };
  ScreensaverOptionsDialog dialog(user, default_user, elevated);
  dialog.exec();
  return 0;
}

}  // namespace corvane::screensaver
