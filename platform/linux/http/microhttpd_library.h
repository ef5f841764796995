// libmicrohttpd, loaded the first time a listener starts rather than at program start: a
// service that serves no metrics never maps it and the TLS libraries it depends on. The table
// owns the library handle (kept until exit) and the addresses of the functions the server
// calls. Any thread may call Load; the first call loads, later ones share the result.
#pragma once

#include <microhttpd.h>

#include <atomic>
#include <string>

#include "platform/linux/dl/shared_library.h"

namespace corvane::http {

class MicrohttpdLibrary {
 public:
  static constexpr const char* kSoname = "libmicrohttpd.so.12";

  // The loaded library, or null with *error saying why ("libmicrohttpd.so.12 cannot be loaded:
  // <reason>"). A failure is remembered: the process does not retry.
  static const MicrohttpdLibrary* Load(std::string* error);

  // Whether this process has loaded the table (for tests and diagnostics).
  static bool Loaded();

  decltype(&::MHD_start_daemon) start_daemon = nullptr;
  decltype(&::MHD_stop_daemon) stop_daemon = nullptr;
  decltype(&::MHD_quiesce_daemon) quiesce_daemon = nullptr;
  decltype(&::MHD_create_response_from_buffer) create_response_from_buffer = nullptr;
  decltype(&::MHD_add_response_header) add_response_header = nullptr;
  decltype(&::MHD_queue_response) queue_response = nullptr;
  decltype(&::MHD_destroy_response) destroy_response = nullptr;
  decltype(&::MHD_is_feature_supported) is_feature_supported = nullptr;
  decltype(&::MHD_basic_auth_get_username_password) basic_auth_get_username_password = nullptr;
  decltype(&::MHD_queue_basic_auth_fail_response) queue_basic_auth_fail_response = nullptr;
  decltype(&::MHD_free) free = nullptr;
  decltype(&::MHD_get_connection_info) get_connection_info = nullptr;
  decltype(&::MHD_create_response_from_callback) create_response_from_callback = nullptr;
  decltype(&::MHD_suspend_connection) suspend_connection = nullptr;
  decltype(&::MHD_resume_connection) resume_connection = nullptr;
  decltype(&::MHD_lookup_connection_value) lookup_connection_value = nullptr;

 private:
  friend const MicrohttpdLibrary* dl::LoadOnce<MicrohttpdLibrary>(std::atomic<bool>&, std::string*);
  MicrohttpdLibrary() = default;
  bool Open(std::string* error);

  dl::SharedLibrary library_;
};

}  // namespace corvane::http
