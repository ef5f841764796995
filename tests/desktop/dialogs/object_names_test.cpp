// Every widget the desktop's dialogs name is named in the one scheme ("<role>_<resource id>" or
// "<role>_<name>"), and the names the tests find the controls by are there.
#include <QPushButton>
#include <algorithm>
#include <functional>
#include <memory>

#include "desktop/counters/computer_dlg.h"
#include "desktop/counters/counter_browser.h"
#include "desktop/counters/counters_dlg.h"
#include "desktop/help/about_dlg.h"
#include "desktop/settings/log_settings.h"
#include "desktop/settings/options_dlg.h"
#include "desktop/settings/service_config_dlg.h"
#include "desktop/settings/wizard_add_dlg.h"
#include "platform/qt/object_name.h"
#include "tests/desktop/desktop_test_support.h"

namespace corvane::desktop::testing {
namespace {

struct NamedDialogCase {
  const char* name;
  std::function<std::unique_ptr<QDialog>(Corvane&, perf::Provider&)> make;
  QStringList expected;  // names that must be among the dialog's widgets
};
void PrintTo(const NamedDialogCase& c, std::ostream* out) { *out << c.name; }

class ObjectNamesTest : public DesktopFixture,
                        public ::testing::WithParamInterface<NamedDialogCase> {};

TEST_P(ObjectNamesTest, EveryNameFollowsTheSchemeAndTheKnownNamesAreThere) {
  ASSERT_TRUE(StartProgram());
  const NamedDialogCase& c = GetParam();
  std::unique_ptr<QDialog> dialog = c.make(engine(), provider_);
  QStringList names;
  if (!dialog->objectName().isEmpty()) names << dialog->objectName();
  for (QObject* child : dialog->findChildren<QObject*>()) {
    // Qt's own parts of a control ("qt_spinbox_lineedit", "_q_qlineeditclearaction") are not
    // ours to name.
    const QString& name = child->objectName();
    if (name.isEmpty() || name.startsWith("qt_") || name.startsWith("_q_")) continue;
    names << name;
  }
  for (const QString& name : names) EXPECT_TRUE(qt::FollowsNameScheme(name)) << name.toStdString();
  for (const QString& name : c.expected)
    EXPECT_TRUE(names.contains(name)) << name.toStdString() << " missing";
  EXPECT_EQ(names.removeDuplicates(), 0) << "two widgets share a name";
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, ObjectNamesTest,
    ::testing::Values(
        NamedDialogCase{"Preferences",
                        [](Corvane& e, perf::Provider&) {
                          return std::make_unique<COptionsDlg>(e, nullptr, nullptr, nullptr);
                        },
                        {"edit_1013", "edit_1015", "combo_1016", "combo_1017", "radio_1020",
                         "radio_1021", "radio_1022"}},
        NamedDialogCase{"LogSettings",
                        [](Corvane& e, perf::Provider&) {
                          return std::make_unique<CLogSettings>(e, nullptr, nullptr);
                        },
                        {"edit_1026", "radio_1028", "radio_1030", "radio_1031", "radio_1032"}},
        NamedDialogCase{"SystemOptions",
                        [](Corvane&, perf::Provider&) {
                          return std::make_unique<CServiceConfigDlg>(QStringLiteral("/p.crvn"),
                                                                     false, false, nullptr);
                        },
                        {"edit_1000"}},
        NamedDialogCase{"Wizard",
                        [](Corvane& e, perf::Provider&) {
                          return std::make_unique<CWizardAddDlg>(e, nullptr, nullptr, nullptr);
                        },
                        {"check_1044"}},
        NamedDialogCase{"RemoteHost",
                        [](Corvane&, perf::Provider&) {
                          return std::make_unique<CComputerDlg>(nullptr, nullptr);
                        },
                        {"dialog_132", "edit_1005", "button_1", "button_2", "button_9"}},
        NamedDialogCase{"Counters",
                        [](Corvane& e, perf::Provider&) {
                          return std::make_unique<CCountersDlg>(e, nullptr, nullptr, nullptr);
                        },
                        {"dialog_130", "list_1000", "edit_1001", "edit_1005", "check_1018",
                         "check_1048", "button_14", "button_1004"}},
        NamedDialogCase{"CounterBrowser",
                        [](Corvane&, perf::Provider& provider) {
                          return std::make_unique<CCounterBrowser>(
                              provider, [](const std::string&) { return true; }, false, nullptr);
                        },
                        {"dialog_counter_browser", "edit_computer", "button_connect",
                         "list_objects", "list_counters", "list_instances", "radio_all_instances",
                         "button_add", "button_close"}},
        NamedDialogCase{
            "About",
            [](Corvane&, perf::Provider&) { return std::make_unique<CAboutDlg>(nullptr); },
            {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::desktop::testing
