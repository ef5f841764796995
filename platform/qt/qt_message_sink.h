// QtMessageSink: the engine's messages as message boxes titled "Corvane". ShowMessage may be
// called from any thread; the box is built on the sink's (GUI) thread and shown without a
// local event loop, so neither the collector nor a waiting Stop is held up by the user.
// A system-modal message blocks the whole application and stays on top; the others are modal
// to the main window. A message with a help context gets a Help button that hands the context
// to the help handler (the box then closes, as a box does after any of its buttons).
//
// Lives on the GUI thread; must outlive the engine that calls it. Boxes are owned by their
// parent window (or delete themselves when closed).
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "core/engine_host.h"

class QMessageBox;

namespace corvane::qt {

class QtMessageSink final : public QObject, public MessageSink {
  Q_OBJECT

 public:
  using HelpHandler = std::function<void(std::uint32_t context, QWidget* parent)>;

  explicit QtMessageSink(QObject* parent = nullptr);

  // GUI thread. The window boxes are shown over (may be null: a free-standing box).
  void SetParentWindow(QWidget* window) { parent_window_ = window; }
  void SetHelpHandler(HelpHandler help) { help_ = std::move(help); }

  // Any thread.
  void ShowMessage(const EngineMessage& message) override;

 Q_SIGNALS:
  // GUI thread: a box has just been shown (tests find it through this).
  void messageShown(QMessageBox* box);

 private:
  void Show(const EngineMessage& message);

  QPointer<QWidget> parent_window_;
  HelpHandler help_;
};

}  // namespace corvane::qt
