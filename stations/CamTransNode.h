#pragma once

#include <string>

#include <osg/Image>
#include <osg/MatrixTransform>

#include "stations/FrustumGeode.h"
#include "stations/StationGeometry.h"
#include "vx/ImageOrientation.h"

namespace qvx {
namespace osgcam {

// One camera station: a transform named "CAMERA" that puts its frustum at the projection centre
// with the camera's rotation, scaled uniformly about the centre.
class CamTransNode : public osg::MatrixTransform {
 public:
  static constexpr const char* kNodeName = "CAMERA";
  static constexpr const char* kOrthoName = "ortho";

  CamTransNode(const vx::ImageOrientation& orientation, bool selected);

  bool isSelected() const { return selected_; }
  bool isTrueOrtho() const { return orientation_.isOrtho(); }
  const std::string& imageName() const { return imageName_; }
  const vx::ImageOrientation& orientation() const { return orientation_; }

  double scale() const { return scale_; }
  // Takes effect on the next traversal (or recomputeMatrix).
  void setScale(double scale);
  void recomputeMatrix();

  // Rebuilds the frustum in the look's colours, keeping the photo.
  void applyLook(StationLook look);
  StationLook look() const { return look_; }
  // A null photo gives the station its plain colours back.
  void setPhoto(osg::Image* photo, double orthoPixelSize = 0.0);
  bool hasPhoto() const { return photo_.valid(); }
  FrustumGeode* frustum() const { return frustum_.get(); }

  void traverse(osg::NodeVisitor& visitor) override;
  // Follows the scale at once, so that culling never sees the old size of a rescaled station.
  osg::BoundingSphere computeBound() const override;

 private:
  void rebuild();

  bool selected_;
  double scale_ = 1.0;
  bool matrixDirty_ = true;
  std::string imageName_;
  osg::Matrixd s_;
  osg::Matrixd r_;
  osg::Matrixd t_;
  osg::ref_ptr<FrustumGeode> frustum_;
  vx::ImageOrientation orientation_;
  StationLook look_;
  osg::ref_ptr<osg::Image> photo_;
  double orthoPixelSize_ = 0.0;
};

}  // namespace osgcam
}  // namespace qvx
