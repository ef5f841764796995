// The address an HTTP listener binds to, written "HOST:PORT": a numeric IPv4 address
// ("127.0.0.1:9393", "0.0.0.0:9393") or a bracketed numeric IPv6 address ("[::1]:9393"), and a
// port from 1 to 65535. Names are not looked up: the listener binds exactly where it is told.
// Plain values and pure functions; any thread.
#pragma once

#include <sys/socket.h>

#include <optional>
#include <string>
#include <string_view>

namespace corvane::http {

struct ListenAddress {
  sockaddr_storage socket_address{};  // sockaddr_in or sockaddr_in6
  socklen_t length = 0;
  std::string text;  // as written
};

// The address, or nothing with *error saying what is wrong with the text.
std::optional<ListenAddress> ParseListenAddress(std::string_view text, std::string* error);

}  // namespace corvane::http
