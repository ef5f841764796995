#include "platform/system_provider.h"

#include "platform/linux/proc/local_provider.h"
#include "platform/remote/remote_provider.h"
#include "platform/routing_provider.h"

namespace corvane {

std::unique_ptr<perf::Provider> MakeSystemProvider() {
  return MakeRoutingProvider(std::shared_ptr<perf::Provider>(local::MakeLocalProvider()),
                             std::shared_ptr<perf::Provider>(remote::MakeRemoteProvider()));
}

}  // namespace corvane
