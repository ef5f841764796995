#include "desktop/counters/catalog_loader.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <utility>

#include "desktop/counters/detached_work.h"

namespace corvane::desktop {

CatalogLoader::CatalogLoader(perf::Provider& provider, QObject* parent)
    : QObject(parent), provider_(provider) {}

CatalogLoader::~CatalogLoader() { StopWorker(); }

void CatalogLoader::Load(std::string machine, bool include_costly, Done done) {
  StopWorker();
  const unsigned generation = ++generation_;
  busy_ = true;
  done_ = std::move(done);
  stop_ = std::make_shared<std::atomic<bool>>(false);
  // The worker holds its stop flag and a guarded pointer to the loader; the result goes
  // through the application's event loop and reaches the loader only if it still exists.
  QPointer<CatalogLoader> self(this);
  StartDetached([&provider = provider_, machine = std::move(machine), include_costly, generation,
                 stop = stop_, self] {
    BrowseCatalog catalog =
        EnumerateMachine(provider, machine, include_costly, [&stop] { return stop->load(); });
    if (stop->load()) return;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [self, generation, catalog = std::move(catalog)]() mutable {
          if (self) self->Finished(generation, std::move(catalog));
        },
        Qt::QueuedConnection);
  });
}

void CatalogLoader::Cancel() {
  StopWorker();
  ++generation_;
  busy_ = false;
  done_ = nullptr;
}

void CatalogLoader::StopWorker() {
  if (stop_) stop_->store(true);
  stop_.reset();
}

void CatalogLoader::Finished(unsigned generation, BrowseCatalog catalog) {
  if (generation != generation_) return;  // cancelled or replaced meanwhile
  stop_.reset();
  busy_ = false;
  Done done = std::move(done_);
  done_ = nullptr;
  if (done) done(std::move(catalog));
}

}  // namespace corvane::desktop
