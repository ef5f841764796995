// Desktop entries and the desktop's default program for HTML: Exec lines with their quoting
// and field codes, and the order in which mimeapps.list files, associations and the mime
// cache are consulted, over real files in a temporary XDG tree.
#include "platform/linux/default_app/desktop_entry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <ostream>

#include "platform/linux/default_app/default_application.h"
#include "tests/support/temp_folder.h"

namespace corvane::desktop {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

struct ExecCase {
  const char* name;
  const char* file_line;  // as written in the file, after "Exec="
  std::optional<Args> expected;
  // Test names and failure messages show the case by its name.
  friend void PrintTo(const ExecCase& c, std::ostream* os) { *os << c.name; }
};

class ExpandExecTest : public ::testing::TestWithParam<ExecCase> {};

TEST_P(ExpandExecTest, ArgumentsForOnePage) {
  const ExecCase& c = GetParam();
  std::optional<DesktopEntry> entry = ParseDesktopEntry(
      std::string("[Desktop Entry]\nType=Application\nName=Web Browser\nIcon=browser\nExec=") +
      c.file_line + "\n");
  ASSERT_TRUE(entry);
  entry->file = "/usr/share/applications/browser.desktop";
  EXPECT_EQ(ExpandExec(*entry, "file:///h/Help/useit.html#new", "/h/Help/useit.html"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ExpandExecTest,
    ::testing::Values(
        ExecCase{"Url", "firefox-esr %u", Args{"firefox-esr", "file:///h/Help/useit.html#new"}},
        ExecCase{"UrlList", "chromium --new-window %U",
                 Args{"chromium", "--new-window", "file:///h/Help/useit.html#new"}},
        ExecCase{"FileOnlyHandlerGetsThePath", "viewer %f", Args{"viewer", "/h/Help/useit.html"}},
        ExecCase{"NoFieldCodeAppendsUrl", "browser",
                 Args{"browser", "file:///h/Help/useit.html#new"}},
        ExecCase{"QuotedProgramWithSpaces", "\"/opt/My Browser/run\" %u",
                 Args{"/opt/My Browser/run", "file:///h/Help/useit.html#new"}},
        ExecCase{"QuotedEscapes", R"(sh -c "echo \\$HOME \\"x\\"" %u)",
                 Args{"sh", "-c", R"(echo $HOME "x")", "file:///h/Help/useit.html#new"}},
        ExecCase{"DoubleEscapedBackslash", R"("/opt/a\\\\b" %u)",
                 Args{R"(/opt/a\b)", "file:///h/Help/useit.html#new"}},
        ExecCase{"IconNameAndFile", "browser %i %c %k %u",
                 Args{"browser", "--icon", "browser", "Web Browser",
                      "/usr/share/applications/browser.desktop", "file:///h/Help/useit.html#new"}},
        ExecCase{"PercentAndDeprecatedCodes", "browser --ratio=50%% %d %u",
                 Args{"browser", "--ratio=50%", "file:///h/Help/useit.html#new"}},
        ExecCase{"CodeInsideAnArgument", "browser --url=%u",
                 Args{"browser", "--url=file:///h/Help/useit.html#new"}},
        ExecCase{"UnclosedQuote", "\"/opt/browser %u", std::nullopt},
        ExecCase{"BadEscapeInQuotes", R"("/opt/\q" %u)", std::nullopt},
        ExecCase{"OnlyAFieldCode", "%u", std::nullopt}),
    [](const ::testing::TestParamInfo<ExecCase>& info) { return info.param.name; });

TEST(ParseDesktopEntryTest, ReadsTheDesktopEntryGroupOnly) {
  const std::optional<DesktopEntry> entry = ParseDesktopEntry(
      "# comment\n[Desktop Entry]\nType = Application\nName=Lynx\nName[de]=Luchs\n"
      "Terminal=true\nExec=lynx %u\nTryExec=lynx\n\n[Desktop Action new]\nExec=other\n");
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->type, "Application");
  EXPECT_EQ(entry->name, "Lynx");
  EXPECT_EQ(entry->exec, "lynx %u");
  EXPECT_EQ(entry->try_exec, "lynx");
  EXPECT_TRUE(entry->terminal);
  EXPECT_FALSE(entry->hidden);
  EXPECT_FALSE(ParseDesktopEntry("[Desktop Action new]\nExec=other\n"));
}

// An XDG tree in a temporary folder: user and system config and data folders.
class DefaultApplicationTest : public ::testing::Test {
 protected:
  DefaultApplicationTest() {
    folders_.config_home = tree_ / "home/.config";
    folders_.config_dirs = {tree_ / "etc/xdg"};
    folders_.data_home = tree_ / "home/.local/share";
    folders_.data_dirs = {tree_ / "usr/local/share", tree_ / "usr/share"};
    folders_.path = (tree_ / "bin").string();
    for (const fs::path& dir :
         {folders_.config_home, folders_.config_dirs[0], folders_.data_home / "applications",
          tree_ / "usr/share/applications", tree_ / "bin"})
      fs::create_directories(dir);
  }

  void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
  }
  void Entry(const fs::path& applications, const std::string& id, const std::string& extra = "") {
    Write(applications / id,
          "[Desktop Entry]\nType=Application\nName=" + id + "\nExec=" + id + " %u\n" + extra);
  }
  std::string Default() {
    const std::optional<DesktopEntry> entry = FindDefaultApplication(folders_, "text/html");
    return entry ? entry->file.filename().string() : "(none)";
  }

  test_support::TempFolder tree_;
  XdgFolders folders_;
};

TEST_F(DefaultApplicationTest, UserDefaultBeatsSystemDefault) {
  Entry(tree_ / "usr/share/applications", "system.desktop");
  Entry(tree_ / "usr/share/applications", "mine.desktop");
  Write(tree_ / "etc/xdg/mimeapps.list", "[Default Applications]\ntext/html=system.desktop\n");
  EXPECT_EQ(Default(), "system.desktop");
  Write(folders_.config_home / "mimeapps.list",
        "[Default Applications]\ntext/html=mine.desktop;system.desktop;\n");
  EXPECT_EQ(Default(), "mine.desktop");
}

TEST_F(DefaultApplicationTest, DesktopSpecificListComesFirst) {
  Entry(tree_ / "usr/share/applications", "plain.desktop");
  Entry(tree_ / "usr/share/applications", "xfce.desktop");
  Write(folders_.config_home / "mimeapps.list",
        "[Default Applications]\ntext/html=plain.desktop\n");
  Write(folders_.config_home / "xfce-mimeapps.list",
        "[Default Applications]\ntext/html=xfce.desktop\n");
  EXPECT_EQ(Default(), "plain.desktop");
  folders_.desktops = {"xfce"};
  EXPECT_EQ(Default(), "xfce.desktop");
}

TEST_F(DefaultApplicationTest, UnusableDefaultsAreSkipped) {
  const fs::path apps = tree_ / "usr/share/applications";
  Entry(apps, "hidden.desktop", "Hidden=true\n");
  Entry(apps, "gone.desktop", "TryExec=not-installed-anywhere\n");
  Write(apps / "link.desktop", "[Desktop Entry]\nType=Link\nURL=http://example.org\n");
  Entry(apps, "works.desktop", "TryExec=works\n");
  Write(tree_ / "bin/works", "#!/bin/sh\n");
  ::chmod((tree_ / "bin/works").c_str(), 0755);
  Write(folders_.config_home / "mimeapps.list",
        "[Default Applications]\ntext/html=missing.desktop;hidden.desktop;gone.desktop;"
        "link.desktop;works.desktop\n");
  EXPECT_EQ(Default(), "works.desktop");
}

TEST_F(DefaultApplicationTest, AssociationsThenMimeCacheWhenNoDefault) {
  const fs::path apps = tree_ / "usr/share/applications";
  Entry(apps, "cached.desktop");
  Entry(apps, "added.desktop");
  Entry(apps, "removed.desktop");
  EXPECT_EQ(Default(), "(none)");

  Write(apps / "mimeinfo.cache", "[MIME Cache]\ntext/html=removed.desktop;cached.desktop;\n");
  EXPECT_EQ(Default(), "removed.desktop");

  Write(folders_.config_home / "mimeapps.list",
        "[Removed Associations]\ntext/html=removed.desktop\n");
  EXPECT_EQ(Default(), "cached.desktop");

  Write(tree_ / "etc/xdg/mimeapps.list", "[Added Associations]\ntext/html=added.desktop\n");
  EXPECT_EQ(Default(), "added.desktop");
}

TEST_F(DefaultApplicationTest, DashInIdNamesASubFolder) {
  Entry(tree_ / "usr/share/applications/kde4", "browser.desktop");
  Write(folders_.config_home / "mimeapps.list",
        "[Default Applications]\ntext/html=kde4-browser.desktop\n");
  EXPECT_EQ(Default(), "browser.desktop");
  EXPECT_EQ(FindDesktopFile(folders_, "kde4-browser.desktop"),
            tree_ / "usr/share/applications/kde4/browser.desktop");
  EXPECT_FALSE(FindDesktopFile(folders_, "../kde4/browser.desktop"));
}

TEST_F(DefaultApplicationTest, ProgramsAreFoundOnThePathOnlyWhenExecutable) {
  Write(tree_ / "bin/plain", "not executable");
  Write(tree_ / "bin/tool", "#!/bin/sh\n");
  ::chmod((tree_ / "bin/tool").c_str(), 0755);
  EXPECT_EQ(FindProgram("tool", "/nonexistent:" + folders_.path), tree_ / "bin/tool");
  EXPECT_EQ(FindProgram("plain", folders_.path), fs::path());
  EXPECT_EQ(FindProgram((tree_ / "bin/tool").string(), ""), tree_ / "bin/tool");
  EXPECT_EQ(FindProgram("bin", tree_.path().string()), fs::path());  // a folder
}

}  // namespace
}  // namespace corvane::desktop
