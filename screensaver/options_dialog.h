// ScreensaverOptionsDialog: the screen saver's options: the profile it shows, the share of the
// screen the chart covers, how often it moves, and whether the screen saver at logon (the
// default user's settings) gets the same. Reads the settings at construction; OK checks the
// three boxes in order, writes the user's values and, when asked, the logon screen saver's,
// and closes only when all of that was written. Cancel writes nothing.
//
// GUI thread only. The stores must outlive the dialog.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "platform/linux/host/host_status.h"
#include "platform/linux/host/settings_store.h"
#include "platform/linux/privileged/privileged_store_write.h"
#include "screensaver/screensaver_settings.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QDialogButtonBox;

namespace corvane::screensaver {

// The dialog's texts, translated in its context.
inline constexpr char kOptionsTitle[] = QT_TRANSLATE_NOOP(
    "corvane::screensaver::ScreensaverOptionsDialog", "Screensaver Options for Corvane");
inline constexpr char kInvalidPathText[] = QT_TRANSLATE_NOOP(
    "corvane::screensaver::ScreensaverOptionsDialog", "Invalid path for the profile:\n");
inline constexpr char kAreaRangeText[] =
    QT_TRANSLATE_NOOP("corvane::screensaver::ScreensaverOptionsDialog",
                      "Graph gArea should be between 1 and 100 percent.");
inline constexpr char kTimeoutRangeText[] =
    QT_TRANSLATE_NOOP("corvane::screensaver::ScreensaverOptionsDialog",
                      "Time interval should be between 1 and 100 seconds.");
inline constexpr char kWaylandNote[] = QT_TRANSLATE_NOOP(
    "corvane::screensaver::ScreensaverOptionsDialog",
    "This is a Wayland session: GNOME and KDE run no screen savers of this kind there. Run "
    "Corvane with its caption off and always on top instead.");

class ScreensaverOptionsDialog : public QDialog {
  Q_OBJECT

 public:
  // Writes the logon screen saver into the default user's store, offering administrator
  // rights where the store cannot be written and telling the user about every failure; true
  // when it was written. Empty: the dialog writes `default_user` directly and says why a
  // write failed.
  using ElevatedWrite = std::function<bool(QWidget* parent, const ScreensaverSettings&)>;

  ScreensaverOptionsDialog(host::SettingsStore& user, host::SettingsStore& default_user,
                           ElevatedWrite elevated = {}, QWidget* parent = nullptr);

  // Whether this session runs no hacks (a Wayland session), which the dialog says.
  static bool IsWaylandSession();

 private:
  QGroupBox* CreateProfileGroup();
  QGroupBox* CreateSettingsGroup();
  QWidget* CreateHeader();
  void ConnectSignals();
  void LoadSettings();
  void Browse();
  void CheckAndSave();
  // The logon screen saver; false when it was not written (the user was told why).
  bool SaveLogonScreensaver(const ScreensaverSettings& settings);
  void Tell(const QString& text);

  host::SettingsStore& user_;
  host::SettingsStore& default_user_;
  ElevatedWrite elevated_;
  QLineEdit* profile_ = nullptr;
  QPushButton* browse_ = nullptr;
  QLineEdit* area_size_ = nullptr;
  QLineEdit* timeout_ = nullptr;
  QCheckBox* logon_ = nullptr;
  QLabel* wayland_note_ = nullptr;
  QDialogButtonBox* buttons_ = nullptr;
};

// Shows the dialog over the user's and the default user's stores. `owner` is the window that
// asked for it (0: none). The program's exit status.
int RunOptionsDialog(unsigned owner);

// The default user's values the logon check writes, keys created where missing.
std::vector<host::StoreWrite> LogonWrites(const ScreensaverSettings& settings);

}  // namespace corvane::screensaver
