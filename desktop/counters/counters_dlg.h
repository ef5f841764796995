// CCountersDlg: "Performance Counters - Corvane", where the user edits the counters of the open
// profile: adds counters chosen in the counter browser, deletes, clears and reorders them,
// points them all at another computer, and edits each counter's axis label, range, critical
// value, scale and inverse flag. It works on a private working copy of the chart's counters
// and writes it to the engine's chart on Apply and OK: a changed set, order or path rebuilds
// the axes (the collector is stopped and started again), changed labels and attributes are
// updated in place while sampling goes on.
//
// exec() == Accepted: OK was pressed and the working copy has been applied; the caller then
// marks its document modified when the chart IsModified(). GUI thread only; the engine and the
// window must outlive the dialog.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "desktop/counters/counter_working_copy.h"
#include "desktop/help/help_request.h"

namespace corvane::desktop {
class CollectorStopper;
}

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace corvane {
class Corvane;
class EngineWindow;
}  // namespace corvane

namespace corvane::desktop {

class CHScrollListBox;

class CCountersDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kMaxCounters = 32;

  CCountersDlg(Corvane& engine, EngineWindow* window, HelpRequest help, QWidget* parent);

  // The counter browser's add callback: appends one chosen path as a new counter and makes it
  // the current one. False, and nothing added, when the list is full or the path is empty.
  bool AddCounter(const std::string& path);

  // OK and Apply write a changed set of counters once the collector has stopped; the dialog
  // is disabled while the stop waits.
  void accept() override;
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* CreateListGroup();
  QWidget* CreateSelectedGroup();
  QWidget* CreateButtons();
  void ConnectSignals();

  // The steps behind the list and the fields.
  void FillList();
  void LoadFields();
  // Checks the fields and stores them into the current entry; false, after one message, when
  // a field is refused. True without reading anything when no counter is current.
  bool StoreFields();
  // Checks the fields and takes them into fields_; false, after one message, on a fault.
  bool ReadFields();
  void WriteMembers();
  void SelectionChanged();
  void UpdateMoveButtons();

  // The buttons.
  void OnAdd();
  void OnDelete();
  void OnClearAll();
  void OnUp();
  void OnDown();
  void OnComputer();
  void OnApply();
  void OnHelp();
  void Move(int offset);
  // Writes the working copy to the chart, then calls `then` with false when the collector
  // did not stop (message 61210 shown, the chart as it was).
  void ApplyToChart(const std::function<void(bool applied)>& then);

  void Complain(const QString& text, QLineEdit* field);
  bool HasCurrent() const { return current_ >= 0 && current_ < static_cast<int>(entries_.size()); }
  void EnableApply();

  Corvane& engine_;
  EngineWindow* const window_;
  const HelpRequest help_;
  CollectorStopper* stopper_ = nullptr;

  std::vector<CounterEntry> entries_;
  int current_ = -1;  // the entry the fields show; -1 for none
  bool skip_next_store_ = false;
  bool structure_changed_ = false;
  bool attributes_changed_ = false;
  bool filling_ = false;  // the list is being refilled: its selection signals are ours

  // The values behind the fields (the defaults while no counter is current).
  CounterEntry fields_;
  bool costly_ = false;

  CHScrollListBox* list_ = nullptr;
  QPushButton* add_button_ = nullptr;
  QPushButton* delete_button_ = nullptr;
  QPushButton* clear_button_ = nullptr;
  QPushButton* up_button_ = nullptr;
  QPushButton* down_button_ = nullptr;
  QCheckBox* costly_check_ = nullptr;
  QLineEdit* label_edit_ = nullptr;
  QLineEdit* min_edit_ = nullptr;
  QLineEdit* max_edit_ = nullptr;
  QLineEdit* critical_edit_ = nullptr;
  QLineEdit* scale_edit_ = nullptr;
  QCheckBox* inverse_check_ = nullptr;
  QPushButton* ok_button_ = nullptr;
  QPushButton* cancel_button_ = nullptr;
  QPushButton* computer_button_ = nullptr;
  QPushButton* apply_button_ = nullptr;
  QPushButton* help_button_ = nullptr;
};

}  // namespace corvane::desktop
