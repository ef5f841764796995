#include "platform/remote/remote_switch.h"

#include "platform/remote/server_provider.h"

namespace corvane::remote {

RemoteSwitch::RemoteSwitch(std::shared_ptr<perf::Provider> direct, ServerOptionsFor options)
    : direct_(std::move(direct)), options_(std::move(options)) {}

void RemoteSwitch::SetRemoteServer(std::string_view url) {
  const std::string base = ServerBase(url);
  std::shared_ptr<perf::MachineWatcher> watcher;
  std::shared_ptr<perf::Provider> made;
  {
    std::lock_guard lock(mutex_);
    if (base == url_) return;
    url_ = base;
    if (base.empty()) {
      server_.reset();
      return;
    }
    watcher = watcher_;
  }
  ServerOptions options = options_ ? options_(base) : ServerOptions{};
  options.url = base;
  made = std::make_shared<ServerProvider>(std::move(options));
  made->SetMachineWatcher(watcher);
  std::lock_guard lock(mutex_);
  if (url_ == base) server_ = std::move(made);
}

std::string RemoteSwitch::RemoteServer() const {
  std::lock_guard lock(mutex_);
  return url_;
}

std::shared_ptr<perf::Provider> RemoteSwitch::Current() const {
  std::lock_guard lock(mutex_);
  return server_ != nullptr ? server_ : direct_;
}

perf::Status RemoteSwitch::OpenQuery(std::unique_ptr<perf::Query>* query) {
  return Current()->OpenQuery(query);
}

perf::Status RemoteSwitch::ConnectMachine(std::string_view machine) {
  return Current()->ConnectMachine(machine);
}

void RemoteSwitch::ConnectMachines(std::span<const std::string> machines,
                                   std::span<perf::Status> statuses) {
  Current()->ConnectMachines(machines, statuses);
}

std::string RemoteSwitch::MachineError(std::string_view machine) const {
  return Current()->MachineError(machine);
}

void RemoteSwitch::SetMachineWatcher(std::shared_ptr<perf::MachineWatcher> watcher) {
  std::shared_ptr<perf::Provider> server;
  {
    std::lock_guard lock(mutex_);
    watcher_ = watcher;
    server = server_;
  }
  direct_->SetMachineWatcher(watcher);
  if (server != nullptr) server->SetMachineWatcher(watcher);
}

perf::Status RemoteSwitch::EnumMachines(std::vector<perf::MachineListing>* machines) {
  return Current()->EnumMachines(machines);
}

perf::Status RemoteSwitch::LookupNameByIndex(std::string_view machine, std::uint32_t index,
                                             std::string* name) {
  return Current()->LookupNameByIndex(machine, index, name);
}

perf::Status RemoteSwitch::EnumObjects(std::string_view machine,
                                       std::vector<std::string>* objects) {
  return Current()->EnumObjects(machine, objects);
}

perf::Status RemoteSwitch::EnumObjectItems(std::string_view machine, std::string_view object,
                                           std::vector<std::string>* counters,
                                           std::vector<std::string>* instances) {
  return Current()->EnumObjectItems(machine, object, counters, instances);
}

}  // namespace corvane::remote
