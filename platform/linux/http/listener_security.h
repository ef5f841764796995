// What a listener asks of its clients beyond plain HTTP, from a web configuration file: TLS
// with the file's certificate and key (and client certificates from its CA), and basic
// authentication against its users. Owns the
// current configuration; the HTTP server reads it when it starts a daemon and for every request,
// the reloader replaces it when the files change.
//
// Threads: Admit on the server's thread; TlsSetup, Reread, Apply and Forget on the owner's or the
// reloader's thread (one at a time). The current users are swapped under a lock.
#pragma once

#include <microhttpd.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/http/password_check.h"
#include "platform/linux/http/web_config_file.h"

namespace corvane::http {

class MicrohttpdLibrary;

// The TLS part of a daemon's start: its flags and an option array over PEM text it owns.
// Immutable once made; a daemon keeps the one it was started with until it stops.
struct DaemonTls {
  unsigned flags = 0;
  std::string cert_pem;
  std::string key_pem;
  std::string priorities;
  std::string client_ca_pem;  // empty: no client certificate is asked for
  ClientAuth client_auth = ClientAuth::kNone;
  std::vector<MHD_OptionItem> options;  // ends with MHD_OPTION_END; points into the strings

  // Plain HTTP when `config` has no TLS part (flags 0, options only the end).
  static std::shared_ptr<const DaemonTls> From(const LoadedWebConfig& config);
  bool SameAs(const DaemonTls& other) const;
};

// The realm a refused client is told.
inline constexpr const char* kBasicAuthRealm = "corvservice";

class ListenerSecurity {
 public:
  // Reads `path`; nothing with *error saying why (see LoadWebConfigFile).
  static std::unique_ptr<ListenerSecurity> Load(const std::string& path, std::string* error);

  const std::string& path() const { return path_; }
  std::shared_ptr<const DaemonTls> TlsSetup() const;

  // Whether the request on `connection`, of a daemon started with `tls`, may reach the
  // handler. When not, a refusal has been queued and *queued is what queuing returned: 403
  // for a client certificate missing or not verified, else 401 with a WWW-Authenticate
  // challenge.
  bool Admit(const MicrohttpdLibrary& mhd, const DaemonTls* tls, MHD_Connection* connection,
             MHD_Result* queued);

  // The file read again when it or a file it names changed since the last look: nothing when
  // unchanged, or when it cannot be read (*error then says why, once per change of the files).
  std::optional<LoadedWebConfig> Reread(std::string* error);
  // Serves `config` from now on (its users at once; its TLS part for daemons started next).
  void Apply(LoadedWebConfig config);
  // Leaves the current configuration serving; `config` (that could not be served) is not read
  // again until its files change once more.
  void Forget(const LoadedWebConfig& config);

 private:
  ListenerSecurity(std::string path, LoadedWebConfig config);

  const std::string path_;
  std::vector<FileStamp> seen_;  // the stamps of the last look, good or bad
  mutable std::mutex mutex_;
  std::shared_ptr<const DaemonTls> tls_;  // guarded by mutex_
  std::shared_ptr<PasswordCheck> users_;  // guarded by mutex_; null: no sign-in
};

}  // namespace corvane::http
