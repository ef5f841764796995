#include "desktop/counters/counters_dlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "core/counter_path.h"
#include "core/engine.h"
#include "core/engine_host.h"
#include "desktop/collector/collector_stopper.h"
#include "desktop/counters/computer_dlg.h"
#include "desktop/counters/counter_browser.h"
#include "desktop/counters/counter_fields.h"
#include "desktop/counters/dialog_ids.h"
#include "desktop/counters/hscroll_list_box.h"
#include "platform/qt/keyboard_access.h"
#include "platform/qt/number_text.h"
#include "platform/qt/object_name.h"
#include "platform/qt/product_text.h"
#include "platform/qt/screen_centre.h"

namespace corvane::desktop {
namespace {

QPushButton* NewButton(const QString& text, int id, QWidget* parent) {
  auto* button = qt::Named(new QPushButton(text, parent), qt::WidgetRole::kButton, id);
  button->setAutoDefault(false);
  return button;
}

QLineEdit* NewEdit(int id, const QString& accessible, QWidget* parent) {
  auto* edit = qt::Named(new QLineEdit(parent), qt::WidgetRole::kEdit, id);
  edit->setAccessibleName(accessible);
  return edit;
}

}  // namespace

CCountersDlg::CCountersDlg(Corvane& engine, EngineWindow* window, HelpRequest help, QWidget* parent)
    : QDialog(parent), engine_(engine), window_(window), help_(std::move(help)) {
  qt::Named(this, qt::WidgetRole::kDialog, static_cast<int>(dialog_id::kCountersDialog));
  stopper_ = new CollectorStopper(engine_, this);
  stopper_->SetWaitingWidget(this);
  setWindowTitle(tr("Performance Counters - Corvane"));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(CreateListGroup(), 1);
  layout->addWidget(CreateSelectedGroup());
  layout->addWidget(CreateButtons());
  ConnectSignals();
  resize(620, 520);

  // Opening: the working copy from the chart, the first counter current.
  entries_ = LoadWorkingCopy(engine_);
  current_ = entries_.empty() ? -1 : 0;
  FillList();
  structure_changed_ = false;
  skip_next_store_ = true;
  SelectionChanged();
  apply_button_->setEnabled(false);
  list_->setFocus();
  // Every control can be reached with Alt and a letter of its own.
  qt::AssignMnemonics(this);
}

QWidget* CCountersDlg::CreateListGroup() {
  auto* group = new QGroupBox(tr(" List of monitoring counters "), this);
  auto* grid = new QGridLayout(group);
  list_ = qt::Named(new CHScrollListBox(group), qt::WidgetRole::kList, 1000);
  list_->setAccessibleName(tr("List of monitoring counters"));
  add_button_ = NewButton(tr(" Add..."), 14, group);
  delete_button_ = NewButton(tr("Delete"), 12, group);
  clear_button_ = NewButton(tr("Clear All"), 13, group);
  up_button_ = NewButton(tr(" Up "), 15, group);
  down_button_ = NewButton(tr(" Down "), 1003, group);
  costly_check_ = new QCheckBox(
      tr("Include costly objects when browsing performance counters on adding"), group);
  qt::Named(costly_check_, qt::WidgetRole::kCheck, 1018);

  auto* buttons = new QVBoxLayout;
  for (QPushButton* button : {add_button_, delete_button_, clear_button_, up_button_, down_button_})
    buttons->addWidget(button);
  buttons->addStretch(1);
  grid->addWidget(list_, 0, 0);
  grid->addLayout(buttons, 0, 1);
  grid->addWidget(costly_check_, 1, 0, 1, 2);
  grid->setColumnStretch(0, 1);
  return group;
}

QWidget* CCountersDlg::CreateSelectedGroup() {
  auto* group = new QGroupBox(tr(" Selected counter "), this);
  auto* grid = new QGridLayout(group);
  label_edit_ = NewEdit(1001, tr("Axis label"), group);
  min_edit_ = NewEdit(1005, tr("Min value"), group);
  max_edit_ = NewEdit(1007, tr("Max value"), group);
  critical_edit_ = NewEdit(1008, tr("Critical value"), group);
  scale_edit_ = NewEdit(1009, tr("Scale"), group);
  inverse_check_ = new QCheckBox(tr("Inverse"), group);
  qt::Named(inverse_check_, qt::WidgetRole::kCheck, 1048);

  const auto add_row = [&](int row, int column, const QString& text, QWidget* field) {
    auto* label = new QLabel(text, group);
    label->setBuddy(field);
    grid->addWidget(label, row, column);
    grid->addWidget(field, row, column + 1);
  };
  add_row(0, 0, tr("Axis label: "), label_edit_);
  grid->removeWidget(label_edit_);
  grid->addWidget(label_edit_, 0, 1, 1, 3);
  add_row(1, 0, tr("Min value: "), min_edit_);
  add_row(1, 2, tr("Max value: "), max_edit_);
  add_row(2, 0, tr("Critical value: "), critical_edit_);
  add_row(2, 2, tr("Scale: "), scale_edit_);
  grid->addWidget(inverse_check_, 3, 1);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);
  return group;
}

