// InstanceCompleter: offers the instances of the Prometheus server that remote machines are
// read through as completions of a computer field, searched by what is typed (any part of the
// instance or its job, ignoring case), shown as "web-03:9100 (node, up)" and completed to the
// instance. The list is fetched once, off the GUI thread; a provider that reads machines
// directly lists none and the field stays as it was. Thousands of instances stay quick: each
// keystroke filters the prepared list (InstanceFilter) and shows at most kShown of the matches.
// GUI thread only. The completer never waits for its listing thread: destroyed while the server
// is still answering, it tells the thread, whose list is then dropped; the provider must
// outlive that thread (detached_work.h).
#pragma once

#include <QCompleter>
#include <QString>
#include <atomic>
#include <memory>
#include <vector>

#include "core/instance_filter.h"
#include "core/perf_data.h"

class QLineEdit;
class QStandardItemModel;

namespace corvane::desktop {

class InstanceCompleter : public QCompleter {
  Q_OBJECT

 public:
  static constexpr int kShown = 500;
  static constexpr int kNameRole = Qt::UserRole + 1;  // the instance a row completes to

  // Attaches to `edit` (which owns it) and starts listing the server's instances.
  InstanceCompleter(perf::Provider& provider, QLineEdit* edit);
  ~InstanceCompleter() override;

  // Instances listed so far (0 until the list has come).
  int InstanceCount() const { return static_cast<int>(filter_.instances().size()); }
  // Rows the popup offers now.
  int ShownCount() const;

  // Takes a list as the worker thread delivers it (public for tests that give their own).
  void TakeInstances(std::vector<perf::MachineListing> instances);

 Q_SIGNALS:
  // The server's list has come (count instances; 0 when it lists none).
  void Listed(int count);

 private:
  void Refill(const QString& text);

  QLineEdit* edit_;
  QStandardItemModel* model_;
  InstanceFilter filter_;
  // Shared with the listing thread: set when the completer goes, so the list is not handed on.
  std::shared_ptr<std::atomic<bool>> gone_ = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace corvane::desktop
