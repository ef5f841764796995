// Reads a machine's browse catalogue on a worker thread and hands it to the GUI thread, so
// that a slow or dead exporter never freezes the counter browser. One load is current at a
// time: Load starts a new one and Cancel forgets the current one, whose result is then
// dropped when it arrives. The loader is created, used and destroyed on the GUI thread, and
// never waits for a worker: Cancel, a new Load and the destructor tell the worker to stop (it
// reads no further object once it has been told), and a result that comes after the loader
// has gone is dropped. The provider must outlive the workers (detached_work.h).
#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "core/perf_data.h"
#include "desktop/counters/browse_catalog.h"

namespace corvane::desktop {

class CatalogLoader : public QObject {
  Q_OBJECT

 public:
  using Done = std::function<void(BrowseCatalog catalog)>;

  CatalogLoader(perf::Provider& provider, QObject* parent);
  ~CatalogLoader() override;

  // Starts reading the machine; `done` runs on the GUI thread with the result, unless another
  // Load or a Cancel came first.
  void Load(std::string machine, bool include_costly, Done done);
  void Cancel();
  bool Busy() const { return busy_; }

 private:
  void Finished(unsigned generation, BrowseCatalog catalog);
  void StopWorker();

  perf::Provider& provider_;
  unsigned generation_ = 0;
  bool busy_ = false;
  Done done_;
  // The current worker's stop flag, shared with it; null while none runs for us.
  std::shared_ptr<std::atomic<bool>> stop_;
};

}  // namespace corvane::desktop
