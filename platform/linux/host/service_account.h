// The system user the service runs as: its name, the sysusers.d(5) line that creates it (the
// package installs it as a file; -install hands it to systemd-sysusers), and its ids.
// Any thread; EnsureServiceAccount runs systemd-sysusers, so the installing thread only.
#pragma once

#include <sys/types.h>

#include <string_view>

#include "platform/linux/host/host_status.h"

namespace corvane::host {

inline constexpr std::string_view kServiceUser = "corvservice";
// A system user with a group of its own, no home and no login shell.
inline constexpr std::string_view kServiceSysusersLine =
    "u corvservice - \"Corvane performance monitor\" / /usr/sbin/nologin";

struct ServiceAccount {
  uid_t uid = 0;
  gid_t gid = 0;
};

// The user's ids from the user database; ENOENT when there is no such user.
HostResult<ServiceAccount> LookUpServiceAccount();

// The same, creating the user first with systemd-sysusers when there is none (root only).
HostResult<ServiceAccount> EnsureServiceAccount();

}  // namespace corvane::host
