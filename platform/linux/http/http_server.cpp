#include "platform/linux/http/http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/http/microhttpd_library.h"
#include "platform/linux/http/request_deadline.h"

namespace corvane::http {
namespace {

// The server thread's stack: the handler formats into the heap, so a small stack is enough.
constexpr std::size_t kThreadStackBytes = 256 * 1024;
constexpr int kListenBacklog = 16;

std::string SystemText(int code) {
  char buffer[256];
  return strerror_r(code, buffer, sizeof buffer);
}

}  // namespace

struct HttpServer::Private {
  const MicrohttpdLibrary* mhd = nullptr;
  RequestHandler* handler = nullptr;
  MHD_Daemon* daemon = nullptr;
  std::uint16_t port = 0;
  std::string body;  // reused by every request: the server thread answers one at a time
  std::unique_ptr<RequestDeadline> deadline;  // outlives the daemon: its notices reach it

  RequestDeadline::Entry* EntryOf(MHD_Connection* connection) const;
  static void NotifyConnection(void* cls, MHD_Connection* connection, void** socket_context,
                               MHD_ConnectionNotificationCode code);

  static MHD_Result Answer(void* cls, MHD_Connection* connection, const char* url,
                           const char* method, const char* version, const char* upload_data,
                           std::size_t* upload_data_size, void** request);
  MHD_Result Send(MHD_Connection* connection, unsigned status, std::string_view content_type,
                  const char* allow);
};

MHD_Result HttpServer::Private::Send(MHD_Connection* connection, unsigned status,
                                     std::string_view content_type, const char* allow) {
  MHD_Response* response =
      mhd->create_response_from_buffer(body.size(), body.data(), MHD_RESPMEM_MUST_COPY);
  if (response == nullptr) return MHD_NO;  // out of memory: the library closes the connection
  const std::string type(content_type);
  mhd->add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, type.c_str());
  if (allow != nullptr) mhd->add_response_header(response, MHD_HTTP_HEADER_ALLOW, allow);
  const MHD_Result queued = mhd->queue_response(connection, status, response);
  mhd->destroy_response(response);
  return queued;
}

RequestDeadline::Entry* HttpServer::Private::EntryOf(MHD_Connection* connection) const {
  const MHD_ConnectionInfo* info =
      mhd->get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
  return info != nullptr ? static_cast<RequestDeadline::Entry*>(info->socket_context) : nullptr;
}

void HttpServer::Private::NotifyConnection(void* cls, MHD_Connection* connection,
                                           void** socket_context,
                                           MHD_ConnectionNotificationCode code) {
  auto* d = static_cast<Private*>(cls);
  if (code == MHD_CONNECTION_NOTIFY_STARTED) {
    const MHD_ConnectionInfo* info =
        d->mhd->get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    if (info != nullptr) *socket_context = d->deadline->Watch(info->connect_fd);
  } else if (code == MHD_CONNECTION_NOTIFY_CLOSED && *socket_context != nullptr) {
    d->deadline->Forget(static_cast<RequestDeadline::Entry*>(*socket_context));
    *socket_context = nullptr;
  }
}

MHD_Result HttpServer::Private::Answer(void* cls, MHD_Connection* connection, const char* url,
                                       const char* method, const char*, const char*,
                                       std::size_t* upload_data_size, void** request) {
  auto* d = static_cast<Private*>(cls);
  if (*request != nullptr) {
    // A body the client sends after its request is answered: dropped as it comes.
    *upload_data_size = 0;
    return MHD_YES;
  }
  *request = d;  // answered on this first call; later calls only drain a body
  d->body.clear();
  const bool get = std::strcmp(method, MHD_HTTP_METHOD_GET) == 0;
  const bool head = std::strcmp(method, MHD_HTTP_METHOD_HEAD) == 0;
  if (!get && !head) {
    d->body = "Method not allowed\n";
    return d->Send(connection, MHD_HTTP_METHOD_NOT_ALLOWED, "text/plain; charset=utf-8",
                   "GET, HEAD");
  }
  if (RequestDeadline::Entry* entry = d->EntryOf(connection)) d->deadline->Answered(entry);
  const Reply reply = d->handler->Get(url != nullptr ? url : "", &d->body);
  return d->Send(connection, reply.status, reply.content_type, nullptr);
}

HttpServer::HttpServer(std::unique_ptr<Private> d) : d_(std::move(d)) {}

std::uint16_t HttpServer::port() const { return d_->port; }

HttpServer::~HttpServer() {
  d_->deadline->Stop();  // before the library closes sockets the watch might still shut down
  if (d_->daemon != nullptr) d_->mhd->stop_daemon(d_->daemon);  // also closes the socket
}

std::unique_ptr<HttpServer> HttpServer::Start(const ListenAddress& address, RequestHandler* handler,
                                              const HttpLimits& limits, StartError* error) {
  std::string load_error;
  const MicrohttpdLibrary* mhd = MicrohttpdLibrary::Load(&load_error);
  if (mhd == nullptr) {
    *error = {ELIBACC, "cannot serve on " + address.text + ": " + load_error};
    return nullptr;
  }

  // The socket is made here rather than by the library, so that a busy or forbidden address
  // is reported with the system's own reason.
  const auto family = address.socket_address.ss_family;
  const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) {
    const int code = errno;
    *error = {code, "cannot listen on " + address.text + ": " + SystemText(code)};
    return nullptr;
  }
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (family == AF_INET6) setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address.socket_address), address.length) != 0 ||
      ::listen(fd, kListenBacklog) != 0) {
    const int code = errno;
    ::close(fd);
    *error = {code, "cannot listen on " + address.text + ": " + SystemText(code)};
    return nullptr;
  }

  auto d = std::make_unique<Private>();
  sockaddr_storage bound{};
  socklen_t bound_length = sizeof bound;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &bound_length) == 0) {
    d->port = ntohs(family == AF_INET6 ? reinterpret_cast<const sockaddr_in6*>(&bound)->sin6_port
                                       : reinterpret_cast<const sockaddr_in*>(&bound)->sin_port);
  }
  d->mhd = mhd;
  d->handler = handler;
  d->deadline = std::make_unique<RequestDeadline>(limits.request_deadline);
  unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL;
  if (family == AF_INET6) flags |= MHD_USE_IPv6;
  d->daemon = mhd->start_daemon(
      flags, 0, nullptr, nullptr, &Private::Answer, d.get(),  //
      MHD_OPTION_LISTEN_SOCKET, static_cast<MHD_socket>(fd),  //
      MHD_OPTION_CONNECTION_LIMIT, static_cast<unsigned>(limits.connections),
      MHD_OPTION_PER_IP_CONNECTION_LIMIT, static_cast<unsigned>(limits.per_client),
      MHD_OPTION_CONNECTION_TIMEOUT, static_cast<unsigned>(limits.idle_timeout_s),
      MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<std::size_t>(limits.request_bytes),
      MHD_OPTION_THREAD_STACK_SIZE, kThreadStackBytes,  //
      MHD_OPTION_NOTIFY_CONNECTION, &Private::NotifyConnection, d.get(), MHD_OPTION_END);
  if (d->daemon == nullptr) {
    ::close(fd);
    *error = {EIO, "cannot serve on " + address.text + ": the HTTP server did not start"};
    return nullptr;
  }
  return std::unique_ptr<HttpServer>(new HttpServer(std::move(d)));
}

}  // namespace corvane::http
