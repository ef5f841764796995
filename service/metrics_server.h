// The service's metrics endpoint: an HTTP server on the configured address that answers
// GET /metrics with the metrics page of the engine's last sample, GET / with a small index
// page, and anything else with 404 (405 for other methods). Owns the server and the buffers a
// scrape reuses.
//
// A scrape copies the last sample through `copy` (which takes the chart lock only to copy) and
// formats the page on the server's own thread, outside the lock; the collector is never
// waited for beyond that copy.
//
// With a web configuration file the page is served over TLS and behind basic authentication as
// the file says, and the file and the keys it names are looked at again once a second, so that
// new passwords and certificates are served without a restart.
//
// Threads: Start and the destructor on the owner's thread; `copy` is called on the server's
// thread and must stay callable until the server is destroyed; the reloader's `report` on the
// reloader's thread.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/linux/http/http_server.h"
#include "platform/linux/http/listener_security.h"
#include "platform/linux/http/web_config_reloader.h"
#include "service/metrics_snapshot.h"

namespace corvane::service {

class MetricsServer final : public http::RequestHandler {
 public:
  using CopyMetrics = std::function<void(MetricsSnapshot*)>;

  // The web configuration file a listener serves by, and where what its reloads do is told.
  struct WebConfigUse {
    std::string path;
    http::WebConfigReloader::Report report;
  };

  // Serves on `address`; nothing with *error saying why ("cannot listen on 127.0.0.1:9393:
  // Address already in use", "cannot serve metrics: /etc/corvane/web.yml: line 3: ...").
  static std::unique_ptr<MetricsServer> Start(const http::ListenAddress& address, CopyMetrics copy,
                                              http::StartError* error,
                                              const http::HttpLimits& limits = {},
                                              const WebConfigUse* web_config = nullptr);
  ~MetricsServer() override;  // stops serving first

  http::Reply Get(std::string_view path, std::string* body) override;
  std::uint16_t port() const { return server_->port(); }
  // Whether the page is served over TLS now.
  bool tls() const;

  // The page at "/".
  static std::string_view IndexPage();

 private:
  explicit MetricsServer(CopyMetrics copy) : copy_(std::move(copy)) {}

  CopyMetrics copy_;
  MetricsSnapshot snapshot_;                          // server thread only
  std::unique_ptr<http::ListenerSecurity> security_;  // null: plain HTTP for anyone
  std::unique_ptr<http::HttpServer> server_;
  std::unique_ptr<http::WebConfigReloader> reloader_;  // renews server_: stopped first
};

}  // namespace corvane::service
