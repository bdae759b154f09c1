#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

namespace fuzz {

// A persistent reader process: it gets one input path per line on its standard input and answers
// each with a line "@@fuzz accepted" or "@@fuzz rejected"; anything else it prints is skipped.
// A process that dies before answering, or stays silent past the timeout, is counted and started
// afresh for the next input.
class ChildProcess {
 public:
  enum class Result { Accepted, Rejected, Crashed, Hung };

  ChildProcess(const QString& program, const QStringList& arguments);
  ~ChildProcess();

  // `detail` tells how a crashed process ended.
  Result run(const QString& input, int timeoutMs, QString* detail);

  static const char* answerPrefix() { return "@@fuzz "; }

 private:
  bool start(QString* detail);
  void stop();
  QString endDescription() const;

  QString program_;
  QStringList arguments_;
  std::unique_ptr<QProcess> process_;
};

}  // namespace fuzz
