// A process that saves one file over and over until it is killed, for the crash tests:
//   atomic_saver profile|bytes TARGET FIRST [named]
// "profile" saves two different wind-rose profiles in turn through the chart's own Save;
// "bytes" writes two 70 KB files in turn through files::WriteFileAtomically, starting with
// version FIRST (0 or 1). "named" forces the named temporary file. `atomic_saver reference KIND
// FOLDER` writes both versions as "a" and "b" into FOLDER once, for the test to compare with.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "chart/wind_rose.h"
#include "files/atomic_file.h"

namespace {

namespace fs = std::filesystem;

// Version 0 and version 1 differ in size and in every axis, so a mix of both is never mistaken
// for either.
bool SaveProfile(const fs::path& path, int version) {
  corvane::chart::WindRose rose(256, 4);
  const int axes = version == 0 ? 40 : 120;
  for (int i = 0; i < axes; ++i) {
    const std::string name =
        "\\Processor(" + std::to_string(i) + ")\\% Processor Time v" + std::to_string(version);
    if (!rose.AddAxis(name, "busy time of one processor", false, 0, 100, 80 + version, 1,
                      nullptr)) {
      return false;
    }
  }
  return rose.Save(path);
}

bool SaveBytes(const fs::path& path, int version) {
  std::string bytes(version == 0 ? 70000 : 50000, version == 0 ? 'a' : 'b');
  bytes += "end of version " + std::to_string(version) + "\n";
  std::string error;
  if (corvane::files::WriteFileAtomically(path, bytes, {}, &error)) return true;
  std::fprintf(stderr, "atomic_saver: %s\n", error.c_str());
  return false;
}

bool Save(const std::string& kind, const fs::path& path, int version) {
  return kind == "profile" ? SaveProfile(path, version) : SaveBytes(path, version);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "reference") == 0) {
    const fs::path folder = argv[3];
    return Save(argv[2], folder / "a", 0) && Save(argv[2], folder / "b", 1) ? 0 : 1;
  }
  if (argc < 4) {
    std::fprintf(stderr, "usage: atomic_saver profile|bytes TARGET FIRST [named]\n");
    return 2;
  }
  const std::string kind = argv[1];
  const fs::path target = argv[2];
  if (argc > 4 && std::strcmp(argv[4], "named") == 0) {
    corvane::files::AtomicFile::ForceNamedTemporaries(true);
  }
  for (int version = std::strcmp(argv[3], "1") == 0 ? 1 : 0;; version ^= 1) {
    if (!Save(kind, target, version)) return 1;
  }
}
