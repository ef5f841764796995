// The server behind a web configuration file, on real sockets with real files: HTTPS with a
// certificate made at test time, basic authentication, and files changed under a running
// server. libcurl plays the scraper.
#include <crypt.h>
#include <curl/curl.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/http/http_server.h"
#include "platform/linux/http/listener_security.h"
#include "platform/linux/http/web_config_reloader.h"
#include "tests/support/http_client.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_certificate.h"

namespace corvane::http {
namespace {

using test_support::TempFolder;

class PageHandler final : public RequestHandler {
 public:
  Reply Get(std::string_view path, std::string* body) override {
    body->append("page of ").append(path);
    return {200, "text/plain"};
  }
};

std::string Bcrypt(const std::string& password) {
  char setting[CRYPT_GENSALT_OUTPUT_SIZE];
  EXPECT_NE(crypt_gensalt_rn("$2b$", 4, nullptr, 0, setting, sizeof setting), nullptr);
  auto data = std::make_unique<crypt_data>();
  const char* hash = crypt_rn(password.c_str(), setting, data.get(), sizeof *data);
  return hash != nullptr ? hash : "";
}

struct Fetched {
  CURLcode code = CURLE_OK;
  long status = 0;
  std::string body;
  std::string headers;
};

struct FetchOptions {
  std::string scheme = "https";
  std::string ca_file;  // the certificate the client trusts
  std::string user;     // empty: no credentials
  std::string password;
  long max_tls = 0;    // CURL_SSLVERSION_MAX_*; 0: any
  std::string client;  // the client certificate's path without ".crt"; empty: none
};

std::size_t Append(char* data, std::size_t size, std::size_t count, void* text) {
  static_cast<std::string*>(text)->append(data, size * count);
  return size * count;
}

Fetched Fetch(std::uint16_t port, const FetchOptions& options) {
  Fetched fetched;
  CURL* curl = curl_easy_init();
  const std::string url = options.scheme + "://localhost:" + std::to_string(port) + "/metrics";
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 30L);
  if (!options.ca_file.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, options.ca_file.c_str());
  if (options.max_tls != 0) curl_easy_setopt(curl, CURLOPT_SSLVERSION, options.max_tls);
  const std::string credentials = options.user + ":" + options.password;
  if (!options.user.empty()) {
    curl_easy_setopt(curl, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
    curl_easy_setopt(curl, CURLOPT_USERPWD, credentials.c_str());
  }
  const std::string client_cert = options.client + ".crt";
  const std::string client_key = options.client + ".key";
  if (!options.client.empty()) {
    curl_easy_setopt(curl, CURLOPT_SSLCERT, client_cert.c_str());
    curl_easy_setopt(curl, CURLOPT_SSLKEY, client_key.c_str());
  }
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Append);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &fetched.body);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &Append);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &fetched.headers);
  fetched.code = curl_easy_perform(curl);
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &fetched.status);
  curl_easy_cleanup(curl);
  return fetched;
}

// 127.0.0.1 on a port the system chooses.
ListenAddress Loopback() {
  std::string error;
  ListenAddress address = *ParseListenAddress("127.0.0.1:1", &error);
  reinterpret_cast<sockaddr_in*>(&address.socket_address)->sin_port = 0;
  address.text = "127.0.0.1:0";
  return address;
}

class HttpsServerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { curl_global_init(CURL_GLOBAL_DEFAULT); }
  static void TearDownTestSuite() { curl_global_cleanup(); }

  void SetUp() override {
    ASSERT_TRUE(test_support::MakeTestCertificate(folder_.path(), "one"));
    ASSERT_TRUE(test_support::MakeTestCertificate(folder_.path(), "two"));
  }

  std::string WriteConfig(const std::string& text) {
    // Written beside and renamed over, as an editor or a deployment tool replaces it.
    const std::filesystem::path path = folder_ / "web.yml";
    std::ofstream(folder_ / "web.yml.new") << text;
    std::filesystem::rename(folder_ / "web.yml.new", path);
    return path.string();
  }
  static std::string Config(const std::string& keys, const std::string& users,
                            const std::string& extra = "") {
    std::string text =
        "tls_server_config:\n  cert_file: " + keys + ".crt\n  key_file: " + keys + ".key\n" + extra;
    if (!users.empty()) text += "basic_auth_users:\n" + users;
    return text;
  }

  void Start(const std::string& config_text) {
    std::string error;
    security_ = ListenerSecurity::Load(WriteConfig(config_text), &error);
    ASSERT_NE(security_, nullptr) << error;
    StartError start_error;
    server_ = HttpServer::Start(Loopback(), &handler_, {}, &start_error, security_.get());
    ASSERT_NE(server_, nullptr) << start_error.text;
    reloader_ = std::make_unique<WebConfigReloader>(
        server_.get(), security_.get(), [this](bool failed, const std::string& line) {
          std::lock_guard lock(mutex_);
          reports_.push_back((failed ? "failed: " : "") + line);
        });
  }
  std::vector<std::string> reports() {
    std::lock_guard lock(mutex_);
    return reports_;
  }
  FetchOptions As(const std::string& user, const std::string& password,
                  const std::string& keys = "one") const {
    FetchOptions options;
    options.ca_file = (folder_ / (keys + ".crt")).string();
    options.user = user;
    options.password = password;
    return options;
  }
  std::uint16_t port() const { return server_->port(); }

  TempFolder folder_;
  PageHandler handler_;
  std::unique_ptr<ListenerSecurity> security_;
  std::unique_ptr<HttpServer> server_;
  std::unique_ptr<WebConfigReloader> reloader_;  // goes before the server
  std::mutex mutex_;
  std::vector<std::string> reports_;
};

TEST_F(HttpsServerTest, ServesOverTlsOnlyToTheRightPassword) {
  Start(Config("one", "  scraper: " + Bcrypt("right horse") + "\n"));

  const Fetched good = Fetch(port(), As("scraper", "right horse"));
  ASSERT_EQ(good.code, CURLE_OK) << curl_easy_strerror(good.code);
  EXPECT_EQ(good.status, 200);
  EXPECT_EQ(good.body, "page of /metrics");

  for (const FetchOptions& bad :
       {As("scraper", "wrong horse"), As("other", "right horse"), As("", "")}) {
    const Fetched refused = Fetch(port(), bad);
    ASSERT_EQ(refused.code, CURLE_OK) << curl_easy_strerror(refused.code);
    EXPECT_EQ(refused.status, 401) << bad.user << ":" << bad.password;
    EXPECT_NE(refused.headers.find("WWW-Authenticate: Basic realm=\"corvservice\""),
              std::string::npos)
        << refused.headers;
    EXPECT_EQ(refused.body.find("page of"), std::string::npos);
  }

  // A client that does not trust the certificate gives up; so does one speaking plain HTTP.
  FetchOptions untrusting = As("scraper", "right horse", "two");
  EXPECT_NE(Fetch(port(), untrusting).code, CURLE_OK);
  const test_support::HttpAnswer plain = test_support::HttpGet(port(), "/metrics");
  EXPECT_EQ(plain.status, 0) << plain.headers;
  FetchOptions http = As("scraper", "right horse");
  http.scheme = "http";
  const Fetched over_http = Fetch(port(), http);
  EXPECT_TRUE(over_http.code != CURLE_OK || over_http.status != 200);
  EXPECT_EQ(over_http.body.find("page of"), std::string::npos);
}

