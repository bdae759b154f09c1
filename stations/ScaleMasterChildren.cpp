#include "stations/ScaleMasterChildren.h"

#include "stations/CamTransNode.h"
#include "stations/StationGeometry.h"

namespace qvx {
namespace osgcam {

namespace {

template <typename Visit>
void forEachScaledStation(osg::Group* root, Visit visit) {
  if (!root) return;
  for (unsigned int i = 0; i < root->getNumChildren(); ++i) {
    auto* station = dynamic_cast<CamTransNode*>(root->getChild(i));
    if (station && !station->isTrueOrtho()) visit(*station);
  }
}

}  // namespace

ScaleMasterChildren::ScaleMasterChildren(osg::Group* stationRoot) : root_(stationRoot) {}

void ScaleMasterChildren::setUp(int referenceImageSize) {
  osg::ref_ptr<osg::Group> root;
  if (!root_.lock(root)) return;
  root->dirtyBound();
  factor_ = commonScaleFactor(root->getBound().radius(), stationCount(), referenceImageSize);
  multiplyAll(factor_);
}

void ScaleMasterChildren::scaleStep(int direction) {
  step_ = direction < 0 ? -0.1 : 0.1;
  multiplyAll(1.0 + step_);
}

void ScaleMasterChildren::multiplyAll(double factor) {
  osg::ref_ptr<osg::Group> root;
  if (!root_.lock(root)) return;
  forEachScaledStation(root.get(), [factor](CamTransNode& station) { station.setScale(station.scale() * factor); });
}

int ScaleMasterChildren::stationCount() const {
  osg::ref_ptr<osg::Group> root;
  if (!root_.lock(root)) return 0;
  int count = 0;
  forEachScaledStation(root.get(), [&count](CamTransNode&) { ++count; });
  return count;
}

}  // namespace osgcam
}  // namespace qvx
