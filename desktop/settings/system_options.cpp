#include "desktop/settings/system_options.h"

#include <string>
#include <vector>

#include "desktop/settings/service_config_dlg.h"
#include "platform/linux/host/settings_store.h"
#include "platform/linux/privileged/privileged_write_prompt.h"
#include "platform/qt/product_text.h"

namespace corvane::desktop {
namespace {

using host::Hive;
using host::SettingsStore;
using host::StoreWrite;

using product::kDesktopKey;
using product::kProfileValue;
using product::kScreenSaverProgramValue;
using product::kServiceKey;

std::string ReadValue(Hive hive, const char* key, const char* name) {
  host::HostResult<std::string> value = SettingsStore(hive).QueryValue(key, name);
  return value.ok() ? value.value : std::string();
}

}  // namespace

bool NamesCorvscreen(std::string_view value) { return value.ends_with(kSaverFile); }

void RunSystemOptions(QWidget* parent, HelpRequest) {
  const std::string profile = ReadValue(Hive::kDefaultUser, kServiceKey, kProfileValue);
  const bool logon =
      NamesCorvscreen(ReadValue(Hive::kDefaultUser, kDesktopKey, kScreenSaverProgramValue));
  const bool current =
      NamesCorvscreen(ReadValue(Hive::kCurrentUser, kDesktopKey, kScreenSaverProgramValue));

  CServiceConfigDlg dialog(QString::fromStdString(profile), logon, current, parent);
  if (dialog.exec() != QDialog::Accepted) return;

  std::vector<StoreWrite> writes;
  const std::string chosen = dialog.profile().toStdString();
  if (chosen != profile) writes.push_back({Hive::kDefaultUser, kServiceKey, kProfileValue, chosen});
  if (dialog.logon() != logon) {
    writes.push_back({Hive::kDefaultUser, kDesktopKey, kScreenSaverProgramValue,
                      dialog.logon() ? std::string(kSaverFile) : "logon.scr"});
  }
  if (dialog.current_user() != current) {
    writes.push_back({Hive::kCurrentUser, kDesktopKey, kScreenSaverProgramValue,
                      dialog.current_user() ? std::string(kSaverFile) : "scrnsave.scr"});
  }
  if (!writes.empty())
    host::WriteStoreValuesAsking(parent, QString::fromLatin1(product::kAppTitle), writes);
}

}  // namespace corvane::desktop
