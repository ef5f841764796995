#include "tools/corvquery/query_tool.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/counter_path.h"
#include "tools/corvquery/csv_format.h"
#include "tools/corvquery/query_options.h"

namespace corvane::corvquery {
namespace {

// "no such counter (0xC0000BB9)": the provider's words and the code an administrator can look up.
std::string Describe(perf::Status status) {
  std::array<char, 16> code{};
  std::snprintf(code.data(), code.size(), "0x%08X", static_cast<unsigned>(status));
  return std::string(perf::StatusText(status)) + " (" + code.data() + ")";
}

std::string MachineName(std::string_view machine) {
  return machine.empty() ? std::string("this machine") : std::string(machine);
}

class Tool {
 public:
  Tool(perf::Provider& provider, std::ostream& out, std::ostream& err, const QueryToolHooks& hooks)
      : provider_(provider), out_(out), err_(err), hooks_(hooks) {}

  int ListObjects(const QueryOptions& options);
  int ListObject(const QueryOptions& options);
  int Sample(const QueryOptions& options);

 private:
  bool Connect(std::string_view machine);
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
  err_ << "corvquery: cannot connect to " << machine << ": " << Describe(status) << '\n';
  return false;
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

int Tool::ListObjects(const QueryOptions& options) {
  if (!options.machine.empty() && !Connect(options.machine)) return kExitUsage;
  std::vector<std::string> objects;
  if (const perf::Status status = provider_.EnumObjects(options.machine, &objects);
      status != perf::kOk) {
    err_ << "corvquery: cannot list the objects of " << MachineName(options.machine) << ": "
         << Describe(status) << '\n';
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
    err_ << "corvquery: cannot list object \"" << options.object << "\" of "
         << MachineName(options.machine) << ": " << Describe(status) << '\n';
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
      err_ << "corvquery: bad counter path \"" << path << "\": " << Describe(perf::kBadCounterName)
           << '\n';
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
  bool unreachable = false;
  for (const std::string_view machine : machines) unreachable = !Connect(machine) || unreachable;
  if (unreachable) return kExitUsage;

  std::unique_ptr<perf::Query> query;
  if (const perf::Status status = provider_.OpenQuery(&query); status != perf::kOk || !query) {
    err_ << "corvquery: cannot open a query: " << Describe(status) << '\n';
    return kExitFailure;
  }

  std::vector<perf::CounterHandle> handles(options.paths.size(), perf::kNullCounter);
  bool refused = false;
  for (std::size_t i = 0; i < options.paths.size(); ++i) {
    if (const perf::Status status = query->AddCounter(options.paths[i], &handles[i]);
        status != perf::kOk) {
      err_ << "corvquery: cannot add counter \"" << options.paths[i] << "\": " << Describe(status)
           << '\n';
      refused = true;
    }
  }
  if (refused) return kExitUsage;  // destroying the query removes the counters it holds

  out_ << "Time";
  for (const std::string& path : options.paths) out_ << ',' << CsvField(path);
  out_ << '\n';
  if (!Flush()) return kExitFailure;

  // Rate counters compare two collections, so the first one only sets their starting point.
  query->Collect();
  for (int sample = 0; sample < options.samples; ++sample) {
    Sleep(options.interval);
    query->Collect();  // a failed collection shows as empty cells: every read then fails
    out_ << FormatLocalTime(Now());
    for (const perf::CounterHandle handle : handles) {
      double value = 0.0;
      out_ << ',';
      if (query->GetFormattedDouble(handle, &value) == perf::kOk) out_ << FormatValue(value);
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
    err << "corvquery: " << parsed.error << "\nTry 'corvquery --help' for more information.\n";
    return kExitUsage;
  }
  const QueryOptions& options = parsed.options;
  if (options.mode == Mode::kHelp) {
    out << UsageText();
    out.flush();
    return out ? kExitOk : kExitFailure;
  }
  if (provider == nullptr) {
    err << "corvquery: no counter provider is available on this system\n";
    return kExitFailure;
  }

  Tool tool(*provider, out, err, hooks);
  switch (options.mode) {
    case Mode::kListObjects: return tool.ListObjects(options);
    case Mode::kListObject: return tool.ListObject(options);
    case Mode::kSample: return tool.Sample(options);
    case Mode::kHelp: break;
  }
  return kExitOk;
}

}  // namespace corvane::corvquery