TEST_F(HttpsServerTest, AMinimumOfTls13RefusesATls12Client) {
  Start(Config("one", "", "  min_version: TLS13\n"));
  FetchOptions old_client = As("", "");
  old_client.max_tls =
      static_cast<long>(CURL_SSLVERSION_TLSv1_2) | static_cast<long>(CURL_SSLVERSION_MAX_TLSv1_2);
  EXPECT_NE(Fetch(port(), old_client).code, CURLE_OK);
  const Fetched modern = Fetch(port(), As("", ""));
  ASSERT_EQ(modern.code, CURLE_OK) << curl_easy_strerror(modern.code);
  EXPECT_EQ(modern.status, 200);  // no users: no sign-in
}

TEST_F(HttpsServerTest, TakesUpANewPasswordAndNewKeysWithoutARestart) {
  Start(Config("one", "  scraper: " + Bcrypt("first") + "\n"));
  EXPECT_EQ(Fetch(port(), As("scraper", "first")).status, 200);
  EXPECT_FALSE(reloader_->CheckNow());  // nothing changed

  WriteConfig(Config("one", "  scraper: " + Bcrypt("second") + "\n"));
  EXPECT_TRUE(reloader_->CheckNow());
  EXPECT_EQ(Fetch(port(), As("scraper", "second")).status, 200);
  EXPECT_EQ(Fetch(port(), As("scraper", "first")).status, 401);

  // New keys: the daemon starts again on the same port with them.
  const std::uint16_t before = port();
  WriteConfig(Config("two", "  scraper: " + Bcrypt("second") + "\n"));
  EXPECT_TRUE(reloader_->CheckNow()) << reports().back();
  EXPECT_EQ(port(), before);
  const Fetched renewed = Fetch(port(), As("scraper", "second", "two"));
  ASSERT_EQ(renewed.code, CURLE_OK) << curl_easy_strerror(renewed.code);
  EXPECT_EQ(renewed.status, 200);
  EXPECT_NE(Fetch(port(), As("scraper", "second", "one")).code, CURLE_OK);

  // The certificate file itself replaced, the configuration untouched.
  std::filesystem::copy_file(folder_ / "one.crt", folder_ / "two.crt",
                             std::filesystem::copy_options::overwrite_existing);
  std::filesystem::copy_file(folder_ / "one.key", folder_ / "two.key",
                             std::filesystem::copy_options::overwrite_existing);
  struct timespec later[2] = {{0, UTIME_OMIT}, {0, UTIME_NOW}};
  ::utimensat(AT_FDCWD, (folder_ / "two.crt").c_str(), later, 0);
  EXPECT_TRUE(reloader_->CheckNow());
  EXPECT_EQ(Fetch(port(), As("scraper", "second", "one")).status, 200);
  const std::vector<std::string> lines = reports();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], "the web configuration is reloaded from " + (folder_ / "web.yml").string() +
                          " with new keys");
}

TEST_F(HttpsServerTest, AChangeThatCannotBeServedLeavesTheOldOneServing) {
  Start(Config("one", "  scraper: " + Bcrypt("first") + "\n"));
  struct Case {
    std::string config;
    std::string report;  // how the report starts, after "failed: the web ... reloaded: "
  };
  std::ofstream(folder_ / "broken.crt") << "-----BEGIN CERTIFICATE-----\nnot base64\n"
                                        << "-----END CERTIFICATE-----\n";
  std::filesystem::copy_file(folder_ / "one.key", folder_ / "broken.key");
  const std::string web = (folder_ / "web.yml").string();
  const Case cases[] = {
      {"tls_server_config:\n  cert_file: one.crt\n  key_file: one.key\n  max_version: TLS13\n",
       web + ": line 4: tls_server_config: max_version is not supported"},
      {"basic_auth_users:\n  scraper: [\n", web + ": line 3: "},
      {Config("missing", ""), (folder_ / "missing.crt").string() + ": No such file"},
      {Config("broken", ""), web + ": the TLS library does not take the certificate and key"},
  };
  for (const Case& c : cases) {
    WriteConfig(c.config);
    EXPECT_FALSE(reloader_->CheckNow()) << c.config;
    EXPECT_FALSE(reloader_->CheckNow()) << c.config;  // said once, not at every look
    EXPECT_EQ(Fetch(port(), As("scraper", "first")).status, 200) << c.config;
    EXPECT_EQ(Fetch(port(), As("scraper", "other")).status, 401) << c.config;
  }
  const std::vector<std::string> lines = reports();
  ASSERT_EQ(lines.size(), std::size(cases));
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string expected =
        "failed: the web configuration is not reloaded: " + cases[i].report;
    EXPECT_EQ(lines[i].rfind(expected, 0), 0u) << lines[i] << "\n" << expected;
  }
}

