#include "platform/linux/http/http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/linux/http/listener_security.h"
#include "platform/linux/http/microhttpd_library.h"
#include "platform/linux/http/request_deadline.h"

namespace corvane::http {
namespace {

// The server thread's stack: the handler formats into the heap, so a small stack is enough.
constexpr std::size_t kThreadStackBytes = 256 * 1024;
constexpr int kListenBacklog = 16;
// How much of a stream the library asks for at a time.
constexpr std::size_t kStreamBlockBytes = 16 * 1024;

std::string SystemText(int code) {
  char buffer[256];
  return strerror_r(code, buffer, sizeof buffer);
}

class MhdRequest final : public Request {
 public:
  MhdRequest(const MicrohttpdLibrary& mhd, MHD_Connection* connection)
      : mhd_(mhd), connection_(connection) {}
  std::optional<std::string_view> Argument(const char* name) const override {
    const char* value = mhd_.lookup_connection_value(connection_, MHD_GET_ARGUMENT_KIND, name);
    if (value == nullptr) return std::nullopt;
    return std::string_view(value);
  }

 private:
  const MicrohttpdLibrary& mhd_;
  MHD_Connection* connection_;
};

}  // namespace

struct HttpServer::Private {
  // One open event stream: what is still to be sent of the last piece its source gave.
  struct StreamSlot {
    Private* d = nullptr;
    MHD_Connection* connection = nullptr;
    std::unique_ptr<EventStream> source;
    std::shared_ptr<const std::string> pending;  // null once all of it was handed on
    std::size_t sent = 0;                        // bytes of `pending` handed to the library
    bool suspended = false;                      // under the server's stream lock: waits for Wake
  };

  const MicrohttpdLibrary* mhd = nullptr;
  RequestHandler* handler = nullptr;
  ListenerSecurity* security = nullptr;  // null: plain HTTP for anyone
  MHD_Daemon* daemon = nullptr;
  std::shared_ptr<const DaemonTls> tls;  // what `daemon` was started with; null: plain
  HttpLimits limits;
  unsigned flags = 0;
  std::uint16_t port = 0;
  std::string body;  // reused by every request: the server thread answers one at a time
  std::unique_ptr<RequestDeadline> deadline;  // outlives the daemon: its notices reach it

  mutable std::mutex streams_mutex;
  std::vector<StreamSlot*> streams;    // under streams_mutex; owned by their responses
  std::atomic<std::uint64_t> news{0};  // counts Wake calls
  bool closing = false;                // under streams_mutex: the daemon is about to stop

  // Ends every stream before the daemon stops: the library refuses to stop with a connection
  // asleep. Streams asked after this end at once.
  void EndStreams();

  static ssize_t ReadStream(void* cls, std::uint64_t position, char* buffer, std::size_t max);
  static void FreeStream(void* cls);
  MHD_Result SendStream(MHD_Connection* connection, Reply reply);

  RequestDeadline::Entry* EntryOf(MHD_Connection* connection) const;
  static void NotifyConnection(void* cls, MHD_Connection* connection, void** socket_context,
                               MHD_ConnectionNotificationCode code);

  static MHD_Result Answer(void* cls, MHD_Connection* connection, const char* url,
                           const char* method, const char* version, const char* upload_data,
                           std::size_t* upload_data_size, void** request);
  MHD_Result Send(MHD_Connection* connection, unsigned status, std::string_view content_type,
                  const char* allow, std::span<const Header> headers = {});
  // A daemon serving `fd` (which it then owns) with `tls`'s keys; `fd` -1: one that listens
  // nowhere, only to see whether the library takes the keys.
  MHD_Daemon* StartDaemon(int fd, const DaemonTls* tls);
};

MHD_Daemon* HttpServer::Private::StartDaemon(int fd, const DaemonTls* tls) {
  static const MHD_OptionItem kNoOptions[] = {{MHD_OPTION_END, 0, nullptr}};
  unsigned daemon_flags = fd < 0 ? static_cast<unsigned>(MHD_USE_NO_LISTEN_SOCKET) : flags;
  const MHD_OptionItem* tls_options = kNoOptions;
  if (tls != nullptr) {
    daemon_flags |= tls->flags;
    tls_options = tls->options.data();
  }
  // The library refuses a listening socket for a daemon that listens nowhere.
  const MHD_OptionItem listen[] = {
      {fd < 0 ? MHD_OPTION_END : MHD_OPTION_LISTEN_SOCKET, fd, nullptr},
      {MHD_OPTION_END, 0, nullptr}};
  return mhd->start_daemon(
      daemon_flags, 0, nullptr, nullptr, &Private::Answer, this,  //
      MHD_OPTION_ARRAY, listen,                                   //
      MHD_OPTION_CONNECTION_LIMIT, static_cast<unsigned>(limits.connections),
      MHD_OPTION_PER_IP_CONNECTION_LIMIT, static_cast<unsigned>(limits.per_client),
      MHD_OPTION_CONNECTION_TIMEOUT, static_cast<unsigned>(limits.idle_timeout_s),
      MHD_OPTION_CONNECTION_MEMORY_LIMIT, static_cast<std::size_t>(limits.request_bytes),
      MHD_OPTION_THREAD_STACK_SIZE, kThreadStackBytes,  //
      MHD_OPTION_ARRAY, tls_options,                    //
      MHD_OPTION_NOTIFY_CONNECTION, &Private::NotifyConnection, this, MHD_OPTION_END);
}

MHD_Result HttpServer::Private::Send(MHD_Connection* connection, unsigned status,
                                     std::string_view content_type, const char* allow,
                                     std::span<const Header> headers) {
  MHD_Response* response =
      mhd->create_response_from_buffer(body.size(), body.data(), MHD_RESPMEM_MUST_COPY);
  if (response == nullptr) return MHD_NO;  // out of memory: the library closes the connection
  const std::string type(content_type);
  mhd->add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, type.c_str());
  if (allow != nullptr) mhd->add_response_header(response, MHD_HTTP_HEADER_ALLOW, allow);
  for (const Header& header : headers)
    mhd->add_response_header(response, header.name, header.value);
  const MHD_Result queued = mhd->queue_response(connection, status, response);
  mhd->destroy_response(response);
  return queued;
}

