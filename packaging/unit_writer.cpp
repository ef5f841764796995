// corvane-unit-writer PROGRAM OUTPUT [SYSUSERS]: writes the packaged service unit, the unit that
// "corvservice -install" writes for PROGRAM (same template, same hardening), named
// corvservice.service and marked as conflicting with the installed corvane.service so that
// only one of the two monitors runs; and to SYSUSERS the sysusers.d(5) file that makes the
// user it runs as, the same line -install hands to systemd-sysusers. Run by the build; any
// thread (single-threaded tool).
#include <cstdio>
#include <string>

#include "platform/linux/host/service_account.h"
#include "platform/linux/host/unit_file.h"

namespace {

bool WriteText(const char* path, const std::string& text) {
  FILE* out = std::fopen(path, "w");
  if (out == nullptr || std::fputs(text.c_str(), out) < 0 || std::fclose(out) != 0) {
    std::perror(path);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fputs("usage: corvane-unit-writer PROGRAM OUTPUT [SYSUSERS]\n", stderr);
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
  if (!WriteText(argv[2], text)) return 1;
  if (argc == 4 &&
      !WriteText(argv[3], "# The user corvservice.service runs as.\n" +
                              std::string(corvane::host::kServiceSysusersLine) + "\n")) {
    return 1;
  }
  return 0;
}
