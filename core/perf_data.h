// The performance-data interface: named counters opened in a query, collected together and
// read as doubles, plus name lookup by index and enumeration of objects and their items.
//
// Every operation returns a Status; 0 means success. A Provider answers for the machines it
// knows (the local kernel, remote exporters, a script in tests). Counter paths have the form
// "\\machine\Object(instance)\Counter"; the machine part and the instance are optional and
// names match case-insensitively.
//
// Threads: a Provider may be called from any thread (implementations guard their own state).
// A Query belongs to the thread that opened it and is never shared.
//
// Reasons. A status says what kind of failure happened; three texts say why, in words a user
// can act on, naming the file or the address:
//   Query::LastError()            the last AddCounter or Collect of the query that failed
//   Query::CounterError(handle)   why a counter has no value after the last collection
//   Provider::MachineError(name)  why connecting to a machine, or its last scrape, failed
// for example "/proc/stat: Permission denied" or "http://db1:9100/metrics: connection
// refused". A text is empty when the provider knows no more than the status; ErrorText puts
// the two together for a message. A program shows them where it shows a failure: a
// connection message adds MachineError of each unreachable machine, a counter browser adds
// MachineError when listing a machine fails and LastError when adding a counter fails.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::perf {

// Status codes. The values are those of the Windows performance data helper, so that logs and
// messages carry the codes a Windows administrator already knows.
using Status = std::uint32_t;
inline constexpr Status kOk = 0;
inline constexpr Status kNoMachine = 0x800007D0;   // machine part names no reachable machine
inline constexpr Status kNoInstance = 0x800007D1;  // the object has no such instance
inline constexpr Status kMoreData = 0x800007D2;
inline constexpr Status kNoData = 0x800007D5;     // nothing collected yet
inline constexpr Status kNoObject = 0xC0000BB8;   // unknown object (or one with no source here)
inline constexpr Status kNoCounter = 0xC0000BB9;  // the object has no such counter
inline constexpr Status kInvalidData =
    0xC0000BBA;  // no valid value (first rate sample, read failure)
inline constexpr Status kMemoryAllocationFailure = 0xC0000BBB;
inline constexpr Status kInvalidHandle = 0xC0000BBC;
inline constexpr Status kInvalidArgument = 0xC0000BBD;
inline constexpr Status kBadCounterName = 0xC0000BC0;  // the path does not parse
inline constexpr Status kCannotConnectMachine = 0xC0000BC3;
inline constexpr Status kInvalidPath = 0xC0000BC4;
inline constexpr Status kStringNotFound = 0xC0000BD4;  // no name for that index

// A short English text for a status, for messages and logs ("no such counter").
std::string_view StatusText(Status status);

// The text of a failure for a message: the reason when there is one, else the status's text
// with its code ("no such counter (0xC0000BB9)").
std::string ErrorText(Status status, std::string_view reason);

// Identifies a counter inside its query. 0 is the null handle: a counter that could not be
// added keeps it, and every operation given it fails with kInvalidHandle.
using CounterHandle = std::uint32_t;
inline constexpr CounterHandle kNullCounter = 0;

// One set of counters collected together. Destroying the query closes it and removes every
// counter still in it. Not thread-safe: one thread opens, fills, collects and reads it.
class Query {
 public:
  virtual ~Query() = default;

  // Parses the path once and adds its counter. On failure *handle is kNullCounter.
  virtual Status AddCounter(std::string_view path, CounterHandle* handle) = 0;
  virtual Status RemoveCounter(CounterHandle handle) = 0;

  // Reads every source the query's counters need, each once. Rate counters ("/sec",
  // "% ... Time") compare with the previous collection, so they have no value after the first.
  virtual Status Collect() = 0;

  // The value of the last collection as a double. Does not allocate.
  virtual Status GetFormattedDouble(CounterHandle handle, double* value) = 0;

  // Why the last AddCounter or Collect that failed did so; empty once a later call of the same
  // kind succeeded, or when the status says all there is.
  virtual std::string LastError() const { return {}; }
  // Why the counter had no value in the last collection ("http://db1:9100/metrics: timed
  // out after 4 s"); empty when it had one or the status says all there is.
  virtual std::string CounterError(CounterHandle handle) const {
    static_cast<void>(handle);
    return {};
  }

