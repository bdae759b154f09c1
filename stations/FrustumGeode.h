#pragma once

#include <osg/Array>
#include <osg/Geode>
#include <osg/Geometry>
#include <osg/Image>

#include "vx/ImageOrientation.h"

namespace qvx {
namespace osgcam {

// A station's drawing in its camera frame: the image quad, textured with the photo when there is
// one, otherwise plain in the image colour with a frame in the frame colour just behind it.
class FrustumGeode : public osg::Geode {
 public:
  // `photo` has row 0 at the top of the picture; `orthoPixelSize` sizes a true-ortho tile's quad.
  FrustumGeode(const vx::ImageOrientation& orientation, const osg::Vec4& imageColor, const osg::Vec4& frameColor,
               osg::Image* photo = nullptr, double orthoPixelSize = 0.0);

  const osg::Vec4Array* colors() const { return colors_.get(); }
  const osg::Geometry* geometry() const { return geometry_.get(); }
  bool hasFrame() const;

 private:
  osg::ref_ptr<osg::Vec4Array> colors_;
  osg::ref_ptr<osg::Geometry> geometry_;
};

}  // namespace osgcam
}  // namespace qvx
