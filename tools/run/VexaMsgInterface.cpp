#include "tools/run/VexaMsgInterface.h"

#include <QDebug>

#include <cmath>

#include "tools/run/StatusText.h"
#include "vx/Msg.h"
#include "vx/Vexa.h"

VexaMsgInterface::VexaMsgInterface(std::shared_ptr<vx::VEXA> engine, QObject* parent)
    : QObject(parent), engine_(std::move(engine)) {
  if (engine_) engine_->registerStatusCallback(&VexaMsgInterface::callback, this);
}

VexaMsgInterface::~VexaMsgInterface() {
  if (engine_) engine_->registerStatusCallback(nullptr, nullptr);
}

void VexaMsgInterface::callback(int code, const char* format, const double* doubles, const int* ints,
                                const char* string, void* user) {
  if (user) static_cast<VexaMsgInterface*>(user)->receive(code, format, doubles, ints, string);
}

void VexaMsgInterface::receive(int code, const char* format, const double* doubles, const int* ints,
                               const char* string) {
  namespace msg = vx::MSG;
  const int type = msg::typeOfCode(code);
  const int step = msg::stepOfCode(code);
  const QString text = StatusText::withBoostFormat(format, doubles, ints, string);
  if (!text.isEmpty()) {
    if (type == msg::TYPE_INFO) relay_.post([this, text, step] { emit signal_Info(text, step); });
    if (type == msg::TYPE_WARNING) relay_.post([this, text, step] { emit signal_Warning(text, step); });
    if (type == msg::TYPE_ERROR) relay_.post([this, text, step] { emit signal_Error(text, step); });
    return;
  }
  if (type == msg::TYPE_PROCESS_STARTED) {
    const QString name = QString::fromStdString(msg::stepName(step));
    relay_.post([this, name] { emit signal_ProcessStarted(name); });
  } else if (type == msg::TYPE_PROGRESS && doubles) {
    const int percentage = StatusText::saturated(std::floor(doubles[0] * 100));
    const int remaining = StatusText::saturated(doubles[2]);
    relay_.post(
        [this, percentage, remaining, step] {
          qDebug() << "Progress: " << step << percentage;
          emit signal_ProgressInfo(percentage, remaining, step);
        },
        step);
  }
}
