#include "platform/linux/privileged/privileged_store_write.h"

#include <cerrno>
#include <cstdlib>
#include <string>

#include "core/settings_keys.h"
#include "platform/linux/host/child_process.h"
#include "platform/linux/host/program_path.h"

namespace corvane::host {
namespace {

using product::kAreaSizeValue;
using product::kDesktopKey;
using product::kProfileValue;
using product::kScreenSaveActiveValue;
using product::kScreenSaverKey;
using product::kScreenSaverProgramValue;
using product::kServiceKey;
using product::kTimeoutValue;
constexpr std::string_view kWriterName = "corvane-store-write";
constexpr std::size_t kMaxPathText = 4095;
constexpr std::size_t kMaxNumberText = 23;

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// A value the store can hold on one line and that stays within `limit` bytes.
bool PlainText(std::string_view text, std::size_t limit) {
  if (text.size() > limit) return false;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) return false;
  }
  return true;
}

std::string EnvOr(const char* name, std::string fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::string(value) : fallback;
}

HostResult<std::string> StoreWriterPath() {
  HostResult<std::string> result;
  if (const char* writer = std::getenv("CORVANE_STORE_WRITER"); writer != nullptr && *writer) {
    result.value = writer;
    return result;
  }
  HostResult<std::string> folder = ProgramFolder();
  if (!folder.ok()) return folder;
  result.value = folder.value + (folder.value == "/" ? "" : "/") + std::string(kWriterName);
  return result;
}

// Trailing line breaks of a program's message.
std::string Trimmed(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  return std::string(text);
}

// One value into its key; a missing key is created only when the write asks for it, and
// otherwise the value is skipped without an error.
HostStatus WriteOne(SettingsStore& store, const StoreWrite& write) {
  HostStatus status = store.OpenKey(write.key);
  if (status.code() == ENOENT) {
    if (!write.create_key) return {};
    status = store.CreateKey(write.key);
  }
  if (!status.ok()) return status;
  return store.SetValue(write.key, write.name, write.value);
}

}  // namespace

bool MayWriteElevated(const StoreWrite& write) {
  if (write.hive != Hive::kDefaultUser) return false;
  if (SameName(write.key, kServiceKey)) {
    return !write.create_key && SameName(write.name, kProfileValue) &&
           PlainText(write.value, kMaxPathText);
  }
  if (SameName(write.key, kDesktopKey)) {
    if (SameName(write.name, kScreenSaverProgramValue)) {
      return write.value == "corvscreen.scr" || write.value == "logon.scr";
    }
    if (SameName(write.name, kScreenSaveActiveValue))
      return write.value == "0" || write.value == "1";
    return false;
  }
  if (SameName(write.key, kScreenSaverKey)) {
    if (SameName(write.name, kProfileValue)) return PlainText(write.value, kMaxPathText);
    if (SameName(write.name, kAreaSizeValue) || SameName(write.name, kTimeoutValue)) {
      return PlainText(write.value, kMaxNumberText);
    }
  }
  return false;
}

bool StoreWriteReport::Elevatable() const {
  if (failed.empty()) return false;
  for (const StoreWrite& write : failed) {
    if (!MayWriteElevated(write)) return false;
  }
  return true;
}

StoreWriteReport WriteStoreValues(std::span<const StoreWrite> writes) {
  StoreWriteReport report;
  for (const StoreWrite& write : writes) {
    SettingsStore store(write.hive);
    const HostStatus status = WriteOne(store, write);
    if (status.ok()) continue;
    if (report.failed.empty()) {
      report.file = store.file();
      report.first_failure = status;
    }
    report.failed.push_back(write);
  }
  return report;
}

