#include "stations/FrustumGeode.h"

#include <osg/BlendFunc>
#include <osg/Depth>
#include <osg/PolygonMode>
#include <osg/Texture2D>

#include "stations/StationGeometry.h"

namespace qvx {
namespace osgcam {

FrustumGeode::FrustumGeode(const vx::ImageOrientation& orientation, const osg::Vec4& imageColor,
                           const osg::Vec4& frameColor, osg::Image* photo, double orthoPixelSize)
    : colors_(new osg::Vec4Array), geometry_(new osg::Geometry) {
  colors_->push_back(imageColor);
  colors_->push_back(frameColor);

  osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
  for (const osg::Vec3& corner : imageQuadCorners(orientation, orthoPixelSize)) vertices->push_back(corner);
  geometry_->addPrimitiveSet(new osg::DrawArrays(GL_QUADS, 0, 4));

  if (photo) {
    osg::ref_ptr<osg::Vec2Array> texCoords = new osg::Vec2Array;
    for (const osg::Vec2& t : imageQuadTexCoords()) texCoords->push_back(t);
    geometry_->setTexCoordArray(0, texCoords, osg::Array::BIND_PER_VERTEX);
    osg::ref_ptr<osg::Texture2D> texture = new osg::Texture2D(photo);
    texture->setResizeNonPowerOfTwoHint(false);
    texture->setFilter(osg::Texture::MIN_FILTER, osg::Texture::LINEAR);
    texture->setFilter(osg::Texture::MAG_FILTER, osg::Texture::LINEAR);
    texture->setWrap(osg::Texture::WRAP_S, osg::Texture::CLAMP_TO_EDGE);
    texture->setWrap(osg::Texture::WRAP_T, osg::Texture::CLAMP_TO_EDGE);
    geometry_->getOrCreateStateSet()->setTextureAttributeAndModes(0, texture, osg::StateAttribute::ON);
  } else {
    for (const osg::Vec3& corner : frameQuadCorners(orientation, orthoPixelSize)) vertices->push_back(corner);
    geometry_->addPrimitiveSet(new osg::DrawArrays(GL_QUADS, 4, 4));
  }
  // The image quad takes the first colour, the frame the second; spelled out per vertex because
  // per-primitive-set binding is not drawn by current OpenSceneGraph.
  osg::ref_ptr<osg::Vec4Array> vertexColors = new osg::Vec4Array;
  for (unsigned int set = 0; set < geometry_->getNumPrimitiveSets(); ++set) vertexColors->insert(vertexColors->end(), 4, (*colors_)[set]);
  geometry_->setVertexArray(vertices);
  geometry_->setColorArray(vertexColors, osg::Array::BIND_PER_VERTEX);
  addDrawable(geometry_);

  osg::StateSet* state = getOrCreateStateSet();
  state->setMode(GL_LIGHTING, osg::StateAttribute::OFF);
  state->setMode(GL_BLEND, osg::StateAttribute::ON);
  state->setAttributeAndModes(new osg::BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_SRC_ALPHA,
                                                 GL_ONE_MINUS_SRC_ALPHA));
  state->setRenderingHint(osg::StateSet::TRANSPARENT_BIN);
  state->setAttributeAndModes(new osg::Depth(osg::Depth::LESS), osg::StateAttribute::ON);
  state->setMode(GL_DEPTH_TEST, osg::StateAttribute::ON);
  state->setAttributeAndModes(new osg::PolygonMode(osg::PolygonMode::FRONT_AND_BACK, osg::PolygonMode::FILL));
}

bool FrustumGeode::hasFrame() const { return geometry_->getNumPrimitiveSets() > 1; }

}  // namespace osgcam
}  // namespace qvx