TEST_F(HttpsServerTest, ItsOwnThreadPicksUpAChangedFile) {
  Start(Config("one", "  scraper: " + Bcrypt("first") + "\n"));
  reloader_->Start(std::chrono::milliseconds(20));
  WriteConfig(Config("two", "  scraper: " + Bcrypt("second") + "\n"));
  // Generous: under a sanitizer a look and a restart take far longer than the period.
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (Fetch(port(), As("scraper", "second", "two")).status != 200 &&
         std::chrono::steady_clock::now() < limit) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(Fetch(port(), As("scraper", "second", "two")).status, 200);
  reloader_.reset();
  EXPECT_EQ(reports().size(), 1u);
}

TEST_F(HttpsServerTest, ClientCertificatesAreCheckedAgainstTheConfiguredCa) {
  ASSERT_TRUE(test_support::MakeTestCertificate(folder_.path(), "client"));
  struct Case {
    const char* type;
    const char* client;  // "": none
    long status;
  };
  const Case cases[] = {
      {"RequireAndVerifyClientCert", "client", 200}, {"RequireAndVerifyClientCert", "", 403},
      {"RequireAndVerifyClientCert", "two", 403},  // a certificate the CA file does not vouch for
      {"VerifyClientCertIfGiven", "client", 200},    {"VerifyClientCertIfGiven", "", 200},
      {"VerifyClientCertIfGiven", "two", 403},
  };
  for (const Case& c : cases) {
    reloader_.reset();
    server_.reset();
    Start(
        Config("one", "",
               std::string("  client_ca_file: client.crt\n  client_auth_type: ") + c.type + "\n"));
    FetchOptions options = As("", "");
    if (*c.client != '\0') options.client = (folder_ / c.client).string();
    const Fetched fetched = Fetch(port(), options);
    const std::string what = std::string(c.type) + " with \"" + c.client + "\"";
    EXPECT_EQ(fetched.body.find("page of"), c.status == 200 ? 0 : std::string::npos) << what;
    if (c.status != 200 && fetched.code != CURLE_OK) continue;  // refused in the handshake
    ASSERT_EQ(fetched.code, CURLE_OK) << what << ": " << curl_easy_strerror(fetched.code);
    EXPECT_EQ(fetched.status, c.status) << what;
  }
}

TEST(HttpsServerStartTest, KeysTheLibraryRefusesStopTheStart) {
  TempFolder folder;
  ASSERT_TRUE(test_support::MakeTestCertificate(folder.path(), "one"));
  ASSERT_TRUE(test_support::MakeTestCertificate(folder.path(), "two"));
  // A certificate with another's key.
  std::ofstream(folder / "web.yml") << "tls_server_config:\n  cert_file: one.crt\n"
                                    << "  key_file: two.key\n";
  std::string error;
  auto security = ListenerSecurity::Load((folder / "web.yml").string(), &error);
  ASSERT_NE(security, nullptr) << error;
  PageHandler handler;
  StartError start_error;
  EXPECT_EQ(HttpServer::Start(Loopback(), &handler, {}, &start_error, security.get()), nullptr);
  EXPECT_EQ(start_error.text,
            "cannot serve on 127.0.0.1:0: the HTTPS server did not start; check the certificate "
            "and key");
}

}  // namespace
}  // namespace corvane::http
