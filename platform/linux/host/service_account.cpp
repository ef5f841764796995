#include "platform/linux/host/service_account.h"

#include <pwd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/linux/host/child_process.h"

namespace corvane::host {

HostResult<ServiceAccount> LookUpServiceAccount() {
  HostResult<ServiceAccount> result;
  const std::string name(kServiceUser);
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  const int code = getpwnam_r(name.c_str(), &entry, buffer.data(), buffer.size(), &found);
  if (found == nullptr) {
    result.status = HostStatus::Error(code != 0 ? code : ENOENT, "user " + name);
    return result;
  }
  result.value = {entry.pw_uid, entry.pw_gid};
  return result;
}

HostResult<ServiceAccount> EnsureServiceAccount() {
  HostResult<ServiceAccount> account = LookUpServiceAccount();
  if (account.ok() || account.status.code() != ENOENT) return account;
  const HostResult<int> made =
      RunProgram({"systemd-sysusers", "--inline", std::string(kServiceSysusersLine)});
  if (!made.ok()) return {{}, made.status};
  if (made.value != 0) {
    return {{}, HostStatus::Error(EPERM, "systemd-sysusers for user " + std::string(kServiceUser))};
  }
  return LookUpServiceAccount();
}

}  // namespace corvane::host
