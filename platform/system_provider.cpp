#include "platform/system_provider.h"

#include "platform/linux/proc/local_provider.h"

namespace corvane {

std::unique_ptr<perf::Provider> MakeSystemProvider() { return local::MakeLocalProvider(); }

}  // namespace corvane
