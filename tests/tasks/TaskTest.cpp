#include <QSemaphore>
#include <QThreadPool>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <memory>
#include <stdexcept>

#include "tasks/Task.h"

using tasks::Feedback;
using tasks::ResultTask;

namespace {

// Spins until the owner cancels; a job that never looks at the flag could not be stopped.
int runUntilCanceled(Feedback& feedback, QSemaphore& started) {
  started.release();
  int rounds = 0;
  while (!feedback.isCanceled()) {
    feedback.setProgress(rounds % 100);
    ++rounds;
    QThread::yieldCurrentThread();
  }
  return rounds;
}

void deliverPostedEvents() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

class TaskTest : public QObject {
  Q_OBJECT

 private slots:
  void theResultArrivesOnTheMainThread() {
    ResultTask<QThread*> task;
    QThread* deliveredOn = nullptr;
    connect(&task, &tasks::Task::finished, this, [&] { deliveredOn = QThread::currentThread(); });
    QSignalSpy finished(&task, &tasks::Task::finished);
    QVERIFY(task.start([](Feedback&) { return QThread::currentThread(); }));
    QVERIFY(task.isRunning());
    QVERIFY(finished.wait(30000));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(deliveredOn, QThread::currentThread());
    QVERIFY(task.result() != QThread::currentThread());
    QVERIFY(task.result() != nullptr);
    QVERIFY(!task.isRunning());
    QVERIFY(task.error().isEmpty());
  }

  // A throwing job ends like any other; its message is kept and the result is the default.
  void aThrowingJobEndsWithItsMessage() {
    ResultTask<int> task;
    QSignalSpy finished(&task, &tasks::Task::finished);
    task.start([](Feedback&) -> int { throw std::runtime_error("Could not read file: a.osgb"); });
    QVERIFY(finished.wait(30000));
    QCOMPARE(task.error(), QString("Could not read file: a.osgb"));
    QCOMPARE(task.result(), 0);

    task.start([](Feedback&) -> int { throw 42; });
    QVERIFY(finished.wait(30000));
    QCOMPARE(task.error(), QString("Unknown error"));

    // The next job starts clean.
    task.start([](Feedback&) { return 7; });
    QVERIFY(finished.wait(30000));
    QVERIFY(task.error().isEmpty());
    QCOMPARE(task.result(), 7);
  }

  void cancelIsObservedByTheJob() {
    ResultTask<int> task;
    QSignalSpy finished(&task, &tasks::Task::finished);
    QSemaphore started;
    QVERIFY(task.start([&started](Feedback& feedback) { return runUntilCanceled(feedback, started); }));
    started.acquire();
    // One job at a time: a second start is refused and leaves the running one alone.
    QVERIFY(!task.start([](Feedback&) { return -1; }));
    task.cancel();
    QVERIFY(finished.wait(30000));
    QCOMPARE(finished.count(), 1);
    QVERIFY(task.isCanceled());
    QVERIFY(task.result() >= 0);

    // A new job is not cancelled by the last one's cancel.
    QVERIFY(task.start([](Feedback& feedback) { return feedback.isCanceled() ? 1 : 2; }));
    QVERIFY(!task.isCanceled());
    QVERIFY(finished.wait(30000));
    QCOMPARE(task.result(), 2);
  }

  // Progress reaches the main thread in the order the job set it, each value once, all of it
  // before finished().
  void progressArrivesInOrderBeforeTheEnd() {
    ResultTask<int> task;
    QList<double> values;
    bool allOnMainThread = true;
    int valuesAtFinish = -1;
    connect(task.feedback(), &Feedback::progressChanged, this, [&](double percent) {
      values.append(percent);
      allOnMainThread = allOnMainThread && QThread::currentThread() == thread();
    });
    connect(&task, &tasks::Task::finished, this, [&] { valuesAtFinish = values.size(); });
    QSignalSpy finished(&task, &tasks::Task::finished);
    task.start([](Feedback& feedback) {
      for (int i = 1; i <= 200; ++i) feedback.setProgress(i / 2);  // every value twice
      feedback.setProgress(150.0);                                  // clamped to 100: no change
      feedback.setProgress(-3.0);
      feedback.setProgress(std::numeric_limits<double>::quiet_NaN());
      return 0;
    });
    QVERIFY(finished.wait(30000));
    QList<double> expected;
    for (int i = 0; i <= 100; ++i) expected.append(i);
    expected.removeFirst();  // the feedback starts at 0
    expected.append(0.0);
    QCOMPARE(values, expected);
    QCOMPARE(valuesAtFinish, values.size());
    QVERIFY(allOnMainThread);
    QCOMPARE(task.feedback()->progress(), 0.0);

    // A restarted task counts from 0 again.
    values.clear();
    task.start([](Feedback& feedback) {
      feedback.setProgress(50);
      return 0;
    });
    QVERIFY(finished.wait(30000));
    QCOMPARE(values, QList<double>({50.0}));
  }

