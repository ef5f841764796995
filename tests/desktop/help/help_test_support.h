// Helpers for the help tests: an opener that records what it was asked to open, and a desktop
// of the test's own whose default program for HTML files is a script that writes down the
// arguments it was started with. Test thread only.
#pragma once

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "desktop/help/html_opener.h"
#include "tests/platform/linux/host/test_support.h"

namespace corvane::help_test {

using testing_support::ReadFile;
using testing_support::ScopedEnv;
using testing_support::TempFolder;
using testing_support::WriteFile;

class RecordingOpener final : public desktop::HtmlOpener {
 public:
  explicit RecordingOpener(desktop::OpenResult result = desktop::OpenResult::kOpened)
      : result_(result) {}
  desktop::OpenResult Open(const QUrl& url) override {
    urls.push_back(url);
    return result_;
  }
  std::vector<QUrl> urls;

 private:
  desktop::OpenResult result_;
};

// A temporary XDG desktop: config and data folders of its own (nothing of the machine's is
// consulted), a desktop entry "corvane-test-recorder.desktop" whose program lies in a folder
// with a space in its name, and a mimeapps.list that makes it the default for text/html.
class RecordingDesktop {
 public:
  explicit RecordingDesktop(const std::string& exec_codes = "%u")
      : config_home_("XDG_CONFIG_HOME", (folder_ / "config").string()),
        config_dirs_("XDG_CONFIG_DIRS", (folder_ / "etc-xdg").string()),
        data_home_("XDG_DATA_HOME", (folder_ / "data").string()),
        data_dirs_("XDG_DATA_DIRS", (folder_ / "share").string()),
        desktop_("XDG_CURRENT_DESKTOP", std::nullopt) {
    namespace fs = std::filesystem;
    for (const char* dir : {"config", "etc-xdg", "data/applications", "share", "handler bin"})
      fs::create_directories(folder_ / dir);
    const fs::path program = folder_ / "handler bin" / "record";
    // Writes each argument on a line of its own, into a file that appears whole.
    WriteFile(program.string(),
              "#!/bin/sh\nout=\"$(dirname \"$0\")/../arguments\"\n"
              "printf '%s\\n' \"$@\" > \"$out.part\" && mv \"$out.part\" \"$out\"\n");
    ::chmod(program.c_str(), 0755);
    WriteFile((folder_ / "data/applications/corvane-test-recorder.desktop").string(),
              "[Desktop Entry]\nType=Application\nName=Recorder\nExec=\"" + program.string() +
                  "\" " + exec_codes + "\nMimeType=text/html;\n");
    WriteFile((folder_ / "config/mimeapps.list").string(),
              "[Default Applications]\ntext/html=corvane-test-recorder.desktop\n");
  }

  const std::filesystem::path& folder() const { return folder_.path(); }

  // The arguments the handler was started with, once it has written them; nullopt when it did
  // not run within a few seconds.
  std::optional<std::vector<std::string>> WaitForArguments() const {
    const std::filesystem::path file = folder_ / "arguments";
    for (int i = 0; i < 200 && !std::filesystem::exists(file); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    if (!std::filesystem::exists(file)) return std::nullopt;
    std::vector<std::string> arguments;
    std::string text = ReadFile(file.string());
    for (std::size_t end; (end = text.find('\n')) != std::string::npos; text.erase(0, end + 1))
      arguments.push_back(text.substr(0, end));
    return arguments;
  }

 private:
  TempFolder folder_;
  ScopedEnv config_home_, config_dirs_, data_home_, data_dirs_, desktop_;
};

}  // namespace corvane::help_test
