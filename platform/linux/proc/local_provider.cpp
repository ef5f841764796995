#include "platform/linux/proc/local_provider.h"

#include <utility>

#include "core/counter_path.h"
#include "core/perf_names.h"
#include "platform/linux/proc/instance_enumeration.h"
#include "platform/linux/proc/local_objects.h"
#include "platform/linux/proc/local_query.h"
#include "platform/linux/proc/swap_peaks.h"

namespace corvane::local {
namespace {

// The provider itself holds only its options and the paging-file peaks; everything read from
// the kernel lives in the queries and in each enumeration call.
class LocalProvider final : public perf::Provider {
 public:
  explicit LocalProvider(LocalProviderOptions options)
      : options_(std::move(options)), peaks_(std::make_shared<SwapPeaks>()) {}

  perf::Status OpenQuery(std::unique_ptr<perf::Query>* query) override {
    if (query == nullptr) return perf::kInvalidArgument;
    *query = std::make_unique<LocalQuery>(options_, peaks_);
    return perf::kOk;
  }

  // Remote machines belong to another provider, routed before this one.
  perf::Status ConnectMachine(std::string_view machine) override {
    return machine.empty() ? perf::kOk : perf::kCannotConnectMachine;
  }

  perf::Status LookupNameByIndex(std::string_view machine, std::uint32_t index,
                                 std::string* name) override {
    if (name == nullptr) return perf::kInvalidArgument;
    if (!machine.empty()) return perf::kNoMachine;
    const std::string_view english = perf::EnglishName(index);
    if (english.empty()) return perf::kStringNotFound;
    name->assign(english);
    return perf::kOk;
  }

  perf::Status EnumObjects(std::string_view machine, std::vector<std::string>* objects) override {
    if (objects == nullptr) return perf::kInvalidArgument;
    if (!machine.empty()) return perf::kNoMachine;
    objects->clear();
    for (const ObjectInfo& object : LocalObjects()) objects->emplace_back(object.name);
    return perf::kOk;
  }

  perf::Status EnumObjectItems(std::string_view machine, std::string_view object_name,
                               std::vector<std::string>* counters,
                               std::vector<std::string>* instances) override {
    if (counters == nullptr || instances == nullptr) return perf::kInvalidArgument;
    if (!machine.empty()) return perf::kNoMachine;
    // A number names the object through the index table, as in a path ("\238(_Total)\6").
    CounterPath resolved;
    resolved.object = std::string(object_name);
    resolved.counter = "counter";
    if (!perf::ResolveNumericNames(&resolved)) return perf::kNoObject;
    const ObjectInfo* object = FindObject(resolved.object);
    if (object == nullptr) return perf::kNoObject;
    counters->clear();
    for (const CounterInfo& counter : object->counters) counters->emplace_back(counter.name);
    return EnumerateInstances(options_, *object, instances);
  }

 private:
  const LocalProviderOptions options_;
  const std::shared_ptr<SwapPeaks> peaks_;
};

}  // namespace

std::unique_ptr<perf::Provider> MakeLocalProvider(LocalProviderOptions options) {
  return std::make_unique<LocalProvider>(std::move(options));
}

}  // namespace corvane::local
