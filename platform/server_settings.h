// Where a Prometheus server's trust and credentials live: in the settings store, never in a
// profile (profiles are passed around). Key Software\Quillfen\Corvane\Prometheus, string values:
//   CAFile           PEM file of the certificates an https server is checked against
//   Server           the server the credentials are for ("https://prom.example:9090"); they go
//                    to that scheme, host and port alone, over HTTPS alone, and nowhere when
//                    it is missing
//   User, Password   basic authentication
//   BearerTokenFile  a file holding a bearer token ("Authorization: Bearer ...")
//   DefaultServer    the server a new profile of the desktop program reads its remote machines
//                    through (its PrometheusServer); none: new profiles scrape them directly
// A user's programs read the credentials from the current user's hive alone, and CAFile from
// it or else from the default user's hive; the service reads the default user's hive (its own,
// machine-wide) alone. Any thread.
#pragma once

#include <string>

#include "platform/remote/server_request.h"

namespace corvane {

inline constexpr const char* kServerSettingsKey = "Software\\Quillfen\\Corvane\\Prometheus";
inline constexpr const char* kDefaultServerValue = "DefaultServer";

// Whose settings a program reads: a user's programs (desktop, screen saver, tools) or the
// service, which alone holds the machine-wide credentials.
enum class SettingsOwner { kUser, kService };

// The options to reach the server at `url`.
remote::ServerOptions ServerOptionsFromSettings(const std::string& url, SettingsOwner owner);

}  // namespace corvane
