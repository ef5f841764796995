#include "desktop/counters/counter_browser.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <utility>

#include "core/counter_descriptions.h"
#include "desktop/counters/catalog_loader.h"
#include "desktop/counters/instance_completer.h"
#include "platform/qt/keyboard_access.h"
#include "platform/qt/object_name.h"

namespace corvane::desktop {
namespace {

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

std::vector<std::string> SelectedTexts(const QListWidget* list) {
  std::vector<std::string> texts;
  for (int row = 0; row < list->count(); ++row) {
    const QListWidgetItem* item = list->item(row);
    if (item->isSelected() && !item->isHidden()) texts.push_back(item->text().toStdString());
  }
  return texts;
}

QListWidget* NewList(QWidget* parent, const char* name, const QString& accessible,
                     QAbstractItemView::SelectionMode mode) {
  auto* list = new QListWidget(parent);
  qt::Named(list, qt::WidgetRole::kList, name);
  list->setAccessibleName(accessible);
  list->setSelectionMode(mode);
  list->setMinimumWidth(180);
  list->setMinimumHeight(220);
  return list;
}

}  // namespace

CCounterBrowser::CCounterBrowser(perf::Provider& provider, AddCallback add, bool include_costly,
                                 QWidget* parent)
    : QDialog(parent), provider_(provider), add_(std::move(add)), include_costly_(include_costly) {
  qt::Named(this, qt::WidgetRole::kDialog, "counter_browser");
  setWindowTitle(tr("Select Counters"));
  loader_ = new CatalogLoader(provider_, this);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(CreateMachineRow());
  layout->addWidget(CreateBusyRow());
  layout->addWidget(CreateLists(), 1);
  layout->addWidget(CreateButtons());
  ConnectSignals();

  SetBusy(false, QString());
  UpdateAddButton();
  BrowseMachine();
  object_list_->setFocus();
  // Every control can be reached with Alt and a letter of its own.
  qt::AssignMnemonics(this);
}

CCounterBrowser::~CCounterBrowser() = default;

QWidget* CCounterBrowser::CreateMachineRow() {
  auto* row = new QWidget(this);
  auto* grid = new QGridLayout(row);
  grid->setContentsMargins(0, 0, 0, 0);
  auto* computer_label = new QLabel(tr("&Computer:"), row);
  computer_edit_ = new QLineEdit(row);
  qt::Named(computer_edit_, qt::WidgetRole::kEdit, "computer");
  computer_edit_->setAccessibleName(tr("Computer"));
  computer_edit_->setPlaceholderText(tr("this computer (or host, host:port, https://host:port)"));
  computer_label->setBuddy(computer_edit_);
  connect_button_ = new QPushButton(tr("C&onnect"), row);
  qt::Named(connect_button_, qt::WidgetRole::kButton, "connect");
  connect_button_->setAutoDefault(false);

  auto* filter_label = new QLabel(tr("&Filter:"), row);
  filter_edit_ = new QLineEdit(row);
  qt::Named(filter_edit_, qt::WidgetRole::kEdit, "filter");
  filter_edit_->setAccessibleName(tr("Filter"));
  filter_edit_->setPlaceholderText(tr("type to narrow objects and counters"));
  filter_edit_->setClearButtonEnabled(true);
  filter_label->setBuddy(filter_edit_);

  grid->addWidget(computer_label, 0, 0);
  grid->addWidget(computer_edit_, 0, 1);
  grid->addWidget(connect_button_, 0, 2);
  grid->addWidget(filter_label, 1, 0);
  grid->addWidget(filter_edit_, 1, 1, 1, 2);
  return row;
}

QWidget* CCounterBrowser::CreateBusyRow() {
  busy_row_ = new QWidget(this);
  auto* row = new QHBoxLayout(busy_row_);
  row->setContentsMargins(0, 0, 0, 0);
  busy_bar_ = new QProgressBar(busy_row_);
  busy_bar_->setRange(0, 0);  // a moving bar: the time a scrape takes is not known
  busy_bar_->setMaximumWidth(120);
  busy_bar_->setTextVisible(false);
  busy_label_ = new QLabel(busy_row_);
  qt::Named(busy_label_, qt::WidgetRole::kLabel, "busy");
  cancel_button_ = new QPushButton(tr("Cancel"), busy_row_);
  qt::Named(cancel_button_, qt::WidgetRole::kButton, "cancel");
  cancel_button_->setAutoDefault(false);
  row->addWidget(busy_bar_);
  row->addWidget(busy_label_, 1);
  row->addWidget(cancel_button_);
  return busy_row_;
}

QWidget* CCounterBrowser::CreateLists() {
  auto* panel = new QWidget(this);
  auto* grid = new QGridLayout(panel);
  grid->setContentsMargins(0, 0, 0, 0);

  object_list_ =
      NewList(panel, "objects", tr("Performance object"), QAbstractItemView::SingleSelection);
  counter_list_ = NewList(panel, "counters", tr("Counters"), QAbstractItemView::ExtendedSelection);
  instance_list_ =
      NewList(panel, "instances", tr("Instances"), QAbstractItemView::ExtendedSelection);
  all_instances_ = new QRadioButton(tr("A&ll instances"), panel);
  qt::Named(all_instances_, qt::WidgetRole::kRadio, "all_instances");
  some_instances_ = new QRadioButton(tr("&Select instances from list"), panel);
  qt::Named(some_instances_, qt::WidgetRole::kRadio, "some_instances");
  some_instances_->setChecked(true);

  auto* object_label = new QLabel(tr("Performance &object:"), panel);
  object_label->setBuddy(object_list_);
  auto* counter_label = new QLabel(tr("Coun&ters:"), panel);
  counter_label->setBuddy(counter_list_);
  auto* instance_label = new QLabel(tr("&Instances:"), panel);
  instance_label->setBuddy(instance_list_);

  auto* instance_box = new QVBoxLayout;
  instance_box->addWidget(all_instances_);
  instance_box->addWidget(some_instances_);
  instance_box->addWidget(instance_list_, 1);

  description_ = new QLabel(panel);
  qt::Named(description_, qt::WidgetRole::kLabel, "description");
  description_->setWordWrap(true);
  description_->setMinimumHeight(description_->fontMetrics().lineSpacing() * 3);
  description_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  description_->setFrameShape(QFrame::StyledPanel);
  description_->setMargin(4);
  message_ = new QLabel(panel);
  qt::Named(message_, qt::WidgetRole::kLabel, "message");
  message_->setWordWrap(true);
  message_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  grid->addWidget(object_label, 0, 0);
  grid->addWidget(counter_label, 0, 1);
  grid->addWidget(instance_label, 0, 2);
  grid->addWidget(object_list_, 1, 0, 2, 1);
  grid->addWidget(counter_list_, 1, 1, 2, 1);
  grid->addLayout(instance_box, 1, 2, 2, 1);
  grid->addWidget(description_, 3, 0, 1, 3);
  grid->addWidget(message_, 4, 0, 1, 3);
  grid->setColumnStretch(0, 2);
  grid->setColumnStretch(1, 3);
  grid->setColumnStretch(2, 2);
  grid->setRowStretch(1, 1);
  return panel;
}

QWidget* CCounterBrowser::CreateButtons() {
  auto* box = new QDialogButtonBox(this);
  add_button_ = box->addButton(tr("&Add"), QDialogButtonBox::ActionRole);
  qt::Named(add_button_, qt::WidgetRole::kButton, "add");
  add_button_->setDefault(true);
  close_button_ = box->addButton(tr("Close"), QDialogButtonBox::RejectRole);
  qt::Named(close_button_, qt::WidgetRole::kButton, "close");
  close_button_->setAutoDefault(false);
  return box;
}

void CCounterBrowser::ConnectSignals() {
  connect(connect_button_, &QPushButton::clicked, this, &CCounterBrowser::BrowseMachine);
  connect(computer_edit_, &QLineEdit::returnPressed, this, &CCounterBrowser::BrowseMachine);
  // Through a Prometheus server: its instances are offered as the user types, and a picked
  // one is read at once.
  auto* instances = new InstanceCompleter(provider_, computer_edit_);
  connect(instances, qOverload<const QString&>(&QCompleter::activated), this,
          [this](const QString&) { BrowseMachine(); });
  connect(cancel_button_, &QPushButton::clicked, this, &CCounterBrowser::CancelBrowse);
  connect(filter_edit_, &QLineEdit::textChanged, this, &CCounterBrowser::FillObjects);
  connect(object_list_, &QListWidget::currentRowChanged, this, &CCounterBrowser::FillItems);
  connect(counter_list_, &QListWidget::currentRowChanged, this,
          &CCounterBrowser::UpdateDescription);
  connect(counter_list_, &QListWidget::itemSelectionChanged, this,
          &CCounterBrowser::UpdateAddButton);
  connect(instance_list_, &QListWidget::itemSelectionChanged, this,
          &CCounterBrowser::UpdateAddButton);
  connect(counter_list_, &QListWidget::itemDoubleClicked, this, &CCounterBrowser::AddChosen);
  connect(all_instances_, &QRadioButton::toggled, this, [this](bool all) {
    instance_list_->setEnabled(!all && CurrentObject() != nullptr &&
                               CurrentObject()->has_instances);
    UpdateAddButton();
  });
  connect(add_button_, &QPushButton::clicked, this, &CCounterBrowser::AddChosen);
  connect(close_button_, &QPushButton::clicked, this, &CCounterBrowser::reject);
}

void CCounterBrowser::BrowseMachine() {
  const QString typed = computer_edit_->text();
  const std::string machine = MachinePartOf(typed.toStdString());
  loading_machine_ = machine.empty() ? tr("this computer") : QString::fromStdString(machine);
  SetBusy(true, tr("Reading the counters of %1...").arg(loading_machine_));
  ShowMessage(QString(), false);
  loader_->Load(machine, include_costly_,
                [this](BrowseCatalog catalog) { ShowCatalog(std::move(catalog)); });
}

bool CCounterBrowser::Busy() const { return loader_->Busy(); }

void CCounterBrowser::CancelBrowse() {
  if (!loader_->Busy()) return;
  loader_->Cancel();
  SetBusy(false, QString());
  ShowMessage(tr("Reading the counters of %1 was cancelled.").arg(loading_machine_), false);
  Q_EMIT CatalogShown();
}

void CCounterBrowser::ShowCatalog(BrowseCatalog catalog) {
  SetBusy(false, QString());
  if (catalog.status != perf::kOk) {
    const QString where =
        catalog.machine.empty() ? tr("this computer") : QString::fromStdString(catalog.machine);
    ShowMessage(tr("Cannot read the counters of %1: %2").arg(where, FromUtf8(catalog.error)), true);
    Q_EMIT CatalogShown();
    return;
  }
  catalog_ = std::move(catalog);
  FillObjects();
  if (catalog_.objects.empty()) ShowMessage(tr("The computer offers no counters."), true);
  Q_EMIT CatalogShown();
}

void CCounterBrowser::SetBusy(bool busy, const QString& what) {
  busy_row_->setVisible(busy);
  busy_label_->setText(what);
  connect_button_->setEnabled(!busy);
  object_list_->setEnabled(!busy);
  counter_list_->setEnabled(!busy);
  instance_list_->setEnabled(!busy && !all_instances_->isChecked());
  if (busy)
    add_button_->setEnabled(false);
  else
    UpdateAddButton();
  if (busy)
    setCursor(Qt::BusyCursor);
  else
    unsetCursor();
}

void CCounterBrowser::FillObjects() {
  const std::string filter = filter_edit_->text().toStdString();
  const QString current =
      object_list_->currentItem() != nullptr ? object_list_->currentItem()->text() : QString();
  {
    const QSignalBlocker block(object_list_);
    object_list_->clear();
    for (const BrowseObject& object : catalog_.objects) {
      if (ObjectMatches(filter, object)) object_list_->addItem(FromUtf8(object.name));
    }
  }
  int row = 0;
  const QList<QListWidgetItem*> same = object_list_->findItems(current, Qt::MatchExactly);
  if (!current.isEmpty() && !same.isEmpty()) row = object_list_->row(same.front());
  if (object_list_->count() == 0) row = -1;
  {
    const QSignalBlocker block(object_list_);
    object_list_->setCurrentRow(row);
  }
  FillItems();
}

const BrowseObject* CCounterBrowser::CurrentObject() const {
  const QListWidgetItem* item = object_list_->currentItem();
  if (item == nullptr) return nullptr;
  const std::string name = item->text().toStdString();
  for (const BrowseObject& object : catalog_.objects) {
    if (object.name == name) return &object;
  }
  return nullptr;
}

void CCounterBrowser::FillItems() {
  const BrowseObject* object = CurrentObject();
  const std::string filter = filter_edit_->text().toStdString();
  {
    const QSignalBlocker block_counters(counter_list_);
    const QSignalBlocker block_instances(instance_list_);
    counter_list_->clear();
    instance_list_->clear();
    if (object != nullptr) {
      // An object found by its own name shows all its counters; else only the matching ones.
      const bool whole = FilterMatches(filter, object->name);
      for (const std::string& counter : object->counters) {
        if (whole || FilterMatches(filter, counter)) counter_list_->addItem(FromUtf8(counter));
      }
      for (const std::string& instance : object->instances)
        instance_list_->addItem(FromUtf8(instance));
      if (counter_list_->count() > 0) counter_list_->setCurrentRow(0);
      // _Total first, as the figure most users want; else the first instance.
      const QList<QListWidgetItem*> total = instance_list_->findItems("_Total", Qt::MatchExactly);
      if (!total.isEmpty())
        instance_list_->setCurrentItem(total.front());
      else if (instance_list_->count() > 0)
        instance_list_->setCurrentRow(0);
    }
  }
  const bool instances = object != nullptr && object->has_instances;
  all_instances_->setEnabled(instances);
  some_instances_->setEnabled(instances);
  instance_list_->setEnabled(instances && !all_instances_->isChecked() && !loader_->Busy());
  UpdateDescription();
  UpdateAddButton();
}

void CCounterBrowser::UpdateDescription() {
  const BrowseObject* object = CurrentObject();
  const QListWidgetItem* counter = counter_list_->currentItem();
  if (object == nullptr) {
    description_->clear();
    return;
  }
  if (counter == nullptr) {
    description_->setText(FromUtf8(std::string(ObjectDescription(object->name))));
    return;
  }
  const std::string name = counter->text().toStdString();
  const std::string_view meaning = CounterDescription(object->name, name);
  description_->setText(QStringLiteral("<b>%1</b><br>%2")
                            .arg(counter->text().toHtmlEscaped(),
                                 meaning.empty() ? tr("No description is known for this counter.")
                                                 : FromUtf8(std::string(meaning)).toHtmlEscaped()));
}

std::vector<std::string> CCounterBrowser::ChosenPaths() const {
  const BrowseObject* object = CurrentObject();
  if (object == nullptr) return {};
  std::vector<std::string> instances;
  if (all_instances_->isChecked()) {
    instances = object->instances;
  } else {
    instances = SelectedTexts(instance_list_);
  }
  return desktop::ChosenPaths(catalog_.machine, *object, SelectedTexts(counter_list_), instances);
}

void CCounterBrowser::UpdateAddButton() {
  add_button_->setEnabled(!loader_->Busy() && !ChosenPaths().empty());
}

void CCounterBrowser::AddChosen() {
  if (loader_->Busy()) return;
  const std::vector<std::string> paths = ChosenPaths();
  std::size_t added = 0;
  for (const std::string& path : paths) {
    if (!add_ || !add_(path)) break;
    ++added;
  }
  if (added == paths.size())
    ShowMessage(added == 1 ? tr("Added %1.").arg(FromUtf8(paths.front()))
                           : tr("Added %1 counters.").arg(added),
                false);
  else
    ShowMessage(tr("Added %1 of %2 counters: the list is full.").arg(added).arg(paths.size()),
                true);
}

void CCounterBrowser::ShowMessage(const QString& text, bool error) {
  message_->setStyleSheet(error ? QStringLiteral("color: #b00020;") : QString());
  message_->setText(text);
  message_->setAccessibleDescription(text);
}

}  // namespace corvane::desktop
