// The real corvservice with its metrics listener: the address checks at start, the page against
// the activity log row of the same sample and promtool, hostile clients against the sampling
// cadence and the memory, and the real Prometheus server scraping it, over plain HTTP and over
// HTTPS with a password.
#include <crypt.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/platform/linux/host/test_support.h"
#include "tests/service/program_run.h"
#include "tests/support/child_process.h"
#include "tests/support/http_client.h"
#include "tests/support/test_certificate.h"

namespace corvane {
namespace {

using testing_support::PlaceProgram;
using testing_support::ProgramRun;
using testing_support::ReadFile;
using testing_support::TempFolder;
using testing_support::WaitFor;
using testing_support::WriteFile;

const std::string kProfileFixture = std::string(CORVANE_FIXTURES_DIR) + "/service/objects.crvn";

bool ExitedWith(const std::optional<int>& status, int code) {
  return status && WIFEXITED(*status) && WEXITSTATUS(*status) == code;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
  return parts;
}

// The CSV log's rows since its last banner, each split into cells (date, time, one per axis).
std::vector<std::vector<std::string>> RowsSinceBanner(const std::string& log) {
  std::vector<std::vector<std::string>> rows;
  for (const std::string& line : Split(ReadFile(log), '\n')) {
    if (line.rfind("Date,Time", 0) == 0) {
      rows.clear();
    } else if (!line.empty() && std::isdigit(static_cast<unsigned char>(line[0]))) {
      rows.push_back(Split(line, ','));
    }
  }
  return rows;
}

// Value of `metric` on the page, per axis name.
std::map<std::string, std::string> ValuesByAxis(const std::string& page,
                                                const std::string& metric) {
  std::map<std::string, std::string> values;
  const std::regex line("^" + metric + R"re(\{axis="((?:[^"\\]|\\.)*)".*\} (\S+)$)re");
  for (const std::string& text : Split(page, '\n')) {
    std::smatch match;
    if (std::regex_match(text, match, line)) values[match[1]] = match[2];
  }
  return values;
}

std::string Single(const std::string& page, const std::string& metric) {
  for (const std::string& text : Split(page, '\n')) {
    if (text.rfind(metric + " ", 0) == 0) return text.substr(metric.size() + 1);
  }
  return {};
}

long ResidentKb(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

class CorvserviceMetricsTest : public ::testing::Test {
 protected:
  std::map<std::string, std::optional<std::string>> Env() const {
    return testing_support::IsolatedServiceEnv(folder_.path());
  }

  void SetStore(const std::string& values) {
    std::filesystem::create_directories(folder_ / "etc");
    WriteFile(folder_ / "etc/registry.ini", "[Software\\Quillfen\\Corvane\\Service]\n" + values);
  }

  // The fixture's profile (two counters, a sample a second, every sample logged) as CSV.
  std::string CsvProfile() {
    std::string text = ReadFile(kProfileFixture);
    const std::size_t at = text.find("LogFormat=0");
    text.replace(at, 11, "LogFormat=1");
    text +=
        "\nBeginAxis\nName=Memory \"MB\"\nDesc=\nMinValue=0.000000\nMaxValue=100000.000000\n"
        "CriticalValue=1.000000\nMultiplier=1048576.000000\nInverse=0\n"
        "Counter=\\Memory\\Available Bytes\nEndAxis\n";
    const std::string profile = folder_ / "metrics.crvn";
    WriteFile(profile, text);
    return profile;
  }
  std::string CsvLog() const { return folder_ / "Logs/metrics-log.csv"; }

  std::unique_ptr<ProgramRun> Start(const std::vector<std::string>& args) {
    return std::make_unique<ProgramRun>(program_, args, Env(), folder_.path());
  }

  TempFolder folder_;
  std::string program_ = PlaceProgram(CORVSERVICE_PATH, folder_.path());
};

TEST_F(CorvserviceMetricsTest, AMalformedAddressEndsTheRunWithStatusTwo) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"-run", "--metrics", "localhost:9393"},
        std::vector<std::string>{"-run", "--metrics"},
        std::vector<std::string>{"-run", "p.crvn", "--metrics=127.0.0.1:0"}}) {
    auto run = Start(args);
    EXPECT_TRUE(ExitedWith(run->Wait(), 2)) << testing::PrintToString(args);
    EXPECT_EQ(ReadFile(run->out_file()), "") << "nothing started";
    EXPECT_NE(ReadFile(run->err_file()).find("corvservice: "), std::string::npos);
  }
  SetStore("MetricsAddress=::1:9393\n");
  auto run = Start({"-run"});
  EXPECT_TRUE(ExitedWith(run->Wait(), 2));
  EXPECT_EQ(ReadFile(run->err_file()),
            "corvservice: \"::1:9393\" is not an address to listen on: an IPv6 address must be "
            "written in brackets (write HOST:PORT with a numeric address, e.g. 127.0.0.1:9393 or "
            "[::1]:9393)\n");
  EXPECT_FALSE(std::filesystem::exists(folder_ / "Logs"));
}

TEST_F(CorvserviceMetricsTest, ABusyAddressEndsTheRunWithStatusOneBeforeAnySample) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(fd, 1), 0);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  const std::string busy = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
  // The store names it; the command line wins over a store that names another.
  SetStore("MetricsAddress=" + busy + "\n");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"-run", CsvProfile()},
        std::vector<std::string>{"-run", CsvProfile(), "--metrics", busy}}) {
    auto run = Start(args);
    EXPECT_TRUE(ExitedWith(run->Wait(), 1));
    EXPECT_EQ(ReadFile(run->err_file()), "cannot listen on " + busy + ": Address already in use\n");
    EXPECT_FALSE(std::filesystem::exists(CsvLog())) << "nothing sampled";
  }
  ::close(fd);
}

