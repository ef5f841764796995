// The machine part of a counter path read as the address of a Prometheus exporter:
//   \\host  \\host:port  \\[v6 address]:port  \\http://host:port  \\https://host:port
// A host is a DNS name, an IPv4 address or a bracketed IPv6 address; nothing else (no user,
// no path, no query, no spaces) gets into the URL. Without a port the exporters' usual ports
// are tried. Pure functions; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/perf_data.h"

namespace corvane::remote {

inline constexpr std::uint16_t kNodeExporterPort = 9100;
inline constexpr std::uint16_t kWindowsExporterPort = 9182;

struct MachineAddress {
  bool https = false;
  bool ipv6 = false;       // host is an IPv6 address (written in brackets in a URL)
  std::string host;        // lower case, without brackets
  std::uint16_t port = 0;  // 0 when the path gives none

  // "http://host:port/metrics"
  std::string MetricsUrl(std::uint16_t port) const;
  // The same machine always gives the same key, whatever the letter case it was written in.
  std::string Key() const;
};

// Reads a machine part with its two leading backslashes. kInvalidPath when it is not one of
// the forms above; *error then says what is wrong with it.
perf::Status ParseMachineAddress(std::string_view machine, MachineAddress* address,
                                 std::string* error);

}  // namespace corvane::remote