  // The longest a Collect may wait for slow sources, such as a remote machine that has not
  // answered yet; their counters have no value for that collection. A query that never waits
  // ignores it.
  virtual void SetCollectTimeLimit(std::chrono::milliseconds limit) { static_cast<void>(limit); }

  // Reads the counters' past values from a source that keeps history: `samples` values `step`
  // apart, the last one now, in one request for all counters. kNoData from a source without
  // history (the default). Afterwards GetHistory gives each counter's values, oldest first;
  // steps without a valid value are left out.
  virtual Status FillHistory(int samples, std::chrono::milliseconds step) {
    static_cast<void>(samples);
    static_cast<void>(step);
    return kNoData;
  }
  virtual Status GetHistory(CounterHandle handle, std::vector<double>* values) const {
    static_cast<void>(handle);
    values->clear();
    return kNoData;
  }
};

// A machine a provider can list: an instance of a Prometheus server, with the job that scrapes
// it and whether its last scrape worked.
struct MachineListing {
  std::string name;  // as a path's machine part takes it, without backslashes: "web-03:9100"
  std::string job;
  bool up = false;
};

// Told when a machine that answered stops answering, and when it answers again: once per
// change, never once per collection. Called on the thread that connected or collected, with
// no lock of the provider held; an implementation must be safe to call from any thread.
class MachineWatcher {
 public:
  virtual ~MachineWatcher() = default;
  // machine: the machine part as the path wrote it ("\\db1:9100"); reason as MachineError.
  virtual void MachineUnreachable(std::string_view machine, std::string_view reason) = 0;
  virtual void MachineAnswersAgain(std::string_view machine) = 0;
  // The Prometheus server remote machines are read through, named by its address
  // ("http://prom:9090"), stopped answering or answers again; while it does not answer its
  // machines are not told of one by one. By default it is told of as a machine.
  virtual void ServerUnreachable(std::string_view server, std::string_view reason) {
    MachineUnreachable(server, reason);
  }
  virtual void ServerAnswersAgain(std::string_view server) { MachineAnswersAgain(server); }
};

class Provider {
 public:
  virtual ~Provider() = default;

  virtual Status OpenQuery(std::unique_ptr<Query>* query) = 0;

  // machine: the machine part of a path with its leading backslashes ("\\host"); empty means
  // the local machine. Connecting is what later collections from that machine rely on.
  virtual Status ConnectMachine(std::string_view machine) = 0;

  // Connects to several machines at once, so that machines that do not answer cost one
  // time-out together: statuses[i] is the result for machines[i] (both of the same size).
  // The default connects them one after another.
  virtual void ConnectMachines(std::span<const std::string> machines, std::span<Status> statuses);

  // Why connecting to the machine, or its latest scrape or enumeration, failed, naming its
  // address and the reason; empty when it answered or the provider keeps no reasons.
  virtual std::string MachineError(std::string_view machine) const {
    static_cast<void>(machine);
    return {};
  }

  // Reports changes of the machines' reachability to `watcher` (null: to nobody).
  virtual void SetMachineWatcher(std::shared_ptr<MachineWatcher> watcher) {
    static_cast<void>(watcher);
  }

  // Reads remote machines through the Prometheus server at that URL from now on ("http://
  // prom:9090"): each machine part names an instance as the server labels it. Empty: each
  // machine is scraped directly (the default). Queries opened before keep their way.
  virtual void SetRemoteServer(std::string_view url) { static_cast<void>(url); }

  // The machines the provider can list (a server's instances), sorted by name. kNoMachine when
  // it lists none; MachineError with the server's address then says why.
  virtual Status EnumMachines(std::vector<MachineListing>* machines) {
    machines->clear();
    return kNoMachine;
  }

  // The name of a performance name index ("238" -> "Processor") as the machine knows it.
  virtual Status LookupNameByIndex(std::string_view machine, std::uint32_t index,
                                   std::string* name) = 0;

  // The objects the machine offers, for the counter browser.
  virtual Status EnumObjects(std::string_view machine, std::vector<std::string>* objects) = 0;

  // The counters of an object and its instances. Instances come in the machine's own order,
  // followed by "_Total" where the object has one.
  virtual Status EnumObjectItems(std::string_view machine, std::string_view object,
                                 std::vector<std::string>* counters,
                                 std::vector<std::string>* instances) = 0;
};

}  // namespace corvane::perf
