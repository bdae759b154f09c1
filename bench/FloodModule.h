#pragma once

// A stand-in for a processing module that reports as fast as a busy engine can: it feeds the
// message interface's status callback from its own thread with progress and log messages at a
// fixed rate, as the engine's worker thread would.

#include <QThread>

#include <atomic>

class VexaMsgInterface;

class FloodModule : public QThread {
 public:
  FloodModule(VexaMsgInterface* receiver, int messagesPerSecond, double seconds);

  // Log lines sent (every second message is one); the last one reads "flood done".
  long linesSent() const { return linesSent_.load(); }
  long messagesSent() const { return messagesSent_.load(); }

 protected:
  void run() override;

 private:
  void sendOne(long index);

  VexaMsgInterface* receiver_;
  int rate_;
  double seconds_;
  std::atomic<long> linesSent_{0};
  std::atomic<long> messagesSent_{0};
};
