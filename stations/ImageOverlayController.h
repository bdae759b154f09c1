#pragma once

#include <string>
#include <vector>

#include <QObject>
#include <QString>

#include <osg/Camera>
#include <osg/Matrixd>
#include <osg/observer_ptr>
#include <osg/Vec2d>
#include <osg/Vec3d>
#include <osgViewer/View>

#include "stations/OverlayGeometry.h"
#include "vx/ImageOrientation.h"

namespace vx {
class VEXAProject;
}

namespace qvx {
namespace image {

// Looks at the scene through a photo or a true-ortho tile: the camera moves into the photo's
// projection centre with its rotation and interior orientation, so that the scene and the photo on
// its station's quad coincide. Steps through the photos that see a point, zooms and pans inside
// the photo.
class ImageOverlayController : public QObject {
  Q_OBJECT

 public:
  ImageOverlayController(osgViewer::View* view, osg::Camera* camera, QObject* parent = nullptr);

  bool isActive() const { return active_; }
  // Candidates are the orientations that see p1; p2 (a small screen offset from p1) turns the photo
  // the way the scene was on screen. No candidate, no jump.
  void showCameraImagesAtPoint(const std::vector<vx::ImageOrientation>& orientations, const osg::Vec3d& p1,
                               const osg::Vec3d& p2);
  // False, with signal_error, when no tile can be shown; otherwise the tile's size is read in the
  // background and the jump follows.
  bool showTrueOrthoAtPoint(const vx::VEXAProject& project, const osg::Vec3d& p1);
  void nextImage();
  void previousImage();
  void close();
  void mouseMoved(float x, float y);
  void rightButton(bool pressed);
  void wheel(int angleDelta);

  int candidateCount() const { return static_cast<int>(candidates_.size()); }
  int currentIndex() const { return index_; }
  const vx::ImageOrientation& currentOrientation() const { return orientation_; }
  bool isTrueOrtho() const { return trueOrtho_; }
  double zoom() const { return zoom_; }
  osg::Vec2d pan() const { return osg::Vec2d(panX_, panY_); }
  const osg::Matrixd& imageRotation() const { return imageRotation_; }

 signals:
  void signal_isImageView(bool isImageView);
  void signal_openImageFromOri(vx::ImageOrientation ori);
  void signal_openTrueOrtho(vx::ImageOrientation ori, std::string path, double tileSize);
  void signal_error(QString message);

 public slots:
  void slot_jumpToCameraPosition(vx::ImageOrientation ori, osg::Vec2d imagePosition = osg::Vec2d(-1.0, -1.0),
                                 osg::Matrixd rotation = osg::Matrixd::identity(), bool isFirstImage = true,
                                 double tileSize = -1.0);

 private:
  void showCandidate(bool isFirstImage);
  void applyView();
  bool windowPosition(const osg::Vec3d& world, osg::Vec2d& window) const;

  vx::ImageOrientation orientation_;
  bool trueOrtho_ = false;
  // The canvas owns both; the controller only watches them.
  osg::observer_ptr<osg::Camera> camera_;
  osg::observer_ptr<osgViewer::View> view_;
  // Restored exactly on close: repeated multiplications would drift.
  float savedLodScale_ = 1.0f;
  std::vector<Candidate> candidates_;
  int index_ = 0;
  osg::Vec3d p1_;
  osg::Vec3d p2_;
  bool active_ = false;
  bool rightHeld_ = false;
  float panX_ = 0.0f;
  float panY_ = 0.0f;
  float lastX_ = -1.0f;
  float lastY_ = -1.0f;
  float zoom_ = 1.0f;
  osg::Matrixd imageRotation_;
  // Bumped by every true-ortho request and by close, so that a late tile read is dropped.
  int orthoRequest_ = 0;
};

}  // namespace image
}  // namespace qvx
