// Credential tests against real servers on 127.0.0.1 that record what arrives (the fake
// exporter over HTTP, the TLS test server over HTTPS), with the credentials in real settings
// store files in a temporary folder: they reach the server they were set for, over HTTPS, and
// no other; an http:// server they are set for is not contacted; a user's program never uses
// the machine-wide (service's) credentials.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/remote/credential_scope.h"
#include "platform/remote/server_request.h"
#include "platform/server_settings.h"
#include "tests/platform/remote/fake_exporter.h"
#include "tests/platform/remote/remote_fixtures.h"
#include "tests/platform/remote/tls_test_server.h"
#include "tests/support/temp_folder.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using remote::testing::ExporterFixturePath;

constexpr const char* kEmptyAnswer =
    R"({"status":"success","data":{"resultType":"vector","result":[]}})";
constexpr const char* kBasicAnnPw = "Authorization: Basic YW5uOnB3\r\n";  // ann:pw
constexpr const char* kBearer = "Authorization: Bearer s3cret\r\n";

// Both hives in a temporary folder, through the variables that move them.
class ServerCredentials : public ::testing::Test {
 protected:
  ServerCredentials() {
    ::setenv("CORVANE_USER_REGISTRY", (folder_ / "user.ini").c_str(), 1);
    ::setenv("CORVANE_DEFAULT_REGISTRY", (folder_ / "machine.ini").c_str(), 1);
    std::ofstream(folder_ / "token") << "s3cret\n";
    ::chmod((folder_ / "token").c_str(), 0600);
  }
  ~ServerCredentials() override {
    ::unsetenv("CORVANE_USER_REGISTRY");
    ::unsetenv("CORVANE_DEFAULT_REGISTRY");
  }

  // The server key in one hive's file: CAFile trusts the TLS test server; `server` is the
  // Server value (none when empty); `bearer` a token instead of the user and password.
  void WriteKey(const char* file, const std::string& server, bool bearer) {
    std::ofstream out(folder_ / file);
    out << "[Software\\Quillfen\\Corvane\\Prometheus]\nCAFile="
        << ExporterFixturePath("tls/exporter_cert.pem") << "\n";
    if (!server.empty()) out << "Server=" << server << "\n";
    if (bearer)
      out << "BearerTokenFile=" << (folder_ / "token").string() << "\n";
    else
      out << "User=ann\nPassword=pw\n";
    out.close();
    // A password is read only from a file no one else may read.
    ::chmod((folder_ / file).c_str(), 0600);
  }

  // One query to `url` with the options `owner` reads; true when it was answered, else
  // *reason says why.
  static bool Query(const std::string& url, SettingsOwner owner, std::string* reason) {
    remote::ServerOptions options = ServerOptionsFromSettings(url, owner);
    // Not about time: limits no sanitizer comes near.
    options.connect_timeout = 60s;
    options.total_timeout = 120s;
    remote::ServerRequest request(options);
    while (!request.Run("/api/v1/query", "query=up", std::chrono::steady_clock::now() + 120s)) {
    }
    remote::ServerAnswer answer;
    return request.Answer(&answer, reason);
  }

  test_support::TempFolder folder_;
};

