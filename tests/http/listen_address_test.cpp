#include "platform/linux/http/listen_address.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>

namespace corvane::http {
namespace {

TEST(ParseListenAddress, TakesNumericAddressesWithAPort) {
  struct Case {
    std::string_view text;
    int family;
    std::uint16_t port;
  };
  const Case cases[] = {
      {"127.0.0.1:9393", AF_INET, 9393},
      {"0.0.0.0:1", AF_INET, 1},
      {"10.1.2.3:65535", AF_INET, 65535},
      {"[::1]:9393", AF_INET6, 9393},
      {"[::]:9393", AF_INET6, 9393},
      {"[2001:db8::7]:80", AF_INET6, 80},
      {"[::ffff:127.0.0.1]:9393", AF_INET6, 9393},
  };
  for (const Case& c : cases) {
    std::string error;
    const std::optional<ListenAddress> address = ParseListenAddress(c.text, &error);
    ASSERT_TRUE(address) << c.text << ": " << error;
    EXPECT_EQ(address->text, c.text);
    EXPECT_EQ(address->socket_address.ss_family, c.family) << c.text;
    if (c.family == AF_INET) {
      const auto* v4 = reinterpret_cast<const sockaddr_in*>(&address->socket_address);
      EXPECT_EQ(ntohs(v4->sin_port), c.port) << c.text;
      EXPECT_EQ(address->length, sizeof(sockaddr_in));
    } else {
      const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address->socket_address);
      EXPECT_EQ(ntohs(v6->sin6_port), c.port) << c.text;
      EXPECT_EQ(address->length, sizeof(sockaddr_in6));
    }
  }
}

TEST(ParseListenAddress, RefusesWhatIsNotANumericAddressAndPort) {
  struct Case {
    std::string_view text;
    std::string_view says;
  };
  const Case cases[] = {
      {"", "no port"},
      {"127.0.0.1", "no port"},
      {"127.0.0.1:", "port"},
      {"127.0.0.1:0", "port"},
      {"127.0.0.1:65536", "port"},
      {"127.0.0.1:99999999999", "port"},
      {"127.0.0.1:93a", "port"},
      {"127.0.0.1:-1", "port"},
      {":9393", "IPv4"},
      {"localhost:9393", "IPv4"},  // names are not looked up
      {"127.0.0:9393", "IPv4"},
      {"::1:9393", "brackets"},
      {"[::1]", "port"},
      {"[::1:9393", "brackets"},
      {"[localhost]:9393", "IPv6"},
      {"[fe80::1%eth0]:9393", "IPv6"},
      {"[127.0.0.1]:9393", "IPv6"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(ParseListenAddress(c.text, &error)) << c.text;
    EXPECT_NE(error.find("\"" + std::string(c.text) + "\" is not an address"), std::string::npos)
        << error;
    EXPECT_NE(error.find(c.says), std::string::npos) << c.text << ": " << error;
  }
}

}  // namespace
}  // namespace corvane::http
