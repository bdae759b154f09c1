#pragma once

#include <osg/GraphicsContext>
#include <osg/ref_ptr>

namespace qvx {

// A double-buffered RGBA8 pixel buffer with a 24-bit depth buffer. With `multisample` the most
// samples the platform offers (16, 8, then none); falling back is said once per process in the
// debug log. Null when no pixel buffer can be made at all.
osg::ref_ptr<osg::GraphicsContext> createOffScreenContext(int width, int height, bool multisample);

}  // namespace qvx
