#include "desktop/settings/log_settings.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "desktop/settings/dialog_support.h"
#include "platform/qt/keyboard_access.h"
#include "platform/qt/object_name.h"
#include "platform/qt/screen_centre.h"

namespace corvane::desktop {
namespace {

struct Radio {
  int id;
  const char* label;
};

// In tab order, which is the order of the radio indexes (the ids are not).
constexpr Radio kModes[] = {
    {1030, QT_TRANSLATE_NOOP("corvane::desktop::CLogSettings", "Nothing")},
    {1028, QT_TRANSLATE_NOOP("corvane::desktop::CLogSettings", "Everything")},
    {1029, QT_TRANSLATE_NOOP("corvane::desktop::CLogSettings", "Value Changes")},
    {1033, QT_TRANSLATE_NOOP("corvane::desktop::CLogSettings", "State Changes")}};
constexpr Radio kFormats[] = {{1031, QT_TRANSLATE_NOOP("corvane::desktop::CLogSettings", "HTML")},
                              {1032, QT_TRANSLATE_NOOP("corvane::desktop::CLogSettings", "CSV")}};

template <std::size_t N>
QButtonGroup* AddRadios(const Radio (&radios)[N], QGroupBox* group, QBoxLayout* layout) {
  auto* buttons = new QButtonGroup(group);
  for (std::size_t i = 0; i < N; ++i) {
    auto* radio = new QRadioButton(CLogSettings::tr(radios[i].label), group);
    qt::Named(radio, qt::WidgetRole::kRadio, radios[i].id);
    buttons->addButton(radio, static_cast<int>(i));
    layout->addWidget(radio);
  }
  return buttons;
}

void Check(QButtonGroup* group, int index) {
  if (QAbstractButton* radio = group->button(index)) radio->setChecked(true);
}

}  // namespace

CLogSettings::CLogSettings(Corvane& engine, HelpRequest help, QWidget* parent)
    : QDialog(parent), engine_(engine), help_(std::move(help)) {
  qt::Named(this, qt::WidgetRole::kDialog, kDialogId);
  setWindowTitle(tr("Log Settings - Corvane"));
  const CorvaneSettings settings = engine_.GetSettings();
  mode_ = settings.LogMode;
  format_ = settings.LogFormat;
  size_limit_ = settings.LogFileSize;

  auto* layout = new QVBoxLayout(this);
  auto* groups = new QHBoxLayout;
  groups->addWidget(CreateModeGroup());
  groups->addWidget(CreateFormatGroup(), 0, Qt::AlignTop);
  layout->addLayout(groups);
  layout->addWidget(CreateSizeRow());
  layout->addWidget(CreateButtons());
  layout->setSizeConstraint(QLayout::SetFixedSize);

  Check(modes_, mode_);
  Check(formats_, format_);
  size_->setText(QString::number(size_limit_));
  // Every control can be reached with Alt and a letter of its own.
  qt::AssignMnemonics(this);
}

QWidget* CLogSettings::CreateModeGroup() {
  auto* group = new QGroupBox(tr(" Report about "), this);
  modes_ = AddRadios(kModes, group, new QVBoxLayout(group));
  return group;
}

QWidget* CLogSettings::CreateFormatGroup() {
  auto* group = new QGroupBox(tr(" Log format "), this);
  formats_ = AddRadios(kFormats, group, new QVBoxLayout(group));
  return group;
}

QWidget* CLogSettings::CreateSizeRow() {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* label = new QLabel(tr("File size limit:"), row);
  size_ = new QLineEdit(row);
  qt::Named(size_, qt::WidgetRole::kEdit, 1026);
  size_->setMaximumWidth(80);
  label->setBuddy(size_);
  layout->addWidget(label);
  layout->addWidget(size_);
  layout->addWidget(new QLabel(tr("KBytes"), row));
  layout->addStretch();
  return row;
}

QWidget* CLogSettings::CreateButtons() {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* ok = new QPushButton(tr("OK"), row);
  auto* cancel = new QPushButton(tr("Cancel"), row);
  auto* help = new QPushButton(tr("Help"), row);
  ok->setDefault(true);
  layout->addStretch();
  for (QPushButton* button : {ok, cancel, help}) layout->addWidget(button);
  connect(ok, &QPushButton::clicked, this, &CLogSettings::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(help, &QPushButton::clicked, this, [this] {
    if (help_) help_(HelpTopicId::kLogSettings);
  });
  return row;
}

void CLogSettings::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!centred_) {
    centred_ = true;
    qt::CentreOnScreen(this);
  }
}

void CLogSettings::accept() {
  int size = 0;
  if (!ReadIntegerField(this, size_, kMinSize, kMaxSize, &size)) return;
  mode_ = modes_->checkedId();
  format_ = formats_->checkedId();
  size_limit_ = size;

  CorvaneSettings settings = engine_.GetSettings();
  if (mode_ >= 0) settings.LogMode = mode_;
  if (format_ >= 0) settings.LogFormat = format_;
  settings.LogFileSize = size_limit_;
  engine_.SetSettings(settings);
  QDialog::accept();
}

}  // namespace corvane::desktop