QWidget* CCountersDlg::CreateButtons() {
  auto* row = new QWidget(this);
  auto* buttons = new QHBoxLayout(row);
  buttons->setContentsMargins(0, 0, 0, 0);
  ok_button_ = NewButton(tr("OK"), 1, row);
  ok_button_->setDefault(true);
  ok_button_->setAutoDefault(true);
  cancel_button_ = NewButton(tr("Cancel"), 2, row);
  computer_button_ = NewButton(tr("Computer..."), 1004, row);
  apply_button_ = NewButton(tr("Apply"), 17, row);
  help_button_ = NewButton(tr("Help"), 9, row);
  buttons->addWidget(computer_button_);
  buttons->addStretch(1);
  for (QPushButton* button : {ok_button_, cancel_button_, apply_button_, help_button_})
    buttons->addWidget(button);
  return row;
}

void CCountersDlg::ConnectSignals() {
  connect(list_, &QListWidget::currentRowChanged, this, [this] {
    if (!filling_) SelectionChanged();
  });
  connect(add_button_, &QPushButton::clicked, this, &CCountersDlg::OnAdd);
  connect(delete_button_, &QPushButton::clicked, this, &CCountersDlg::OnDelete);
  connect(clear_button_, &QPushButton::clicked, this, &CCountersDlg::OnClearAll);
  connect(up_button_, &QPushButton::clicked, this, &CCountersDlg::OnUp);
  connect(down_button_, &QPushButton::clicked, this, &CCountersDlg::OnDown);
  connect(computer_button_, &QPushButton::clicked, this, &CCountersDlg::OnComputer);
  connect(apply_button_, &QPushButton::clicked, this, &CCountersDlg::OnApply);
  connect(help_button_, &QPushButton::clicked, this, &CCountersDlg::OnHelp);
  connect(ok_button_, &QPushButton::clicked, this, &CCountersDlg::accept);
  connect(cancel_button_, &QPushButton::clicked, this, &CCountersDlg::reject);
  for (QLineEdit* edit : {label_edit_, min_edit_, max_edit_, critical_edit_, scale_edit_})
    connect(edit, &QLineEdit::textEdited, this, &CCountersDlg::EnableApply);
  connect(inverse_check_, &QCheckBox::clicked, this, &CCountersDlg::EnableApply);
}

void CCountersDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  qt::CentreOnScreen(this);
}

// ---- List and fields.

void CCountersDlg::FillList() {
  filling_ = true;
  list_->ResetContent();
  for (std::size_t i = 0; i < entries_.size(); ++i)
    list_->AddString(QStringLiteral("%1. ").arg(i + 1) + QString::fromStdString(entries_[i].path));
  if (current_ >= 0) list_->setCurrentRow(current_);
  filling_ = false;
  structure_changed_ = true;
  EnableApply();
  const bool any = list_->count() > 0;
  delete_button_->setEnabled(any);
  clear_button_->setEnabled(any);
  computer_button_->setEnabled(any);
  WriteMembers();
}

void CCountersDlg::LoadFields() {
  fields_ = HasCurrent() ? entries_[static_cast<std::size_t>(current_)] : CounterEntry{};
  WriteMembers();
}

void CCountersDlg::WriteMembers() {
  label_edit_->setText(QString::fromStdString(fields_.label));
  min_edit_->setText(qt::FieldNumberText(fields_.min));
  max_edit_->setText(qt::FieldNumberText(fields_.max));
  critical_edit_->setText(qt::FieldNumberText(fields_.critical));
  scale_edit_->setText(qt::FieldNumberText(fields_.multiplier));
  inverse_check_->setChecked(fields_.inverse);
  costly_check_->setChecked(costly_);
}

bool CCountersDlg::StoreFields() {
  if (!HasCurrent()) return true;
  if (!ReadFields()) return false;
  CounterEntry& entry = entries_[static_cast<std::size_t>(current_)];
  const auto replace = [this](auto& stored, const auto& field) {
    if (stored == field) return;
    stored = field;
    attributes_changed_ = true;
  };
  replace(entry.label, fields_.label);
  replace(entry.min, fields_.min);
  replace(entry.max, fields_.max);
  replace(entry.critical, fields_.critical);
  replace(entry.multiplier, fields_.multiplier);
  replace(entry.inverse, fields_.inverse);
  WriteMembers();
  return true;
}

bool CCountersDlg::ReadFields() {
  FieldCheck check =
      CheckCounterFields({label_edit_->text(), min_edit_->text(), max_edit_->text(),
                          critical_edit_->text(), scale_edit_->text(), inverse_check_->isChecked()},
                         fields_);
  if (check.fault) {
    QLineEdit* const edits[] = {min_edit_, max_edit_, critical_edit_, scale_edit_};
    Complain(tr(check.fault->message), edits[static_cast<int>(check.fault->field)]);
    return false;
  }
  fields_ = std::move(check.values);
  costly_ = costly_check_->isChecked();
  return true;
}

