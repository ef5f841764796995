// QtScreenInfo: the primary screen's size for the engine. The size is read on the GUI thread
// when the object is made and whenever the primary screen or its geometry changes; any thread
// may ask for it. Lives on the GUI thread; must outlive the engine.
#pragma once

#include <QObject>
#include <mutex>

#include "core/engine_host.h"

class QScreen;

namespace corvane::qt {

class QtScreenInfo final : public QObject, public ScreenInfo {
  Q_OBJECT

 public:
  explicit QtScreenInfo(QObject* parent = nullptr);

  ScreenSize PrimaryScreenSize() const override;

 private:
  void Watch(QScreen* screen);
  void Refresh();

  mutable std::mutex mutex_;
  ScreenSize size_ = kNoScreenSize;
};

}  // namespace corvane::qt
