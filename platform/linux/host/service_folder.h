// Makes a folder the service writes to (its "Logs" beside a profile), owned by the service's
// user, in the group of the folder that holds it, so that whoever shares that folder may read
// what the service writes. The last part of the path is made and changed through descriptors
// and never followed as a link: another user who may write to the parent cannot have a
// planted link changed in its place.
// Pure system calls; any thread.
#pragma once

#include <sys/types.h>

#include <string>

#include "platform/linux/host/host_status.h"

namespace corvane::host {

// True when the folder was made, false when a folder of that name was there already (left as
// it is); an error when the parent is missing, the name is taken by anything but a folder, or
// ownership cannot be given (which needs root unless `owner` is this process's user).
HostResult<bool> MakeServiceFolder(const std::string& path, uid_t owner, mode_t mode);

}  // namespace corvane::host