// Whether the process has mapped a library whose file name begins with `name`.
bool Maps(pid_t pid, const std::string& name) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/maps");
  for (std::string line; std::getline(in, line);) {
    if (line.find("/" + name) != std::string::npos) return true;
  }
  return false;
}

TEST_F(CorvserviceMetricsTest, CairoIsLoadedForTheFirstPngAndWithoutItOnlyThePngIsMissing) {
  // A libcairo.so.2 that is no library stands for a machine without libcairo2: the loader
  // finds it first on the library path and fails on it.
  const std::filesystem::path no_cairo = folder_ / "no-cairo";
  std::filesystem::create_directories(no_cairo);
  WriteFile(no_cairo / "libcairo.so.2", "");
  const struct {
    const char* what;
    std::optional<std::string> library_path;
    unsigned png_status;
  } cases[] = {{"cairo installed", std::nullopt, 200}, {"cairo missing", no_cairo.string(), 503}};
  for (const auto& c : cases) {
    const std::uint16_t port = test_support::ChildProcess::FreePort();
    auto env = Env();
    if (c.library_path) env["LD_LIBRARY_PATH"] = *c.library_path;
    ProgramRun run(program_,
                   {"-run", CsvProfile(), "--metrics", "127.0.0.1:" + std::to_string(port)}, env,
                   folder_.path());
    ASSERT_TRUE(WaitFor([&] { return test_support::HttpGet(port, "/metrics").status == 200; }))
        << c.what;
    ASSERT_EQ(test_support::HttpGet(port, "/rose.svg").status, 200) << c.what;
    EXPECT_FALSE(Maps(run.pid(), "libcairo.so")) << c.what << ": before any PNG was asked for";

    const test_support::HttpAnswer png = test_support::HttpGet(port, "/rose.png?size=200x100");
    EXPECT_EQ(png.status, c.png_status) << c.what << ": " << png.body;
    if (c.png_status == 200) {
      EXPECT_EQ(png.body.substr(0, 8), "\x89PNG\r\n\x1a\n") << c.what;
      EXPECT_TRUE(Maps(run.pid(), "libcairo.so")) << c.what;
    } else {
      EXPECT_NE(png.body.find("libcairo2"), std::string::npos) << png.body;
      EXPECT_EQ(png.body.find('\n'), png.body.size() - 1) << "one line: " << png.body;
      EXPECT_EQ(test_support::HttpGet(port, "/").status, 200) << "the page is still served";
    }
    run.Signal(SIGINT);
    EXPECT_TRUE(ExitedWith(run.Wait(), 0)) << c.what;
  }
}

