#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QtConcurrent>

#include <exception>
#include <functional>

#include "tasks/Feedback.h"

namespace tasks {

// One background job at a time on the global thread pool, with its progress and cancel flag in a
// Feedback and its end delivered on the main thread (a QFutureWatcher's finished()).
//
// Lifetime: the job gets the Feedback and whatever its function captured; it must not capture the
// task or its owner, and must never wait for the main thread. Deleting the task (or the owner it
// is a member or child of) while the job runs cancels it and waits for it to return: a job that
// has not begun is dropped without running, a running one stops at its next isCanceled() check
// (the wait lasts one unit of work). So no job outlives its task, and whatever the job uses that
// the program tears down afterwards (the scene-file guard, the reader registry) is still there.
// Nothing is delivered after the task is gone: the Feedback's receivers are disconnected before
// the cancel, and finished() dies with the watcher.
class Task : public QObject {
  Q_OBJECT

 public:
  explicit Task(QObject* parent = nullptr);

  // The same object for every job of the task, so receivers of its progress connect once.
  Feedback* feedback() { return &feedback_; }
  // Applies to the running job; the next start() begins uncancelled.
  void cancel() { feedback_.cancel(); }
  bool isCanceled() const { return feedback_.isCanceled(); }
  // From start until finished() has been delivered, not merely until the job has returned: a job
  // that returned but was not delivered yet still counts.
  bool isRunning() const { return running_; }
  // The text of the exception the last job threw; empty when it returned.
  const QString& error() const { return error_; }

 signals:
  // On the main thread, once per job, also for a cancelled or failed job.
  void finished();

 protected:
  // Makes the feedback ready for a new job.
  Feedback& beginJob();
  void endJob(const QString& error);
  // For the destructor of the subclass that owns the watcher: silences the feedback, cancels the
  // job and waits for it.
  void abandonJob(QFutureWatcherBase& watcher);

  template <typename R, typename Job>
  static R runGuarded(const Job& job, Feedback& feedback, QString& error) {
    // An exception must not cross into the pool, which would end the program.
    try {
      return job(feedback);
    } catch (const std::exception& e) {
      error = QString::fromUtf8(e.what());
      if (error.isEmpty()) error = QStringLiteral("Unknown error");
    } catch (...) {
      error = QStringLiteral("Unknown error");
    }
    return R{};
  }

 private:
  Feedback feedback_;
  bool running_ = false;
  QString error_;
};

// A task whose job returns a value of type R (default-constructible and copyable).
template <typename R>
class ResultTask : public Task {
 public:
  using Job = std::function<R(Feedback&)>;

  explicit ResultTask(QObject* parent = nullptr) : Task(parent) {
    connect(&watcher_, &QFutureWatcher<Outcome>::finished, this, [this] {
      Outcome outcome = watcher_.result();
      result_ = std::move(outcome.value);
      endJob(outcome.error);
    });
  }
  ~ResultTask() override { abandonJob(watcher_); }

  // Hands `job` to the global thread pool. Refused (false) while a job runs.
  bool start(Job job) {
    if (isRunning()) return false;
    result_ = R{};
    Feedback* feedback = &beginJob();
    watcher_.setFuture(QtConcurrent::run([job = std::move(job), feedback]() {
      Outcome outcome;
      outcome.value = runGuarded<R>(job, *feedback, outcome.error);
      return outcome;
    }));
    return true;
  }

  // The last job's result once finished() has arrived; R() when the job threw.
  const R& result() const { return result_; }

 private:
  struct Outcome {
    R value{};
    QString error;
  };

  QFutureWatcher<Outcome> watcher_;
  R result_{};
};

// A one-off job: `then` gets its result on the main thread unless `context` is destroyed first,
// which cancels the job and waits for it (see Task). The task is a child of `context` and deletes
// itself afterwards.
template <typename R>
void run(QObject* context, typename ResultTask<R>::Job job, std::function<void(const R&)> then) {
  auto* task = new ResultTask<R>(context);
  QObject::connect(task, &Task::finished, task, [task, then = std::move(then)] {
    task->deleteLater();
    then(task->result());
  });
  task->start(std::move(job));
}

}  // namespace tasks
