#pragma once

// Turns the status messages of a shared engine into Qt signals for the tool windows. The engine
// calls on its worker thread; the signals reach widgets by queued connection.

#include <QObject>
#include <QString>

#include <memory>

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

 signals:
  void signal_Info(QString text, int step);
  void signal_Error(QString text, int step);
  void signal_Warning(QString text, int step);
  void signal_ProgressInfo(int progress, int secondsRemaining, int process);
  void signal_ProcessStarted(QString stepName);

 private:
  void receive(int code, const char* format, const double* doubles, const int* ints, const char* string);

  std::shared_ptr<vx::VEXA> engine_;
};
