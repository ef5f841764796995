// The rule for files that hold a secret (a password, a bearer token): only their owner may
// read them, as ssh has it for keys. Free function; any thread.
#pragma once

#include <sys/types.h>

#include <string>

namespace corvane::files {

// Empty when `mode` (st_mode of `file`) lets neither its group nor others in; otherwise the
// message that refuses the file, naming it and its mode.
std::string TooOpenForASecret(const std::string& file, mode_t mode);

}  // namespace corvane::files
