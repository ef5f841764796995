// The render tests' name for the shared temporary folder.
#pragma once

#include "tests/support/temp_folder.h"

namespace corvane::render_test {

using TempFolder = test_support::TempFolder;

}  // namespace corvane::render_test
