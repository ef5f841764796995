// Reads a machine's browse catalogue on a worker thread and hands it to the GUI thread, so
// that a slow or dead exporter never freezes the counter browser. One load is current at a
// time: Load starts a new one and Cancel forgets the current one, whose result is then
// dropped when it arrives. The loader is created, used and destroyed on the GUI thread; the
// provider must outlive it. The destructor waits for the workers still running (a remote scrape
// is bounded by its time-outs).
#pragma once

#include <QObject>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

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
  void JoinFinishedWorkers();

  perf::Provider& provider_;
  unsigned generation_ = 0;
  bool busy_ = false;
  Done done_;

  struct Worker {
    std::thread thread;
    std::shared_ptr<bool> finished;  // set by the worker under finished_mutex_ as its last step
  };
  std::vector<Worker> workers_;
  std::mutex finished_mutex_;
};

}  // namespace corvane::desktop
