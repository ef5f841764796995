#include <cstdio>

#include "core/perf_data.h"

namespace corvane::perf {

std::string_view StatusText(Status status) {
  switch (status) {
    case kOk:
      return "success";
    case kNoMachine:
      return "the machine is not reachable";
    case kNoInstance:
      return "no such instance";
    case kMoreData:
      return "more data is available";
    case kNoData:
      return "no data has been collected";
    case kNoObject:
      return "no such object";
    case kNoCounter:
      return "no such counter";
    case kInvalidData:
      return "no valid value";
    case kMemoryAllocationFailure:
      return "out of memory";
    case kInvalidHandle:
      return "invalid handle";
    case kInvalidArgument:
      return "invalid argument";
    case kBadCounterName:
      return "the counter path is not well formed";
    case kCannotConnectMachine:
      return "cannot connect to the machine";
    case kInvalidPath:
      return "invalid path";
    case kStringNotFound:
      return "no name for that index";
    default:
      return "unknown status";
  }
}

std::string ErrorText(Status status, std::string_view reason) {
  if (!reason.empty()) return std::string(reason);
  char code[16];
  std::snprintf(code, sizeof(code), "0x%08X", static_cast<unsigned>(status));
  return std::string(StatusText(status)) + " (" + code + ")";
}

void Provider::ConnectMachines(std::span<const std::string> machines, std::span<Status> statuses) {
  for (std::size_t i = 0; i < machines.size() && i < statuses.size(); ++i)
    statuses[i] = ConnectMachine(machines[i]);
}

}  // namespace corvane::perf
