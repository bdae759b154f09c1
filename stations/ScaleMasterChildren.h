#pragma once

#include <osg/Group>
#include <osg/NodeCallback>

namespace qvx {
namespace osgcam {

// The common scale of the perspective stations below the station root; true-ortho stations keep
// their size, since their quad is the tile itself.
class ScaleMasterChildren : public osg::NodeCallback {
 public:
  explicit ScaleMasterChildren(osg::Group* stationRoot);

  // Multiplies every station by the factor that keeps the block readable.
  void setUp(int referenceImageSize);
  // One step smaller (negative direction) or larger.
  void scaleStep(int direction);

  double step() const { return step_; }
  double factor() const { return factor_; }

 private:
  void multiplyAll(double factor);
  int stationCount() const;

  double step_ = 0.0;
  double factor_ = 1.0;
  osg::observer_ptr<osg::Group> root_;
};

}  // namespace osgcam
}  // namespace qvx
