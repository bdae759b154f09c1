#include "tests/fuzz/ChildProcess.h"

#include <QDeadlineTimer>

namespace fuzz {

ChildProcess::ChildProcess(const QString& program, const QStringList& arguments)
    : program_(program), arguments_(arguments) {}

ChildProcess::~ChildProcess() { stop(); }

bool ChildProcess::start(QString* detail) {
  process_ = std::make_unique<QProcess>();
  process_->setStandardErrorFile(QProcess::nullDevice());
  process_->start(program_, arguments_);
  if (process_->waitForStarted(30000)) return true;
  if (detail) *detail = "could not start " + program_ + ": " + process_->errorString();
  process_.reset();
  return false;
}

void ChildProcess::stop() {
  if (!process_) return;
  if (process_->state() != QProcess::NotRunning) {
    process_->closeWriteChannel();
    if (!process_->waitForFinished(5000)) {
      process_->kill();
      process_->waitForFinished(5000);
    }
  }
  process_.reset();
}

QString ChildProcess::endDescription() const {
  if (process_->exitStatus() == QProcess::CrashExit) return "killed by a signal";
  return QString("exited with code %1").arg(process_->exitCode());
}

ChildProcess::Result ChildProcess::run(const QString& input, int timeoutMs, QString* detail) {
  if (!process_ && !start(detail)) return Result::Crashed;
  process_->write(input.toUtf8() + "\n");
  const QDeadlineTimer deadline(timeoutMs);
  const QByteArray prefix = answerPrefix();
  for (;;) {
    while (process_->canReadLine()) {
      const QByteArray line = process_->readLine().trimmed();
      if (!line.startsWith(prefix)) continue;
      return line.mid(prefix.size()) == "accepted" ? Result::Accepted : Result::Rejected;
    }
    if (process_->state() == QProcess::NotRunning) {
      if (detail) *detail = endDescription();
      process_.reset();
      return Result::Crashed;
    }
    if (deadline.hasExpired()) {
      process_->kill();
      process_->waitForFinished(5000);
      process_.reset();
      if (detail) *detail = QString("no answer within %1 ms").arg(timeoutMs);
      return Result::Hung;
    }
    // Returns early when the process ends; the loop then sees it.
    process_->waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime())));
  }
}

}  // namespace fuzz
