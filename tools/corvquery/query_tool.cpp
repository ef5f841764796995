#include "tools/corvquery/query_tool.h"

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/counter_path.h"
#include "core/product_version.h"
#include "tools/corvquery/csv_format.h"
#include "tools/corvquery/query_options.h"

namespace corvane::corvquery {
namespace {

std::string MachineName(std::string_view machine) {
  return machine.empty() ? std::string("this machine") : std::string(machine);
}

class Tool {
 public:
  Tool(perf::Provider& provider, std::ostream& out, std::ostream& err, const QueryToolHooks& hooks)
      : provider_(provider), out_(out), err_(err), hooks_(hooks) {}

  int ListMachines(const QueryOptions& options);
  int ListObjects(const QueryOptions& options);
  int ListObject(const QueryOptions& options);
  int Sample(const QueryOptions& options);

 private:
  bool Connect(std::string_view machine);
  void ReportUnreachable(std::string_view machine, perf::Status status);
  // Flushes what has been printed; false (with a message) when the output cannot take it.
  bool Flush();
  void Sleep(std::chrono::microseconds interval) const;
  std::chrono::system_clock::time_point Now() const;

  perf::Provider& provider_;
  std::ostream& out_;
  std::ostream& err_;
  const QueryToolHooks& hooks_;
};

bool Tool::Connect(std::string_view machine) {
  const perf::Status status = provider_.ConnectMachine(machine);
  if (status == perf::kOk) return true;
  ReportUnreachable(machine, status);
  return false;
}

void Tool::ReportUnreachable(std::string_view machine, perf::Status status) {
  err_ << "corvquery: cannot connect to " << machine << ": "
       << perf::ErrorText(status, provider_.MachineError(machine)) << '\n';
}

bool Tool::Flush() {
  out_.flush();
  if (out_) return true;
  err_ << "corvquery: cannot write the output\n";
  return false;
}

void Tool::Sleep(std::chrono::microseconds interval) const {
  if (hooks_.sleep) {
    hooks_.sleep(interval);
  } else {
    std::this_thread::sleep_for(interval);
  }
}

std::chrono::system_clock::time_point Tool::Now() const {
  return hooks_.now ? hooks_.now() : std::chrono::system_clock::now();
}

int Tool::ListMachines(const QueryOptions& options) {
  std::vector<perf::MachineListing> machines;
  if (const perf::Status status = provider_.EnumMachines(&machines); status != perf::kOk) {
    err_ << "corvquery: cannot list the instances of " << options.server << ": "
         << perf::ErrorText(status, provider_.MachineError(options.server)) << '\n';
    return kExitFailure;
  }
  for (const perf::MachineListing& machine : machines)
    out_ << machine.name << '\t' << machine.job << '\t' << (machine.up ? "up" : "down") << '\n';
  return Flush() ? kExitOk : kExitFailure;
}

int Tool::ListObjects(const QueryOptions& options) {
  if (!options.machine.empty() && !Connect(options.machine)) return kExitUsage;
  std::vector<std::string> objects;
  if (const perf::Status status = provider_.EnumObjects(options.machine, &objects);
      status != perf::kOk) {
    err_ << "corvquery: cannot list the objects of " << MachineName(options.machine) << ": "
         << perf::ErrorText(status, provider_.MachineError(options.machine)) << '\n';
    return kExitFailure;
  }
  for (const std::string& object : objects) out_ << object << '\n';
  return Flush() ? kExitOk : kExitFailure;
}

int Tool::ListObject(const QueryOptions& options) {
  if (!options.machine.empty() && !Connect(options.machine)) return kExitUsage;

  // Print the object under the provider's own spelling when it lists one that matches.
  std::string object = options.object;
  std::vector<std::string> objects;
  if (provider_.EnumObjects(options.machine, &objects) == perf::kOk) {
    const auto known = std::find_if(objects.begin(), objects.end(), [&](const std::string& name) {
      return NamesEqual(name, options.object);
    });
    if (known != objects.end()) object = *known;
  }

  std::vector<std::string> counters;
  std::vector<std::string> instances;
  if (const perf::Status status =
          provider_.EnumObjectItems(options.machine, object, &counters, &instances);
      status != perf::kOk) {
    const std::string reason =
        status == perf::kNoObject ? std::string() : provider_.MachineError(options.machine);
    err_ << "corvquery: cannot list object \"" << options.object << "\" of "
         << MachineName(options.machine) << ": " << perf::ErrorText(status, reason) << '\n';
    return kExitUsage;
  }

  CounterPath path;
  path.machine = options.machine;
  path.object = object;
  for (const std::string& counter : counters) {
    path.counter = counter;
    if (instances.empty()) {
      path.has_instance = false;
      path.instance.clear();
      out_ << FormatCounterPath(path) << '\n';
      continue;
    }
    path.has_instance = true;
    for (const std::string& instance : instances) {
      path.instance = instance;
      out_ << FormatCounterPath(path) << '\n';
    }
  }
  return Flush() ? kExitOk : kExitFailure;
}

int Tool::Sample(const QueryOptions& options) {
  bool bad_path = false;
  for (const std::string& path : options.paths) {
    if (!ParseCounterPath(path)) {
      err_ << "corvquery: bad counter path \"" << path
           << "\": " << perf::ErrorText(perf::kBadCounterName, {}) << '\n';
      bad_path = true;
    }
  }
  if (bad_path) return kExitUsage;

  // One connection per distinct machine, in the order the paths name them.
  std::vector<std::string_view> machines;
  for (const std::string& path : options.paths) {
    const std::string_view machine = MachinePart(path);
    if (!machine.empty() && std::find(machines.begin(), machines.end(), machine) == machines.end())
      machines.push_back(machine);
  }
  // All at once: machines that do not answer cost one time-out together.
  const std::vector<std::string> names(machines.begin(), machines.end());
  std::vector<perf::Status> statuses(names.size(), perf::kOk);
  provider_.ConnectMachines(names, statuses);
  bool unreachable = false;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (statuses[i] == perf::kOk) continue;
    ReportUnreachable(names[i], statuses[i]);
    unreachable = true;
  }
  if (unreachable) return kExitUsage;

