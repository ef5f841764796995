// The web configuration file that Prometheus exporters read, as far as this listener supports
// it: TLS (`tls_server_config`) and basic authentication (`basic_auth_users`). A key of that
// format the listener does not implement is refused by name rather than ignored, so that a
// file written for another exporter never serves with less protection than it asks for.
//
//   tls_server_config:
//     cert_file: server.crt           # PEM; relative paths are taken from the file's folder
//     key_file: server.key
//     client_auth_type: RequireAndVerifyClientCert  # NoClientCert (the default), or
//     client_ca_file: clients-ca.crt  # VerifyClientCertIfGiven, with this file
//     min_version: TLS12              # or TLS13
//   basic_auth_users:
//     alice: $2y$10$...               # bcrypt, as `htpasswd -nBC 10` writes it
//
// Pure functions over text; any thread.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::http {

enum class TlsMinVersion { kTls12, kTls13 };

// Which client certificates a TLS listener asks for; the checking ones need a CA file.
enum class ClientAuth {
  kNone,              // NoClientCert
  kVerifyIfGiven,     // VerifyClientCertIfGiven: one that is sent must verify
  kRequireAndVerify,  // RequireAndVerifyClientCert: one must be sent, and verify
};

struct WebConfig {
  struct Tls {
    std::string cert_file;  // as written in the file
    std::string key_file;
    ClientAuth client_auth = ClientAuth::kNone;
    std::string client_ca_file;  // empty with kNone only
    TlsMinVersion min_version = TlsMinVersion::kTls12;
  };
  std::optional<Tls> tls;                    // nothing: plain HTTP
  std::map<std::string, std::string> users;  // user -> bcrypt hash; empty: no sign-in
};

// Parses the file's text; nothing with *error naming the line and the reason
// ("line 3: tls_server_config: cipher_suites is not supported"). `name` (the file's path)
// leads the message when it is not empty.
std::optional<WebConfig> ParseWebConfig(std::string_view text, std::string_view name,
                                        std::string* error);

// The GnuTLS priority string for the lowest version a client may use.
const char* TlsPriorities(TlsMinVersion version);

}  // namespace corvane::http
