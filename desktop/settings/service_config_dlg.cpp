#include "desktop/settings/service_config_dlg.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "desktop/settings/dialog_support.h"
#include "platform/qt/keyboard_access.h"
#include "platform/qt/object_name.h"
#include "platform/qt/profile_file_dialog.h"
#include "platform/qt/screen_centre.h"

namespace corvane::desktop {

CServiceConfigDlg::CServiceConfigDlg(QString profile, bool logon, bool current_user,
                                     QWidget* parent)
    : QDialog(parent), profile_(std::move(profile)), logon_(logon), current_user_(current_user) {
  setWindowTitle(tr("System Configuration Options"));
  auto* layout = new QVBoxLayout(this);

  auto* saver = new QGroupBox(tr("Screen saver options"), this);
  auto* saver_layout = new QVBoxLayout(saver);
  current_user_box_ = new QCheckBox(tr("Use as a screen saver for current user"), saver);
  logon_box_ = new QCheckBox(tr("Use as a screen saver at logon"), saver);
  saver_layout->addWidget(current_user_box_);
  saver_layout->addWidget(logon_box_);
  layout->addWidget(saver);

  auto* service = new QGroupBox(tr("Load profile on service start-up"), this);
  auto* service_layout = new QHBoxLayout(service);
  path_ = new QLineEdit(service);
  qt::Named(path_, qt::WidgetRole::kEdit, 1000);
  path_->setMinimumWidth(280);
  auto* browse = new QPushButton(tr("Browse..."), service);
  service_layout->addWidget(path_);
  service_layout->addWidget(browse);
  layout->addWidget(service);

  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton(tr("OK"), this);
  auto* cancel = new QPushButton(tr("Cancel"), this);
  ok->setDefault(true);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  path_->setText(profile_);
  current_user_box_->setChecked(current_user_);
  logon_box_->setChecked(logon_);

  connect(browse, &QPushButton::clicked, this, &CServiceConfigDlg::OnBrowse);
  connect(ok, &QPushButton::clicked, this, &CServiceConfigDlg::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  // Every control can be reached with Alt and a letter of its own.
  qt::AssignMnemonics(this);
}

void CServiceConfigDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!centred_) {
    centred_ = true;
    qt::CentreOnScreen(this);
  }
}

void CServiceConfigDlg::OnBrowse() {
  profile_ = path_->text();
  // The field's text is the starting folder; an empty field leaves the platform's default.
  const std::optional<QString> chosen = qt::BrowseForProfile(profile_, this);
  if (!chosen) return;
  profile_ = *chosen;
  path_->setText(profile_);
}

void CServiceConfigDlg::accept() {
  profile_ = path_->text();
  logon_ = logon_box_->isChecked();
  current_user_ = current_user_box_->isChecked();
  QDialog::accept();
}

}  // namespace corvane::desktop
