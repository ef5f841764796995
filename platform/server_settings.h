// Where a Prometheus server's trust and credentials live: in the settings store, never in a
// profile (profiles are passed around). Key Software\Quillfen\Corvane\Prometheus of the current
// user's hive, else of the default user's hive (the service's), string values:
//   CAFile           PEM file of the certificates an https server is checked against
//   User, Password   basic authentication
//   BearerTokenFile  a file holding a bearer token ("Authorization: Bearer ...")
//   DefaultServer    the server a new profile of the desktop program reads its remote machines
//                    through (its PrometheusServer); none: new profiles scrape them directly
// Any thread.
#pragma once

#include <string>

#include "platform/remote/server_request.h"

namespace corvane {

inline constexpr const char* kServerSettingsKey = "Software\\Quillfen\\Corvane\\Prometheus";
inline constexpr const char* kDefaultServerValue = "DefaultServer";

// The options to reach the server at `url`.
remote::ServerOptions ServerOptionsFromSettings(const std::string& url);

}  // namespace corvane
