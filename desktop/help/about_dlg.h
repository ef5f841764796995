// CAboutDlg: the about box, "About Corvane": the program icon, its name and version, the maker,
// and a link to the manual that takes the main window out of always-on-top before it opens.
// Made for each About command and run modally; owned by whoever runs it. GUI thread only.
#pragma once

#include <QDialog>

namespace corvane::desktop {

class CStaticLink;

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* main_window, QWidget* parent = nullptr);

  CStaticLink* link() const { return link_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  CStaticLink* link_;
};

}  // namespace corvane::desktop
