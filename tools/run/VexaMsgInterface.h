#pragma once

// Turns the status messages of a shared engine into Qt signals for the tool windows. The engine
// calls on its worker thread; the signals are emitted on the interface's thread, in batches (see
// tasks::Relay), and of a run of progress messages of one step only the newest is emitted.

#include <QObject>
#include <QString>

#include <memory>

#include "tasks/Relay.h"

namespace vx {
class VEXA;
}

class VexaMsgInterface : public QObject {
  Q_OBJECT
 public:
  // Registers itself as the engine's receiver; the destructor removes the engine's receiver.
  explicit VexaMsgInterface(std::shared_ptr<vx::VEXA> engine, QObject* parent = nullptr);
  ~VexaMsgInterface() override;

  // The status callback; `user` is the interface. Also fit for the utility library's channel.
  static void callback(int code, const char* format, const double* doubles, const int* ints, const char* string,
                       void* user);
  // Emits what the engine reported so far; call it before acting on the end of a module's run.
  void deliverPending() { relay_.deliverPending(); }

 signals:
  void signal_Info(QString text, int step);
  void signal_Error(QString text, int step);
  void signal_Warning(QString text, int step);
  void signal_ProgressInfo(int progress, int secondsRemaining, int process);
  void signal_ProcessStarted(QString stepName);

 private:
  void receive(int code, const char* format, const double* doubles, const int* ints, const char* string);

  std::shared_ptr<vx::VEXA> engine_;
  tasks::Relay relay_;
};