ssize_t HttpServer::Private::ReadStream(void* cls, std::uint64_t, char* buffer, std::size_t max) {
  auto* slot = static_cast<StreamSlot*>(cls);
  Private* d = slot->d;
  while (slot->pending == nullptr || slot->sent == slot->pending->size()) {
    slot->pending.reset();
    slot->sent = 0;
    const std::uint64_t seen = d->news.load(std::memory_order_acquire);
    if (!slot->source->Next(&slot->pending)) return MHD_CONTENT_READER_END_OF_STREAM;
    if (slot->pending != nullptr && !slot->pending->empty()) break;
    slot->pending.reset();
    // Nothing new: the connection sleeps until Wake, unless a Wake came while the source was
    // asked (the library would otherwise call again at once, and again).
    std::lock_guard lock(d->streams_mutex);
    if (d->closing) return MHD_CONTENT_READER_END_WITH_ERROR;
    if (d->news.load(std::memory_order_acquire) != seen) continue;
    slot->suspended = true;
    d->mhd->suspend_connection(slot->connection);
    return 0;
  }
  const std::size_t count = std::min(max, slot->pending->size() - slot->sent);
  std::memcpy(buffer, slot->pending->data() + slot->sent, count);
  slot->sent += count;
  return static_cast<ssize_t>(count);
}

void HttpServer::Private::EndStreams() {
  std::lock_guard lock(streams_mutex);
  closing = true;
  for (StreamSlot* slot : streams) {
    if (!slot->suspended) continue;
    slot->suspended = false;
    mhd->resume_connection(slot->connection);
  }
}

void HttpServer::Private::FreeStream(void* cls) {
  auto* slot = static_cast<StreamSlot*>(cls);
  {
    std::lock_guard lock(slot->d->streams_mutex);
    auto& streams = slot->d->streams;
    streams.erase(std::remove(streams.begin(), streams.end(), slot), streams.end());
  }
  delete slot;
}

MHD_Result HttpServer::Private::SendStream(MHD_Connection* connection, Reply reply) {
  auto slot = std::make_unique<StreamSlot>();
  slot->d = this;
  slot->connection = connection;
  slot->source = std::move(reply.stream);
  slot->pending = std::make_shared<const std::string>(body);
  MHD_Response* response = mhd->create_response_from_callback(
      MHD_SIZE_UNKNOWN, kStreamBlockBytes, &Private::ReadStream, slot.get(), &Private::FreeStream);
  if (response == nullptr) return MHD_NO;
  {
    std::lock_guard lock(streams_mutex);
    streams.push_back(slot.release());  // the response frees it now
  }
  const std::string type(reply.content_type);
  mhd->add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, type.c_str());
  for (const Header& header : reply.headers)
    mhd->add_response_header(response, header.name, header.value);
  const MHD_Result queued = mhd->queue_response(connection, reply.status, response);
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
  if (MHD_Result refused = MHD_NO;
      d->security != nullptr && !d->security->Admit(*d->mhd, d->tls.get(), connection, &refused)) {
    return refused;
  }
  const bool get = std::strcmp(method, MHD_HTTP_METHOD_GET) == 0;
  const bool head = std::strcmp(method, MHD_HTTP_METHOD_HEAD) == 0;
  if (!get && !head) {
    d->body = "Method not allowed\n";
    return d->Send(connection, MHD_HTTP_METHOD_NOT_ALLOWED, "text/plain; charset=utf-8",
                   "GET, HEAD");
  }
  if (RequestDeadline::Entry* entry = d->EntryOf(connection)) d->deadline->Answered(entry);
  MhdRequest asked(*d->mhd, connection);
  asked.path = url != nullptr ? url : "";
  asked.head = head;
  Reply reply = d->handler->Answer(asked, &d->body);
  if (reply.stream != nullptr && get) return d->SendStream(connection, std::move(reply));
  if (reply.stream != nullptr) d->body.clear();  // HEAD: only what the stream would start with
  return d->Send(connection, reply.status, reply.content_type, nullptr, reply.headers);
}

