#pragma once

#include <QElapsedTimer>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QObject>
#include <QRunnable>
#include <QTimer>

#include <osg/AnimationPath>
#include <osg/Camera>
#include <osg/Image>
#include <osg/Light>
#include <osg/ref_ptr>
#include <osgViewer/View>

#include <atomic>
#include <optional>

#include "vx/ImageOrientation.h"

namespace qvx {

// An off-screen view of fixed pixel size whose frames are read back into an image and written to
// files. The host adds view() to its composite viewer and keeps drawing frames on the main thread;
// the renderer, also on the main thread, points the camera, waits until the scene is fully paged
// in and a frame has been drawn, then writes that frame's image on the thread pool. Nothing of
// the scene is touched off the main thread.
class OffScreenRenderer : public QObject, public QRunnable {
  Q_OBJECT

 public:
  enum class Result { None, Succeeded, Failed, Cancelled };

  // With an orientation (focal length not 0) the camera looks through that photo and the context
  // asks for multisampling; otherwise it copies the source camera's view.
  OffScreenRenderer(int width, int height, osg::Camera* source, const vx::ImageOrientation* orientation,
                    QObject* parent = nullptr);
  ~OffScreenRenderer() override;

  void setSceneData(osg::Node* node);
  void setLight(osg::Light* light, osg::View::LightingMode mode);
  void setOutputFile(const QFileInfo& file) { outputFile_ = file; }
  QFileInfo outputFile() const { return outputFile_; }
  void setAnimationPath(osg::AnimationPath* path) { path_ = path; }

  osgViewer::View* view() const { return view_.get(); }
  osg::Camera* camera() const { return view_->getCamera(); }
  osg::Image* image() const { return image_.get(); }
  bool hasOrientation() const { return orientation_.has_value(); }

  bool isReady() const { return ready_; }
  // Stops before the next image; once set it stays set.
  void cancel() { cancel_ = true; }
  // Starts the job; the host calls it on the main thread after adding view() to its viewer.
  void run() override;

  Result result() const { return result_; }
  QString errorText() const { return error_; }

 signals:
  void signal_started(const QString& msg);
  void signal_finished(const QString& msg);
  // A render that failed, with the reason naming the file; signal_finished follows.
  void signal_error(const QString& msg);

 protected:
  // Images to write, and the camera and file of each; an empty file ends the job.
  virtual int shotCount() const = 0;
  virtual QString prepareShot(int index) = 0;
  // The least time between pointing the camera and taking its image.
  virtual int settleMilliseconds() const { return 0; }

 private:
  enum class State { Idle, Waiting, Writing };

  void tick();
  bool pagerIdle() const;
  void startShot();
  void capture();
  void written();
  void finish(Result result, const QString& error = {});

  std::optional<vx::ImageOrientation> orientation_;
  osg::ref_ptr<osgViewer::View> view_;
  osg::ref_ptr<osg::Image> image_;
  QFileInfo outputFile_{QStringLiteral("render")};
  std::atomic<bool> ready_{true};
  std::atomic<bool> cancel_{false};
  QString setupError_;

 protected:
  osg::ref_ptr<osg::AnimationPath> path_;

 private:
  State state_ = State::Idle;
  int shot_ = 0;
  QString shotFile_;
  unsigned int lastFrame_ = 0;
  int idleFrames_ = 0;
  QElapsedTimer settle_;
  QTimer poll_;
  QFutureWatcher<QString> writer_;
  Result result_ = Result::None;
  QString error_;
};

// Writes one image once every tile in view has been paged in (at least one second after start).
class ScreenshotRenderer : public OffScreenRenderer {
  Q_OBJECT

 public:
  ScreenshotRenderer(int width, int height, osg::Camera* source, const vx::ImageOrientation* orientation,
                     QObject* parent = nullptr);

 protected:
  int shotCount() const override { return 1; }
  QString prepareShot(int index) override;
  int settleMilliseconds() const override { return 1000; }
};

// Flies the camera along the animation path and writes one numbered BMP per frame.
class AnimationRenderer : public OffScreenRenderer {
  Q_OBJECT

 public:
  AnimationRenderer(int width, int height, osg::Camera* source, QObject* parent = nullptr);

 protected:
  int shotCount() const override;
  QString prepareShot(int index) override;
};

}  // namespace qvx
