// The GnuTLS calls the listener makes itself: the two that check a client's certificate on a
// TLS connection, and the keyed hash that remembers a password that passed. libmicrohttpd
// already maps GnuTLS, so the table only finds them there, the first time one is needed. The table
// owns the library handle (kept until exit). Any thread may call Load; the first call loads, later
// ones share it.
#pragma once

#include <gnutls/crypto.h>
#include <gnutls/gnutls.h>

#include <atomic>
#include <string>

#include "platform/linux/dl/shared_library.h"

namespace corvane::http {

class GnutlsLibrary {
 public:
  static constexpr const char* kSoname = "libgnutls.so.30";

  // The loaded library, or null with *error saying why. A failure is remembered.
  static const GnutlsLibrary* Load(std::string* error);

  decltype(&::gnutls_certificate_get_peers) certificate_get_peers = nullptr;
  decltype(&::gnutls_certificate_verify_peers2) certificate_verify_peers2 = nullptr;
  decltype(&::gnutls_hmac_fast) hmac_fast = nullptr;

 private:
  friend const GnutlsLibrary* dl::LoadOnce<GnutlsLibrary>(std::atomic<bool>&, std::string*);
  GnutlsLibrary() = default;
  bool Open(std::string* error);

  dl::SharedLibrary library_;
};

}  // namespace corvane::http
