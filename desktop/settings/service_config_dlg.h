// CServiceConfigDlg ("System Configuration Options"): whether corvscreen is the current
// user's and the logon desktop's screen saver, and which profile the service loads at start.
// The caller fills the members and reads them after OK; the dialog writes nothing itself.
// GUI thread only.
#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLineEdit;

namespace corvane::desktop {

class CServiceConfigDlg : public QDialog {
  Q_OBJECT

 public:
  CServiceConfigDlg(QString profile, bool logon, bool current_user, QWidget* parent);

  QString profile() const { return profile_; }
  bool logon() const { return logon_; }
  bool current_user() const { return current_user_; }

  QLineEdit* ProfileEdit() const { return path_; }
  QCheckBox* CurrentUserBox() const { return current_user_box_; }
  QCheckBox* LogonBox() const { return logon_box_; }

  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void OnBrowse();

  QString profile_;
  bool logon_;
  bool current_user_;
  QLineEdit* path_ = nullptr;
  QCheckBox* current_user_box_ = nullptr;
  QCheckBox* logon_box_ = nullptr;
  bool centred_ = false;
};

}  // namespace corvane::desktop
