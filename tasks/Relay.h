#pragma once

#include <QObject>

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <unordered_map>

namespace tasks {

// Carries calls from worker threads to the thread the relay lives in, in batches. A module may
// report 100,000 messages a second; one queued signal each would keep the GUI thread from painting
// for as long as the flood lasts. Calls run in the order they were posted, a batch at a time with
// the event loop turning in between. A call posted with a key replaces a pending call of that key
// in its place: the newest progress is all a bar needs. A call posted on the relay's own thread
// runs at once, after the pending ones, so a job run on the GUI thread behaves as before.
//
// Lifetime: pending calls die with the relay undelivered; make it a member of what its calls use,
// and stop the posting threads before that goes.
class Relay : public QObject {
  Q_OBJECT

 public:
  static constexpr int kNoKey = -1;

  explicit Relay(QObject* parent = nullptr);

  // Thread-safe.
  void post(std::function<void()> call, int key = kNoKey);
  // Runs every pending call now, on the relay's thread: before acting on a job's end, so that its
  // last messages come first.
  void deliverPending();
  // Thread-safe; for tests and benchmarks.
  std::size_t pendingCount() const;

 private:
  struct Entry {
    std::function<void()> call;
    int key;
  };
  void drain();
  // Takes up to `count` calls off the front; clears drainPosted_ when nothing is left.
  std::deque<Entry> take(std::size_t count);

  mutable std::mutex mutex_;
  std::deque<Entry> pending_;
  // Key to the absolute number of its pending entry; taken_ entries have left the front so far.
  std::unordered_map<int, std::size_t> keyed_;
  std::size_t taken_ = 0;
  bool drainPosted_ = false;
};

}  // namespace tasks
