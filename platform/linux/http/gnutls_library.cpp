#include "platform/linux/http/gnutls_library.h"

namespace corvane::http {
namespace {

std::atomic<bool> loaded{false};

}  // namespace

bool GnutlsLibrary::Open(std::string* error) {
  if (!library_.Open(kSoname, error)) return false;
  library_.Resolve(certificate_get_peers, "gnutls_certificate_get_peers", error);
  library_.Resolve(certificate_verify_peers2, "gnutls_certificate_verify_peers2", error);
  library_.Resolve(hmac_fast, "gnutls_hmac_fast", error);
  return library_.complete();
}

const GnutlsLibrary* GnutlsLibrary::Load(std::string* error) {
  return dl::LoadOnce<GnutlsLibrary>(loaded, error);
}

}  // namespace corvane::http