TEST_F(CorvserviceMetricsTest, ThePagePassesPromtoolAndEqualsTheLogRowOfItsSample) {
  const std::uint16_t port = test_support::ChildProcess::FreePort();
  SetStore("MetricsAddress=127.0.0.1:1\n");  // the command line wins
  auto run = Start({"-run", CsvProfile(), "--metrics", "127.0.0.1:" + std::to_string(port)});
  ASSERT_TRUE(WaitFor([&] { return RowsSinceBanner(CsvLog()).size() >= 2; }))
      << ReadFile(run->err_file());

  const test_support::HttpAnswer answer = test_support::HttpGet(port, "/metrics");
  ASSERT_EQ(answer.status, 200);
  const std::string& page = answer.body;
  const std::vector<std::vector<std::string>> rows = RowsSinceBanner(CsvLog());
  const std::size_t samples = std::stoul(Single(page, "corvane_samples_total"));
  ASSERT_GE(samples, 2u);
  ASSERT_GE(rows.size(), samples) << "every sample is logged";
  const std::vector<std::string>& row = rows[samples - 1];
  const std::vector<std::string> names = {"Process Count", "Thread Count", "Memory \\\"MB\\\""};
  ASSERT_EQ(row.size(), 2 + names.size());
  const std::map<std::string, std::string> current =
      ValuesByAxis(page, "corvane_axis_current_value");
  for (std::size_t i = 0; i < names.size(); ++i) {
    ASSERT_TRUE(current.count(names[i])) << names[i] << "\n" << page;
    const std::string& value = current.at(names[i]);
    if (row[2 + i] == "N/A") {
      EXPECT_EQ(value, "NaN") << names[i];
      continue;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", std::stod(value));
    EXPECT_EQ(text, row[2 + i]) << names[i] << " in sample " << samples;
  }
  EXPECT_EQ(ValuesByAxis(page, "corvane_axis_range_max").at("Process Count"), "1000");
  EXPECT_EQ(Single(page, "corvane_sample_interval_seconds"), "1");
  EXPECT_EQ(Single(page, "corvane_sample_cpu_seconds_count"), std::to_string(samples));

  if (!std::filesystem::exists("/usr/bin/promtool")) {
    std::printf("promtool is not installed (Debian package prometheus): not checked\n");
  } else {
    WriteFile(folder_ / "page.txt", page);
    const std::string command = "/usr/bin/promtool check metrics < " +
                                (folder_ / "page.txt").string() + " > " +
                                (folder_ / "promtool.txt").string() + " 2>&1";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << ReadFile(folder_ / "promtool.txt");
    EXPECT_EQ(ReadFile(folder_ / "promtool.txt"), "");
  }
  run->Signal(SIGINT);
  EXPECT_TRUE(ExitedWith(run->Wait(), 0));
}

// Log rows come once a second; clients that send nothing, send a huge request or open many
// connections must neither stretch that nor make the service grow.
TEST_F(CorvserviceMetricsTest, HostileClientsNeitherDelaySamplingNorGrowTheService) {
  const std::uint16_t port = test_support::ChildProcess::FreePort();
  auto run = Start({"-run", CsvProfile(), "--metrics", "127.0.0.1:" + std::to_string(port)});
  ASSERT_TRUE(WaitFor([&] { return RowsSinceBanner(CsvLog()).size() >= 2; }))
      << ReadFile(run->err_file());
  for (int i = 0; i < 5; ++i) ASSERT_EQ(test_support::HttpGet(port, "/metrics").status, 200);
  const pid_t pid = run->pid();
  const long resident_before = ResidentKb(pid);
  const std::size_t rows_before = RowsSinceBanner(CsvLog()).size();
  const auto start = std::chrono::steady_clock::now();

  std::vector<std::unique_ptr<test_support::Connection>> clients;
  for (int i = 0; i < 200; ++i) {  // many connections that send nothing
    clients.push_back(std::make_unique<test_support::Connection>(port));
  }
  std::thread huge([port] {  // a request of 64 MB that never ends
    test_support::Connection client(port);
    const std::string chunk(64 * 1024, 'a');
    client.Send("GET /metrics HTTP/1.1\r\nX-Huge: ");
    for (int i = 0; i < 1024 && client.Send(chunk); ++i) {
    }
  });
  std::thread trickle([port] {  // a request one byte at a time
    test_support::Connection client(port);
    for (const char c : std::string("GET /metrics HTTP/1.1\r\nHost: x\r\n")) {
      if (!client.Send(std::string_view(&c, 1))) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  });
  std::thread scrapers([port] {  // and many complete scrapes, each left unread
    for (int i = 0; i < 300; ++i) {
      test_support::Connection client(port);
      client.Send("GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n");
    }
  });
  std::this_thread::sleep_for(std::chrono::seconds(5));
  const long resident_during = ResidentKb(pid);
  huge.join();
  trickle.join();
  scrapers.join();
  clients.clear();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  const std::vector<std::vector<std::string>> rows = RowsSinceBanner(CsvLog());
  const std::size_t written = rows.size() - rows_before;
  EXPECT_GE(written + 1, static_cast<std::size_t>(seconds))
      << "one row a second, " << seconds << " s";
  // Consecutive rows are at most two seconds apart (the time column has whole seconds).
  std::vector<int> times;
  for (std::size_t i = rows_before; i < rows.size(); ++i) {
    const std::vector<std::string> hms = Split(rows[i][1], ':');
    ASSERT_EQ(hms.size(), 3u) << rows[i][1];
    times.push_back(std::stoi(hms[0]) * 3600 + std::stoi(hms[1]) * 60 + std::stoi(hms[2]));
  }
  for (std::size_t i = 1; i < times.size(); ++i) {
    const int gap = (times[i] - times[i - 1] + 86400) % 86400;
    EXPECT_LE(gap, 2) << "rows " << i - 1 << " and " << i;
  }
  // Bounded: 32 connections of 16 KB each, plus a few pages of about 3 KB, whatever comes.
  EXPECT_LT(resident_during - resident_before, 2048) << resident_before << " kB before";
  EXPECT_LT(ResidentKb(pid) - resident_before, 2048) << resident_before << " kB before";
  EXPECT_EQ(test_support::HttpGet(port, "/metrics").status, 200);
  run->Signal(SIGINT);
  EXPECT_TRUE(ExitedWith(run->Wait(), 0));
}

// The first value of an instant query's answer ({"status":"success","data":{"resultType":
// "vector","result":[{"metric":{...},"value":[1700000000.1,"131"]}]}}), or nothing.
std::optional<std::string> FirstValue(const std::string& json) {
  static const std::regex value(R"re("value":\[[0-9.e+]+,"([^"]*)"\])re");
  std::smatch match;
  if (!std::regex_search(json, match, value)) return std::nullopt;
  return match[1].str();
}

std::string QueryEncoded(const std::string& query) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : query) {
    if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') {
      out += c;
    } else {
      out += '%';
      out += kHex[static_cast<unsigned char>(c) >> 4];
      out += kHex[static_cast<unsigned char>(c) & 15];
    }
  }
  return out;
}

