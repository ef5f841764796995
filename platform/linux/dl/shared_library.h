// Loading a shared library at run time, so that a program pays for it only once it is used:
// SharedLibrary opens one library and finds its functions by name; LoadOnce builds a table of
// such functions the first time any thread asks and hands every later caller the same table
// (or the same failure). Tables are never unloaded: calls into them may happen until exit.
//
// SharedLibrary: one thread at a time (the loading one). LoadOnce: any thread.
#pragma once

#include <dlfcn.h>

#include <atomic>
#include <string>
#include <type_traits>

namespace corvane::dl {

class SharedLibrary {
 public:
  // Opens `soname` (RTLD_NOW | RTLD_LOCAL); false with "<soname> cannot be loaded: <reason>".
  bool Open(const char* soname, std::string* error) {
    soname_ = soname;
    handle_ = dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) return Fail(error, dlerror(), nullptr);
    return true;
  }

  // Sets `function` to the library's `name`; after the first missing name it does nothing and
  // the error names that function.
  template <typename Function>
  void Resolve(Function& function, const char* name, std::string* error) {
    if (!complete_) return;
    void* address = dlsym(handle_, name);
    if (address == nullptr) {
      Fail(error, dlerror(), name);
      return;
    }
    function = reinterpret_cast<std::remove_reference_t<Function>>(address);
  }

  // Whether every Resolve so far found its function.
  bool complete() const { return complete_; }

 private:
  bool Fail(std::string* error, const char* reason, const char* missing) {
    complete_ = false;
    *error = std::string(soname_) + " cannot be loaded: " +
             (reason != nullptr ? std::string(reason)
                                : std::string(missing != nullptr ? missing : "?") + " is missing");
    return false;
  }

  const char* soname_ = "";
  void* handle_ = nullptr;
  bool complete_ = true;
};

// The table of `Table` (default-constructible by LoadOnce, with `bool Open(std::string*)`),
// opened on the first call; nullptr, with the reason in *error, when it could not be. `loaded`
// becomes true once a table is ready.
template <typename Table>
const Table* LoadOnce(std::atomic<bool>& loaded, std::string* error) {
  static std::string failure;
  static const Table* const table = [&loaded]() -> const Table* {
    static Table instance;
    if (!instance.Open(&failure)) return nullptr;
    loaded.store(true, std::memory_order_release);
    return &instance;
  }();
  if (table == nullptr && error != nullptr) *error = failure;
  return table;
}

}  // namespace corvane::dl
