// libcurl stays out of a process that reads only local counters, and is loaded by the first
// remote connection. Each check runs in a freshly started copy of the test program, so a
// library loaded by an earlier test of this binary cannot hide or fake the result.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "core/perf_data.h"
#include "platform/remote/curl_library.h"
#include "platform/system_provider.h"

namespace corvane {
namespace {

bool CurlMapped() {
  void* handle = dlopen(remote::CurlLibrary::kSoname, RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) return false;
  dlclose(handle);  // drops the reference RTLD_NOLOAD took
  return true;
}

// Exit codes of the child, so that a failure says which step went wrong.
enum Outcome {
  kFine = 0,
  kMappedAtStart = 2,
  kLocalFailed = 3,
  kMappedByLocal = 4,
  kConnected = 5,
  kNotMappedByRemote = 6
};

[[noreturn]] void ReadLocalThenConnect() {
  if (CurlMapped()) std::_Exit(kMappedAtStart);
  std::unique_ptr<perf::Provider> provider = MakeSystemProvider();
  std::unique_ptr<perf::Query> query;
  perf::CounterHandle counter = perf::kNullCounter;
  double value = 0;
  if (provider->OpenQuery(&query) != perf::kOk ||
      query->AddCounter("\\Memory\\Available Bytes", &counter) != perf::kOk ||
      query->Collect() != perf::kOk || query->GetFormattedDouble(counter, &value) != perf::kOk ||
      value <= 0)
    std::_Exit(kLocalFailed);
  if (CurlMapped() || remote::CurlLibrary::Loaded()) std::_Exit(kMappedByLocal);
  // Nothing listens on port 1: the connection is refused, after libcurl was loaded for it.
  if (provider->ConnectMachine("\\\\127.0.0.1:1") == perf::kOk) std::_Exit(kConnected);
  if (!CurlMapped() || !remote::CurlLibrary::Loaded()) std::_Exit(kNotMappedByRemote);
  std::fflush(nullptr);
  std::_Exit(kFine);
}

TEST(CurlLoading, LocalCountersLeaveLibcurlUnloadedUntilARemoteConnection) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh exec, not a fork of this state
  EXPECT_EXIT(ReadLocalThenConnect(), ::testing::ExitedWithCode(kFine), "")
      << "2: mapped at start, 3: local read failed, 4: mapped by the local read, "
         "5: port 1 answered, 6: not mapped by the remote connection";
}

}  // namespace
}  // namespace corvane
