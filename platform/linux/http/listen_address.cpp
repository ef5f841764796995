#include "platform/linux/http/listen_address.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <charconv>
#include <cstring>

namespace corvane::http {
namespace {

std::optional<ListenAddress> Fail(std::string_view text, std::string_view why, std::string* error) {
  if (error != nullptr) {
    *error = "\"" + std::string(text) + "\" is not an address to listen on: " + std::string(why) +
             " (write HOST:PORT with a numeric address, e.g. 127.0.0.1:9393 or [::1]:9393)";
  }
  return std::nullopt;
}

}  // namespace

std::optional<ListenAddress> ParseListenAddress(std::string_view text, std::string* error) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string_view::npos) return Fail(text, "no port", error);
  std::string_view host = text.substr(0, colon);
  const std::string_view port_text = text.substr(colon + 1);

  unsigned port = 0;
  const auto [end, ec] =
      std::from_chars(port_text.data(), port_text.data() + port_text.size(), port);
  if (port_text.empty() || ec != std::errc{} || end != port_text.data() + port_text.size() ||
      port == 0 || port > 65535) {
    return Fail(text, "the port must be a number from 1 to 65535", error);
  }

  ListenAddress address;
  address.text = std::string(text);
  const bool bracketed = host.size() >= 2 && host.front() == '[' && host.back() == ']';
  if (bracketed) {
    const std::string inner(host.substr(1, host.size() - 2));
    sockaddr_in6 v6{};
    v6.sin6_family = AF_INET6;
    v6.sin6_port = htons(static_cast<std::uint16_t>(port));
    if (inner.find('%') != std::string::npos ||
        inet_pton(AF_INET6, inner.c_str(), &v6.sin6_addr) != 1)
      return Fail(text, "not a numeric IPv6 address", error);
    std::memcpy(&address.socket_address, &v6, sizeof v6);
    address.length = sizeof v6;
    return address;
  }
  if (host.find(':') != std::string_view::npos) {
    return Fail(text, "an IPv6 address must be written in brackets", error);
  }
  const std::string v4_text(host);
  sockaddr_in v4{};
  v4.sin_family = AF_INET;
  v4.sin_port = htons(static_cast<std::uint16_t>(port));
  if (host.empty() || inet_pton(AF_INET, v4_text.c_str(), &v4.sin_addr) != 1)
    return Fail(text, "not a numeric IPv4 address", error);
  std::memcpy(&address.socket_address, &v4, sizeof v4);
  address.length = sizeof v4;
  return address;
}

}  // namespace corvane::http
