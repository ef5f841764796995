// The checks a remote counter path passes before a query takes it, the same for a machine
// scraped directly and for an instance read through a Prometheus server: the path parsed and
// its numeric names resolved, the machine found, then its object, counter and instance looked
// up in the exporter tables against a page of the machine's series. Pure; any thread.
#pragma once

#include <functional>
#include <string_view>

#include "core/counter_path.h"
#include "core/perf_data.h"
#include "platform/remote/exporter_counters.h"

namespace corvane::remote {

class ExporterPage;

// What a machine part leads to: the kind of its exporter and a page of its series, which
// stays valid while the lookup uses it.
struct MachinePage {
  ExporterKind kind = ExporterKind::kUnknown;
  const ExporterPage* page = nullptr;
};

// Finds the machine of a path ("\\web-03:9100"): kOk with *found filled, else its status.
using FindMachine = std::function<perf::Status(std::string_view machine, MachinePage* found)>;

struct CounterLookup {
  CounterPath path;  // numeric names resolved
  const ObjectDef* object = nullptr;
  const CounterDef* definition = nullptr;
  MachinePage machine;
};

// kOk with *lookup filled when the path names a counter the machine's exporter writes;
// otherwise the status AddCounter returns (kBadCounterName, kNoMachine, kNoObject, kNoCounter,
// kNoInstance, or what `find` returned).
perf::Status LookUpCounter(std::string_view path, const FindMachine& find, CounterLookup* lookup);

}  // namespace corvane::remote
