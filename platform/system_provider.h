// The counter provider the programs use: local paths from the running kernel and, where the
// remote provider is built in, "\\host" paths from that host's Prometheus exporter.
#pragma once

#include <memory>

#include "core/perf_data.h"
#include "platform/server_settings.h"

namespace corvane {

// A new provider, reading a Prometheus server's trust and credentials from the settings of
// `owner`; any thread may call it.
std::unique_ptr<perf::Provider> MakeSystemProvider(SettingsOwner owner = SettingsOwner::kUser);

}  // namespace corvane
