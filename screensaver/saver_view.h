// SaverView: the screen saver's picture in an X window (the host's or its own full-screen
// one). It keeps a frame as large as the window, black around the chart, redraws the chart
// into it after each sample (the collector's Invalidate) and each move or reappearance (the
// one-second timer) through ChartLayers, drawing and putting on the window only what changed
// (nothing when a sample changed nothing shown); exposures put the frame's part
// again without redrawing. While the window cannot be seen (unmapped, or wholly covered) it
// records and draws nothing; once it can, what was passed over is drawn before the exposures
// are put. It follows the window's size and reports the window going away and,
// full-screen, the user's input.
//
// Lives on the GUI thread. Invalidate is the only member other threads call: it posts.
#pragma once

#include <QImage>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <vector>

#include "core/engine_host.h"
#include "platform/linux/x11/xcb_window.h"
#include "platform/qt/chart_layers.h"
#include "platform/qt/coalesced_call.h"
#include "platform/qt/text_layout_cache.h"
#include "screensaver/chart_placement.h"
#include "screensaver/user_input.h"

namespace corvane {
class Corvane;
}

namespace corvane::screensaver {

class SaverView final : public QObject, public EngineWindow {
  Q_OBJECT

 public:
  static constexpr int kNarrowWindow = 400;  // pixels: narrower windows show no texts

  // `ends_on_input`: full-screen, where a key, a button or a movement ends the screen saver.
  // The engine and the window must outlive the view.
  SaverView(Corvane& engine, x11::XcbWindow& window, ChartPlacement placement, bool ends_on_input,
            QObject* parent = nullptr);

  // Sizes the frame to the window, paints it whole and starts the one-second timer.
  void Start();
  // Any thread (the collector's): a repaint is posted to the GUI thread; repeated requests
  // before it runs make one repaint.
  void Invalidate(bool erase) override;

  // Repaints that drew something, and pictures recorded, for tests and measuring.
  int redraws() const { return redraws_; }
  int recordings() const { return layers_.recordings(); }

 Q_SIGNALS:
  // The window is gone or the user came back: the screen saver should end.
  void finished();

 private:
  void OnSecond();
  void OnConnectionReadable();
  void HandleEvents();
  void FollowSize();
  // Draws the chart where it now belongs (or only clears where it was) and puts the change.
  void Redraw();
  void PutPart(const QRect& part);

  Corvane& engine_;
  x11::XcbWindow& window_;
  ChartPlacement placement_;
  const bool ends_on_input_;
  UserInput input_;
  QImage frame_;
  QRect shown_;  // where the frame holds a chart now; empty when all black
  qt::TextLayoutCache text_cache_;
  qt::ChartLayers layers_{text_cache_};
  qt::ChartLayers::DrawFunction draw_;
  QTimer second_;
  QSocketNotifier* readable_ = nullptr;
  bool finished_ = false;
  bool missed_ = false;  // a repaint was passed over while the window could not be seen
  int redraws_ = 0;
  qt::CoalescedCall repaint_{this, [this] { Redraw(); }};
};

}  // namespace corvane::screensaver
