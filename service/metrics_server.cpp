#include "service/metrics_server.h"

#include "service/metrics_page.h"

namespace corvane::service {

std::unique_ptr<MetricsServer> MetricsServer::Start(const http::ListenAddress& address,
                                                    CopyMetrics copy, http::StartError* error,
                                                    const http::HttpLimits& limits) {
  std::unique_ptr<MetricsServer> metrics(new MetricsServer(std::move(copy)));
  metrics->server_ = http::HttpServer::Start(address, metrics.get(), limits, error);
  if (metrics->server_ == nullptr) return nullptr;
  return metrics;
}

MetricsServer::~MetricsServer() { server_.reset(); }

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
