#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// The course of an unattended run (a render folder on the command line): it waits until every
// file given at start-up has been opened and loaded, then asks for the render from every camera
// position, and ends the process with a code a script can trust: 0 only when every picture was
// written. Anything that leaves nothing to render ends the run at once, with the reason.
class UnattendedRun : public QObject {
  Q_OBJECT

 public:
  explicit UnattendedRun(const QString& renderDirectory, QObject* parent = nullptr);

  const QString& renderDirectory() const { return renderDirectory_; }
  bool hasEnded() const { return ended_; }

  // A load the run must wait for (a project being opened, an orientation list, meshes).
  void beginLoad();
  // That load ended; `problem` (empty when it went well) is reported with the outcome.
  void endLoad(const QString& problem = QString());
  // A start-up file that cannot be used at all (unreadable project): the run ends now.
  void fail(const QString& reason);
  // Every start-up file has been handed out; from now on the end of the last load starts the render.
  void startupFilesDispatched();
  // The render is asked for with the number of camera positions there are; none ends the run.
  void setCameraCount(int count);
  // The render ended: pictures written and the texts of those that failed.
  void renderFinished(int written, const QStringList& failures);

 signals:
  // Render one picture per camera position into the render folder now.
  void signal_render();
  // End the process with `exitCode`; `report` is what the run says on standard error.
  void signal_end(int exitCode, QString report);

 private:
  void startWhenReady();
  void end(int exitCode, const QString& report);

  QString renderDirectory_;
  int pendingLoads_ = 0;
  bool dispatched_ = false;
  bool renderAsked_ = false;
  bool ended_ = false;
  QStringList problems_;
};
