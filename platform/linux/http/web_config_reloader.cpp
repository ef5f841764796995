#include "platform/linux/http/web_config_reloader.h"

#include <memory>
#include <optional>

#include "platform/linux/http/http_server.h"
#include "platform/linux/http/listener_security.h"

namespace corvane::http {

WebConfigReloader::WebConfigReloader(HttpServer* server, ListenerSecurity* security, Report report)
    : server_(server), security_(security), report_(std::move(report)) {}

WebConfigReloader::~WebConfigReloader() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void WebConfigReloader::Start(std::chrono::milliseconds period) {
  thread_ = std::thread(&WebConfigReloader::Run, this, period);
}

void WebConfigReloader::Run(std::chrono::milliseconds period) {
  std::unique_lock lock(mutex_);
  while (!wake_.wait_for(lock, period, [this] { return stopping_; })) {
    lock.unlock();
    CheckNow();
    lock.lock();
  }
}

bool WebConfigReloader::CheckNow() {
  const std::string& path = security_->path();
  std::string error;
  std::optional<LoadedWebConfig> loaded = security_->Reread(&error);
  if (!loaded) {
    if (!error.empty()) report_(true, "the web configuration is not reloaded: " + error);
    return false;
  }
  const std::shared_ptr<const DaemonTls> tls = DaemonTls::From(*loaded);
  const std::shared_ptr<const DaemonTls> old = security_->TlsSetup();
  const bool new_keys = old == nullptr || !tls->SameAs(*old);
  if (new_keys && !server_->Renew(tls, &error)) {
    report_(true, "the web configuration is not reloaded: " + path + ": " + error);
    // Not tried again until the files change once more.
    security_->Forget(*loaded);
    return false;
  }
  security_->Apply(std::move(*loaded));
  report_(false,
          "the web configuration is reloaded from " + path + (new_keys ? " with new keys" : ""));
  return true;
}

}  // namespace corvane::http