HttpServer::HttpServer(std::unique_ptr<Private> d) : d_(std::move(d)) {}

std::uint16_t HttpServer::port() const { return d_->port; }

void HttpServer::Wake() {
  d_->news.fetch_add(1, std::memory_order_acq_rel);
  std::lock_guard lock(d_->streams_mutex);
  for (Private::StreamSlot* slot : d_->streams) {
    if (!slot->suspended) continue;
    slot->suspended = false;
    d_->mhd->resume_connection(slot->connection);
  }
}

std::size_t HttpServer::StreamCount() const {
  std::lock_guard lock(d_->streams_mutex);
  return d_->streams.size();
}

bool HttpServer::Renew(std::shared_ptr<const DaemonTls> tls, std::string* error) {
  if (tls != nullptr && tls->flags != 0 &&
      d_->mhd->is_feature_supported(MHD_FEATURE_TLS) != MHD_YES) {
    *error = std::string(MicrohttpdLibrary::kSoname) + " is built without TLS";
    return false;
  }
  if (d_->daemon == nullptr) {
    *error = "the server has stopped serving";
    return false;
  }
  if (MHD_Daemon* trial = d_->StartDaemon(-1, tls.get())) {
    d_->mhd->stop_daemon(trial);
  } else {
    *error = "the TLS library does not take the certificate and key";
    return false;
  }
  d_->EndStreams();
  const MHD_socket fd = d_->mhd->quiesce_daemon(d_->daemon);
  if (fd == MHD_INVALID_SOCKET) {
    std::lock_guard lock(d_->streams_mutex);
    d_->closing = false;  // serving on as before; new streams may come
    *error = "the running server cannot hand over its socket";
    return false;
  }
  d_->mhd->stop_daemon(d_->daemon);
  {
    std::lock_guard lock(d_->streams_mutex);
    d_->closing = false;  // the streams are gone with the old daemon
  }
  // Set while no daemon runs: the new daemon's thread reads it for every request.
  std::shared_ptr<const DaemonTls> old = std::exchange(d_->tls, std::move(tls));
  d_->daemon = d_->StartDaemon(fd, d_->tls.get());
  if (d_->daemon != nullptr) return true;
  // The keys passed the trial, so this is the system failing (memory, threads): the old ones
  // are no safer, but are tried before giving up.
  d_->tls = std::move(old);
  d_->daemon = d_->StartDaemon(fd, d_->tls.get());
  if (d_->daemon == nullptr) ::close(fd);
  *error = d_->daemon != nullptr ? "the server did not restart; it serves with the old keys"
                                 : "the server did not restart and has stopped serving";
  return false;
}

HttpServer::~HttpServer() {
  d_->deadline->Stop();  // before the library closes sockets the watch might still shut down
  if (d_->daemon != nullptr) {
    d_->EndStreams();
    d_->mhd->stop_daemon(d_->daemon);  // also closes the socket
  }
}

std::unique_ptr<HttpServer> HttpServer::Start(const ListenAddress& address, RequestHandler* handler,
                                              const HttpLimits& limits, StartError* error,
                                              ListenerSecurity* security) {
  std::string load_error;
  const MicrohttpdLibrary* mhd = MicrohttpdLibrary::Load(&load_error);
  if (mhd == nullptr) {
    *error = {ELIBACC, "cannot serve on " + address.text + ": " + load_error};
    return nullptr;
  }
  std::shared_ptr<const DaemonTls> tls = security != nullptr ? security->TlsSetup() : nullptr;
  if (tls != nullptr && tls->flags != 0 && mhd->is_feature_supported(MHD_FEATURE_TLS) != MHD_YES) {
    *error = {ENOTSUP, "cannot serve on " + address.text + ": " + MicrohttpdLibrary::kSoname +
                           " is built without TLS"};
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
  d->security = security;
  d->limits = limits;
  // The wake-up channel lets Renew take the socket back from a running daemon.
  d->flags =
      MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_USE_ITC | MHD_ALLOW_SUSPEND_RESUME;
  if (family == AF_INET6) d->flags |= MHD_USE_IPv6;
  d->tls = std::move(tls);  // before the daemon's thread reads it
  d->daemon = d->StartDaemon(fd, d->tls.get());
  if (d->daemon == nullptr) {
    ::close(fd);
    *error = {EIO, "cannot serve on " + address.text +
                       (d->tls != nullptr && d->tls->flags != 0
                            ? ": the HTTPS server did not start; check the certificate and key"
                            : ": the HTTP server did not start")};
    return nullptr;
  }
  return std::unique_ptr<HttpServer>(new HttpServer(std::move(d)));
}

}  // namespace corvane::http
