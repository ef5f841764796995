#include "desktop/settings/options_dlg.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "desktop/settings/dialog_support.h"
#include "desktop/settings/up_down_edit.h"
#include "platform/qt/keyboard_access.h"
#include "platform/qt/object_name.h"
#include "platform/qt/screen_centre.h"

namespace corvane::desktop {
namespace {

constexpr int kPercentPerItem = 10;
constexpr int kListItems = 11;  // "none", "10" ... "100"

QComboBox* MakePercentList(QWidget* parent) {
  auto* list = new QComboBox(parent);
  list->addItem(COptionsDlg::tr("none"));
  for (int i = 1; i < kListItems; ++i) list->addItem(QString::number(i * kPercentPerItem));
  return list;
}

QLabel* MakeNote(const char* text, QWidget* parent) {
  auto* note = new QLabel(COptionsDlg::tr(text), parent);
  note->setWordWrap(true);
  note->setEnabled(false);  // greyed, like a hint
  return note;
}

// A field with its label, and its note below it across the group.
void AddField(QGridLayout* grid, int row, const char* label, QWidget* field, const char* note,
              QWidget* parent) {
  auto* caption = new QLabel(COptionsDlg::tr(label), parent);
  caption->setBuddy(field);
  grid->addWidget(caption, row * 2, 0);
  grid->addWidget(field, row * 2, 1);
  grid->addWidget(MakeNote(note, parent), row * 2 + 1, 0, 1, 3);
}

}  // namespace

COptionsDlg::COptionsDlg(Corvane& engine, EngineWindow* window, HelpRequest help, QWidget* parent)
    : QDialog(parent), engine_(engine), window_(window), help_(std::move(help)) {
  qt::Named(this, qt::WidgetRole::kDialog, kDialogId);
  setWindowTitle(tr("Preferences - Corvane"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(CreateMonitoringGroup());
  layout->addWidget(CreateGraphGroup());
  layout->addWidget(CreateTruncationGroup());
  layout->addWidget(CreateButtons());
  resize(440, sizeHint().height());

  LoadFromEngine();

  connect(interval_->Edit(), &QLineEdit::textChanged, this, &COptionsDlg::EnableApply);
  connect(history_->Edit(), &QLineEdit::textChanged, this, &COptionsDlg::EnableApply);
  connect(critical_range_, &QComboBox::currentIndexChanged, this, &COptionsDlg::EnableApply);
  connect(grid_step_, &QComboBox::currentIndexChanged, this, &COptionsDlg::EnableApply);
  connect(truncation_, &QButtonGroup::idClicked, this, &COptionsDlg::EnableApply);
  // Every control can be reached with Alt and a letter of its own.
  qt::AssignMnemonics(this);
}

QWidget* COptionsDlg::CreateMonitoringGroup() {
  auto* group = new QGroupBox(tr(" Monitoring settings "), this);
  auto* grid = new QGridLayout(group);
  interval_ = new UpDownEdit(group);
  qt::Named(interval_, qt::WidgetRole::kEdit, 1013);
  interval_->setAttribute(Qt::WA_Hover);  // highlights under the mouse
  history_ = new UpDownEdit(group);
  qt::Named(history_, qt::WidgetRole::kEdit, 1015);
  AddField(grid, 0, QT_TRANSLATE_NOOP("corvane::desktop::COptionsDlg", "Update interval: "),
           interval_,
           QT_TRANSLATE_NOOP(
               "corvane::desktop::COptionsDlg",
               "Timeout in seconds the program will wait between updates of counter values."),
           group);
  AddField(grid, 1, QT_TRANSLATE_NOOP("corvane::desktop::COptionsDlg", "History items: "), history_,
           QT_TRANSLATE_NOOP(
               "corvane::desktop::COptionsDlg",
               "The number of last collected values for evaluating the average counter value."),
           group);
  grid->setColumnStretch(2, 1);
  return group;
}

QWidget* COptionsDlg::CreateGraphGroup() {
  auto* group = new QGroupBox(tr(" Graph characteristics "), this);
  auto* grid = new QGridLayout(group);
  critical_range_ = MakePercentList(group);
  qt::Named(critical_range_, qt::WidgetRole::kCombo, 1016);
  grid_step_ = MakePercentList(group);
  qt::Named(grid_step_, qt::WidgetRole::kCombo, 1017);
  AddField(grid, 0, QT_TRANSLATE_NOOP("corvane::desktop::COptionsDlg", "Critical range: "),
           critical_range_,
           QT_TRANSLATE_NOOP(
               "corvane::desktop::COptionsDlg",
               "The border on the graph in percentage to separate normal and critical values."),
           group);
  AddField(grid, 1, QT_TRANSLATE_NOOP("corvane::desktop::COptionsDlg", "Grid step: "), grid_step_,
           QT_TRANSLATE_NOOP(
               "corvane::desktop::COptionsDlg",
               "The step in percents for centric circles creating a grid in the field of values."),
           group);
  grid->setColumnStretch(2, 1);
  return group;
}

QWidget* COptionsDlg::CreateTruncationGroup() {
  auto* group = new QGroupBox(tr("Truncation of text in labels "), this);
  auto* row = new QHBoxLayout(group);
  truncation_ = new QButtonGroup(group);
  const char* labels[] = {QT_TRANSLATE_NOOP("corvane::desktop::COptionsDlg", "no truncation"),
                          QT_TRANSLATE_NOOP("corvane::desktop::COptionsDlg", "truncate in the end"),
                          QT_TRANSLATE_NOOP("corvane::desktop::COptionsDlg", "truncate in front")};
  for (int i = 0; i < 3; ++i) {
    auto* radio = new QRadioButton(COptionsDlg::tr(labels[i]), group);
    qt::Named(radio, qt::WidgetRole::kRadio, 1020 + i);
    truncation_->addButton(radio, i);
    row->addWidget(radio);
  }
  return group;
}

QWidget* COptionsDlg::CreateButtons() {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* ok = new QPushButton(tr("OK"), row);
  auto* cancel = new QPushButton(tr("Cancel"), row);
  apply_ = new QPushButton(tr("Apply"), row);
  auto* help = new QPushButton(tr("Help"), row);
  ok->setDefault(true);
  layout->addStretch();
  for (QPushButton* button : {ok, cancel, apply_, help}) layout->addWidget(button);

  connect(ok, &QPushButton::clicked, this, &COptionsDlg::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(apply_, &QPushButton::clicked, this, &COptionsDlg::OnApply);
  connect(help, &QPushButton::clicked, this, [this] {
    if (help_) help_(HelpTopicId::kPreferences);
  });
  return row;
}

void COptionsDlg::LoadFromEngine() {
  initialising_ = true;
  if (QAbstractButton* radio = truncation_->button(engine_.GetLabelTrunc())) {
    radio->setChecked(true);
  }
  history_->SetRange(kMinHistory, kMaxHistory);
  interval_->SetRange(kMinInterval, kMaxInterval);
  const CorvaneSettings settings = engine_.GetSettings();
  history_->SetPosition(settings.History);
  interval_->SetPosition(settings.Interval);
  critical_range_->setCurrentIndex(engine_.GetCriticalBorder() / kPercentPerItem);
  grid_step_->setCurrentIndex(engine_.GetGridStep() / kPercentPerItem);
  apply_->setEnabled(false);
  initialising_ = false;
}

void COptionsDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!centred_) {
    centred_ = true;
    qt::CentreOnScreen(this);
  }
}

void COptionsDlg::EnableApply() {
  if (!initialising_) apply_->setEnabled(true);
}

bool COptionsDlg::ReadFields(int* history, int* interval) {
  return ReadIntegerField(this, history_->Edit(), kMinHistory, kMaxHistory, history) &&
         ReadIntegerField(this, interval_->Edit(), kMinInterval, kMaxInterval, interval);
}

void COptionsDlg::ApplyValues(int history, int interval) {
  CorvaneSettings settings = engine_.GetSettings();
  settings.History = history;
  settings.Interval = interval;
  engine_.SetSettings(settings);
  engine_.SetGridStep(kPercentPerItem * grid_step_->currentIndex());
  engine_.SetCriticalBorder(kPercentPerItem * critical_range_->currentIndex());
  engine_.SetLabelTrunc(std::max(truncation_->checkedId(), 0));
}

void COptionsDlg::OnApply() {
  int history = 0;
  int interval = 0;
  if (!ReadFields(&history, &interval)) return;
  ApplyValues(history, interval);
  if (window_ != nullptr) window_->Invalidate(true);
  apply_->setEnabled(false);
}

void COptionsDlg::accept() {
  int history = 0;
  int interval = 0;
  if (!ReadFields(&history, &interval)) return;
  ApplyValues(history, interval);
  QDialog::accept();
}

}  // namespace corvane::desktop
