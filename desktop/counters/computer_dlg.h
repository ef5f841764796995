// CComputerDlg: asks for the computer whose counters a profile is to read ("Monitor Remote
// Host - Corvane"). The field starts empty at every opening; OK returns its text exactly as
// typed, an empty text meaning the local machine. The caller rewrites its counter paths with
// RewriteCounterMachine. GUI thread only.
#pragma once

#include <QDialog>
#include <QString>

#include "core/perf_data.h"
#include "desktop/help/help_request.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane::desktop {

class CComputerDlg : public QDialog {
  Q_OBJECT

 public:
  CComputerDlg(HelpRequest help, QWidget* parent);

  // The name entered, as typed (no trimming); valid after exec() returned Accepted.
  QString ComputerName() const { return computer_name_; }

  void accept() override;

  // Offers the instances of the Prometheus server the provider reads remote machines through
  // as completions of the computer field (nothing when it scrapes machines directly). The list
  // comes from a thread of its own; when `server` names the profile's server, the dialog says
  // it is asking that server (with a busy cursor) until the list has come.
  void OfferInstancesOf(perf::Provider& provider, const QString& server = {});

  // The line about the server's list: shown while asking and when none came.
  QLabel* instances_label() const { return instances_label_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* CreateConnectGroup();
  QWidget* CreateButtons();

  HelpRequest help_;
  QString computer_name_;
  QLineEdit* computer_edit_ = nullptr;
  QLabel* instances_label_ = nullptr;
  QPushButton* ok_button_ = nullptr;
  QPushButton* cancel_button_ = nullptr;
  QPushButton* help_button_ = nullptr;
};

}  // namespace corvane::desktop
