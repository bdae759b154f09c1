#include "tasks/Task.h"

namespace tasks {

Task::Task(QObject* parent) : QObject(parent), feedback_(std::make_shared<Feedback>()) {}

Task::~Task() {
  // Disconnected first: what the job reports once it sees the cancel reaches nobody.
  feedback_->disconnect();
  feedback_->cancel();
}

std::shared_ptr<Feedback> Task::beginJob() {
  feedback_->reset();
  error_.clear();
  running_ = true;
  return feedback_;
}

void Task::endJob(const QString& error) {
  running_ = false;
  error_ = error;
  emit finished();
}

}  // namespace tasks
