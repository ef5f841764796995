#include "service/metrics_server.h"

#include <cerrno>

#include "service/metrics_page.h"

namespace corvane::service {

std::unique_ptr<MetricsServer> MetricsServer::Start(const http::ListenAddress& address,
                                                    CopyMetrics copy, http::StartError* error,
                                                    const http::HttpLimits& limits,
                                                    const WebConfigUse* web_config) {
  std::unique_ptr<MetricsServer> metrics(new MetricsServer(std::move(copy)));
  if (web_config != nullptr) {
    std::string reason;
    metrics->security_ = http::ListenerSecurity::Load(web_config->path, &reason);
    if (metrics->security_ == nullptr) {
      *error = {EINVAL, "cannot serve metrics: " + reason};
      return nullptr;
    }
  }
  metrics->server_ =
      http::HttpServer::Start(address, metrics.get(), limits, error, metrics->security_.get());
  if (metrics->server_ == nullptr) return nullptr;
  if (web_config != nullptr) {
    metrics->reloader_ = std::make_unique<http::WebConfigReloader>(
        metrics->server_.get(), metrics->security_.get(), web_config->report);
    metrics->reloader_->Start();
  }
  return metrics;
}

MetricsServer::~MetricsServer() {
  reloader_.reset();
  server_.reset();
}

bool MetricsServer::tls() const {
  if (security_ == nullptr) return false;
  const auto setup = security_->TlsSetup();
  return setup != nullptr && setup->flags != 0;
}

std::string_view MetricsServer::IndexPage() {
  return "<!DOCTYPE html>\n<html><head><title>Corvane</title></head><body>\n"
         "<h1>Corvane</h1>\n<p>The statistics of this machine's Corvane service: "
         "<a href=\"/metrics\">/metrics</a></p>\n</body></html>\n";
}

http::Reply MetricsServer::Get(std::string_view path, std::string* body) {
  if (path == "/metrics") {
    copy_(&snapshot_);
    AppendMetricsPage(snapshot_, body);
    return {200, kMetricsContentType};
  }
  if (path == "/") {
    body->append(IndexPage());
    return {200, "text/html; charset=utf-8"};
  }
  body->append("Not found\n");
  return {404, "text/plain; charset=utf-8"};
}

}  // namespace corvane::service
