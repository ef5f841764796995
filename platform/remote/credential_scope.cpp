#include "platform/remote/credential_scope.h"

#include <charconv>

namespace corvane::remote {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lowered(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Lower(c);
  return out;
}

bool NameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool Ipv6Character(char c) {
  return (c >= 'a' && c <= 'f') || (c >= '0' && c <= '9') || c == ':' || c == '.';
}

}  // namespace

std::optional<ServerOrigin> OriginOf(std::string_view url) {
  ServerOrigin origin;
  const std::size_t colon = url.find("://");
  if (colon == std::string_view::npos) return std::nullopt;
  origin.scheme = Lowered(url.substr(0, colon));
  if (origin.scheme == "https") {
    origin.port = 443;
  } else if (origin.scheme == "http") {
    origin.port = 80;
  } else {
    return std::nullopt;
  }
  std::string_view authority = url.substr(colon + 3);
  authority = authority.substr(0, authority.find_first_of("/?#"));
  std::string_view host = authority;
  std::string_view port;
  if (authority.starts_with('[')) {
    const std::size_t close = authority.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    host = authority.substr(0, close + 1);
    const std::string_view rest = authority.substr(close + 1);
    if (!rest.empty()) {
      if (rest[0] != ':') return std::nullopt;
      port = rest.substr(1);
    }
  } else if (const std::size_t at = authority.rfind(':'); at != std::string_view::npos) {
    host = authority.substr(0, at);
    port = authority.substr(at + 1);
  }
  origin.host = Lowered(host);
  if (origin.host.starts_with('[')) {
    const std::string_view inside = std::string_view(origin.host).substr(1, origin.host.size() - 2);
    if (inside.empty()) return std::nullopt;
    for (const char c : inside)
      if (!Ipv6Character(c)) return std::nullopt;
  } else {
    if (origin.host.ends_with('.')) origin.host.pop_back();
    if (origin.host.empty()) return std::nullopt;
    for (const char c : origin.host)
      if (!NameCharacter(c)) return std::nullopt;
  }
  if (authority.size() > host.size()) {
    int number = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), number);
    if (port.empty() || error != std::errc() || end != port.data() + port.size() || number < 1 ||
        number > 65535)
      return std::nullopt;
    origin.port = number;
  }
  return origin;
}

CredentialUse CredentialUseFor(std::string_view url, std::string_view credentials_server,
                               bool credentials_set) {
  if (!credentials_set) return CredentialUse::kNoneSet;
  const std::optional<ServerOrigin> configured = OriginOf(credentials_server);
  if (!configured) return CredentialUse::kNoServerNamed;
  const std::optional<ServerOrigin> target = OriginOf(url);
  if (!target || *target != *configured) return CredentialUse::kOtherServer;
  return target->scheme == "https" ? CredentialUse::kSend : CredentialUse::kRefusedPlainHttp;
}

}  // namespace corvane::remote
