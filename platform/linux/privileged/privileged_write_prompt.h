// The window side of the privileged write: writes values into the settings store and, where
// the store's file cannot be written, tells the user which file and why, offers to write the
// values with administrator rights, and reports a refusal or a failure of that write too.
// A choice never vanishes without a message.
//
// GUI thread only. The elevation runs as a child process while a local event loop keeps the
// windows painting; the parent stays disabled by the modal message boxes and the wait.
#pragma once

#include <QString>
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

enum class PromptedWrite {
  kWritten,   // every value is in the store (directly or with administrator rights)
  kDeclined,  // the user chose not to use administrator rights
  kRefused,   // administrator rights were refused
  kFailed,    // a value could not be written; the user was told why
};

// Writes `writes`; message boxes carry `title`.
PromptedWrite WriteStoreValuesAsking(QWidget* parent, const QString& title,
                                     std::span<const StoreWrite> writes);

}  // namespace corvane::host