  void destroyingTheOwnerMidRunCancelsAndDeliversNothing() {
    auto* owner = new QObject;
    auto* task = new ResultTask<int>(owner);
    auto delivered = std::make_shared<std::atomic_int>(0);
    auto sawCancel = std::make_shared<std::atomic_bool>(false);
    auto ended = std::make_shared<QSemaphore>();
    auto started = std::make_shared<QSemaphore>();
    connect(task, &tasks::Task::finished, owner, [delivered] { ++*delivered; });
    connect(task->feedback(), &Feedback::progressChanged, owner, [delivered] { ++*delivered; });
    // A receiver that outlives the owner hears nothing of the abandoned job either.
    QObject bystander;
    QList<double> heard;
    connect(task->feedback(), &Feedback::progressChanged, &bystander, [&heard](double percent) { heard.append(percent); });

    task->start([=](Feedback& feedback) {
      const int rounds = runUntilCanceled(feedback, *started);
      *sawCancel = true;
      // Progress once the owner is going goes nowhere.
      feedback.setProgress(99.5);
      ended->release();
      return rounds;
    });
    started->acquire();
    deliverPostedEvents();
    const int deliveredBefore = *delivered;
    delete owner;
    // The owner's end waited for the job.
    QVERIFY(ended->tryAcquire());
    QVERIFY(*sawCancel);
    deliverPostedEvents();
    QCOMPARE(int(*delivered), deliveredBefore);
    QVERIFY(!heard.contains(99.5));
  }

  // A job still waiting for a pool thread when its task goes is dropped, not run on this thread.
  void aJobThatHasNotBegunIsDropped() {
    QThreadPool* pool = QThreadPool::globalInstance();
    const int threads = pool->maxThreadCount();
    pool->setMaxThreadCount(1);
    ResultTask<int> blocker;
    QSemaphore started;
    blocker.start([&started](Feedback& feedback) { return runUntilCanceled(feedback, started); });
    started.acquire();

    auto ran = std::make_shared<std::atomic_bool>(false);
    {
      ResultTask<int> waiting;
      waiting.start([ran](Feedback&) {
        *ran = true;
        return 1;
      });
      QVERIFY(waiting.isRunning());
    }
    QVERIFY(!*ran);

    QSignalSpy finished(&blocker, &tasks::Task::finished);
    blocker.cancel();
    QVERIFY(finished.wait(30000));
    pool->setMaxThreadCount(threads);
    pool->waitForDone();
    QVERIFY(!*ran);
  }

  void aOneOffJobHandsItsResultOverAndGoes() {
    QObject context;
    QString received;
    QThread* receivedOn = nullptr;
    tasks::run<QString>(
        &context, [](Feedback&) { return QStringLiteral("read"); },
        [&](const QString& result) {
          received = result;
          receivedOn = QThread::currentThread();
        });
    auto* task = context.findChild<tasks::Task*>();
    QVERIFY(task);
    QSignalSpy finished(task, &tasks::Task::finished);
    QVERIFY(finished.wait(30000));
    QCOMPARE(received, QString("read"));
    QCOMPARE(receivedOn, QThread::currentThread());
    deliverPostedEvents();
    QVERIFY(!context.findChild<tasks::Task*>());

    // Gone before the job ends: the job is cancelled and nobody is called.
    auto* shortLived = new QObject;
    auto started = std::make_shared<QSemaphore>();
    auto ended = std::make_shared<QSemaphore>();
    bool called = false;
    tasks::run<int>(
        shortLived,
        [=](Feedback& feedback) {
          const int rounds = runUntilCanceled(feedback, *started);
          ended->release();
          return rounds;
        },
        [&](const int&) { called = true; });
    started->acquire();
    delete shortLived;
    QVERIFY(ended->tryAcquire());
    deliverPostedEvents();
    QVERIFY(!called);
  }
};

QTEST_GUILESS_MAIN(TaskTest)
#include "TaskTest.moc"
