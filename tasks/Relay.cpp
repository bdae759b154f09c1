#include "tasks/Relay.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QThread>

namespace tasks {

namespace {
// Enough calls per lock to keep the mutex out of the profile, few enough to look at the clock often.
constexpr std::size_t kBatch = 256;
// The event loop turns at least this often while a flood is delivered: paint, input and timers.
constexpr qint64 kTurnNs = 8 * 1000 * 1000;
}  // namespace

Relay::Relay(QObject* parent) : QObject(parent) {}

void Relay::post(std::function<void()> call, int key) {
  if (QThread::currentThread() == thread()) {
    deliverPending();
    call();
    return;
  }
  bool postDrain = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (key != kNoKey) {
      const auto found = keyed_.find(key);
      if (found != keyed_.end()) {
        pending_[found->second - taken_].call = std::move(call);
        return;
      }
      keyed_[key] = taken_ + pending_.size();
    }
    pending_.push_back({std::move(call), key});
    postDrain = !drainPosted_;
    drainPosted_ = true;
  }
  if (postDrain) QMetaObject::invokeMethod(this, [this] { drain(); }, Qt::QueuedConnection);
}

std::deque<Relay::Entry> Relay::take(std::size_t count) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::deque<Entry> batch;
  while (!pending_.empty() && batch.size() < count) {
    Entry& front = pending_.front();
    if (front.key != kNoKey) keyed_.erase(front.key);
    batch.push_back(std::move(front));
    pending_.pop_front();
    ++taken_;
  }
  if (pending_.empty()) drainPosted_ = false;
  return batch;
}

void Relay::drain() {
  QElapsedTimer clock;
  clock.start();
  for (;;) {
    const std::deque<Entry> batch = take(kBatch);
    for (const Entry& entry : batch) entry.call();
    if (batch.size() < kBatch) return;
    if (clock.nsecsElapsed() > kTurnNs) break;
  }
  // More is waiting: let the event loop turn, then go on. drainPosted_ is still set, so posters
  // do not add a second drain.
  QMetaObject::invokeMethod(this, [this] { drain(); }, Qt::QueuedConnection);
}

void Relay::deliverPending() {
  for (;;) {
    const std::deque<Entry> batch = take(kBatch);
    for (const Entry& entry : batch) entry.call();
    if (batch.empty()) return;
  }
}

std::size_t Relay::pendingCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return pending_.size();
}

}  // namespace tasks
