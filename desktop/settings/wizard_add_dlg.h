// CWizardAddDlg: the profile wizard that shapes a freshly created profile on the live chart.
// Twelve boxes choose the standard counter groups (a click stops the collector, replaces the
// axes with the whole selection and starts it again); nine boxes choose how the diagram looks
// (a click changes the settings while sampling goes on). OK keeps what is shown, Cancel puts
// the default counters and every default setting back, "Counters..." ends with kCountersResult
// so that the document continues in the counters dialog.
//
// Owns only its widgets; the engine and the window belong to the document and outlive the
// dialog. GUI thread only.
#pragma once

#include <QDialog>
#include <array>
#include <cstdint>

#include "core/engine.h"
#include "desktop/help/help_request.h"

namespace corvane::desktop {
class CollectorStopper;
}

class QCheckBox;
class QPushButton;

namespace corvane::desktop {

class CWizardAddDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kDialogId = 106;       // its resource id, in its object name
  static constexpr int kCountersResult = 18;  // the "Counters..." button's id

  // One counter box: control id, label, initial state, catalogue group.
  struct CounterBox {
    int id;
    const char* label;
    bool initially;
    std::uint32_t flag;
  };
  // One visual box: control id, label, initial state.
  struct VisualBox {
    int id;
    const char* label;
    bool initially;
  };
  static const std::array<CounterBox, 12> kCounterBoxes;
  static const std::array<VisualBox, 9> kVisualBoxes;

  // `window` is what the collector repaints after a restart; it may be null.
  CWizardAddDlg(Corvane& engine, EngineWindow* window, HelpRequest help, QWidget* parent);

  // The boxes by control id (for the document and the tests); nullptr for an unknown id.
  QCheckBox* Box(int id) const;
  // The catalogue mask the counter boxes choose now.
  std::uint32_t CounterMask() const;

  // Cancel, Escape and closing the window: the default profile back, then IDCANCEL (once the
  // collector has stopped or the stop has given up).
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* CreateCounterGroup();
  QWidget* CreateVisualGroup();
  QWidget* CreateButtons();

  void OnCounterClicked(QCheckBox* box);
  void OnVisualClicked();
  // The document's start: "Loading...", settings applied, collector started without the
  // repaint at start.
  void StartMonitoring();
  void RedrawViews();

  Corvane& engine_;
  EngineWindow* const window_;
  const HelpRequest help_;
  std::array<QCheckBox*, 12> counter_boxes_{};
  std::array<QCheckBox*, 9> visual_boxes_{};
  bool centred_ = false;
  // Every stop of a counter click and of Cancel; the wizard is disabled while one waits.
  CollectorStopper* stopper_ = nullptr;
};

}  // namespace corvane::desktop