HostResult<std::vector<std::string>> ElevatedWriteCommand(std::span<const StoreWrite> writes) {
  HostResult<std::vector<std::string>> result;
  for (const StoreWrite& write : writes) {
    if (!MayWriteElevated(write)) {
      result.status = HostStatus::Error(
          EINVAL, "value \"" + write.name + "\" of [" + write.key + "] with administrator rights");
      return result;
    }
  }
  HostResult<std::string> writer = StoreWriterPath();
  if (!writer.ok()) {
    result.status = writer.status;
    return result;
  }
  result.value = {EnvOr("CORVANE_ELEVATE_COMMAND", "pkexec"), writer.value,
                  std::string(kStoreWriterSwitch)};
  for (const StoreWrite& write : writes) {
    result.value.push_back(write.create_key ? "--set-create" : "--set");
    result.value.push_back(write.key);
    result.value.push_back(write.name);
    result.value.push_back(write.value);
  }
  return result;
}

ElevatedWriteResult InterpretElevatedExit(int exit_status, std::string_view output) {
  switch (exit_status) {
    case kWriterDone:
      return {ElevatedOutcome::kWritten, {}};
    case 126:  // pkexec: the authentication dialog was dismissed
    case 127:  // pkexec: not authorised, or no authentication agent could ask
      return {ElevatedOutcome::kRefused, {}};
    case kWriterFailed:
    case kWriterBadRequest:
      if (!output.empty()) return {ElevatedOutcome::kFailed, Trimmed(output)};
      [[fallthrough]];
    default:
      return {ElevatedOutcome::kFailed,
              "the store writer ended with status " + std::to_string(exit_status)};
  }
}

ElevatedWriteResult WriteStoreValuesElevated(std::span<const StoreWrite> writes) {
  HostResult<std::vector<std::string>> command = ElevatedWriteCommand(writes);
  if (!command.ok()) return {ElevatedOutcome::kFailed, command.status.Message()};
  std::string output;
  HostResult<int> exit = RunProgram(command.value, &output);
  if (!exit.ok()) return {ElevatedOutcome::kFailed, exit.status.Message()};
  return InterpretElevatedExit(exit.value, output);
}

int RunStoreWriter(std::span<const std::string> args, const std::string& store_file,
                   const LockWait& wait, std::string* message) {
  auto refuse = [&](std::string why) {
    *message = std::move(why);
    return kWriterBadRequest;
  };
  if (args.empty() || args[0] != kStoreWriterSwitch) {
    return refuse("usage: corvane-store-write " + std::string(kStoreWriterSwitch) +
                  " (--set|--set-create KEY NAME VALUE)...");
  }
  // The file is the writer's own, never the caller's: whoever runs it with root's rights
  // (pkexec, sudo, doas, root itself) can have it change the machine-wide store and nothing
  // else.
  if (store_file.empty() || store_file.front() != '/') {
    return refuse("the store file must be a full path");
  }
  if (args.size() > 1 && !args[1].starts_with("--")) {
    return refuse("only " + store_file + " is written; the writer takes no file (got " + args[1] +
                  ")");
  }

  std::vector<StoreWrite> writes;
  for (std::size_t i = 1; i < args.size(); i += 4) {
    if (args[i] != "--set" && args[i] != "--set-create") return refuse("unknown switch " + args[i]);
    if (i + 4 > args.size()) return refuse("incomplete value after " + args[i]);
    StoreWrite write{Hive::kDefaultUser, args[i + 1], args[i + 2], args[i + 3],
                     args[i] == "--set-create"};
    if (!MayWriteElevated(write)) {
      return refuse("value \"" + write.name + "\" of [" + write.key + "] may not be written");
    }
    writes.push_back(std::move(write));
  }
  if (writes.empty()) return refuse("no values to write");

  SettingsStore store(store_file);
  store.set_lock_wait(wait);
  for (const StoreWrite& write : writes) {
    if (HostStatus status = WriteOne(store, write); !status.ok()) {
      *message = status.Message();
      return kWriterFailed;
    }
  }
  return kWriterDone;
}

}  // namespace corvane::host