TEST_F(ServerCredentials, GoToTheServerTheyAreForAndNoOther) {
  enum class Named { kThisServer, kAnotherHost, kAnotherPort, kNone };
  const struct {
    const char* name;
    bool https;           // the profile's server: the TLS test server, else the fake exporter
    Named named;          // what Server names
    const char* hive;     // whose file holds the credentials
    SettingsOwner owner;  // the program reading them
    bool bearer;
    const char* arrives;  // the Authorization header received; empty: none
  } cases[] = {
      {"basic, the server they are for", true, Named::kThisServer, "user.ini", SettingsOwner::kUser,
       false, kBasicAnnPw},
      {"bearer, the server they are for", true, Named::kThisServer, "user.ini",
       SettingsOwner::kUser, true, kBearer},
      {"basic, another server over https", true, Named::kAnotherHost, "user.ini",
       SettingsOwner::kUser, false, ""},
      {"bearer, another server over https", true, Named::kAnotherHost, "user.ini",
       SettingsOwner::kUser, true, ""},
      {"basic, another server over http", false, Named::kAnotherHost, "user.ini",
       SettingsOwner::kUser, false, ""},
      {"bearer, another server over http", false, Named::kAnotherHost, "user.ini",
       SettingsOwner::kUser, true, ""},
      {"basic, the same host on another port", true, Named::kAnotherPort, "user.ini",
       SettingsOwner::kUser, false, ""},
      {"basic, no server named", true, Named::kNone, "user.ini", SettingsOwner::kUser, false, ""},
      {"bearer, no server named", true, Named::kNone, "user.ini", SettingsOwner::kUser, true, ""},
      {"the service's, read by a user's program", true, Named::kThisServer, "machine.ini",
       SettingsOwner::kUser, false, ""},
      {"the service's bearer, read by a user's program", true, Named::kThisServer, "machine.ini",
       SettingsOwner::kUser, true, ""},
      {"the service's, read by the service", true, Named::kThisServer, "machine.ini",
       SettingsOwner::kService, false, kBasicAnnPw},
      {"a user's, read by the service", true, Named::kThisServer, "user.ini",
       SettingsOwner::kService, false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    remote::testing::TlsTestServer tls(ExporterFixturePath("tls/exporter_cert.pem"),
                                       ExporterFixturePath("tls/exporter_key.pem"), kEmptyAnswer);
    remote::testing::FakeExporter plain;
    plain.Serve(kEmptyAnswer);
    const std::string url =
        c.https ? tls.url() : "http://127.0.0.1:" + std::to_string(plain.port());
    std::string server;
    if (c.named == Named::kThisServer) server = url + "/";
    if (c.named == Named::kAnotherHost) server = "https://prom.example:9090";
    if (c.named == Named::kAnotherPort)
      server = "https://127.0.0.1:" + std::to_string(tls.port() == 65535 ? 1 : tls.port() + 1);
    // The service trusts the TLS test server too, with no credentials of its own; a user with
    // no key at all trusts the machine's CA file and has no credentials either.
    std::filesystem::remove(folder_ / "user.ini");
    std::filesystem::remove(folder_ / "machine.ini");
    WriteKey(c.hive, server, c.bearer);
    if (std::string(c.hive) == "user.ini")
      std::ofstream(folder_ / "machine.ini")
          << "[Software\\Quillfen\\Corvane\\Prometheus]\nCAFile="
          << ExporterFixturePath("tls/exporter_cert.pem") << "\n";

    std::string reason;
    EXPECT_TRUE(Query(url, c.owner, &reason)) << reason;
    const std::string arrived = c.https ? tls.LastRequest() : plain.LastRequest();
    ASSERT_NE(arrived.find("POST /api/v1/query "), std::string::npos) << arrived;
    if (*c.arrives != '\0') {
      EXPECT_NE(arrived.find(c.arrives), std::string::npos) << arrived;
    } else {
      EXPECT_EQ(arrived.find("Authorization"), std::string::npos) << arrived;
    }
  }
}

TEST_F(ServerCredentials, AnHttpServerTheyAreForIsNotContacted) {
  for (const bool bearer : {false, true}) {
    remote::testing::FakeExporter plain;
    plain.Serve(kEmptyAnswer);
    const std::string url = "http://127.0.0.1:" + std::to_string(plain.port());
    WriteKey("user.ini", url, bearer);
    std::string reason;
    EXPECT_FALSE(Query(url, SettingsOwner::kUser, &reason));
    EXPECT_EQ(reason, url + ": " + std::string(remote::kPlainHttpRefusal));
    EXPECT_EQ(plain.requests(), 0);
  }
}

TEST_F(ServerCredentials, AServerAskingForThemSaysWhyNoneWent) {
  remote::testing::FakeExporter plain;
  plain.Serve(R"({"status":"error","errorType":"unauthorized","error":"no"})", 401);
  const std::string url = "http://127.0.0.1:" + std::to_string(plain.port());
  const struct {
    std::string server;
    std::string says;
  } cases[] = {
      {"", std::string(remote::kNoServerNamedHint)},
      {"https://prom.example:9090/",
       "the credentials in the settings are for https://prom.example:9090 only"},
  };
  for (const auto& c : cases) {
    WriteKey("user.ini", c.server, false);
    std::string reason;
    EXPECT_FALSE(Query(url, SettingsOwner::kUser, &reason));
    EXPECT_NE(reason.find("(HTTP status 401): the server asks for credentials; " + c.says),
              std::string::npos)
        << reason;
    EXPECT_EQ(plain.LastRequest().find("Authorization"), std::string::npos);
  }
}

TEST_F(ServerCredentials, ARedirectIsNotFollowed) {
  remote::testing::TlsTestServer tls(ExporterFixturePath("tls/exporter_cert.pem"),
                                     ExporterFixturePath("tls/exporter_key.pem"), kEmptyAnswer);
  remote::testing::FakeExporter elsewhere;
  elsewhere.Serve(kEmptyAnswer);
  const std::string target =
      "http://127.0.0.1:" + std::to_string(elsewhere.port()) + "/api/v1/query";
  tls.SetRedirect(target);
  for (const bool bearer : {false, true}) {
    WriteKey("user.ini", tls.url(), bearer);
    std::string reason;
    EXPECT_FALSE(Query(tls.url(), SettingsOwner::kUser, &reason));
    EXPECT_EQ(reason, tls.url() + ": HTTP status 307") << reason;
    EXPECT_NE(tls.LastRequest().find("Authorization: "), std::string::npos);
    EXPECT_EQ(elsewhere.requests(), 0);
  }
}

TEST_F(ServerCredentials, EveryRequestCarriesThemAndAnUnreadableTokenStopsThem) {
  remote::testing::TlsTestServer tls(ExporterFixturePath("tls/exporter_cert.pem"),
                                     ExporterFixturePath("tls/exporter_key.pem"), kEmptyAnswer);
  WriteKey("user.ini", tls.url(), true);
  remote::ServerOptions options = ServerOptionsFromSettings(tls.url(), SettingsOwner::kUser);
  options.connect_timeout = 60s;
  options.total_timeout = 120s;
  remote::ServerRequest request(options);
  for (int i = 1; i <= 2; ++i) {
    while (!request.Run("/api/v1/query", "query=up", std::chrono::steady_clock::now() + 120s)) {
    }
    remote::ServerAnswer answer;
    std::string reason;
    EXPECT_TRUE(request.Answer(&answer, &reason)) << reason;
    EXPECT_EQ(tls.requests(), i);
    EXPECT_NE(tls.LastRequest().find(kBearer), std::string::npos) << tls.LastRequest();
  }
  std::filesystem::remove(folder_ / "token");
  std::string reason;
  EXPECT_FALSE(Query(tls.url(), SettingsOwner::kUser, &reason));
  EXPECT_NE(
      reason.find("the bearer token file " + (folder_ / "token").string() + " cannot be read"),
      std::string::npos)
      << reason;
  EXPECT_EQ(tls.requests(), 2);
}

// A token others may read, or a FIFO in its place, stops the request before anything is sent.
TEST_F(ServerCredentials, ATokenFileOthersMayReadOrThatIsNoFileIsRefused) {
  remote::testing::TlsTestServer tls(ExporterFixturePath("tls/exporter_cert.pem"),
                                     ExporterFixturePath("tls/exporter_key.pem"), kEmptyAnswer);
  WriteKey("user.ini", tls.url(), true);
  const std::string token = (folder_ / "token").string();
  struct Case {
    const char* what;
    void (*make)(const std::string& path);
    std::string expected;
  };
  const Case cases[] = {
      {"readable by all", [](const std::string& path) { ::chmod(path.c_str(), 0644); },
       "Permissions 0644 for '" + token + "' are too open"},
      {"readable by its group", [](const std::string& path) { ::chmod(path.c_str(), 0640); },
       "Permissions 0640 for '" + token + "' are too open"},
      {"a FIFO",
       [](const std::string& path) {
         std::filesystem::remove(path);
         ::mkfifo(path.c_str(), 0600);
       },
       token + " is not a regular file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(token);
    std::ofstream(token) << "s3cret\n";
    ::chmod(token.c_str(), 0600);
    c.make(token);
    std::string reason;
    EXPECT_FALSE(Query(tls.url(), SettingsOwner::kUser, &reason));
    EXPECT_NE(reason.find(c.expected), std::string::npos) << reason;
  }
  EXPECT_EQ(tls.requests(), 0);
}

}  // namespace
}  // namespace corvane
