// Whether the user's credentials for a Prometheus server (basic authentication or a bearer
// token) go with a request: they are set for one server, named by its scheme, host and port,
// and go to that server only, and over HTTPS only. A profile names the server it reads through
// and may come from anyone, so its address alone never earns credentials. Pure functions; any
// thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane::remote {

// The server part of an address.
struct ServerOrigin {
  std::string scheme;  // "http" or "https", lower case
  std::string host;    // lower case, without a final dot; an IPv6 address keeps its brackets
  int port = 0;        // the scheme's default (80, 443) when the address names none

  bool operator==(const ServerOrigin&) const = default;
};

// The origin of "scheme://host[:port][/path]", or nullopt for anything else: another scheme, a
// user part ("https://a@b"), a host with characters other than letters, digits, '-' and '.'
// (percent escapes, backslashes), an empty host or a port outside 1..65535. What cannot be read
// without doubt is never taken for the server the credentials are for.
std::optional<ServerOrigin> OriginOf(std::string_view url);

enum class CredentialUse {
  kNoneSet,           // no credentials are set: nothing to send
  kSend,              // the server they are set for, over HTTPS
  kOtherServer,       // another server (or the same host by another scheme or port): not sent
  kNoServerNamed,     // set, but Server names no server that can be read: sent nowhere
  kRefusedPlainHttp,  // set for this very server, whose address is http://: no request at all
};

// What to do with credentials set for `credentials_server` (the Server setting) on a request
// to `url` (the profile's server).
CredentialUse CredentialUseFor(std::string_view url, std::string_view credentials_server,
                               bool credentials_set);

// The reasons, as they follow "<server>: " in the messages of a request.
inline constexpr std::string_view kPlainHttpRefusal =
    "not contacted: credentials are set for this server, and they are sent over HTTPS only; "
    "make its address https:// in the profile (PrometheusServer) and in the settings (Server)";
inline constexpr std::string_view kNoServerNamedHint =
    "the credentials in the settings (Software\\Quillfen\\Corvane\\Prometheus) are sent to no "
    "server until Server names the one they are for: add Server=https://HOST:PORT beside them";

}  // namespace corvane::remote
