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
    if (type == msg::TYPE_INFO) emit signal_Info(text, step);
    if (type == msg::TYPE_WARNING) emit signal_Warning(text, step);
    if (type == msg::TYPE_ERROR) emit signal_Error(text, step);
    return;
  }
  if (type == msg::TYPE_PROCESS_STARTED) {
    emit signal_ProcessStarted(QString::fromStdString(msg::stepName(step)));
  } else if (type == msg::TYPE_PROGRESS && doubles) {
    const int percentage = StatusText::saturated(std::floor(doubles[0] * 100));
    qDebug() << "Progress: " << step << percentage;
    emit signal_ProgressInfo(percentage, StatusText::saturated(doubles[2]), step);
  }
}