TEST_F(CorvserviceMetricsTest, PrometheusScrapesTheServiceAndAnswersWithItsValues) {
  const std::string prometheus = "/usr/bin/prometheus";
  if (!std::filesystem::exists(prometheus)) {
    GTEST_SKIP() << prometheus << " is missing: install Debian's prometheus package";
  }
  const std::uint16_t port = test_support::ChildProcess::FreePort();
  auto service = Start({"-run", CsvProfile(), "--metrics", "127.0.0.1:" + std::to_string(port)});

  const std::uint16_t web_port = test_support::ChildProcess::FreePort();
  std::filesystem::create_directories(folder_ / "prometheus/data");
  WriteFile(folder_ / "prometheus/prometheus.yml",
            "global:\n  scrape_interval: 1s\n  scrape_timeout: 1s\n"
            "scrape_configs:\n  - job_name: corvane\n    static_configs:\n"
            "      - targets: ['127.0.0.1:" +
                std::to_string(port) + "']\n");
  ProgramRun server(prometheus,
                    {"--config.file=" + (folder_ / "prometheus/prometheus.yml").string(),
                     "--storage.tsdb.path=" + (folder_ / "prometheus/data").string(),
                     "--web.listen-address=127.0.0.1:" + std::to_string(web_port)},
                    {}, folder_ / "prometheus");
  const auto query = [&](const std::string& expression) {
    return test_support::HttpGet(web_port, "/api/v1/query?query=" + QueryEncoded(expression)).body;
  };

  // A few seconds of scrapes, read back through the query API.
  std::optional<std::string> samples;
  ASSERT_TRUE(WaitFor(
      [&] {
        samples = FirstValue(query("corvane_samples_total"));
        return samples && std::stod(*samples) >= 3;
      },
      std::chrono::seconds(60)))
      << ReadFile(server.err_file());
  EXPECT_EQ(FirstValue(query("up{job=\"corvane\"}")), "1");
  EXPECT_EQ(FirstValue(query("corvane_axis_range_max{axis=\"Process Count\"}")), "1000");
  EXPECT_EQ(FirstValue(query("corvane_axis_critical_value{axis=\"Memory \\\"MB\\\"\"}")), "1");
  EXPECT_EQ(FirstValue(query("corvane_sample_interval_seconds")), "1");
  EXPECT_EQ(FirstValue(query("sum(corvane_axis_state{series=\"current\"})")), "3")
      << "one state per value";
  EXPECT_EQ(FirstValue(query("count(corvane_sample_cpu_seconds_bucket)")), "13");

  // Every process count Prometheus stored is one the activity log wrote.
  const std::optional<std::string> stored =
      FirstValue(query("corvane_axis_current_value{axis=\"Process Count\",object=\"Objects\"}"));
  ASSERT_TRUE(stored);
  std::set<std::string> logged;
  for (const std::vector<std::string>& row : RowsSinceBanner(CsvLog())) logged.insert(row.at(2));
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", std::stod(*stored));
  EXPECT_TRUE(logged.count(text)) << text;

  server.Signal(SIGTERM);
  server.Wait();
  service->Signal(SIGINT);
  EXPECT_TRUE(ExitedWith(service->Wait(), 0));
}

