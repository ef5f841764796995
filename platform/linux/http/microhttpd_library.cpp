#include "platform/linux/http/microhttpd_library.h"

#include <dlfcn.h>

#include <atomic>
#include <type_traits>

namespace corvane::http {
namespace {

std::atomic<bool> loaded{false};

}  // namespace

bool MicrohttpdLibrary::Open(std::string* error) {
  handle_ = dlopen(kSoname, RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* reason = dlerror();
    *error = std::string(kSoname) + " cannot be loaded: " + (reason ? reason : "unknown error");
    return false;
  }
  bool complete = true;
  auto resolve = [&](auto& function, const char* name) {
    if (!complete) return;
    void* address = dlsym(handle_, name);
    if (address == nullptr) {
      const char* reason = dlerror();
      *error = std::string(kSoname) +
               " cannot be loaded: " + (reason ? reason : std::string(name) + " is missing");
      complete = false;
      return;
    }
    function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(address);
  };
  resolve(start_daemon, "MHD_start_daemon");
  resolve(stop_daemon, "MHD_stop_daemon");
  resolve(create_response_from_buffer, "MHD_create_response_from_buffer");
  resolve(add_response_header, "MHD_add_response_header");
  resolve(queue_response, "MHD_queue_response");
  resolve(destroy_response, "MHD_destroy_response");
  return complete;
}

const MicrohttpdLibrary* MicrohttpdLibrary::Load(std::string* error) {
  static std::string failure;
  static const MicrohttpdLibrary* const library = [] {
    static MicrohttpdLibrary table;
    if (!table.Open(&failure)) return static_cast<const MicrohttpdLibrary*>(nullptr);
    loaded.store(true, std::memory_order_release);
    return static_cast<const MicrohttpdLibrary*>(&table);
  }();
  if (library == nullptr && error != nullptr) *error = failure;
  return library;
}

bool MicrohttpdLibrary::Loaded() { return loaded.load(std::memory_order_acquire); }

}  // namespace corvane::http
