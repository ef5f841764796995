// The service's metrics endpoint: an HTTP server on the configured address that answers
// GET /metrics with the metrics page of the engine's last sample, GET / with a small index
// page, and anything else with 404 (405 for other methods). Owns the server and the buffers a
// scrape reuses.
//
// A scrape copies the last sample through `copy` (which takes the chart lock only to copy) and
// formats the page on the server's own thread, outside the lock; the collector is never
// waited for beyond that copy.
//
// Threads: Start and the destructor on the owner's thread; `copy` is called on the server's
// thread and must stay callable until the server is destroyed.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/linux/http/http_server.h"
#include "service/metrics_snapshot.h"

namespace corvane::service {

class MetricsServer final : public http::RequestHandler {
 public:
  using CopyMetrics = std::function<void(MetricsSnapshot*)>;

  // Serves on `address`; nothing with *error saying why ("cannot listen on 127.0.0.1:9393:
  // Address already in use").
  static std::unique_ptr<MetricsServer> Start(const http::ListenAddress& address, CopyMetrics copy,
                                              http::StartError* error,
                                              const http::HttpLimits& limits = {});
  ~MetricsServer() override;  // stops serving first

  http::Reply Get(std::string_view path, std::string* body) override;
  std::uint16_t port() const { return server_->port(); }

  // The page at "/".
  static std::string_view IndexPage();

 private:
  explicit MetricsServer(CopyMetrics copy) : copy_(std::move(copy)) {}

  CopyMetrics copy_;
  MetricsSnapshot snapshot_;  // server thread only
  std::unique_ptr<http::HttpServer> server_;
};

}  // namespace corvane::service