// A bcrypt hash of `password` at the lowest cost, as `htpasswd -nBC 10` writes one at cost 10.
std::string Bcrypt(const std::string& password) {
  char setting[CRYPT_GENSALT_OUTPUT_SIZE];
  if (crypt_gensalt_rn("$2y$", 4, nullptr, 0, setting, sizeof setting) == nullptr) return {};
  auto data = std::make_unique<crypt_data>();
  const char* hash = crypt_rn(password.c_str(), setting, data.get(), sizeof *data);
  return hash != nullptr ? hash : "";
}

// The health and last error Prometheus reports for each job's target, from /api/v1/targets
// ({"discoveredLabels":...,"labels":{...,"job":"tls"},...,"lastError":"...","health":"up"}).
std::map<std::string, std::pair<std::string, std::string>> TargetHealth(const std::string& json) {
  std::map<std::string, std::pair<std::string, std::string>> health;
  static const std::regex target(
      R"re("labels":\{[^}]*"job":"([^"]*)"[^}]*\}.*?"lastError":"((?:[^"\\]|\\.)*)".*?"health":"([a-z]+)")re");
  for (auto it = std::sregex_iterator(json.begin(), json.end(), target);
       it != std::sregex_iterator(); ++it) {
    health[(*it)[1]] = {(*it)[3], (*it)[2]};
  }
  return health;
}

