#include "desktop/settings/wizard_add_dlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/catalogue.h"
#include "desktop/collector/collector_stopper.h"
#include "desktop/settings/dialog_support.h"
#include "platform/qt/keyboard_access.h"
#include "platform/qt/object_name.h"
#include "platform/qt/screen_centre.h"

namespace corvane::desktop {

const std::array<CWizardAddDlg::CounterBox, 12> CWizardAddDlg::kCounterBoxes = {{
    {1048, QT_TRANSLATE_NOOP("corvane::desktop::CWizardAddDlg", "CPU utilization"), true, SC_CPU},
    {1043, QT_TRANSLATE_NOOP("corvane::desktop::CWizardAddDlg", "Total number of processes"), true,
     SC_PROCESSES},
    {1042, QT_TRANSLATE_NOOP("corvane::desktop::CWizardAddDlg", "Total number of threads"), true,
     SC_THREADS},
    {1039, QT_TRANSLATE_NOOP("corvane::desktop::CWizardAddDlg", "Physical memory usage"), true,
     SC_MEMORY},
    {1040, QT_TRANSLATE_NOOP("corvane::desktop::CWizardAddDlg", "Virtual memory usage"), true,
     SC_VIRTUAL_MEMORY},
    {1041, QT_TRANSLATE_NOOP("corvane::desktop::CWizardAddDlg", "Registry space usage"), false,
     SC_REGISTRY},
    {1049, QT_TRANSLATE_NOOP("corvane::desktop::CWizardAddDlg", "Total disk space usage"), true,
     SC_TOTAL_DISK_SPACE},
    {1047, QT_TRANSLATE_NOOP("corvane::desktop::CWizardAddDlg", "Each disk space usage"), false,
     SC_EACH_DISK_SPACE},
    {1038, QT_TRANSLATE_NOOP("corvane::desktop::CWizardAddDlg", "Total hard drive accessing time"),
     true, SC_TOTAL_DRIVE_TIME},
    {1037, QT_TRANSLATE_NOOP("corvane::desktop::CWizardAddDlg", "Each hard drive accessing time"),
     false, SC_EACH_DRIVE_TIME},
    {1044, QT_TRANSLATE_NOOP("corvane::desktop::CWizardAddDlg", "Network utilization"), false,
     SC_NETWORK},
    {1045, QT_TRANSLATE_NOOP("corvane::desktop::CWizardAddDlg", "Total number of server sessions"),
     false, SC_SESSIONS},
}};

// Three columns: which lines are drawn, which are bold, what the chart shows besides.
const std::array<CWizardAddDlg::VisualBox, 9> CWizardAddDlg::kVisualBoxes = {{
    {1051, QT_TRANSLATE_NOOP("corvane::desktop::CWizardAddDlg", "Current values (yellow)"), true},
    {1052, QT_TRANSLATE_NOOP("corvane::desktop::CWizardAddDlg", "Average values (green)"), true},
    {1053, QT_TRANSLATE_NOOP("corvane::desktop::CWizardAddDlg", "Maximal values (cyan)"), false},
    {1054, QT_TRANSLATE_NOOP("corvane::desktop::CWizardAddDlg", "Bold current line"), false},
    {1059, QT_TRANSLATE_NOOP("corvane::desktop::CWizardAddDlg", "Bold average line"), true},
    {1060, QT_TRANSLATE_NOOP("corvane::desktop::CWizardAddDlg", "Bold maximal line"), false},
    {1055, QT_TRANSLATE_NOOP("corvane::desktop::CWizardAddDlg", "Axis names"), true},
    {1057, QT_TRANSLATE_NOOP("corvane::desktop::CWizardAddDlg", "Measured values"), true},
    {1058, QT_TRANSLATE_NOOP("corvane::desktop::CWizardAddDlg", "Grid circles"), true},
}};

namespace {

enum VisualIndex {
  kCurrent,
  kAverage,
  kMaximal,
  kBoldCurrent,
  kBoldAverage,
  kBoldMaximal,
  kNames,
  kValues,
  kGrid
};

constexpr int kGridStepChecked = 20;  // percent

QCheckBox* MakeBox(int id, const char* label, bool checked, QWidget* parent) {
  auto* box = new QCheckBox(CWizardAddDlg::tr(label), parent);
  qt::Named(box, qt::WidgetRole::kCheck, id);
  box->setChecked(checked);
  return box;
}

}  // namespace

CWizardAddDlg::CWizardAddDlg(Corvane& engine, EngineWindow* window, HelpRequest help,
                             QWidget* parent)
    : QDialog(parent), engine_(engine), window_(window), help_(std::move(help)) {
  qt::Named(this, qt::WidgetRole::kDialog, kDialogId);
  setWindowTitle(tr("Create Monitoring Profile - Corvane Wizard"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(CreateCounterGroup());
  layout->addWidget(CreateVisualGroup());
  layout->addWidget(CreateButtons());
  layout->setSizeConstraint(QLayout::SetFixedSize);
  // Every control can be reached with Alt and a letter of its own.
  qt::AssignMnemonics(this);
  stopper_ = new CollectorStopper(engine_, this);
  stopper_->SetWaitingWidget(this);
}

QWidget* CWizardAddDlg::CreateCounterGroup() {
  auto* group = new QGroupBox(
      tr("Select what you want to monitor. For more options press Counters button."), this);
  auto* grid = new QGridLayout(group);
  const int rows = static_cast<int>(kCounterBoxes.size() + 1) / 2;
  for (std::size_t i = 0; i < kCounterBoxes.size(); ++i) {
    const CounterBox& spec = kCounterBoxes[i];
    QCheckBox* box = MakeBox(spec.id, spec.label, spec.initially, group);
    counter_boxes_[i] = box;
    grid->addWidget(box, static_cast<int>(i) % rows, static_cast<int>(i) / rows);
    connect(box, &QCheckBox::clicked, this, [this, box] { OnCounterClicked(box); });
  }
  return group;
}

QWidget* CWizardAddDlg::CreateVisualGroup() {
  auto* group = new QGroupBox(tr("Visual effects to begin with"), this);
  auto* grid = new QGridLayout(group);
  for (std::size_t i = 0; i < kVisualBoxes.size(); ++i) {
    const VisualBox& spec = kVisualBoxes[i];
    QCheckBox* box = MakeBox(spec.id, spec.label, spec.initially, group);
    visual_boxes_[i] = box;
    grid->addWidget(box, static_cast<int>(i) % 3, static_cast<int>(i) / 3);
    connect(box, &QCheckBox::clicked, this, &CWizardAddDlg::OnVisualClicked);
  }
  return group;
}

QWidget* CWizardAddDlg::CreateButtons() {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* ok = new QPushButton(tr("OK"), row);
  auto* cancel = new QPushButton(tr("Cancel"), row);
  auto* counters = new QPushButton(tr("Counters..."), row);
  auto* help = new QPushButton(tr("Help"), row);
  ok->setDefault(true);
  layout->addStretch();
  for (QPushButton* button : {ok, cancel, counters, help}) layout->addWidget(button);

  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &CWizardAddDlg::reject);
  connect(counters, &QPushButton::clicked, this, [this] { done(kCountersResult); });
  connect(help, &QPushButton::clicked, this, [this] {
    if (help_) help_(HelpTopicId::kWizard);
  });
  return row;
}

QCheckBox* CWizardAddDlg::Box(int id) const {
  for (std::size_t i = 0; i < kCounterBoxes.size(); ++i) {
    if (kCounterBoxes[i].id == id) return counter_boxes_[i];
  }
  for (std::size_t i = 0; i < kVisualBoxes.size(); ++i) {
    if (kVisualBoxes[i].id == id) return visual_boxes_[i];
  }
  return nullptr;
}

std::uint32_t CWizardAddDlg::CounterMask() const {
  std::uint32_t mask = 0;
  for (std::size_t i = 0; i < kCounterBoxes.size(); ++i) {
    if (counter_boxes_[i]->isChecked()) mask |= kCounterBoxes[i].flag;
  }
  return mask;
}

void CWizardAddDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!centred_) {
    centred_ = true;
    qt::CentreOnScreen(this);
  }
}

