#include "platform/remote/exporter_counters.h"

#include <algorithm>
#include <cctype>

#include "core/counter_path.h"
#include "platform/remote/exporter_series.h"

namespace corvane::remote {
namespace {

constexpr std::string_view kTotal = "_Total";

const CounterSource* SourceOf(const ObjectSource& object, CounterId id) {
  for (const CounterSource& source : object.counters) {
    if (source.id == id) return &source;
  }
  return nullptr;
}

const ObjectSource* SourceOf(std::initializer_list<ObjectSource> sources, ObjectId id) {
  for (const ObjectSource& source : sources) {
    if (source.id == id) return &source;
  }
  return nullptr;
}

}  // namespace

ExporterObjectTable::ExporterObjectTable(std::initializer_list<ObjectSource> sources) {
  // Every counter first, so that the objects' spans point into storage that no longer moves.
  std::vector<std::size_t> ends;
  for (const StandardObject& standard : StandardObjects()) {
    const ObjectSource* object = SourceOf(sources, standard.id);
    if (object == nullptr) continue;
    for (const StandardCounter& counter : standard.counters) {
      if (const CounterSource* source = SourceOf(*object, counter.id))
        counters_.push_back(CounterDef{*source, counter.name});
    }
    ends.push_back(counters_.size());
  }
  std::size_t begin = 0;
  for (const StandardObject& standard : StandardObjects()) {
    const ObjectSource* object = SourceOf(sources, standard.id);
    if (object == nullptr) continue;
    const std::size_t end = ends[objects_.size()];
    objects_.push_back(
        ObjectDef{standard.name, standard.instances != InstanceKind::kNone,
                  standard.instances == InstanceKind::kWithTotal, object->list_instances,
                  std::span<const CounterDef>(counters_).subspan(begin, end - begin)});
    begin = end;
  }
}

ExporterKind RecogniseExporter(const ExporterPage& page) {
  // Both exporters describe their own build and the success of each collector on every page,
  // whatever collectors are enabled.
  if (page.Has("node_exporter_build_info") || page.Has("node_scrape_collector_success"))
    return ExporterKind::kNode;
  if (page.Has("windows_exporter_build_info") || page.Has("windows_exporter_collector_success"))
    return ExporterKind::kWindows;
  return ExporterKind::kUnknown;
}

std::string_view ExporterName(ExporterKind kind) {
  switch (kind) {
    case ExporterKind::kNode:
      return "node_exporter";
    case ExporterKind::kWindows:
      return "windows_exporter";
    case ExporterKind::kUnknown:
      break;
  }
  return "unknown exporter";
}

std::span<const ObjectDef> ObjectsOf(ExporterKind kind) {
  switch (kind) {
    case ExporterKind::kNode:
      return NodeExporterObjects();
    case ExporterKind::kWindows:
      return WindowsExporterObjects();
    case ExporterKind::kUnknown:
      break;
  }
  return {};
}

const ObjectDef* FindObject(ExporterKind kind, std::string_view name) {
  for (const ObjectDef& object : ObjectsOf(kind)) {
    if (NamesEqual(object.name, name)) return &object;
  }
  return nullptr;
}

const CounterDef* FindCounter(const ObjectDef& object, std::string_view name) {
  for (const CounterDef& counter : object.counters) {
    if (NamesEqual(counter.name, name)) return &counter;
  }
  return nullptr;
}

bool Exposes(const ExporterPage& page, const CounterDef& counter) {
  for (std::string_view need : counter.needs) {
    if (need.empty()) break;
    bool any = false;
    while (!any && !need.empty()) {
      const auto bar = need.find('|');
      any = page.Has(need.substr(0, bar));
      need = bar == std::string_view::npos ? std::string_view() : need.substr(bar + 1);
    }
    if (!any) return false;
  }
  return true;
}

perf::Status CheckInstance(const ExporterPage& page, const ObjectDef& object, bool has_instance,
                           std::string_view instance) {
  if (!object.has_instances) return has_instance ? perf::kNoInstance : perf::kOk;
  if (!has_instance) return perf::kNoInstance;
  if (NamesEqual(instance, kTotal)) return object.has_total ? perf::kOk : perf::kNoInstance;
  std::vector<std::string> instances;
  object.list_instances(page, &instances);
  const bool found = std::any_of(instances.begin(), instances.end(), [&](const std::string& name) {
    return IsInstance(name, instance);
  });
  return found ? perf::kOk : perf::kNoInstance;
}

void OfferedObjects(const ExporterPage& page, ExporterKind kind,
                    std::vector<std::string>* objects) {
  objects->clear();
  for (const ObjectDef& object : ObjectsOf(kind)) {
    for (const CounterDef& counter : object.counters) {
      if (Exposes(page, counter)) {
        objects->emplace_back(object.name);
        break;
      }
    }
  }
}

perf::Status OfferedItems(const ExporterPage& page, ExporterKind kind, std::string_view object,
                          std::vector<std::string>* counters, std::vector<std::string>* instances) {
  const ObjectDef* definition = FindObject(kind, object);
  if (definition == nullptr) return perf::kNoObject;
  std::vector<std::string> names;
  for (const CounterDef& counter : definition->counters) {
    if (Exposes(page, counter)) names.emplace_back(counter.name);
  }
  if (names.empty()) return perf::kNoObject;
  std::vector<std::string> found;
  if (definition->has_instances) {
    definition->list_instances(page, &found);
    if (definition->has_total) found.emplace_back(kTotal);
  }
  if (counters != nullptr) *counters = std::move(names);
  if (instances != nullptr) *instances = std::move(found);
  return perf::kOk;
}

std::vector<std::string> DistinctLabelValues(const ExporterPage& page, std::string_view metric,
                                             std::string_view label) {
  std::vector<std::string> values;
  std::string_view previous;
  bool first = true;
  for (const ExporterPage::Series& series : page.Find(metric)) {
    const std::string_view value = page.LabelOf(series, label);
    if (value.empty() || (!first && value == previous)) continue;
    first = false;
    previous = value;
    std::string name = InstanceName(value);
    if (std::find(values.begin(), values.end(), name) == values.end())
      values.push_back(std::move(name));
  }
  return values;
}

}  // namespace corvane::remote
