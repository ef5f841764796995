#include "platform/linux/proc/local_provider.h"

namespace corvane::local {

// Replaced by the /proc reader.
std::unique_ptr<perf::Provider> MakeLocalProvider(LocalProviderOptions) { return nullptr; }

}  // namespace corvane::local
