// MachineSettings: the desktop program's values in the current user's settings store: the
// recent-file list ("Recent File List", File1..File4, File1 the latest) and the counter that
// names new profiles ("Settings", "NewFileNum"); the Prometheus server new profiles read through
// (kServerSettingsKey, "DefaultServer"); and the folder new profiles are put in.
// The recent-file list and the counter are read from the store once, at the first call that
// needs them; after that they are served from memory. Writes never wait: they go to a
// StoreWriteQueue, whose thread writes them at once when the store's lock is free, so the screen
// saver sees File1 soon after a profile is opened or saved. A write that fails is reported
// (standard error and the system log unless a reporter is given) and kept in memory, tried again
// with the next write and at the end, when the object goes. GUI thread; the reporter runs on the
// writer's thread.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "desktop/app/store_write_queue.h"
#include "platform/linux/host/settings_store.h"
#include "platform/qt/product_text.h"

namespace corvane::desktop {

using product::kRecentFileListKey;
using product::kSettingsKey;
inline constexpr int kRecentFileCount = 4;

// Where new profiles go: the program folder while it is writable and not a system folder
// (under /usr or /opt), else `documents`/Corvane. Pure: does not create anything.
std::filesystem::path ChooseProfileFolder(const std::filesystem::path& program_folder,
                                          bool program_folder_writable,
                                          const std::filesystem::path& documents);

class MachineSettings {
 public:
  // An empty reporter writes each failure to the standard error and the system log.
  MachineSettings(host::SettingsStore store, std::filesystem::path profile_folder,
                  StoreWriteQueue::Reporter reporter = {});

  // "File1" of the recent-file list; nothing when the key or the value is missing.
  std::optional<QString> LastProfile() const;
  // The list as stored, File1 first, missing or empty entries left out.
  QStringList RecentFiles() const;
  // Puts `path` first; an entry with the same text moves up; at most four are kept.
  void AddRecentFile(const QString& path);
  // Drops an entry (a recent file that no longer opens).
  void RemoveRecentFile(const QString& path);

  // Reads "NewFileNum" as n (missing or not a number: 0), writes n + 1 back and returns
  // folder/MyProfile<n+1>.crvn, the number left out when it is 1. The folder is created when
  // it does not exist yet.
  QString NewProfileName();

  // The PrometheusServer of a new profile: empty when none is set.
  std::string DefaultServer() const;

  const std::filesystem::path& profile_folder() const { return profile_folder_; }

  // Waits until the writes made so far have been tried; true when all of them are in the
  // store. For the tests and for callers that hand the store to another process.
  bool Flush() { return writes_->Flush(); }

 private:
  using RecentEntries = std::array<std::optional<std::string>, kRecentFileCount>;
  const RecentEntries& Recent() const;
  void WriteRecentFiles(const QStringList& files);

  host::SettingsStore store_;
  std::filesystem::path profile_folder_;
  mutable std::optional<RecentEntries> recent_;  // File1.. as read or last written
  std::optional<long long> new_file_num_;
  std::unique_ptr<StoreWriteQueue> writes_;  // a pointer, so that the settings can move
};

// The settings of the running program: the current user's store and the folder chosen from
// the program's folder and the user's documents folder.
MachineSettings MachineSettingsForThisProgram();

}  // namespace corvane::desktop
