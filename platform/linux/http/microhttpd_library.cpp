#include "platform/linux/http/microhttpd_library.h"

#include <atomic>

namespace corvane::http {
namespace {

std::atomic<bool> loaded{false};

}  // namespace

bool MicrohttpdLibrary::Open(std::string* error) {
  if (!library_.Open(kSoname, error)) return false;
  auto resolve = [&](auto& function, const char* name) { library_.Resolve(function, name, error); };
  resolve(start_daemon, "MHD_start_daemon");
  resolve(stop_daemon, "MHD_stop_daemon");
  resolve(quiesce_daemon, "MHD_quiesce_daemon");
  resolve(create_response_from_buffer, "MHD_create_response_from_buffer");
  resolve(add_response_header, "MHD_add_response_header");
  resolve(queue_response, "MHD_queue_response");
  resolve(destroy_response, "MHD_destroy_response");
  resolve(is_feature_supported, "MHD_is_feature_supported");
  resolve(basic_auth_get_username_password, "MHD_basic_auth_get_username_password");
  resolve(queue_basic_auth_fail_response, "MHD_queue_basic_auth_fail_response");
  resolve(free, "MHD_free");
  resolve(get_connection_info, "MHD_get_connection_info");
  resolve(create_response_from_callback, "MHD_create_response_from_callback");
  resolve(suspend_connection, "MHD_suspend_connection");
  resolve(resume_connection, "MHD_resume_connection");
  resolve(lookup_connection_value, "MHD_lookup_connection_value");
  return library_.complete();
}

const MicrohttpdLibrary* MicrohttpdLibrary::Load(std::string* error) {
  return dl::LoadOnce<MicrohttpdLibrary>(loaded, error);
}

bool MicrohttpdLibrary::Loaded() { return loaded.load(std::memory_order_acquire); }

}  // namespace corvane::http
