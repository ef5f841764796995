// Instance names: the kernel's names as they are (CPU numbers, mount points, swap files, disk
// and interface names), with the substitutions a counter path needs ("(" -> "[", ")" -> "]",
// "\" -> "_"), matched without regard to letter case. Pure functions; any thread.
#pragma once

#include <string>
#include <string_view>

#include "core/counter_path.h"

namespace corvane::local {

// Kernel names become path instances through corvane::InstanceName and match through
// corvane::InstanceMatches (core/counter_path.h).
using corvane::InstanceMatches;
using corvane::InstanceName;

// Undoes the octal escapes the kernel writes into mount points and swap file names (space as
// "\040", tab "\011", newline "\012", backslash "\134"; fs/seq_file.c, seq_path/mangle_path).
// Writes into *out, reusing its capacity. Text that is not a three-digit octal escape is kept.
void UnescapeOctal(std::string_view text, std::string* out);

}  // namespace corvane::local
