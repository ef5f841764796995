// A name lookup that outlasts the connect time-out must not hold the caller: libcurl's
// resolver thread is left to finish alone. The test binary puts its own getaddrinfo in front
// of the C library's; it answers the name "slow-dns.invalid" only after two seconds, as a
// dead DNS server would, and hands every other name on.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <netdb.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/remote/remote_provider.h"

namespace {

constexpr const char* kSlowName = "slow-dns.invalid";
constexpr auto kLookupTime = std::chrono::seconds(2);
std::atomic<int> slow_lookups{0};
std::atomic<int> slow_lookups_done{0};

}  // namespace

extern "C" int getaddrinfo(const char* node, const char* service, const addrinfo* hints,
                           addrinfo** result) {
  using Real = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
  static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "getaddrinfo"));
  if (node != nullptr && std::strcmp(node, kSlowName) == 0) {
    ++slow_lookups;
    std::this_thread::sleep_for(kLookupTime);
    ++slow_lookups_done;
    return EAI_NONAME;
  }
  return real(node, service, hints, result);
}

namespace corvane::remote {
namespace {

using namespace std::chrono_literals;

TEST(SlowNameLookup, EndsWithTheConnectTimeOut) {
  RemoteProviderOptions options;
  options.scrape.connect_timeout = 300ms;
  options.scrape.total_timeout = 600ms;
  RemoteProvider provider(options);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(provider.ConnectMachine("\\\\slow-dns.invalid:9100"), perf::kCannotConnectMachine);
  const auto took = std::chrono::steady_clock::now() - start;
  ASSERT_GE(slow_lookups.load(), 1) << "the lookup went through the slow resolver";
  EXPECT_LT(took, 1500ms) << "not held for the lookup's " << kLookupTime.count() << " s";
  EXPECT_NE(provider.MachineError("\\\\slow-dns.invalid:9100").find("slow-dns.invalid"),
            std::string::npos);
  // Let the abandoned lookups end, so that nothing is left running when the program exits.
  while (slow_lookups_done.load() < slow_lookups.load()) std::this_thread::sleep_for(50ms);
  std::this_thread::sleep_for(100ms);
}

}  // namespace
}  // namespace corvane::remote
