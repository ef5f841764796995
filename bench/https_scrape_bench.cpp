// The CPU of one scrape of a small page over HTTPS with basic authentication against the same
// scrape over plain HTTP, client and server in this process (the server on its own thread;
// process CPU is measured), each on a fresh connection, so the HTTPS one includes a TLS
// handshake (ECDSA P-256). The password's bcrypt check is paid once, then remembered.
#include <benchmark/benchmark.h>
#include <crypt.h>
#include <curl/curl.h>
#include <netinet/in.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/linux/http/http_server.h"
#include "platform/linux/http/listener_security.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_certificate.h"

namespace corvane {
namespace {

class SmallPage final : public http::RequestHandler {
 public:
  http::Reply Get(std::string_view, std::string* body) override {
    body->assign(2048, 'x');
    return {200, "text/plain"};
  }
};

http::ListenAddress AnyLoopbackPort() {
  std::string error;
  http::ListenAddress address = *http::ParseListenAddress("127.0.0.1:1", &error);
  reinterpret_cast<sockaddr_in*>(&address.socket_address)->sin_port = 0;
  return address;
}

std::size_t Drop(char*, std::size_t size, std::size_t count, void*) { return size * count; }

struct Listener {
  explicit Listener(bool secure) {
    if (secure) {
      if (!test_support::MakeTestCertificate(folder.path(), "bench")) return;
      char setting[CRYPT_GENSALT_OUTPUT_SIZE];
      crypt_data data{};
      crypt_gensalt_rn("$2b$", 10, nullptr, 0, setting, sizeof setting);
      const std::string hash = crypt_rn("scrape password", setting, &data, sizeof data);
      std::ofstream(folder / "web.yml") << "tls_server_config:\n  cert_file: bench.crt\n"
                                        << "  key_file: bench.key\nbasic_auth_users:\n"
                                        << "  prometheus: " << hash << "\n";
      std::string error;
      security = http::ListenerSecurity::Load((folder / "web.yml").string(), &error);
      if (security == nullptr) return;
    }
    http::StartError error;
    server = http::HttpServer::Start(AnyLoopbackPort(), &page, {}, &error, security.get());
    url = std::string(secure ? "https" : "http") +
          "://localhost:" + (server ? std::to_string(server->port()) : "0") + "/metrics";
  }

  CURL* NewClient() const {
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Drop);
    if (security != nullptr) {
      curl_easy_setopt(curl, CURLOPT_CAINFO, (folder / "bench.crt").c_str());
      curl_easy_setopt(curl, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
      curl_easy_setopt(curl, CURLOPT_USERPWD, "prometheus:scrape password");
    }
    return curl;
  }

  test_support::TempFolder folder;
  SmallPage page;
  std::unique_ptr<http::ListenerSecurity> security;
  std::unique_ptr<http::HttpServer> server;
  std::string url;
};

bool Scrape(CURL* curl) {
  long status = 0;
  return curl_easy_perform(curl) == CURLE_OK &&
         curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK && status == 200;
}

void BM_Scrape(benchmark::State& state, bool secure) {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  Listener listener(secure);
  if (listener.server == nullptr) {
    state.SkipWithError("the listener did not start");
    return;
  }
  CURL* first = listener.NewClient();
  if (!Scrape(first)) state.SkipWithError("the first scrape failed");  // pays bcrypt once
  curl_easy_cleanup(first);
  for (auto _ : state) {
    CURL* client = listener.NewClient();
    if (!Scrape(client)) state.SkipWithError("a scrape failed");
    curl_easy_cleanup(client);
  }
}

BENCHMARK_CAPTURE(BM_Scrape, plain, false)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(BM_Scrape, https_basic_auth, true)->MeasureProcessCPUTime();

}  // namespace
}  // namespace corvane
