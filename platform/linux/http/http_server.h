// A small HTTP server for read-only pages: libmicrohttpd with one internal thread that polls
// every connection (epoll), so no client can hold a thread of its own. It answers GET and HEAD
// through a RequestHandler and every other method with 405; request parsing is entirely the
// library's. A reply may be an event stream that stays open and is fed as its source has news.
//
// Bounds: at most `connections` connections (`per_client` from one address); a connection
// idle for `idle_timeout_s` is closed, and so is one whose request line and headers have not all
// come within `request_deadline` of its accepting or of its previous answer, however steadily
// they trickle in; they must fit in `request_bytes`, else the library answers with an error and
// closes. A request body is never read into memory.
//
// With a ListenerSecurity the server speaks TLS and asks for a sign-in as its web configuration
// says; Renew restarts the library's daemon on the same socket with other keys.
//
// Threads: Start and the destructor on one thread (the owner's), Renew on the owner's or one
// other (never at the same time as the destructor); the handler is called on the server's own
// thread, one request at a time. The handler and the security must outlive the server.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/linux/http/listen_address.h"

struct MHD_Daemon;

namespace corvane::http {

class ListenerSecurity;
struct DaemonTls;

struct HttpLimits {
  unsigned connections = 32;
  unsigned per_client = 8;
  unsigned idle_timeout_s = 10;
  std::chrono::milliseconds request_deadline{5000};
  std::size_t request_bytes = 16 * 1024;
};

// A response header; both texts are literals that live on.
struct Header {
  const char* name;
  const char* value;
};

// The source of one open event stream (a reply that stays open). Called on the server's
// thread only, one call at a time; destroyed there when the connection closes.
class EventStream {
 public:
  virtual ~EventStream() = default;
  // Sets *piece, which comes null, to what this reader has not had yet (left null when there
  // is no news); false once the stream is over. A piece may be shared by every stream: it is
  // never changed once handed on, and it is sent from where it lies, not copied per stream.
  virtual bool Next(std::shared_ptr<const std::string>* piece) = 0;
};

struct Reply {
  unsigned status = 200;
  std::string_view content_type = "text/plain; charset=utf-8";  // a literal that lives on
  std::span<const Header> headers = {};                         // more headers, literals
  // Set: the body is sent first and the connection then stays open for what the stream has
  // (not for HEAD, which gets the headers only).
  std::unique_ptr<EventStream> stream = nullptr;
};

// One request as the handler sees it: the path without the query, and the query's arguments.
class Request {
 public:
  virtual ~Request() = default;
  std::string_view path;
  bool head = false;
  // The value of query argument `name` (decoded), nothing when absent.
  virtual std::optional<std::string_view> Argument(const char* name) const = 0;
};

class RequestHandler {
 public:
  virtual ~RequestHandler() = default;
  // A GET or HEAD of `path` (without the query): writes the body into *body, which comes
  // empty, and returns the status and content type. For HEAD the body is measured, not sent.
  virtual Reply Get(std::string_view path, std::string* body) = 0;
  // The same with the query's arguments; by default the path alone is looked at.
  virtual Reply Answer(const Request& request, std::string* body) {
    return Get(request.path, body);
  }
};

// Why a server did not start: the system's errno value and a text naming the address.
struct StartError {
  int code = 0;
  std::string text;
};

class HttpServer {
 public:
  // Listens on the address and serves; nothing with *error saying why when the library cannot
  // be loaded or the address cannot be bound ("cannot listen on 127.0.0.1:9393: Address
  // already in use").
  static std::unique_ptr<HttpServer> Start(const ListenAddress& address, RequestHandler* handler,
                                           const HttpLimits& limits, StartError* error,
                                           ListenerSecurity* security = nullptr);
  // Stops listening, closes every connection and waits for the server's thread.
  ~HttpServer();
  // The port it listens on (the one the system chose when the address asked for port 0).
  std::uint16_t port() const;
  // Serves with `tls` from now on: its keys are tried first, and when the library takes
  // them the daemon is restarted on the same socket (open connections are closed; new ones
  // wait in the socket's queue meanwhile). False with *error saying why, serving on as before.
  bool Renew(std::shared_ptr<const DaemonTls> tls, std::string* error);
  // There may be news for the open event streams: each one waiting is asked again. Any
  // thread; takes only the server's stream lock, never waits for a request.
  void Wake();
  // How many event streams are open now. Any thread.
  std::size_t StreamCount() const;
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

 private:
  struct Private;
  explicit HttpServer(std::unique_ptr<Private> d);

  std::unique_ptr<Private> d_;
};

}  // namespace corvane::http