  std::unique_ptr<perf::Query> query;
  if (const perf::Status status = provider_.OpenQuery(&query); status != perf::kOk || !query) {
    err_ << "corvquery: cannot open a query: " << perf::ErrorText(status, {}) << '\n';
    return kExitFailure;
  }

  std::vector<perf::CounterHandle> handles(options.paths.size(), perf::kNullCounter);
  bool refused = false;
  for (std::size_t i = 0; i < options.paths.size(); ++i) {
    if (const perf::Status status = query->AddCounter(options.paths[i], &handles[i]);
        status != perf::kOk) {
      err_ << "corvquery: cannot add counter \"" << options.paths[i]
           << "\": " << perf::ErrorText(status, query->LastError()) << '\n';
      refused = true;
    }
  }
  if (refused) return kExitUsage;  // destroying the query removes the counters it holds

  out_ << "Time";
  for (const std::string& path : options.paths) out_ << ',' << CsvField(path);
  out_ << '\n';
  if (!Flush()) return kExitFailure;

  // A slow machine may take a part of each interval, not more: its cells stay empty for a
  // sample it has not answered in time, and the rows keep their pace.
  query->SetCollectTimeLimit(std::chrono::duration_cast<std::chrono::milliseconds>(
      std::max(options.interval * 3 / 4, std::chrono::microseconds(100'000))));
  // Rate counters compare two collections, so the first one only sets their starting point.
  query->Collect();
  // Why each counter has no value, told once each time it changes, not once per row.
  std::vector<std::string> told(handles.size());
  for (int sample = 0; sample < options.samples; ++sample) {
    Sleep(options.interval);
    query->Collect();  // a failed collection shows as empty cells: every read then fails
    out_ << FormatLocalTime(Now());
    for (std::size_t i = 0; i < handles.size(); ++i) {
      double value = 0.0;
      out_ << ',';
      if (query->GetFormattedDouble(handles[i], &value) == perf::kOk) {
        out_ << FormatValue(value);
        told[i].clear();
        continue;
      }
      std::string reason = query->CounterError(handles[i]);
      if (reason.empty() || reason == told[i]) continue;
      err_ << "corvquery: no value for \"" << options.paths[i] << "\": " << reason << '\n';
      told[i] = std::move(reason);
    }
    out_ << '\n';
    if (!Flush()) return kExitFailure;
  }
  return kExitOk;
}

}  // namespace

int RunQueryTool(std::span<const std::string_view> args, perf::Provider* provider,
                 std::ostream& out, std::ostream& err, const QueryToolHooks& hooks) {
  const ParsedArgs parsed = ParseQueryArgs(args);
  if (!parsed.error.empty()) {
    // The reason, the synopsis (the usage up to its first blank line), and where the rest is.
    const std::string_view usage = UsageText();
    err << "corvquery: " << parsed.error << '\n'
        << usage.substr(0, usage.find("\n\n") + 1)
        << "Try 'corvquery --help' for more information.\n";
    return kExitUsage;
  }
  const QueryOptions& options = parsed.options;
  if (options.mode == Mode::kHelp) {
    out << UsageText();
    out.flush();
    return out ? kExitOk : kExitFailure;
  }
  if (options.mode == Mode::kVersion) {
    out << VersionLine("corvquery");
    out.flush();
    return out ? kExitOk : kExitFailure;
  }
  if (provider == nullptr) {
    err << "corvquery: no counter provider is available on this system\n";
    return kExitFailure;
  }

  provider->SetRemoteServer(options.server);
  Tool tool(*provider, out, err, hooks);
  switch (options.mode) {
    case Mode::kListMachines:
      return tool.ListMachines(options);
    case Mode::kListObjects:
      return tool.ListObjects(options);
    case Mode::kListObject:
      return tool.ListObject(options);
    case Mode::kSample:
      return tool.Sample(options);
    case Mode::kHelp:
    case Mode::kVersion:
      break;
  }
  return kExitOk;
}

}  // namespace corvane::corvquery
