#pragma once

#include <vector>

#include <osg/Array>
#include <osg/Geode>
#include <osg/Geometry>

namespace vx {
namespace me {
namespace rendering {

// Node mask of a shown augment: every bit but the one picking traverses, so that augments drawn
// over a mesh never stand between the cursor and the surface.
constexpr unsigned int kShownAugmentMask = ~0x2u;

// Unlit GL_LINES drawable with one colour per vertex, drawn with the given line width.
osg::ref_ptr<osg::Geode> makeLineGeode(osg::Vec3Array* vertices, osg::Vec4Array* colors,
                                       const std::vector<unsigned short>& lineIndices, float width);

// The line width attribute of a geode made by makeLineGeode.
void setLineGeodeWidth(osg::Geode& geode, float width);

}  // namespace rendering
}  // namespace me
}  // namespace vx
