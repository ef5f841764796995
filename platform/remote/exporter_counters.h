// The counters a remote machine offers, read from one scrape of its exporter: which objects,
// counters and instances node_exporter (Linux) and windows_exporter (Windows) pages give, and
// how each counter's raw figures come out of a page.
//
// Immutable tables and pure functions over an ExporterPage; any thread.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/counter_path.h"
#include "core/perf_data.h"
#include "core/standard_objects.h"
#include "platform/remote/counter_formula.h"
#include "platform/remote/exporter_page.h"

namespace corvane::remote {

enum class ExporterKind : std::uint8_t { kUnknown, kNode, kWindows };

// Which exporter wrote the page, from the metrics every build of it writes about itself.
ExporterKind RecogniseExporter(const ExporterPage& page);
std::string_view ExporterName(ExporterKind kind);  // "node_exporter", "windows_exporter"

// One scrape as the counters read it.
struct ScrapeView {
  const ExporterPage* page = nullptr;
  double wall_time = 0;  // seconds since the epoch on this machine's clock, at the scrape
};

// The instance a counter path names. name is the path's text; total is set for "_Total".
struct InstanceRef {
  std::string_view name;
  bool total = false;
};

// One exporter's way to a standard counter (core/standard_objects.h).
struct CounterSource {
  CounterId id;
  Formula formula;
  // Metrics the exporter must write for the counter to exist, each entry "a" or "a|b" for
  // alternatives (newer and older names). Empty entries end the list.
  std::string_view needs[4];
  // The counter's raw figures for one instance; false when this page cannot give them.
  bool (*extract)(const ScrapeView& scrape, const InstanceRef& instance, RawFigures* figures);
};

// A counter as a remote machine offers it: the standard name and the exporter's source.
struct CounterDef : CounterSource {
  std::string_view name;  // English counter name, "% Processor Time"
};

// The instance lister of an object that offers none (or only "_Total").
inline void ListNoInstances(const ExporterPage&, std::vector<std::string>* instances) {
  instances->clear();
}

// One exporter's way to a standard object: how the page lists its instances, and the sources
// of its counters. A counter of the object without a source here is not offered; sources of
// other objects' counters are passed over, so objects that share counters share one list.
struct ObjectSource {
  ObjectId id;
  // The instances the page offers, in the exporter's order, without "_Total".
  void (*list_instances)(const ExporterPage& page, std::vector<std::string>* instances);
  std::span<const CounterSource> counters;
};

struct ObjectDef {
  std::string_view name;  // English object name, "Processor"
  bool has_instances = false;
  bool has_total = false;  // "_Total" is offered after the instances
  // The instances the page offers, in the exporter's order, without "_Total".
  void (*list_instances)(const ExporterPage& page, std::vector<std::string>* instances) = nullptr;
  std::span<const CounterDef> counters;
};

// The objects one exporter offers: the standard objects that have a source, in the standard
// order, each with the counters that have one. Built once; immutable after, any thread.
class ExporterObjectTable {
 public:
  explicit ExporterObjectTable(std::initializer_list<ObjectSource> sources);
  ExporterObjectTable(const ExporterObjectTable&) = delete;
  ExporterObjectTable& operator=(const ExporterObjectTable&) = delete;

  std::span<const ObjectDef> objects() const { return objects_; }

 private:
  std::vector<CounterDef> counters_;
  std::vector<ObjectDef> objects_;
};

std::span<const ObjectDef> NodeExporterObjects();
std::span<const ObjectDef> WindowsExporterObjects();
std::span<const ObjectDef> ObjectsOf(ExporterKind kind);

// Case-insensitive lookups, as counter paths match.
const ObjectDef* FindObject(ExporterKind kind, std::string_view name);
const CounterDef* FindCounter(const ObjectDef& object, std::string_view name);

// Whether the page writes every metric the counter needs.
bool Exposes(const ExporterPage& page, const CounterDef& counter);

// Whether the object offers that instance on this page: one of its instances, "_Total" where
// it has one, or no instance at all for an object without instances.
perf::Status CheckInstance(const ExporterPage& page, const ObjectDef& object, bool has_instance,
                           std::string_view instance);

// For browsing: the objects with at least one counter the page writes, in the table's order.
void OfferedObjects(const ExporterPage& page, ExporterKind kind, std::vector<std::string>* objects);
// The counters of an object that the page writes and its instances ("_Total" last where the
// object has one); kNoObject when the page writes none of them.
perf::Status OfferedItems(const ExporterPage& page, ExporterKind kind, std::string_view object,
                          std::vector<std::string>* counters, std::vector<std::string>* instances);

// Label values become path instances through corvane::InstanceName and match through
// corvane::InstanceMatches (core/counter_path.h).
using corvane::InstanceName;
inline bool IsInstance(std::string_view label_value, std::string_view instance) {
  return corvane::InstanceMatches(label_value, instance);
}

}  // namespace corvane::remote
