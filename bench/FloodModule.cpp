#include "FloodModule.h"

#include <QElapsedTimer>

#include "tools/run/VexaMsgInterface.h"
#include "vx/Msg.h"

namespace {
constexpr int kStep = 1710;
const char* const kLine = "Processing Tile %1% of %2% in /tmp/project/Results/DSM/Tile_%1%";
}  // namespace

FloodModule::FloodModule(VexaMsgInterface* receiver, int messagesPerSecond, double seconds)
    : receiver_(receiver), rate_(messagesPerSecond), seconds_(seconds) {}

void FloodModule::sendOne(long index) {
  namespace msg = vx::MSG;
  const double fraction = static_cast<double>(index) / (rate_ * seconds_);
  if (index % 2 == 0) {
    const double doubles[3] = {fraction, fraction * seconds_, (1.0 - fraction) * seconds_};
    VexaMsgInterface::callback(msg::makeCode(msg::TYPE_PROGRESS, kStep, 0), "", doubles, nullptr, nullptr,
                               receiver_);
  } else {
    // Mostly information, some warnings and an occasional error line, as a real module logs.
    const int type = index % 101 == 0 ? msg::TYPE_ERROR : index % 11 == 0 ? msg::TYPE_WARNING : msg::TYPE_INFO;
    const int ints[3] = {static_cast<int>(index / 2), static_cast<int>(rate_ * seconds_ / 2), 0};
    VexaMsgInterface::callback(msg::makeCode(type, kStep, 0), kLine, nullptr, ints, nullptr, receiver_);
    ++linesSent_;
  }
  ++messagesSent_;
}

void FloodModule::run() {
  const long total = static_cast<long>(rate_ * seconds_);
  QElapsedTimer clock;
  clock.start();
  long sent = 0;
  while (sent < total) {
    // Catch up with the schedule in a burst, then wait for the next millisecond.
    const long due = std::min(total, static_cast<long>(clock.nsecsElapsed() / 1e9 * rate_) + 1);
    for (; sent < due; ++sent) sendOne(sent);
    QThread::usleep(200);
  }
  VexaMsgInterface::callback(vx::MSG::makeCode(vx::MSG::TYPE_INFO, kStep, 0), "flood done", nullptr, nullptr,
                             nullptr, receiver_);
  ++linesSent_;
  ++messagesSent_;
}
