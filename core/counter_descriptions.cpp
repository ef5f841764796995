#include "core/counter_descriptions.h"

#include <array>

#include "core/counter_path.h"

namespace corvane {
namespace {

struct Meaning {
  std::string_view object;
  std::string_view counter;
  std::string_view text;
};

// The meanings follow the counters' Windows definitions; the Linux source is what the local
// provider and the exporters read for them.
constexpr std::array kCounters{
    Meaning{"Processor", "% Processor Time",
            "Share of the interval the processor ran anything but the idle task, 0 to 100. "
            "_Total is the mean over all processors."},
    Meaning{"Processor", "% User Time",
            "Share of the interval the processor spent in user mode (nice time included)."},
    Meaning{"Processor", "% Privileged Time",
            "Share of the interval the processor spent in the kernel, interrupt and softirq "
            "time included."},
    Meaning{"Processor", "% Interrupt Time",
            "Share of the interval the processor spent serving hardware interrupts (0 unless "
            "the kernel accounts interrupt time)."},
    Meaning{"Processor", "% Idle Time",
            "Share of the interval the processor was idle, waiting for input and output "
            "included."},
    Meaning{"Processor", "Interrupts/sec", "Hardware interrupts the processor served per second."},
    Meaning{"Objects", "Processes", "Processes that exist now, kernel threads included."},
    Meaning{"Objects", "Threads", "Threads that exist now, in every process."},
    Meaning{"System", "Processes", "Processes that exist now, kernel threads included."},
    Meaning{"System", "Threads", "Threads that exist now, in every process."},
    Meaning{"System", "Context Switches/sec",
            "Switches from one thread to another on all processors, per second."},
    Meaning{"System", "Processor Queue Length",
            "Threads ready to run that wait for a processor: running tasks beyond the number "
            "of online processors."},
    Meaning{"System", "System Up Time", "Seconds since the machine started, suspend included."},
    Meaning{"System", "% Registry Quota In Use",
            "Share of the registry size quota in use. Linux has no registry: the counter "
            "shows N/A."},
    Meaning{"Memory", "% Committed Bytes In Use",
            "Committed memory as a share of the commit limit; above 100 when the kernel "
            "overcommits."},
    Meaning{"Memory", "Committed Bytes",
            "Memory the processes have been promised (Committed_AS), in bytes."},
    Meaning{"Memory", "Commit Limit",
            "Memory plus paging files (the kernel's CommitLimit under strict overcommit), in "
            "bytes."},
    Meaning{"Memory", "Available Bytes",
            "Memory available for new work without swapping (MemAvailable), in bytes."},
    Meaning{"Memory", "Available MBytes", "Memory available for new work, in mebibytes."},
    Meaning{"Memory", "Cache Bytes", "Memory holding the file cache and buffers, in bytes."},
    Meaning{"Memory", "Pages/sec",
            "Pages read from or written to disk to resolve hard faults and swapping, per "
            "second."},
    Meaning{"Memory", "Page Faults/sec", "Page faults, soft and hard, per second."},
    Meaning{"Paging File", "% Usage", "Share of the paging file (swap area) in use."},
    Meaning{"Paging File", "% Usage Peak",
            "Highest share of the paging file in use since monitoring started."},
    Meaning{"LogicalDisk", "% Free Space",
            "Share of the volume ordinary users can still write. _Total is all free space "
            "over all space."},
    Meaning{"LogicalDisk", "Free Megabytes", "Space ordinary users can still write, in mebibytes."},
    Meaning{"LogicalDisk", "Disk Read Bytes/sec",
            "Bytes read from the volume's device per second."},
    Meaning{"LogicalDisk", "Disk Write Bytes/sec",
            "Bytes written to the volume's device per second."},
    Meaning{"PhysicalDisk", "% Disk Time",
            "Share of the interval the disk was busy with requests, 0 to 100."},
    Meaning{"PhysicalDisk", "% Idle Time", "Share of the interval the disk had nothing to do."},
    Meaning{"PhysicalDisk", "Disk Bytes/sec", "Bytes read and written per second."},
    Meaning{"PhysicalDisk", "Disk Reads/sec", "Read requests completed per second."},
    Meaning{"PhysicalDisk", "Disk Writes/sec", "Write requests completed per second."},
    Meaning{"PhysicalDisk", "Avg. Disk Queue Length",
            "Mean number of requests waiting or in service during the interval."},
    Meaning{"Network Interface", "Bytes Total/sec",
            "Bytes received and sent on the interface per second."},
    Meaning{"Network Interface", "Bytes Received/sec",
            "Bytes received on the interface per second."},
    Meaning{"Network Interface", "Bytes Sent/sec", "Bytes sent on the interface per second."},
    Meaning{"Network Interface", "Current Bandwidth",
            "The interface's link speed in bits per second; fails to read when the driver does "
            "not know it."},
    Meaning{"Server", "Server Sessions",
            "File-sharing sessions the server holds open. Linux has no such counter: the "
            "counter shows N/A."},
};

constexpr std::array kObjects{
    Meaning{"Processor", "", "Each processor, and _Total for all of them."},
    Meaning{"Objects", "", "Counts of the system's processes and threads."},
    Meaning{"System", "", "The machine as a whole: scheduling, uptime, processes and threads."},
    Meaning{"Memory", "", "Physical memory, commit charge and paging."},
    Meaning{"Paging File", "", "Each paging file (swap area), and _Total for all of them."},
    Meaning{"LogicalDisk", "", "Each mounted volume, and _Total for all of them."},
    Meaning{"PhysicalDisk", "", "Each whole disk, and _Total for all of them."},
    Meaning{"Network Interface", "", "Each network interface; this object has no _Total."},
    Meaning{"Server", "", "The file-sharing server."},
};

// Objects whose enumeration walks every process or thread of the machine.
constexpr std::array<std::string_view, 4> kCostlyObjects{"Process", "Thread", "Job Object",
                                                         "Job Object Details"};

}  // namespace

std::string_view CounterDescription(std::string_view object, std::string_view counter) {
  for (const Meaning& meaning : kCounters) {
    if (NamesEqual(meaning.object, object) && NamesEqual(meaning.counter, counter))
      return meaning.text;
  }
  return {};
}

std::string_view ObjectDescription(std::string_view object) {
  for (const Meaning& meaning : kObjects) {
    if (NamesEqual(meaning.object, object)) return meaning.text;
  }
  return {};
}

bool IsCostlyObject(std::string_view object) {
  for (std::string_view costly : kCostlyObjects) {
    if (NamesEqual(costly, object)) return true;
  }
  return false;
}

}  // namespace corvane
