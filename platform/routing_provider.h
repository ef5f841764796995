// The router between counter providers: paths and machines without a machine part go to the
// local provider, those with one ("\\host\...") to the remote provider. A query of the router
// holds one query of each provider it has used, opened on its first counter, and maps its own
// handles onto theirs. Any thread may call the router; each query belongs to one thread.
#pragma once

#include <memory>

#include "core/perf_data.h"

namespace corvane {

// Either provider may be null: its paths then fail to add and its machines to connect
// (kNoMachine). Queries share the providers, so a query may outlive the router.
std::unique_ptr<perf::Provider> MakeRoutingProvider(std::shared_ptr<perf::Provider> local,
                                                    std::shared_ptr<perf::Provider> remote);

}  // namespace corvane
