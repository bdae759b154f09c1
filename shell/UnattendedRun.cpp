#include "shell/UnattendedRun.h"

#include <QDir>

UnattendedRun::UnattendedRun(const QString& renderDirectory, QObject* parent)
    : QObject(parent), renderDirectory_(renderDirectory) {}

void UnattendedRun::beginLoad() { ++pendingLoads_; }

void UnattendedRun::endLoad(const QString& problem) {
  if (!problem.isEmpty()) problems_ << problem;
  if (pendingLoads_ > 0) --pendingLoads_;
  startWhenReady();
}

void UnattendedRun::fail(const QString& reason) {
  end(1, reason + QStringLiteral("\nNothing was rendered."));
}

void UnattendedRun::startupFilesDispatched() {
  dispatched_ = true;
  startWhenReady();
}

void UnattendedRun::startWhenReady() {
  if (ended_ || renderAsked_ || !dispatched_ || pendingLoads_ > 0) return;
  renderAsked_ = true;
  emit signal_render();
}

void UnattendedRun::setCameraCount(int count) {
  if (count > 0 || ended_) return;
  QString reason = QStringLiteral("Nothing to render into %1: the files given hold no camera orientations.")
                       .arg(QDir::toNativeSeparators(renderDirectory_));
  if (!problems_.isEmpty()) reason += QStringLiteral("\n") + problems_.join(QStringLiteral("\n"));
  end(1, reason);
}

void UnattendedRun::renderFinished(int written, const QStringList& failures) {
  QStringList lines = problems_;
  lines << failures;
  lines << QStringLiteral("%1 picture(s) written to %2").arg(written).arg(QDir::toNativeSeparators(renderDirectory_));
  if (!failures.isEmpty()) lines << QStringLiteral("%1 picture(s) could not be written.").arg(failures.size());
  end(failures.isEmpty() && written > 0 ? 0 : 1, lines.join(QStringLiteral("\n")));
}

void UnattendedRun::end(int exitCode, const QString& report) {
  if (ended_) return;
  ended_ = true;
  emit signal_end(exitCode, report);
}
