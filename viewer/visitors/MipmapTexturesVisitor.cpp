#include "viewer/visitors/MipmapTexturesVisitor.h"

#include <osg/Texture2D>

#include "viewer/visitors/Mipmaps.h"

namespace qvx {
namespace viewer {

namespace {

bool isPowerOfTwo(int value) { return value > 0 && (value & (value - 1)) == 0; }

bool usesMipmaps(const osg::Texture& texture) {
  const osg::Texture::FilterMode filter = texture.getFilter(osg::Texture::MIN_FILTER);
  return filter != osg::Texture::LINEAR && filter != osg::Texture::NEAREST;
}

}  // namespace

MipmapTexturesVisitor::MipmapTexturesVisitor() : osg::NodeVisitor(osg::NodeVisitor::TRAVERSE_ALL_CHILDREN) {}

void MipmapTexturesVisitor::apply(osg::Node& node) {
  prepare(node.getStateSet());
  traverse(node);
}

void MipmapTexturesVisitor::prepare(osg::StateSet* stateSet) {
  if (!stateSet) return;
  for (unsigned int unit = 0; unit < stateSet->getTextureAttributeList().size(); ++unit) {
    auto* texture = dynamic_cast<osg::Texture2D*>(stateSet->getTextureAttribute(unit, osg::StateAttribute::TEXTURE));
    osg::Image* image = texture ? texture->getImage() : nullptr;
    if (!image || !usesMipmaps(*texture) || image->s() > kMaxSide || image->t() > kMaxSide) continue;
    if (texture->getResizeNonPowerOfTwoHint() && !(isPowerOfTwo(image->s()) && isPowerOfTwo(image->t()))) continue;
    if (addMipmaps(*image)) ++mipmappedImages_;
  }
}

}  // namespace viewer
}  // namespace qvx
