#include "rendering/OffScreenContext.h"

#include <QDebug>

#include <atomic>
#include <initializer_list>

namespace qvx {

namespace {

osg::ref_ptr<osg::GraphicsContext> tryContext(int width, int height, int samples) {
  osg::ref_ptr<osg::GraphicsContext::Traits> traits = new osg::GraphicsContext::Traits;
  // The display the process runs on (X11), not a fixed ":0".
  traits->readDISPLAY();
  traits->setUndefinedScreenDetailsToDefaultScreen();
  traits->x = 0;
  traits->y = 0;
  traits->width = width;
  traits->height = height;
  traits->red = traits->green = traits->blue = traits->alpha = 8;
  traits->depth = 24;
  traits->windowDecoration = false;
  traits->doubleBuffer = true;
  traits->pbuffer = true;
  traits->sampleBuffers = samples > 0 ? 1 : 0;
  traits->samples = samples;
  osg::ref_ptr<osg::GraphicsContext> context = osg::GraphicsContext::createGraphicsContext(traits.get());
  return context && context->valid() ? context : nullptr;
}

void sayFallbackOnce(int wanted, int got) {
  static std::atomic<bool> said{false};
  if (said.exchange(true)) return;
  qDebug("Off-screen rendering: no pixel buffer with %d samples here; using %d", wanted, got);
}

}  // namespace

osg::ref_ptr<osg::GraphicsContext> createOffScreenContext(int width, int height, bool multisample) {
  if (width <= 0 || height <= 0) return nullptr;
  // Four samples are left out: where 16 and 8 cannot be had (Mesa's software rasterizer), a
  // four-sample buffer is created but does not smooth edges, and it made each picture from a
  // camera position half again as slow for nothing.
  const std::initializer_list<int> withSamples{16, 8, 0};
  const std::initializer_list<int> without{0};
  const int wanted = multisample ? 16 : 0;
  for (int samples : multisample ? withSamples : without) {
    osg::ref_ptr<osg::GraphicsContext> context = tryContext(width, height, samples);
    if (!context) continue;
    if (samples != wanted) sayFallbackOnce(wanted, samples);
    return context;
  }
  return nullptr;
}

}  // namespace qvx
