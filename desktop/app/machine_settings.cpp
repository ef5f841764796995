#include "desktop/app/machine_settings.h"

#include <unistd.h>

#include <QStandardPaths>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string>
#include <system_error>

#include "platform/linux/host/event_log.h"
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

// Where a user of a desktop program looks for what went wrong: the standard error (the
// session's journal) and the system log.
void ReportToUser(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", product::kAppTitle, message.c_str());
  static host::EventLog log(product::kAppTitle, false);
  log.Note(host::EventLog::Severity::kWarning, message);
}

}  // namespace

std::filesystem::path ChooseProfileFolder(const std::filesystem::path& program_folder,
                                          bool program_folder_writable,
                                          const std::filesystem::path& documents) {
  const std::filesystem::path folder = program_folder.lexically_normal();
  const bool system_folder = IsUnder(folder, "/usr") || IsUnder(folder, "/opt");
  if (!folder.empty() && program_folder_writable && !system_folder) return folder;
  return documents / product::kAppTitle;
}

MachineSettings::MachineSettings(host::SettingsStore store, std::filesystem::path profile_folder,
                                 StoreWriteQueue::Reporter reporter)
    : store_(std::move(store)), profile_folder_(std::move(profile_folder)) {
  if (!reporter) reporter = ReportToUser;
  writes_ = std::make_unique<StoreWriteQueue>(store_, std::move(reporter));
}

const MachineSettings::RecentEntries& MachineSettings::Recent() const {
  if (!recent_) {
    RecentEntries entries;
    for (int i = 0; i < kRecentFileCount; ++i) {
      auto file = store_.QueryValue(kRecentFileListKey, FileValueName(i));
      if (file.ok()) entries[i] = std::move(file.value);
    }
    recent_ = std::move(entries);
  }
  return *recent_;
}

std::optional<QString> MachineSettings::LastProfile() const {
  const std::optional<std::string>& file = Recent()[0];
  if (!file) return std::nullopt;
  return QString::fromStdString(*file);
}

QStringList MachineSettings::RecentFiles() const {
  QStringList files;
  for (const std::optional<std::string>& file : Recent()) {
    if (file && !file->empty()) files.append(QString::fromStdString(*file));
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
  RecentEntries entries;
  for (int i = 0; i < kRecentFileCount; ++i) {
    if (i < files.size()) entries[i] = files[i].toStdString();
    writes_->Set(std::string(kRecentFileListKey), FileValueName(i), entries[i]);
  }
  recent_ = std::move(entries);
}

QString MachineSettings::NewProfileName() {
  if (!new_file_num_) {
    new_file_num_ = 0;
    if (const auto stored = store_.QueryValue(kSettingsKey, "NewFileNum"); stored.ok()) {
      const std::string& text = stored.value;
      long long parsed = 0;
      const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
      if (error == std::errc() && end != text.data()) new_file_num_ = parsed;
    }
  }
  const long long next = ++*new_file_num_;
  writes_->Set(std::string(kSettingsKey), "NewFileNum", std::to_string(next));
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
