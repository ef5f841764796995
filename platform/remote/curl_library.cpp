#include "platform/remote/curl_library.h"

#include <atomic>

namespace corvane::remote {
namespace {

std::atomic<bool> loaded{false};

}  // namespace

bool CurlLibrary::Open(std::string* error) {
  if (!library_.Open(kSoname, error)) return false;
  auto resolve = [&](auto& function, const char* name) { library_.Resolve(function, name, error); };
  resolve(global_init, "curl_global_init");
  resolve(easy_init, "curl_easy_init");
  resolve(easy_cleanup, "curl_easy_cleanup");
  resolve(easy_setopt, "curl_easy_setopt");
  resolve(easy_getinfo, "curl_easy_getinfo");
  resolve(easy_strerror, "curl_easy_strerror");
  resolve(multi_init, "curl_multi_init");
  resolve(multi_cleanup, "curl_multi_cleanup");
  resolve(multi_add_handle, "curl_multi_add_handle");
  resolve(multi_remove_handle, "curl_multi_remove_handle");
  resolve(multi_perform, "curl_multi_perform");
  resolve(multi_poll, "curl_multi_poll");
  resolve(multi_info_read, "curl_multi_info_read");
  resolve(multi_strerror, "curl_multi_strerror");
  resolve(slist_append, "curl_slist_append");
  resolve(slist_free_all, "curl_slist_free_all");
  if (!library_.complete()) return false;
  // libcurl's global state is set up once per process, before the first handle, and never
  // torn down: handles may live until exit, and so does the library.
  if (const CURLcode init = global_init(CURL_GLOBAL_DEFAULT); init != CURLE_OK) {
    *error = std::string(kSoname) + " cannot be initialised: " + easy_strerror(init);
    return false;
  }
  return true;
}

const CurlLibrary* CurlLibrary::Load(std::string* error) {
  return dl::LoadOnce<CurlLibrary>(loaded, error);
}

bool CurlLibrary::Loaded() { return loaded.load(std::memory_order_acquire); }

}  // namespace corvane::remote