void CWizardAddDlg::OnCounterClicked(QCheckBox* box) {
  stopper_->Stop([this, box](bool stopped) {
    if (!stopped) {
      // The collector is still busy (a slow remote machine): the chart keeps its counters, so
      // the box goes back to what the chart shows.
      box->setChecked(!box->isChecked());
      ShowCannotStopCollector(this);
      return;
    }
    AddStandardCounters(false, CounterMask(), engine_);
    StartMonitoring();
  });
}

void CWizardAddDlg::OnVisualClicked() {
  auto on = [this](int index) { return visual_boxes_[index]->isChecked() ? 1 : 0; };
  CorvaneSettings settings = engine_.GetSettings();
  settings.ShowCurrent = on(kCurrent);
  settings.ShowAverage = on(kAverage);
  settings.ShowMax = on(kMaximal);
  settings.BoldCur = on(kBoldCurrent);
  settings.BoldAvg = on(kBoldAverage);
  settings.BoldMax = on(kBoldMaximal);
  engine_.SetSettings(settings);
  engine_.ApplySettingsToChart();
  engine_.SetShowNames(on(kNames));
  engine_.SetShowValues(on(kValues));
  engine_.SetGridStep(kGridStepChecked * on(kGrid));
  RedrawViews();
}

void CWizardAddDlg::reject() {
  if (stopper_->IsPending()) return;  // the window manager's close while a click's stop waits
  stopper_->Stop([this](bool stopped) {
    if (stopped) {
      AddStandardCounters(true, SC_DEFAULT, engine_);
      engine_.ResetToDefaults();
      StartMonitoring();
    } else {
      ShowCannotStopCollector(this);  // the profile keeps what the clicks made of it
    }
    QDialog::reject();
  });
}

void CWizardAddDlg::StartMonitoring() {
  engine_.SetStatusText("Loading...");
  engine_.ApplySettingsToChart();
  engine_.Start(window_, false);
  RedrawViews();
}

void CWizardAddDlg::RedrawViews() {
  if (window_ != nullptr) window_->Invalidate(true);
}

}  // namespace corvane::desktop