TEST_F(CorvserviceMetricsTest, PrometheusScrapesOverHttpsWithBasicAuthAndFollowsANewPassword) {
  const std::string prometheus = "/usr/bin/prometheus";
  if (!std::filesystem::exists(prometheus)) {
    GTEST_SKIP() << prometheus << " is missing: install Debian's prometheus package";
  }
  ASSERT_TRUE(test_support::MakeTestCertificate(folder_.path(), "service"));
  const std::string first_hash = Bcrypt("first secret");
  ASSERT_FALSE(first_hash.empty());
  const auto write_web_config = [&](const std::string& hash) {
    // Replaced whole, as a deployment tool replaces it.
    WriteFile(folder_ / "web.yml.new",
              "tls_server_config:\n  cert_file: " + (folder_ / "service.crt").string() +
                  "\n  key_file: " + (folder_ / "service.key").string() +
                  "\nbasic_auth_users:\n  fleet: '" + hash + "'\n");
    std::filesystem::rename(folder_ / "web.yml.new", folder_ / "web.yml");
  };
  write_web_config(first_hash);
  const std::uint16_t port = test_support::ChildProcess::FreePort();
  auto service = Start({"-run", CsvProfile(), "--metrics", "127.0.0.1:" + std::to_string(port),
                        "--web-config", (folder_ / "web.yml").string()});

  // Three jobs against the one listener: the right password over HTTPS, a wrong one, and
  // plain HTTP to the TLS port.
  const std::filesystem::path prom = folder_ / "prometheus";
  std::filesystem::create_directories(prom / "data");
  WriteFile(prom / "right", "first secret");
  const std::string target = "      - targets: ['127.0.0.1:" + std::to_string(port) + "']\n";
  const std::string tls =
      "    scheme: https\n    tls_config:\n      ca_file: " + (folder_ / "service.crt").string() +
      "\n";
  WriteFile(prom / "prometheus.yml",
            "global:\n  scrape_interval: 1s\n  scrape_timeout: 1s\nscrape_configs:\n"
            "  - job_name: tls\n" +
                tls +
                "    basic_auth:\n      username: fleet\n"
                "      password_file: " +
                (prom / "right").string() + "\n    static_configs:\n" + target +
                "  - job_name: wrong\n" + tls +
                "    basic_auth:\n      username: fleet\n      password: guessed\n"
                "    static_configs:\n" +
                target + "  - job_name: plain\n    static_configs:\n" + target);
  const std::uint16_t web_port = test_support::ChildProcess::FreePort();
  ProgramRun server(prometheus,
                    {"--config.file=" + (prom / "prometheus.yml").string(),
                     "--storage.tsdb.path=" + (prom / "data").string(),
                     "--web.listen-address=127.0.0.1:" + std::to_string(web_port)},
                    {}, prom);
  const auto query = [&](const std::string& expression) {
    return test_support::HttpGet(web_port, "/api/v1/query?query=" + QueryEncoded(expression)).body;
  };
  const auto targets = [&] {
    return TargetHealth(test_support::HttpGet(web_port, "/api/v1/targets").body);
  };
  const auto samples_stored = [&](double at_least) {
    const std::optional<std::string> samples =
        FirstValue(query("max(corvane_samples_total{job=\"tls\"})"));
    return samples && std::stod(*samples) >= at_least;
  };

  std::map<std::string, std::pair<std::string, std::string>> health;
  ASSERT_TRUE(WaitFor(
      [&] {
        health = targets();
        return samples_stored(3) && health.count("wrong") && health.count("plain") &&
               health["wrong"].first == "down" && health["plain"].first == "down";
      },
      std::chrono::seconds(60)))
      << ReadFile(server.err_file()) << ReadFile(service->err_file());
  EXPECT_EQ(health["tls"].first, "up") << health["tls"].second;
  EXPECT_NE(health["wrong"].second.find("401"), std::string::npos) << health["wrong"].second;
  EXPECT_EQ(health["plain"].second.find("401"), std::string::npos)
      << "plain HTTP never reaches the sign-in: " << health["plain"].second;

  // A new password in the service's file: the old one is refused from then on, and the scrape
  // succeeds again once Prometheus has the new one, without a restart of the service.
  write_web_config(Bcrypt("second secret"));
  ASSERT_TRUE(WaitFor(
      [&] {
        health = targets();
        return health["tls"].first == "down" &&
               health["tls"].second.find("401") != std::string::npos;
      },
      std::chrono::seconds(60)))
      << health["tls"].second;
  // The series went stale with the refused scrapes: the last count stored is in their past.
  const std::optional<std::string> before =
      FirstValue(query("max(max_over_time(corvane_samples_total{job=\"tls\"}[10m]))"));
  ASSERT_TRUE(before);
  WriteFile(prom / "right", "second secret");
  EXPECT_TRUE(WaitFor(
      [&] { return targets()["tls"].first == "up" && samples_stored(std::stod(*before) + 2); },
      std::chrono::seconds(60)))
      << targets()["tls"].second;

  server.Signal(SIGTERM);
  server.Wait();
  service->Signal(SIGINT);
  EXPECT_TRUE(ExitedWith(service->Wait(), 0));
}

}  // namespace
}  // namespace corvane
