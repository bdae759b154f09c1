#include "me/AugmentGeometry.h"

#include <osg/LineWidth>
#include <osg/PrimitiveSet>
#include <osg/StateSet>

namespace vx {
namespace me {
namespace rendering {

osg::ref_ptr<osg::Geode> makeLineGeode(osg::Vec3Array* vertices, osg::Vec4Array* colors,
                                       const std::vector<unsigned short>& lineIndices, float width) {
  osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
  geometry->setVertexArray(vertices);
  geometry->setColorArray(colors, osg::Array::BIND_PER_VERTEX);
  geometry->addPrimitiveSet(
      new osg::DrawElementsUShort(GL_LINES, lineIndices.begin(), lineIndices.end()));

  osg::ref_ptr<osg::Geode> geode = new osg::Geode;
  geode->addDrawable(geometry);
  osg::StateSet* state = geode->getOrCreateStateSet();
  state->setMode(GL_LIGHTING, osg::StateAttribute::OFF);
  state->setAttributeAndModes(new osg::LineWidth(width), osg::StateAttribute::ON);
  return geode;
}

void setLineGeodeWidth(osg::Geode& geode, float width) {
  osg::StateSet* state = geode.getOrCreateStateSet();
  auto* lineWidth = dynamic_cast<osg::LineWidth*>(state->getAttribute(osg::StateAttribute::LINEWIDTH));
  if (lineWidth) {
    lineWidth->setWidth(width);
  } else {
    state->setAttributeAndModes(new osg::LineWidth(width), osg::StateAttribute::ON);
  }
}

}  // namespace rendering
}  // namespace me
}  // namespace vx