void CCountersDlg::Complain(const QString& text, QLineEdit* field) {
  QMessageBox::warning(this, tr(product::kAppTitle), text);
  field->setFocus();
  field->selectAll();
}

void CCountersDlg::SelectionChanged() {
  if (!skip_next_store_) StoreFields();  // a refused edit is dropped: the selection still moves
  skip_next_store_ = false;
  current_ = list_->currentRow();
  if (current_ >= static_cast<int>(entries_.size())) current_ = -1;
  UpdateMoveButtons();
  LoadFields();
}

void CCountersDlg::UpdateMoveButtons() {
  const int count = static_cast<int>(entries_.size());
  if (count < 2) {
    up_button_->setEnabled(false);
    down_button_->setEnabled(false);
    return;
  }
  up_button_->setEnabled(current_ > 0);
  down_button_->setEnabled(current_ >= 0 && current_ < count - 1);
}

// ---- Buttons.

void CCountersDlg::OnAdd() {
  if (!StoreFields()) return;
  if (static_cast<int>(entries_.size()) >= kMaxCounters) {
    QMessageBox::warning(this, tr(product::kAppTitle), tr("Exceeded maximal number of counters."));
    return;
  }
  CCounterBrowser browser(
      engine_.GetProvider(), [this](const std::string& path) { return AddCounter(path); },
      costly_check_->isChecked(), this);
  browser.exec();
}

bool CCountersDlg::AddCounter(const std::string& path) {
  if (static_cast<int>(entries_.size()) >= kMaxCounters || path.empty()) return false;
  entries_.push_back(NewCounterEntry(path));
  current_ = static_cast<int>(entries_.size()) - 1;
  FillList();
  LoadFields();
  SelectionChanged();
  return true;
}

void CCountersDlg::OnDelete() {
  if (!StoreFields()) return;
  const int row = list_->currentRow();
  if (row < 0 || row >= static_cast<int>(entries_.size())) return;
  entries_.erase(entries_.begin() + row);
  const int count = static_cast<int>(entries_.size());
  current_ = count == 0 ? -1 : (row >= count ? count - 1 : row);
  FillList();
  LoadFields();
  SelectionChanged();
}

void CCountersDlg::OnClearAll() {
  if (!StoreFields()) return;
  entries_.clear();
  current_ = -1;
  FillList();
  LoadFields();
  SelectionChanged();
}

void CCountersDlg::OnUp() { Move(-1); }
void CCountersDlg::OnDown() { Move(+1); }

void CCountersDlg::Move(int offset) {
  if (!StoreFields()) return;
  const int row = list_->currentRow();
  const int neighbour = row + offset;
  if (row < 0 || neighbour < 0 || neighbour >= static_cast<int>(entries_.size())) return;
  std::swap(entries_[static_cast<std::size_t>(row)], entries_[static_cast<std::size_t>(neighbour)]);
  current_ = neighbour;
  FillList();
  SelectionChanged();
  WriteMembers();
}

void CCountersDlg::OnComputer() {
  if (!StoreFields()) return;
  CComputerDlg dialog(help_, this);
  dialog.OfferInstancesOf(engine_.GetProvider(), QString::fromStdString(engine_.GetRemoteServer()));
  if (dialog.exec() != QDialog::Accepted) return;
  const std::string computer = dialog.ComputerName().toStdString();
  for (CounterEntry& entry : entries_) entry.path = RewriteCounterMachine(entry.path, computer);
  FillList();
  LoadFields();
}

void CCountersDlg::OnApply() {
  if (!StoreFields()) return;
  // A collector that would not stop leaves Apply enabled, so the user can try again.
  ApplyToChart([this](bool applied) {
    if (applied) apply_button_->setEnabled(false);
  });
}

void CCountersDlg::EnableApply() { apply_button_->setEnabled(true); }

void CCountersDlg::OnHelp() {
  if (help_) help_(HelpTopicId::kCounters);
}

void CCountersDlg::accept() {
  // The fields are checked once, with a counter current or not, and a fault keeps the dialog
  // open after its one message.
  if (!(HasCurrent() ? StoreFields() : ReadFields())) return;
  ApplyToChart([this](bool) { QDialog::accept(); });
}

void CCountersDlg::reject() {
  if (stopper_->IsPending()) return;  // the window manager's close while OK's stop waits
  QDialog::reject();
}

void CCountersDlg::ApplyToChart(const std::function<void(bool applied)>& then) {
  auto apply = [this, then] {
    if (ApplyWorkingCopy(engine_, window_, entries_, structure_changed_, attributes_changed_) ==
        ApplyOutcome::kRebuilt)
      structure_changed_ = false;
    then(true);
  };
  if (!structure_changed_) return apply();
  stopper_->Stop([this, apply, then](bool stopped) {
    if (stopped) return apply();
    ShowCannotStopCollector(this);
    then(false);
  });
}

}  // namespace corvane::desktop
