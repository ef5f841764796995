#include "platform/linux/http/listener_security.h"

#include <cstdint>
#include <cstring>

#include "platform/linux/http/gnutls_library.h"
#include "platform/linux/http/microhttpd_library.h"

namespace corvane::http {
namespace {

constexpr char kUnauthorizedBody[] = "Unauthorized\n";
constexpr char kForbiddenBody[] = "Forbidden: no verified client certificate\n";

MHD_OptionItem Option(MHD_OPTION option, const std::string& text) {
  return {option, 0, const_cast<char*>(text.c_str())};
}

bool ClientCertificateAccepted(const MicrohttpdLibrary& mhd, const DaemonTls& tls,
                               MHD_Connection* connection) {
  if (tls.client_auth == ClientAuth::kNone) return true;
  const GnutlsLibrary* gnutls = GnutlsLibrary::Load(nullptr);
  const MHD_ConnectionInfo* info =
      mhd.get_connection_info(connection, MHD_CONNECTION_INFO_GNUTLS_SESSION);
  if (gnutls == nullptr || info == nullptr || info->tls_session == nullptr) return false;
  auto* session = static_cast<gnutls_session_t>(info->tls_session);
  unsigned int count = 0;
  if (gnutls->certificate_get_peers(session, &count) == nullptr || count == 0) {
    return tls.client_auth == ClientAuth::kVerifyIfGiven;
  }
  // Against the trust list of the configured CA file: signature chain, validity dates.
  unsigned int status = 0;
  return gnutls->certificate_verify_peers2(session, &status) == GNUTLS_E_SUCCESS && status == 0;
}

bool Refuse(const MicrohttpdLibrary& mhd, MHD_Connection* connection, MHD_Result* queued) {
  MHD_Response* response = mhd.create_response_from_buffer(
      sizeof kForbiddenBody - 1, const_cast<char*>(kForbiddenBody), MHD_RESPMEM_PERSISTENT);
  if (response == nullptr) {
    *queued = MHD_NO;
    return false;
  }
  mhd.add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, "text/plain; charset=utf-8");
  mhd.add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
  *queued = mhd.queue_response(connection, MHD_HTTP_FORBIDDEN, response);
  mhd.destroy_response(response);
  return false;
}

}  // namespace

std::shared_ptr<const DaemonTls> DaemonTls::From(const LoadedWebConfig& loaded) {
  auto tls = std::make_shared<DaemonTls>();
  if (loaded.config.tls) {
    tls->flags = MHD_USE_TLS;
    tls->cert_pem = loaded.cert_pem;
    tls->key_pem = loaded.key_pem;
    tls->priorities = TlsPriorities(loaded.config.tls->min_version);
    tls->options.push_back(Option(MHD_OPTION_HTTPS_MEM_CERT, tls->cert_pem));
    tls->options.push_back(Option(MHD_OPTION_HTTPS_MEM_KEY, tls->key_pem));
    tls->options.push_back(Option(MHD_OPTION_HTTPS_PRIORITIES, tls->priorities));
    tls->client_auth = loaded.config.tls->client_auth;
    if (tls->client_auth != ClientAuth::kNone) {
      // A trust list makes the library ask every client for a certificate; whether one must
      // come, and that it verifies, Admit sees to.
      tls->client_ca_pem = loaded.client_ca_pem;
      tls->options.push_back(Option(MHD_OPTION_HTTPS_MEM_TRUST, tls->client_ca_pem));
    }
  }
  tls->options.push_back({MHD_OPTION_END, 0, nullptr});
  return tls;
}

bool DaemonTls::SameAs(const DaemonTls& other) const {
  return flags == other.flags && cert_pem == other.cert_pem && key_pem == other.key_pem &&
         priorities == other.priorities && client_ca_pem == other.client_ca_pem &&
         client_auth == other.client_auth;
}

ListenerSecurity::ListenerSecurity(std::string path, LoadedWebConfig config)
    : path_(std::move(path)) {
  Apply(std::move(config));
}

std::unique_ptr<ListenerSecurity> ListenerSecurity::Load(const std::string& path,
                                                         std::string* error) {
  std::optional<LoadedWebConfig> loaded = LoadWebConfigFile(path, error);
  if (!loaded) return nullptr;
  return std::unique_ptr<ListenerSecurity>(new ListenerSecurity(path, std::move(*loaded)));
}

std::shared_ptr<const DaemonTls> ListenerSecurity::TlsSetup() const {
  std::lock_guard lock(mutex_);
  return tls_;
}

void ListenerSecurity::Apply(LoadedWebConfig config) {
  auto tls = DaemonTls::From(config);
  std::shared_ptr<PasswordCheck> users;
  if (!config.config.users.empty()) {
    users = std::make_shared<PasswordCheck>(std::move(config.config.users));
  }
  seen_ = std::move(config.stamps);
  std::lock_guard lock(mutex_);
  tls_ = std::move(tls);
  users_ = std::move(users);
}

void ListenerSecurity::Forget(const LoadedWebConfig& config) { seen_ = config.stamps; }

std::optional<LoadedWebConfig> ListenerSecurity::Reread(std::string* error) {
  std::vector<FileStamp> now = CurrentStamps(seen_);
  if (now == seen_) return std::nullopt;
  std::optional<LoadedWebConfig> loaded = LoadWebConfigFile(path_, error);
  // A file that cannot be read is not tried again until something changes once more.
  if (!loaded) seen_ = std::move(now);
  return loaded;
}

bool ListenerSecurity::Admit(const MicrohttpdLibrary& mhd, const DaemonTls* tls,
                             MHD_Connection* connection, MHD_Result* queued) {
  if (tls != nullptr && !ClientCertificateAccepted(mhd, *tls, connection)) {
    return Refuse(mhd, connection, queued);
  }
  std::shared_ptr<PasswordCheck> users;
  {
    std::lock_guard lock(mutex_);
    users = users_;
  }
  if (users == nullptr) return true;
  char* password = nullptr;
  char* user = mhd.basic_auth_get_username_password(connection, &password);
  const bool allowed = user != nullptr && password != nullptr && users->Allows(user, password);
  if (password != nullptr) {
    std::memset(password, 0, std::strlen(password));
    mhd.free(password);
  }
  if (user != nullptr) mhd.free(user);
  if (allowed) return true;

  MHD_Response* response = mhd.create_response_from_buffer(
      sizeof kUnauthorizedBody - 1, const_cast<char*>(kUnauthorizedBody), MHD_RESPMEM_PERSISTENT);
  if (response == nullptr) {
    *queued = MHD_NO;
    return false;
  }
  mhd.add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, "text/plain; charset=utf-8");
  *queued = mhd.queue_basic_auth_fail_response(connection, kBasicAuthRealm, response);
  mhd.destroy_response(response);
  return false;
}

}  // namespace corvane::http
