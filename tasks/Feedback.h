#pragma once

#include <QObject>

#include <atomic>

namespace tasks {

// What a background job and its owner share while it runs: the progress the job reports and the
// cancel flag the owner raises. Every member is thread-safe; the job alone decides where it stops,
// so it asks isCanceled() between units of work (a file, a tile, a batch).
class Feedback : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  // Percent, clamped to 0..100. Emits progressChanged only when the value changes.
  void setProgress(double percent);
  double progress() const { return progress_; }

  void cancel() { canceled_ = true; }
  bool isCanceled() const { return canceled_; }

  // Back to 0 % and not cancelled, for the next job of a task.
  void reset();

 signals:
  // Emitted on the thread that set the progress, so receivers on the main thread get it queued,
  // in the order it was set.
  void progressChanged(double percent);

 private:
  std::atomic<double> progress_{0.0};
  std::atomic_bool canceled_{false};
};

}  // namespace tasks
