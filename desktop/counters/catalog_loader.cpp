#include "desktop/counters/catalog_loader.h"

#include <QMetaObject>
#include <memory>
#include <utility>

namespace corvane::desktop {

CatalogLoader::CatalogLoader(perf::Provider& provider, QObject* parent)
    : QObject(parent), provider_(provider) {}

CatalogLoader::~CatalogLoader() {
  for (Worker& worker : workers_) worker.thread.join();
}

void CatalogLoader::Load(std::string machine, bool include_costly, Done done) {
  JoinFinishedWorkers();
  const unsigned generation = ++generation_;
  busy_ = true;
  done_ = std::move(done);
  auto finished = std::make_shared<bool>(false);
  perf::Provider& provider = provider_;
  // The worker posts to this object; the destructor joins it before the object goes, so the
  // posted call never outlives its receiver's queue.
  workers_.push_back(Worker{std::thread([this, &provider, machine = std::move(machine),
                                         include_costly, generation, finished] {
                              BrowseCatalog catalog =
                                  EnumerateMachine(provider, machine, include_costly);
                              QMetaObject::invokeMethod(
                                  this,
                                  [this, generation, catalog = std::move(catalog)]() mutable {
                                    Finished(generation, std::move(catalog));
                                  },
                                  Qt::QueuedConnection);
                              std::lock_guard lock(finished_mutex_);
                              *finished = true;
                            }),
                            finished});
}

void CatalogLoader::Cancel() {
  ++generation_;
  busy_ = false;
  done_ = nullptr;
}

void CatalogLoader::Finished(unsigned generation, BrowseCatalog catalog) {
  JoinFinishedWorkers();
  if (generation != generation_) return;  // cancelled or replaced meanwhile
  busy_ = false;
  Done done = std::move(done_);
  done_ = nullptr;
  if (done) done(std::move(catalog));
}

void CatalogLoader::JoinFinishedWorkers() {
  std::vector<Worker> running;
  std::vector<Worker> finished;
  {
    std::lock_guard lock(finished_mutex_);
    for (Worker& worker : workers_)
      (*worker.finished ? finished : running).push_back(std::move(worker));
  }
  workers_ = std::move(running);
  for (Worker& worker : finished) worker.thread.join();
}

}  // namespace corvane::desktop
