#include "platform/remote/machine_address.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace corvane::remote {
namespace {

bool IsHostNameCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '.' || c == '_';
}

bool IsIpv6Character(char c) {
  return std::isxdigit(static_cast<unsigned char>(c)) != 0 || c == ':' || c == '.';
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

perf::Status Refuse(std::string* error, std::string reason) {
  if (error != nullptr) *error = std::move(reason);
  return perf::kInvalidPath;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

}  // namespace

perf::Status ParseMachineAddress(std::string_view machine, MachineAddress* address,
                                 std::string* error) {
  if (machine.size() < 3 || machine[0] != '\\' || machine[1] != '\\')
    return Refuse(error, "a machine part starts with two backslashes and a name");
  std::string_view rest = machine.substr(2);
  MachineAddress out;
  if (StartsWithNoCase(rest, "https://")) {
    out.https = true;
    rest.remove_prefix(8);
  } else if (StartsWithNoCase(rest, "http://")) {
    rest.remove_prefix(7);
  }

  std::string_view host;
  if (!rest.empty() && rest[0] == '[') {
    const auto close = rest.find(']');
    if (close == std::string_view::npos) return Refuse(error, "an IPv6 address lacks its ']'");
    host = rest.substr(1, close - 1);
    rest.remove_prefix(close + 1);
    // A zone ("fe80::1%eth0") names the local interface to reach a link-local address by.
    const std::string_view address_part = host.substr(0, host.find('%'));
    const std::string_view zone =
        host.size() > address_part.size() ? host.substr(address_part.size() + 1) : "";
    if (address_part.find(':') == std::string_view::npos ||
        !std::all_of(address_part.begin(), address_part.end(), IsIpv6Character) ||
        (host.size() > address_part.size() &&
         (zone.empty() || !std::all_of(zone.begin(), zone.end(), IsHostNameCharacter))))
      return Refuse(error, "not an IPv6 address: " + std::string(host));
    out.ipv6 = true;
    out.host = Lower(address_part);
    if (!zone.empty()) out.host += "%" + std::string(zone);  // interface names keep their case
  } else {
    const auto colon = rest.find(':');
    host = rest.substr(0, colon);
    rest.remove_prefix(host.size());
    if (host.empty()) return Refuse(error, "the machine part has no host name");
    if (host.size() > 253 || host.front() == '-' || host.front() == '.' ||
        !std::all_of(host.begin(), host.end(), IsHostNameCharacter))
      return Refuse(error, "not a host name: " + std::string(host));
    out.host = Lower(host);
  }

  if (!rest.empty()) {
    if (rest[0] != ':')
      return Refuse(error, "unexpected text after the host: " + std::string(rest));
    const std::string_view digits = rest.substr(1);
    unsigned port = 0;
    const auto [end, failure] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    if (digits.empty() || digits.size() > 5 || failure != std::errc() ||
        end != digits.data() + digits.size() || port == 0 || port > 65535 ||
        !std::isdigit(static_cast<unsigned char>(digits[0])))
      return Refuse(error, "not a port number: " + std::string(digits));
    out.port = static_cast<std::uint16_t>(port);
  }
  *address = std::move(out);
  return perf::kOk;
}

std::string MachineAddress::MetricsUrl(std::uint16_t url_port) const {
  std::string url = https ? "https://" : "http://";
  if (ipv6) {
    // A zone's "%" is written "%25" in a URL (RFC 6874).
    const auto percent = host.find('%');
    url += '[';
    url += host.substr(0, percent);
    if (percent != std::string::npos) url += "%25" + host.substr(percent + 1);
    url += ']';
  } else {
    url += host;
  }
  url += ':';
  url += std::to_string(url_port);
  url += "/metrics";
  return url;
}

std::string MachineAddress::Key() const {
  std::string key = https ? "https://" : "http://";
  key += ipv6 ? "[" + host + "]" : host;
  if (port != 0) key += ":" + std::to_string(port);
  return key;
}

}  // namespace corvane::remote
