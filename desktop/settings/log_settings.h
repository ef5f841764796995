// CLogSettings ("Log Settings - Corvane"): the activity log's mode, format and size limit.
// It opens on the engine's LogMode, LogFormat and LogFileSize and, on OK, hands the three back
// to the engine (SetSettings reopens the log when the mode or the format changed); Cancel
// changes nothing. The document runs it from Log Settings... and from View Log... when
// logging is off.
//
// Owns only its widgets; the engine belongs to the document. GUI thread only.
#pragma once

#include <QDialog>

#include "core/engine.h"
#include "desktop/help/help_request.h"

class QButtonGroup;
class QLineEdit;

namespace corvane::desktop {

class CLogSettings : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kDialogId = 146;   // its resource id, in its object name
  static constexpr int kMinSize = 1;      // KB
  static constexpr int kMaxSize = 10240;  // KB

  CLogSettings(Corvane& engine, HelpRequest help, QWidget* parent);

  // The members: radio indexes in the listed order and the size limit in KB.
  int mode() const { return mode_; }
  int format() const { return format_; }
  int size_limit() const { return size_limit_; }

  QLineEdit* SizeEdit() const { return size_; }

  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* CreateModeGroup();
  QWidget* CreateFormatGroup();
  QWidget* CreateSizeRow();
  QWidget* CreateButtons();

  Corvane& engine_;
  const HelpRequest help_;
  QButtonGroup* modes_ = nullptr;
  QButtonGroup* formats_ = nullptr;
  QLineEdit* size_ = nullptr;
  int mode_ = -1;
  int format_ = -1;
  int size_limit_ = 64;
  bool centred_ = false;
};

}  // namespace corvane::desktop
