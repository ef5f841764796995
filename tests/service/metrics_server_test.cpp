// The metrics endpoint on a real socket: /metrics is the page of what `copy` gives, / the rose's
// page, anything else 404; the copy is asked for only by a scrape or a page.
#include "service/metrics_server.h"

#include <gtest/gtest.h>

#include <atomic>

#include "service/metrics_page.h"
#include "tests/support/http_client.h"

namespace corvane::service {
namespace {

TEST(MetricsServer, ServesThePageOfTheCopyAtMetricsAndTheIndexAtTheRoot) {
  std::atomic<int> copies{0};
  const auto fill = [&](MetricsSnapshot* snapshot) {
    ++copies;
    snapshot->axes.resize(1);
    snapshot->axis_count = 1;
    snapshot->axes[0].name = "CPU";
    snapshot->axes[0].path = "\\Processor(_Total)\\% Processor Time";
    snapshot->axes[0].current = {42.5, chart::ValueState::kNormal};
    snapshot->timing = {};
    snapshot->timing.NoteSampleEnd(1700000000);
  };
  std::string error_text;
  http::StartError error;
  const std::optional<http::ListenAddress> address =
      http::ParseListenAddress("127.0.0.1:1", &error_text);
  ASSERT_TRUE(address);
  http::ListenAddress any_port = *address;
  reinterpret_cast<sockaddr_in*>(&any_port.socket_address)->sin_port = 0;
  const auto server = MetricsServer::Start(any_port, fill, &error);
  ASSERT_NE(server, nullptr) << error.text;

  const test_support::HttpAnswer page = test_support::HttpGet(server->port(), "/metrics");
  EXPECT_EQ(page.status, 200);
  EXPECT_NE(page.headers.find("Content-Type: " + std::string(kMetricsContentType) + "\r\n"),
            std::string::npos)
      << page.headers;
  MetricsSnapshot expected;
  fill(&expected);
  std::string expected_page;
  AppendMetricsPage(expected, &expected_page);
  EXPECT_EQ(page.body, expected_page);

  const test_support::HttpAnswer index = test_support::HttpGet(server->port(), "/");
  EXPECT_EQ(index.status, 200);
  EXPECT_NE(index.body.find("href=\"/metrics\""), std::string::npos);
  EXPECT_NE(index.body.find("<th scope=\"row\">CPU</th><td>42.50</td>"), std::string::npos)
      << index.body;

  for (const char* path : {"/metrics/", "/metricsx", "/favicon.ico", "/../metrics"}) {
    EXPECT_EQ(test_support::HttpGet(server->port(), path).status, 404) << path;
  }
  EXPECT_EQ(copies, 3);  // the scrape, the page and the expectation; no other path copied
}

}  // namespace
}  // namespace corvane::service
