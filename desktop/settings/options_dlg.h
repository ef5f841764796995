// COptionsDlg ("Preferences - Corvane"): the sampling interval and the averaging history of the
// engine, and the critical border, grid step and label truncation of the chart. It applies its
// values itself, on Apply (which also redraws the chart at once) and on OK; Cancel keeps what
// Apply applied.
//
// Owns only its widgets; the engine and the window belong to the document. GUI thread only.
#pragma once

#include <QDialog>

#include "core/engine.h"
#include "desktop/help/help_request.h"

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace corvane::desktop {

class UpDownEdit;

class COptionsDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kDialogId = 133;  // its resource id, in its object name

  // `window` is redrawn by Apply; it may be null.
  COptionsDlg(Corvane& engine, EngineWindow* window, HelpRequest help, QWidget* parent);

  UpDownEdit* IntervalEdit() const { return interval_; }
  UpDownEdit* HistoryEdit() const { return history_; }
  QComboBox* CriticalRangeList() const { return critical_range_; }
  QComboBox* GridStepList() const { return grid_step_; }
  QPushButton* ApplyButton() const { return apply_; }

  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* CreateMonitoringGroup();
  QWidget* CreateGraphGroup();
  QWidget* CreateTruncationGroup();
  QWidget* CreateButtons();
  void LoadFromEngine();
  void EnableApply();

  // History, then interval, then the radio; the first failure is shown and ends the reading.
  bool ReadFields(int* history, int* interval);
  void ApplyValues(int history, int interval);
  void OnApply();

  Corvane& engine_;
  EngineWindow* const window_;
  const HelpRequest help_;
  UpDownEdit* interval_ = nullptr;
  UpDownEdit* history_ = nullptr;
  QComboBox* critical_range_ = nullptr;
  QComboBox* grid_step_ = nullptr;
  QButtonGroup* truncation_ = nullptr;
  QPushButton* apply_ = nullptr;
  bool initialising_ = false;
  bool centred_ = false;
};

}  // namespace corvane::desktop
