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
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::perf {

// Status codes. The values are those of the Windows performance data helper, so that logs and
// messages carry the codes a Windows administrator already knows.
using Status = std::uint32_t;
inline constexpr Status kOk = 0;
inline constexpr Status kNoMachine = 0x800007D0;        // machine part names no reachable machine
inline constexpr Status kNoInstance = 0x800007D1;       // the object has no such instance
inline constexpr Status kMoreData = 0x800007D2;
inline constexpr Status kNoData = 0x800007D5;           // nothing collected yet
inline constexpr Status kNoObject = 0xC0000BB8;         // unknown object (or one with no source here)
inline constexpr Status kNoCounter = 0xC0000BB9;        // the object has no such counter
inline constexpr Status kInvalidData = 0xC0000BBA;      // no valid value (first rate sample, read failure)
inline constexpr Status kMemoryAllocationFailure = 0xC0000BBB;
inline constexpr Status kInvalidHandle = 0xC0000BBC;
inline constexpr Status kInvalidArgument = 0xC0000BBD;
inline constexpr Status kBadCounterName = 0xC0000BC0;   // the path does not parse
inline constexpr Status kCannotConnectMachine = 0xC0000BC3;
inline constexpr Status kInvalidPath = 0xC0000BC4;
inline constexpr Status kStringNotFound = 0xC0000BD4;   // no name for that index

// A short English text for a status, for messages and logs ("no such counter").
std::string_view StatusText(Status status);

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
};

class Provider {
 public:
  virtual ~Provider() = default;

  virtual Status OpenQuery(std::unique_ptr<Query>* query) = 0;

  // machine: the machine part of a path with its leading backslashes ("\\host"); empty means
  // the local machine. Connecting is what later collections from that machine rely on.
  virtual Status ConnectMachine(std::string_view machine) = 0;

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

  // Why the machine's last connection, scrape or enumeration failed, naming its address and
  // the reason ("http://h:9100/metrics: Connection refused"); empty when nothing failed or
  // the provider keeps no reasons.
  virtual std::string MachineError(std::string_view machine) const {
    static_cast<void>(machine);
    return {};
  }
};

}  // namespace corvane::perf
