// corvane-unit-writer PROGRAM OUTPUT: writes the packaged service unit, the unit that
// "corvservice -install" writes for PROGRAM (same template, same hardening), named
// corvservice.service and marked as conflicting with the installed corvane.service so that
// only one of the two monitors runs. Run by the build; any thread (single-threaded tool).
#include <cstdio>
#include <string>

#include "platform/linux/host/unit_file.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: corvane-unit-writer PROGRAM OUTPUT\n", stderr);
    return 2;
  }
  const corvane::host::HostResult<std::string> unit =
      corvane::host::MakeUnitFile(corvane::host::UnitFileOptions{argv[1], {}, {}});
  if (!unit.status.ok()) {
    std::fprintf(stderr, "corvane-unit-writer: %s\n", unit.status.Message().c_str());
    return 1;
  }
  std::string text = unit.value;
  static constexpr const char kAfter[] = "Description=Corvane performance monitor\n";
  const std::size_t at = text.find(kAfter);
  if (at == std::string::npos) {
    std::fputs("corvane-unit-writer: the template has no Description line\n", stderr);
    return 1;
  }
  text.insert(at + sizeof(kAfter) - 1,
              "Documentation=man:corvservice(8)\n"
              "Conflicts=corvane.service\n");
  text.insert(0,
              "# The packaged unit: disabled after installing; \"systemctl enable --now "
              "corvservice\"\n# starts it now and at boot. \"corvservice -install\" writes its "
              "own corvane.service\n# instead, for a profile whose logs lie beside it; the two "
              "never run together.\n");
  FILE* out = std::fopen(argv[2], "w");
  if (out == nullptr || std::fputs(text.c_str(), out) < 0 || std::fclose(out) != 0) {
    std::perror(argv[2]);
    return 1;
  }
  return 0;
}
