#include "platform/linux/privileged/privileged_write_prompt.h"

#include <QEventLoop>
#include <QMessageBox>
#include <QProcess>
#include <QStringList>

namespace corvane::host {
namespace {

// Runs the elevation command while the event loop goes on; its exit status and output.
ElevatedWriteResult RunElevation(const std::vector<std::string>& command) {
  QProcess process;
  QStringList arguments;
  for (std::size_t i = 1; i < command.size(); ++i) arguments << QString::fromStdString(command[i]);
  process.setProgram(QString::fromStdString(command[0]));
  process.setArguments(arguments);
  process.setStandardInputFile(QProcess::nullDevice());
  process.setProcessChannelMode(QProcess::SeparateChannels);

  QEventLoop loop;
  QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
  QObject::connect(&process, &QProcess::errorOccurred, &loop, [&loop](QProcess::ProcessError e) {
    if (e == QProcess::FailedToStart) loop.quit();
  });
  process.start();
  if (process.state() != QProcess::NotRunning) loop.exec(QEventLoop::ExcludeUserInputEvents);

  if (process.error() == QProcess::FailedToStart) {
    return {ElevatedOutcome::kFailed, command[0] + ": " + process.errorString().toStdString()};
  }
  if (process.exitStatus() == QProcess::CrashExit) {
    return {ElevatedOutcome::kFailed, command[0] + " ended abnormally"};
  }
  const QByteArray output = process.readAllStandardOutput();
  return InterpretElevatedExit(process.exitCode(), output.toStdString());
}

}  // namespace

PromptedWrite WriteStoreValuesAsking(QWidget* parent, const QString& title,
                                     std::span<const StoreWrite> writes) {
  const StoreWriteReport report = WriteStoreValues(writes);
  if (report.ok()) return PromptedWrite::kWritten;

  const QString file = QString::fromStdString(report.file);
  const QString reason = QString::fromStdString(report.first_failure.Message());
  if (!report.Elevatable()) {
    QMessageBox::warning(parent, title, QString::fromLatin1(kStoreNotWritable).arg(file, reason));
    return PromptedWrite::kFailed;
  }
  const auto answer = QMessageBox::question(
      parent, title, QString::fromLatin1(kStoreNotWritableAsk).arg(file, reason),
      QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
  if (answer != QMessageBox::Yes) return PromptedWrite::kDeclined;

  HostResult<std::vector<std::string>> command = ElevatedWriteCommand(report.failed);
  const ElevatedWriteResult elevated =
      command.ok() ? RunElevation(command.value)
                   : ElevatedWriteResult{ElevatedOutcome::kFailed, command.status.Message()};
  switch (elevated.outcome) {
    case ElevatedOutcome::kWritten:
      return PromptedWrite::kWritten;
    case ElevatedOutcome::kRefused:
      QMessageBox::warning(parent, title, QString::fromLatin1(kElevationRefused).arg(file));
      return PromptedWrite::kRefused;
    case ElevatedOutcome::kFailed:
      break;
  }
  QMessageBox::warning(
      parent, title,
      QString::fromLatin1(kElevatedWriteFailed).arg(file, QString::fromStdString(elevated.detail)));
  return PromptedWrite::kFailed;
}

}  // namespace corvane::host
