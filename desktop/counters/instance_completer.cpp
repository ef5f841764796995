#include "desktop/counters/instance_completer.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPointer>
#include <QStandardItemModel>
#include <utility>

#include "desktop/counters/detached_work.h"

namespace corvane::desktop {

InstanceCompleter::InstanceCompleter(perf::Provider& provider, QLineEdit* edit)
    : QCompleter(edit), edit_(edit), model_(new QStandardItemModel(this)) {
  setModel(model_);
  setCompletionMode(QCompleter::UnfilteredPopupCompletion);
  setCompletionRole(kNameRole);
  setMaxVisibleItems(12);
  connect(edit_, &QLineEdit::textEdited, this, &InstanceCompleter::Refill);
  // The server may be slow: the list is fetched by a thread of its own, which hands it back
  // through the event loop only while the completer still exists.
  QPointer<InstanceCompleter> self(this);
  StartDetached([&provider, self, gone = gone_] {
    std::vector<perf::MachineListing> instances;
    if (provider.EnumMachines(&instances) != perf::kOk) instances.clear();
    if (gone->load()) return;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [self, instances = std::move(instances)]() mutable {
          if (self) self->TakeInstances(std::move(instances));
        },
        Qt::QueuedConnection);
  });
}

InstanceCompleter::~InstanceCompleter() { gone_->store(true); }

void InstanceCompleter::TakeInstances(std::vector<perf::MachineListing> instances) {
  filter_ = InstanceFilter(std::move(instances));
  if (InstanceCount() > 0) {
    edit_->setCompleter(this);
    edit_->setPlaceholderText(
        tr("an instance of the server: type to search %n instances", "", InstanceCount()));
  }
  Q_EMIT Listed(InstanceCount());
}

int InstanceCompleter::ShownCount() const { return model_->rowCount(); }

void InstanceCompleter::Refill(const QString& text) {
  if (InstanceCount() == 0) return;
  const std::vector<std::size_t>& matches = filter_.Filter(text.toStdString());
  model_->clear();
  const int shown = std::min<int>(static_cast<int>(matches.size()), kShown);
  for (int i = 0; i < shown; ++i) {
    const perf::MachineListing& instance =
        filter_.instances()[matches[static_cast<std::size_t>(i)]];
    auto* item = new QStandardItem(QString::fromStdString(InstanceFilter::Describe(instance)));
    item->setData(QString::fromStdString(instance.name), kNameRole);
    item->setEditable(false);
    model_->appendRow(item);
  }
  if (shown > 0 && !text.isEmpty()) complete();
}

}  // namespace corvane::desktop
