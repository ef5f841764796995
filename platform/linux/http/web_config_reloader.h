// Picks up a changed web configuration without a restart: looks at the file and the files it
// names once a period and, when they changed, serves what they say now. New users take effect
// at once; new keys restart the server's daemon on the same socket. A file that fails to read,
// or keys the TLS library refuses, leave the old configuration serving, and `report` says why.
//
// Threads: owns one thread of its own (from Start to the destructor), which is the only one that
// renews the server. CheckNow is for an owner that runs no thread (tests); never both.
// The server and the security must outlive the reloader.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace corvane::http {

class HttpServer;
class ListenerSecurity;

class WebConfigReloader {
 public:
  // `report` gets one line per change: what was taken up, or why it was not.
  using Report = std::function<void(bool failed, const std::string& line)>;

  WebConfigReloader(HttpServer* server, ListenerSecurity* security, Report report);
  ~WebConfigReloader();  // stops and joins its thread, if any
  WebConfigReloader(const WebConfigReloader&) = delete;
  WebConfigReloader& operator=(const WebConfigReloader&) = delete;

  // Looks every `period` on a thread of its own.
  void Start(std::chrono::milliseconds period = std::chrono::seconds(1));

  // One look: true when something new is served.
  bool CheckNow();

 private:
  void Run(std::chrono::milliseconds period);

  HttpServer* const server_;
  ListenerSecurity* const security_;
  const Report report_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;  // guarded by mutex_
  std::thread thread_;
};

}  // namespace corvane::http
