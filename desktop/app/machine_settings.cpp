#include "desktop/app/machine_settings.h"

#include <unistd.h>

#include <QStandardPaths>
#include <algorithm>
#include <charconv>
#include <string>
#include <system_error>

#include "platform/linux/host/program_path.h"
#include "platform/server_settings.h"

namespace corvane::desktop {
namespace {

bool IsUnder(const std::filesystem::path& path, const std::filesystem::path& root) {
  const auto [root_end, path_at] =
      std::mismatch(root.begin(), root.end(), path.begin(), path.end());
  return root_end == root.end();
}

std::string FileValueName(int i) { return "File" + std::to_string(i + 1); }

}  // namespace

std::filesystem::path ChooseProfileFolder(const std::filesystem::path& program_folder,
                                          bool program_folder_writable,
                                          const std::filesystem::path& documents) {
  const std::filesystem::path folder = program_folder.lexically_normal();
  const bool system_folder = IsUnder(folder, "/usr") || IsUnder(folder, "/opt");
  if (!folder.empty() && program_folder_writable && !system_folder) return folder;
  return documents / product::kAppTitle;
}

MachineSettings::MachineSettings(host::SettingsStore store, std::filesystem::path profile_folder)
    : store_(std::move(store)), profile_folder_(std::move(profile_folder)) {}

std::optional<QString> MachineSettings::LastProfile() const {
  const auto file = store_.QueryValue(kRecentFileListKey, "File1");
  if (!file.ok()) return std::nullopt;
  return QString::fromStdString(file.value);
}

QStringList MachineSettings::RecentFiles() const {
  QStringList files;
  for (int i = 0; i < kRecentFileCount; ++i) {
    const auto file = store_.QueryValue(kRecentFileListKey, FileValueName(i));
    if (file.ok() && !file.value.empty()) files.append(QString::fromStdString(file.value));
  }
  return files;
}

void MachineSettings::AddRecentFile(const QString& path) {
  QStringList files = RecentFiles();
  files.removeAll(path);
  files.prepend(path);
  while (files.size() > kRecentFileCount) files.removeLast();
  WriteRecentFiles(files);
}

void MachineSettings::RemoveRecentFile(const QString& path) {
  QStringList files = RecentFiles();
  if (files.removeAll(path) > 0) WriteRecentFiles(files);
}

void MachineSettings::WriteRecentFiles(const QStringList& files) {
  if (!store_.CreateKey(kRecentFileListKey).ok()) return;
  for (int i = 0; i < kRecentFileCount; ++i) {
    if (i < files.size()) {
      store_.SetValue(kRecentFileListKey, FileValueName(i), files[i].toStdString());
    } else {
      store_.DeleteValue(kRecentFileListKey, FileValueName(i));
    }
  }
}

QString MachineSettings::NewProfileName() {
  long long n = 0;
  if (const auto stored = store_.QueryValue(kSettingsKey, "NewFileNum"); stored.ok()) {
    const std::string& text = stored.value;
    long long parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error == std::errc() && end != text.data()) n = parsed;
  }
  const long long next = n + 1;
  if (store_.CreateKey(kSettingsKey).ok()) {
    store_.SetValue(kSettingsKey, "NewFileNum", std::to_string(next));
  }
  std::error_code ignored;
  std::filesystem::create_directories(profile_folder_, ignored);
  const std::string name =
      "MyProfile" + (next == 1 ? std::string() : std::to_string(next)) + ".crvn";
  return QString::fromStdString((profile_folder_ / name).string());
}

std::string MachineSettings::DefaultServer() const {
  const auto server = store_.QueryValue(kServerSettingsKey, kDefaultServerValue);
  return server.ok() ? server.value : std::string();
}

MachineSettings MachineSettingsForThisProgram() {
  const auto program_folder = host::ProgramFolder();
  const std::filesystem::path folder = program_folder.ok() ? program_folder.value : "";
  const bool writable = !folder.empty() && ::access(folder.c_str(), W_OK) == 0;
  const std::filesystem::path documents =
      QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
  return MachineSettings(host::SettingsStore(host::Hive::kCurrentUser),
                         ChooseProfileFolder(folder, writable, documents));
}

}  // namespace corvane::desktop
