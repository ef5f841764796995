#include "files/owner_only.h"

#include <cstdio>

namespace corvane::files {

std::string TooOpenForASecret(const std::string& file, mode_t mode) {
  if ((mode & 077) == 0) return {};
  char octal[8];
  std::snprintf(octal, sizeof octal, "%04o", static_cast<unsigned>(mode & 07777));
  return std::string("Permissions ") + octal + " for '" + file +
         "' are too open: a file holding a secret must be readable by its owner only (chmod 600 '" +
         file + "')";
}

}  // namespace corvane::files
