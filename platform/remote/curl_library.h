// libcurl, loaded the first time a remote machine is fetched rather than at program start:
// a monitor of local counters never maps libcurl and its TLS and Kerberos dependencies. The
// table owns the library handle (kept until exit) and the addresses of the functions the
// scrapes call. Any thread may call Load; the first call loads, later ones share the result.
#pragma once

#ifndef CURL_DISABLE_TYPECHECK
#define CURL_DISABLE_TYPECHECK  // calls go through the table, not the checking macros
#endif
#include <curl/curl.h>

#include <atomic>
#include <string>

#include "platform/linux/dl/shared_library.h"

namespace corvane::remote {

class CurlLibrary {
 public:
  static constexpr const char* kSoname = "libcurl.so.4";

  // The loaded library with curl_global_init done, or null with *error saying why
  // ("libcurl.so.4 cannot be loaded: <reason>"). A failure is remembered: the process does
  // not retry.
  static const CurlLibrary* Load(std::string* error);

  // Whether this process has loaded the table (for tests and diagnostics).
  static bool Loaded();

  decltype(&::curl_global_init) global_init = nullptr;
  decltype(&::curl_easy_init) easy_init = nullptr;
  decltype(&::curl_easy_cleanup) easy_cleanup = nullptr;
  decltype(&::curl_easy_setopt) easy_setopt = nullptr;
  decltype(&::curl_easy_getinfo) easy_getinfo = nullptr;
  decltype(&::curl_easy_strerror) easy_strerror = nullptr;
  decltype(&::curl_multi_init) multi_init = nullptr;
  decltype(&::curl_multi_cleanup) multi_cleanup = nullptr;
  decltype(&::curl_multi_add_handle) multi_add_handle = nullptr;
  decltype(&::curl_multi_remove_handle) multi_remove_handle = nullptr;
  decltype(&::curl_multi_perform) multi_perform = nullptr;
  decltype(&::curl_multi_poll) multi_poll = nullptr;
  decltype(&::curl_multi_info_read) multi_info_read = nullptr;
  decltype(&::curl_multi_strerror) multi_strerror = nullptr;
  decltype(&::curl_slist_append) slist_append = nullptr;
  decltype(&::curl_slist_free_all) slist_free_all = nullptr;

 private:
  friend const CurlLibrary* dl::LoadOnce<CurlLibrary>(std::atomic<bool>&, std::string*);
  CurlLibrary() = default;
  bool Open(std::string* error);

  dl::SharedLibrary library_;
};

}  // namespace corvane::remote
