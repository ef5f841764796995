// An install into a temporary prefix puts the pages where the installed program looks for
// them: a program in <prefix>/bin finds <prefix>/share/corvane/Help and opens its pages there,
// anchor included, through a desktop of the test's own.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <filesystem>
#include <set>

#include "desktop/help/help_topics.h"
#include "tests/desktop/help/help_test_support.h"

namespace corvane::desktop {
namespace {

namespace fs = std::filesystem;
using help_test::RecordingDesktop;
using help_test::TempFolder;

struct ProgramRun {
  int exit_code = -1;
  std::string output;  // standard output
  std::string errors;  // standard error
};

ProgramRun RunProgram(const fs::path& program, const QStringList& arguments,
                      const QString& destdir = {}) {
  QProcess process;
  if (!destdir.isEmpty()) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DESTDIR", destdir);
    process.setProcessEnvironment(environment);
  }
  process.start(QString::fromStdString(program.string()), arguments);
  if (!process.waitForFinished(120000)) return {-1, {}, "did not finish"};
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          process.readAllStandardOutput().toStdString(),
          process.readAllStandardError().toStdString()};
}

std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

class HelpInstallTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new TempFolder;
    // Staged with DESTDIR, so that a rule with a broken destination cannot write outside the
    // temporary folder; the staged prefix is then an installed tree like any other.
    const ProgramRun install =
        RunProgram(CORVANE_CMAKE_COMMAND, {"--install", CORVANE_BUILD_DIR, "--prefix", kPrefix},
                   QString::fromStdString((folder_->path() / "stage").string()));
    prefix_ = folder_->path() / "stage" / fs::path(kPrefix).relative_path();
    install_log_ = install.output + install.errors;
    installed_ = install.exit_code == 0;
  }
  static void TearDownTestSuite() {
    delete folder_;
    folder_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(installed_) << install_log_;
    // The probe plays the installed program: it sits in bin/ beside the others.
    probe_ = prefix_ / "bin" / "help_probe";
    fs::copy_file(CORVANE_HELP_PROBE, probe_, fs::copy_options::overwrite_existing);
  }

  static constexpr const char* kPrefix = "/opt/corvane";
  static TempFolder* folder_;
  static fs::path prefix_;
  static bool installed_;
  static std::string install_log_;
  fs::path probe_;
};

TempFolder* HelpInstallTest::folder_ = nullptr;
fs::path HelpInstallTest::prefix_;
bool HelpInstallTest::installed_ = false;
std::string HelpInstallTest::install_log_;

TEST_F(HelpInstallTest, PagesLandInShareCorvaneHelp) {
  const fs::path help = prefix_ / "share/corvane/Help";
  ASSERT_TRUE(fs::is_directory(help));
  EXPECT_EQ(Names(help), Names(CORVANE_HELP_SOURCE_DIR));
  EXPECT_EQ(FindHelpFolder(prefix_ / "bin"), help);
}

TEST_F(HelpInstallTest, InstalledProgramOpensTheInstalledPageAtItsAnchor) {
  RecordingDesktop desktop;
  const ProgramRun run = RunProgram(
      probe_, {QString::number(DialogHelpContext(ContextNumber(HelpTopicId::kRemoteHost)))});
  ASSERT_EQ(run.exit_code, 0) << run.output << run.errors;
  const auto arguments = desktop.WaitForArguments();
  ASSERT_TRUE(arguments);
  ASSERT_EQ(arguments->size(), 1u);
  const QUrl url(QString::fromStdString(arguments->front()));
  EXPECT_EQ(url.toLocalFile().toStdString(), (prefix_ / "share/corvane/Help/useit.html").string());
  EXPECT_EQ(url.fragment(), "remote");
}

TEST_F(HelpInstallTest, InstalledProgramNamesAMissingPage) {
  const fs::path page = prefix_ / "share/corvane/Help/troubles.html";
  const fs::path aside = prefix_ / "troubles.html.aside";
  fs::rename(page, aside);
  RecordingDesktop desktop;
  const ProgramRun run = RunProgram(
      probe_, {QString::number(MessageHelpContext(ContextNumber(HelpTopicId::kConnectionFailed)))});
  fs::rename(aside, page);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.output, "Corvane: Cannot read file: " + page.string() + "\n");
}

}  // namespace
}  // namespace corvane::desktop
