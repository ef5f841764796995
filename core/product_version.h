// The product's version ("1.6.1") and the month it was released ("December 2026"), both
// taken from the build's project settings, so the about boxes, the packages and the
// software centre's entry name the same release. Constant texts; any thread.
#pragma once

#include <string>
#include <string_view>

namespace corvane {

const char* ProductVersion();
const char* ProductReleaseMonth();
// What every program prints for --version: "corvsnap (Corvane) 1.6.1" and a line feed
// ("Corvane 1.6.1" for the desktop program itself).
std::string VersionLine(std::string_view program);

}  // namespace corvane
