// The window side of the privileged write: writes values into the settings store and, where
// the store's file cannot be written, tells the user which file and why, offers to write the
// values with administrator rights, and reports a refusal or a failure of that write too.
// A choice never vanishes without a message.
//
// GUI thread only; it never blocks on the files or the elevation. The direct write runs on a
// thread of its own and the elevation as a child process while local event loops keep the
// windows painting and answering: a wait that lasts shows a modal note (with Cancel while
// administrator rights are awaited), so nothing else in the program starts meanwhile.
#pragma once

#include <QString>
#include <functional>
#include <span>

#include "platform/linux/privileged/privileged_store_write.h"

class QWidget;

namespace corvane::host {

// The texts the user sees; %1 is the store file, %2 the reason.
inline constexpr const char* kStoreNotWritableAsk =
    "The settings could not be saved in %1:\n%2\n\n"
    "Save them with administrator rights?";
inline constexpr const char* kStoreNotWritable = "The settings could not be saved in %1:\n%2";
inline constexpr const char* kElevationRefused =
    "Administrator rights were refused. The settings in %1 were not changed.";
inline constexpr const char* kElevatedWriteFailed =
    "The settings could not be saved in %1 with administrator rights:\n%2";
// The notes of a wait that lasts; %1 is the store file.
inline constexpr const char* kSavingSettings = "Saving the settings...";
inline constexpr const char* kWaitingForRights =
    "Waiting for administrator rights to save the settings in %1...";

enum class PromptedWrite {
  kWritten,   // every value is in the store (directly or with administrator rights)
  kDeclined,  // the user chose not to use administrator rights, or cancelled waiting for them
  kRefused,   // administrator rights were refused
  kFailed,    // a value could not be written; the user was told why
};

// Runs `work` (a window's own settings writes) on a thread of its own and returns its status,
// the windows answering meanwhile as above. `work` may touch nothing the GUI thread changes.
HostStatus RunAnswering(QWidget* parent, const QString& title,
                        const std::function<HostStatus()>& work);

// Writes `writes`; message boxes carry `title`.
PromptedWrite WriteStoreValuesAsking(QWidget* parent, const QString& title,
                                     std::span<const StoreWrite> writes);

}  // namespace corvane::host
