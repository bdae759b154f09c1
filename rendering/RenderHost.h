#pragma once

#include <QObject>
#include <QString>

#include <osg/AnimationPath>
#include <osg/Camera>
#include <osg/ref_ptr>
#include <osgGA/AnimationPathManipulator>
#include <osgViewer/CompositeViewer>
#include <osgViewer/View>

#include <functional>
#include <memory>
#include <vector>

#include "rendering/OffScreenRenderer.h"
#include "vx/ImageOrientation.h"

namespace qvx {

// The canvas side of off-screen rendering and of animation playback. It adds each renderer's view
// to the canvas's composite viewer, relies on the canvas to keep drawing frames, and reports
// through its signals. One render at a time.
class RenderHost : public QObject {
  Q_OBJECT

 public:
  // `makeCurrent` makes the canvas's GL context current again after a pixel buffer took over.
  RenderHost(osgViewer::CompositeViewer* viewer, osgViewer::View* view, osg::Camera* camera,
             std::function<void()> makeCurrent, QObject* parent = nullptr);
  ~RenderHost() override;

  bool isRendering() const;
  // Each returns whether a render started; a request while one runs is refused.
  bool renderScreenshot(const QString& file, int width, int height);
  bool renderAnimation(const QString& file, osg::AnimationPath* path);
  // One JPEG per orientation, "<folder>/<image base name>.jpg", drawn through that photo;
  // signal_allDone follows, also when nothing could start.
  bool renderFromOrientations(const QString& folder, const std::vector<vx::ImageOrientation>& orientations);
  void cancel();
  // What the pictures from camera positions leave out: nodes whose mask shares no bit with it.
  void setOrientationCullMask(unsigned int mask) { orientationCullMask_ = mask; }

  void playAnimation(osg::AnimationPath* path);
  void setAnimationSpeed(int percent);
  bool isAnimationPlaying() const { return playing_; }
  // Gives the view its own manipulator back.
  void stopAnimation(osgGA::CameraManipulator* manipulator);
  osgGA::AnimationPathManipulator* animationManipulator() const { return animation_.get(); }

  // The JPEG written for an orientation's image inside `folder`.
  static QString orientationImageFile(const QString& folder, const vx::ImageOrientation& orientation);
  static double animationTimeScale(int percent) { return 0.3 * percent / 100.0; }

  static constexpr int kAnimationWidth = 1920;
  static constexpr int kAnimationHeight = 1080;
  // Finer levels of detail for the pictures from the camera positions.
  static constexpr float kOrientationLodScale = 0.15f;

 signals:
  void signal_busy(bool busy, QString msg);
  void signal_error(QString msg);
  // The render from every camera position ended: success when every picture was written.
  void signal_allDone(bool success, int written, int failed);

 private:
  bool refuseWhileRendering() const;
  void start(std::unique_ptr<OffScreenRenderer> renderer, bool hideCanvasView);
  void rendererFinished(const QString& msg);
  void nextOrientation();
  void endOrientations();
  void setCanvasViewShown(bool shown);

  osg::ref_ptr<osgViewer::CompositeViewer> viewer_;
  osg::ref_ptr<osgViewer::View> view_;
  osg::ref_ptr<osg::Camera> camera_;
  std::function<void()> makeCurrent_;
  std::unique_ptr<OffScreenRenderer> renderer_;
  osg::ref_ptr<osgGA::AnimationPathManipulator> animation_;
  bool playing_ = false;
  unsigned int orientationCullMask_ = ~0u;

  struct OrientationRun {
    QString folder;
    std::vector<vx::ImageOrientation> orientations;
    size_t next = 0;
    int written = 0;
    int failed = 0;
    bool cancelled = false;
    float savedLodScale = 1.0f;
  };
  std::unique_ptr<OrientationRun> run_;
};

}  // namespace qvx
