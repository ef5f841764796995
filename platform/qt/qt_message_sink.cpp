#include "platform/qt/qt_message_sink.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QMetaObject>

#include "platform/qt/product_text.h"

namespace corvane::qt {

QtMessageSink::QtMessageSink(QObject* parent) : QObject(parent) {}

void QtMessageSink::ShowMessage(const EngineMessage& message) {
  QMetaObject::invokeMethod(
      this, [this, message] { Show(message); }, Qt::QueuedConnection);
}

void QtMessageSink::Show(const EngineMessage& message) {
  auto* box = new QMessageBox(
      message.icon == MessageIcon::kError ? QMessageBox::Critical : QMessageBox::NoIcon,
      tr(product::kAppTitle), QString::fromStdString(message.text), QMessageBox::Ok,
      parent_window_);
  box->setAttribute(Qt::WA_DeleteOnClose);
  if (message.system_modal) {
    box->setWindowModality(Qt::ApplicationModal);
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
  } else {
    box->setWindowModality(parent_window_ ? Qt::WindowModal : Qt::ApplicationModal);
  }
  if (message.help_context != 0) {
    box->addButton(QMessageBox::Help);
    const auto context = static_cast<std::uint32_t>(message.help_context);
    connect(box, &QMessageBox::buttonClicked, this, [this, box, context](QAbstractButton* button) {
      if (box->buttonRole(button) == QMessageBox::HelpRole && help_) help_(context, box);
    });
  }
  box->show();
  Q_EMIT messageShown(box);
}

}  // namespace corvane::qt
