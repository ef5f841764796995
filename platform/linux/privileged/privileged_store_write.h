// Writing a few values into the settings store, with administrator rights where the store's
// file cannot be written by the user (the default user's hive, /etc/Quillfen/Corvane/
// registry.ini, normally belongs to root).
//
// The elevated path runs the elevation command ($CORVANE_ELEVATE_COMMAND, else "pkexec") on
// our own store writer (corvane-store-write beside the program, or $CORVANE_STORE_WRITER) with
// one narrow switch, never a shell:
//
//   pkexec /usr/bin/corvane-store-write --default-user-values
//          (--set|--set-create KEY NAME VALUE)...
//
// The writer takes only the values listed by MayWriteElevated (the service's "Profile", the
// logon desktop's screen saver and the screen saver's own settings of the default user) and
// writes only the machine-wide store, /etc/Quillfen/Corvane/registry.ini: the command line
// names no file and the writer reads nothing from its environment, so it cannot be aimed
// elsewhere however it was started (pkexec, sudo, doas, root itself).
//
// Any thread; every function reads the environment and the files afresh. The waiting forms
// (WriteStoreValuesElevated) block until the elevation ends, so a window uses the asking form
// in privileged_write_prompt.h, which keeps its event loop running.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/host/host_status.h"
#include "platform/linux/host/settings_store.h"

namespace corvane::host {

// One value for the settings store.
struct StoreWrite {
  Hive hive = Hive::kCurrentUser;
  std::string key;    // "Control Panel\Desktop"
  std::string name;   // "SCRNSAVE.EXE"
  std::string value;  // "corvscreen.scr"
  // false: a missing key is left alone and nothing is written (keys that are opened, never
  // created); true: the key is created first.
  bool create_key = false;

  bool operator==(const StoreWrite&) const = default;
};

// The store writer's switch and its exit statuses. pkexec itself ends with 126 when the user
// dismissed its dialog and 127 when authorisation failed, so the writer never uses those.
inline constexpr std::string_view kStoreWriterSwitch = "--default-user-values";
inline constexpr int kWriterDone = 0;
inline constexpr int kWriterBadRequest = 2;  // unknown switch or a value it may not write
inline constexpr int kWriterFailed = 3;      // the store could not be written (reason printed)

// True for the default user's values the store writer may write with administrator rights.
bool MayWriteElevated(const StoreWrite& write);

// What a direct write achieved.
struct StoreWriteReport {
  std::vector<StoreWrite> failed;  // the writes that could not be made, in order
  std::string file;                // the store file of the first failure
  HostStatus first_failure;        // its step and the system's reason

  bool ok() const { return failed.empty(); }
  // True when every failed write may be retried with administrator rights.
  bool Elevatable() const;
};

// Writes each value with the user's own rights. A missing key without create_key is skipped
// silently; every other failure is collected.
StoreWriteReport WriteStoreValues(std::span<const StoreWrite> writes);

// The argument vector of the elevated write of `writes` (all must be MayWriteElevated, else
// EINVAL): the elevation command, the store writer's full path, the switch and one group per
// value.
HostResult<std::vector<std::string>> ElevatedWriteCommand(std::span<const StoreWrite> writes);

enum class ElevatedOutcome {
  kWritten,  // the writer wrote every value
  kRefused,  // the administrator's rights were refused or the dialog was dismissed
  kFailed,   // the elevation or the writer failed; detail says why
};

struct ElevatedWriteResult {
  ElevatedOutcome outcome = ElevatedOutcome::kFailed;
  std::string detail;  // the writer's or the system's reason on kFailed
};

// What the elevation command's exit status and standard output mean.
ElevatedWriteResult InterpretElevatedExit(int exit_status, std::string_view output);

// Runs the elevated write and waits for it.
ElevatedWriteResult WriteStoreValuesElevated(std::span<const StoreWrite> writes);

// The store writer's own work: checks the arguments after the program name and writes the
// values into `store_file` (the program passes kDefaultUserHiveFile), waiting `wait` for
// another writer of it. Returns its exit status; `message` gets the reason of a failure.
int RunStoreWriter(std::span<const std::string> args, const std::string& store_file,
                   const LockWait& wait, std::string* message);

}  // namespace corvane::host
