#include "desktop/counters/computer_dlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "desktop/counters/dialog_ids.h"
#include "desktop/counters/instance_completer.h"
#include "platform/qt/keyboard_access.h"
#include "platform/qt/object_name.h"
#include "platform/qt/screen_centre.h"

namespace corvane::desktop {

CComputerDlg::CComputerDlg(HelpRequest help, QWidget* parent)
    : QDialog(parent), help_(std::move(help)) {
  qt::Named(this, qt::WidgetRole::kDialog, static_cast<int>(dialog_id::kComputerDialog));
  setWindowTitle(tr("Monitor Remote Host - Corvane"));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(CreateConnectGroup());
  layout->addWidget(CreateButtons());
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(ok_button_, &QPushButton::clicked, this, &CComputerDlg::accept);
  connect(cancel_button_, &QPushButton::clicked, this, &CComputerDlg::reject);
  connect(help_button_, &QPushButton::clicked, this, [this] {
    if (help_) help_(HelpTopicId::kRemoteHost);
  });
  computer_edit_->setFocus();
  // Every control can be reached with Alt and a letter of its own.
  qt::AssignMnemonics(this);
}

QWidget* CComputerDlg::CreateConnectGroup() {
  auto* group = new QGroupBox(tr(" Connect to "), this);
  auto* grid = new QGridLayout(group);
  auto* label = new QLabel(tr("Computer: "), group);
  computer_edit_ = qt::Named(new QLineEdit(group), qt::WidgetRole::kEdit, 1005);
  computer_edit_->setAccessibleName(tr("Computer"));
  computer_edit_->setMinimumWidth(260);
  label->setBuddy(computer_edit_);
  auto* hint = new QLabel(
      tr("Specify the name or IP address of computer on the network. It will update all "
         "counters of this profile to point to that machine. For switching to the local box "
         "leave the field blank."),
      group);
  hint->setWordWrap(true);
  instances_label_ = new QLabel(group);
  instances_label_->setObjectName(QStringLiteral("label_instances"));
  instances_label_->setWordWrap(true);
  instances_label_->hide();
  grid->addWidget(label, 0, 0);
  grid->addWidget(computer_edit_, 0, 1);
  grid->addWidget(instances_label_, 1, 0, 1, 2);
  grid->addWidget(hint, 2, 0, 1, 2);
  return group;
}

QWidget* CComputerDlg::CreateButtons() {
  auto* box = new QDialogButtonBox(this);
  ok_button_ = box->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
  cancel_button_ = box->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
  help_button_ = box->addButton(tr("Help"), QDialogButtonBox::HelpRole);
  qt::Named(ok_button_, qt::WidgetRole::kButton, 1);
  qt::Named(cancel_button_, qt::WidgetRole::kButton, 2);
  qt::Named(help_button_, qt::WidgetRole::kButton, 9);
  ok_button_->setDefault(true);
  return box;
}

void CComputerDlg::OfferInstancesOf(perf::Provider& provider, const QString& server) {
  auto* completer = new InstanceCompleter(provider, computer_edit_);
  if (server.isEmpty()) return;
  instances_label_->setText(
      tr("Asking the Prometheus server at %1 for its instances...").arg(server));
  instances_label_->show();
  setCursor(Qt::BusyCursor);
  connect(completer, &InstanceCompleter::Listed, this, [this, server](int count) {
    unsetCursor();
    if (count > 0) {
      instances_label_->hide();
    } else {
      instances_label_->setText(
          tr("The Prometheus server at %1 lists no instances: type the instance as the server "
             "names it.")
              .arg(server));
    }
  });
}

void CComputerDlg::accept() {
  computer_name_ = computer_edit_->text();
  QDialog::accept();
}

void CComputerDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  qt::CentreOnScreen(this);
}

}  // namespace corvane::desktop
