#include "platform/linux/privileged/privileged_write_prompt.h"

#include <QEventLoop>
#include <QMessageBox>
#include <QProcess>
#include <QProgressDialog>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

namespace corvane::host {
namespace {

// How long a wait goes on without a note: most writes end well before.
constexpr int kQuietWaitMs = 400;

// Runs `loop` until `done` is set (by the caller's connections, which also quit the loop),
// the windows painting all along. For a moment they take no input; then a modal note with
// `text` says what is awaited, so nothing else in the program starts meanwhile, and its
// Cancel button, when `cancel` is given, calls it.
void WaitAnswering(QWidget* parent, const QString& title, const QString& text, QEventLoop& loop,
                   const bool& done, const std::function<void()>& cancel) {
  QTimer quiet;
  quiet.setSingleShot(true);
  QObject::connect(&quiet, &QTimer::timeout, &loop, &QEventLoop::quit);
  quiet.start(kQuietWaitMs);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  if (done) return;

  QProgressDialog note(text, cancel ? QObject::tr("Cancel") : QString(), 0, 0, parent);
  note.setWindowTitle(title);
  note.setWindowModality(Qt::ApplicationModal);
  note.setAutoClose(false);
  note.setAutoReset(false);
  note.setMinimumDuration(0);
  if (cancel) QObject::connect(&note, &QProgressDialog::canceled, &note, cancel);
  note.show();
  while (!done) loop.exec();
}

// Runs the elevation command and waits for it answering the windows; its exit status and
// output, or nothing when the user cancelled the wait.
std::optional<ElevatedWriteResult> RunElevation(QWidget* parent, const QString& title,
                                                const QString& file,
                                                const std::vector<std::string>& command) {
  QProcess process;
  QStringList arguments;
  for (std::size_t i = 1; i < command.size(); ++i) arguments << QString::fromStdString(command[i]);
  process.setProgram(QString::fromStdString(command[0]));
  process.setArguments(arguments);
  process.setStandardInputFile(QProcess::nullDevice());
  process.setProcessChannelMode(QProcess::SeparateChannels);

  bool done = false;
  bool cancelled = false;
  QEventLoop loop;
  QObject::connect(&process, &QProcess::finished, &loop, [&] {
    done = true;
    loop.quit();
  });
  QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError e) {
    if (e != QProcess::FailedToStart) return;
    done = true;
    loop.quit();
  });
  process.start();
  if (process.state() != QProcess::NotRunning) {
    // Cancel ends the elevation command; the wait goes on until it has ended.
    WaitAnswering(parent, title, QString::fromLatin1(kWaitingForRights).arg(file), loop, done, [&] {
      cancelled = true;
      process.terminate();
    });
  }

  if (process.error() == QProcess::FailedToStart) {
    return ElevatedWriteResult{ElevatedOutcome::kFailed,
                               command[0] + ": " + process.errorString().toStdString()};
  }
  if (cancelled) return std::nullopt;
  if (process.exitStatus() == QProcess::CrashExit) {
    return ElevatedWriteResult{ElevatedOutcome::kFailed, command[0] + " ended abnormally"};
  }
  const QByteArray output = process.readAllStandardOutput();
  return InterpretElevatedExit(process.exitCode(), output.toStdString());
}

}  // namespace

HostStatus RunAnswering(QWidget* parent, const QString& title,
                        const std::function<HostStatus()>& work) {
  HostStatus status;
  bool done = false;
  QEventLoop loop;
  std::unique_ptr<QThread> thread(QThread::create([&status, &work] { status = work(); }));
  QObject::connect(thread.get(), &QThread::finished, &loop, [&] {
    done = true;
    loop.quit();
  });
  thread->start();
  WaitAnswering(parent, title, QString::fromLatin1(kSavingSettings), loop, done, {});
  thread->wait();
  return status;
}

PromptedWrite WriteStoreValuesAsking(QWidget* parent, const QString& title,
                                     std::span<const StoreWrite> writes) {
  // The direct write on a thread of its own: the lock it may wait for and the files are no
  // business of the GUI thread.
  StoreWriteReport report;
  RunAnswering(parent, title, [&report, writes] {
    report = WriteStoreValues(writes);
    return HostStatus();
  });
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
  if (!command.ok()) {
    QMessageBox::warning(parent, title,
                         QString::fromLatin1(kElevatedWriteFailed)
                             .arg(file, QString::fromStdString(command.status.Message())));
    return PromptedWrite::kFailed;
  }
  const std::optional<ElevatedWriteResult> run = RunElevation(parent, title, file, command.value);
  if (!run) return PromptedWrite::kDeclined;
  const ElevatedWriteResult& elevated = *run;
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
