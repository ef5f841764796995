// Credential tests: which addresses are the server a credential was set for, and what a
// request does with the credentials.
#include "platform/remote/credential_scope.h"

#include <gtest/gtest.h>

namespace corvane::remote {
namespace {

TEST(CredentialScope, OriginsOfAddresses) {
  const struct {
    const char* url;
    std::optional<ServerOrigin> origin;
  } cases[] = {
      {"https://prom.example:9090", ServerOrigin{"https", "prom.example", 9090}},
      {"HTTPS://Prom.Example.:9090/prometheus/", ServerOrigin{"https", "prom.example", 9090}},
      {"https://prom.example", ServerOrigin{"https", "prom.example", 443}},
      {"http://prom.example/x?y#z", ServerOrigin{"http", "prom.example", 80}},
      {"http://127.0.0.1:09090", ServerOrigin{"http", "127.0.0.1", 9090}},
      {"https://[::1]:8443", ServerOrigin{"https", "[::1]", 8443}},
      {"https://[FE80::1]", ServerOrigin{"https", "[fe80::1]", 443}},
      // Nothing that could be read two ways.
      {"https://prom.example@evil.example", std::nullopt},
      {"https://ann:pw@prom.example", std::nullopt},
      {"https://prom%2eexample", std::nullopt},
      {"https://prom.example\\@evil.example", std::nullopt},
      {"https://prom.example:", std::nullopt},
      {"https://prom.example:0", std::nullopt},
      {"https://prom.example:65536", std::nullopt},
      {"https://prom.example:-1", std::nullopt},
      {"https://prom.example:90x", std::nullopt},
      {"https://:9090", std::nullopt},
      {"https://[::1", std::nullopt},
      {"https://[::1]x", std::nullopt},
      {"https://[]", std::nullopt},
      {"https://a:b:c", std::nullopt},
      {"ftp://prom.example", std::nullopt},
      {"prom.example:9090", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) {
    const auto origin = OriginOf(c.url);
    ASSERT_EQ(origin.has_value(), c.origin.has_value()) << c.url;
    if (origin) {
      EXPECT_EQ(origin->scheme, c.origin->scheme) << c.url;
      EXPECT_EQ(origin->host, c.origin->host) << c.url;
      EXPECT_EQ(origin->port, c.origin->port) << c.url;
    }
  }
}

TEST(CredentialScope, CredentialsGoToTheirServerOverHttpsAlone) {
  const struct {
    const char* url;     // the profile's server
    const char* server;  // the Server setting
    bool set;
    CredentialUse use;
  } cases[] = {
      {"https://prom.example:9090", "https://prom.example:9090", true, CredentialUse::kSend},
      {"https://prom.example", "https://PROM.example:443/", true, CredentialUse::kSend},
      {"https://prom.example:443/prometheus", "https://prom.example", true, CredentialUse::kSend},
      {"https://evil.example:9090", "https://prom.example:9090", true, CredentialUse::kOtherServer},
      {"https://prom.example:9091", "https://prom.example:9090", true, CredentialUse::kOtherServer},
      {"http://prom.example:9090", "https://prom.example:9090", true, CredentialUse::kOtherServer},
      {"https://prom.example.evil.example", "https://prom.example", true,
       CredentialUse::kOtherServer},
      {"https://prom.example@evil.example", "https://prom.example", true,
       CredentialUse::kOtherServer},
      {"http://prom.example:9090", "http://prom.example:9090", true,
       CredentialUse::kRefusedPlainHttp},
      {"http://prom.example", "http://prom.example:80", true, CredentialUse::kRefusedPlainHttp},
      {"https://prom.example", "", true, CredentialUse::kNoServerNamed},
      {"https://prom.example", "prom.example", true, CredentialUse::kNoServerNamed},
      {"https://prom.example", "https://prom.example", false, CredentialUse::kNoneSet},
      {"http://prom.example", "http://prom.example", false, CredentialUse::kNoneSet},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CredentialUseFor(c.url, c.server, c.set), c.use) << c.url << " / " << c.server;
}

}  // namespace
}  // namespace corvane::remote
