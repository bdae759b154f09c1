#include "TestScenes.h"

#include <osg/Image>
#include <osg/Texture2D>

namespace viewertest {

osg::ref_ptr<osg::Geometry> makeQuad(double size, double height, bool textured, bool colored) {
  const float h = static_cast<float>(size / 2.0);
  const float z = static_cast<float>(height);
  osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
  // A fan around an off-centre vertex: a ray through the middle of the square must not run
  // exactly along a shared triangle edge, where intersection tests may miss both triangles.
  const osg::Vec2 corners[] = {{0.565f, 0.535f}, {0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}};
  osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
  osg::ref_ptr<osg::Vec2Array> texCoords = new osg::Vec2Array;
  osg::ref_ptr<osg::Vec4Array> colors = new osg::Vec4Array;
  for (const osg::Vec2& corner : corners) {
    vertices->push_back(osg::Vec3(-h + 2 * h * corner.x(), -h + 2 * h * corner.y(), z));
    texCoords->push_back(corner);
    colors->push_back(osg::Vec4(corner.x(), corner.y(), 1.0f - corner.x(), 1.0f));
  }
  geometry->setVertexArray(vertices);
  osg::ref_ptr<osg::Vec3Array> normals = new osg::Vec3Array(1);
  (*normals)[0] = osg::Vec3(0, 0, 1);
  geometry->setNormalArray(normals, osg::Array::BIND_OVERALL);
  geometry->addPrimitiveSet(new osg::DrawArrays(GL_TRIANGLE_FAN, 0, static_cast<int>(vertices->size())));

  if (colored) geometry->setColorArray(colors, osg::Array::BIND_PER_VERTEX);
  if (textured) {
    geometry->setTexCoordArray(0, texCoords);
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(8, 8, 1, GL_RGB, GL_UNSIGNED_BYTE);
    for (int t = 0; t < 8; ++t) {
      for (int s = 0; s < 8; ++s) {
        unsigned char* texel = image->data(s, t);
        const bool dark = (s + t) % 2 == 0;
        texel[0] = dark ? 60 : 220;
        texel[1] = static_cast<unsigned char>(s * 30);
        texel[2] = static_cast<unsigned char>(t * 30);
      }
    }
    osg::ref_ptr<osg::Texture2D> texture = new osg::Texture2D(image);
    texture->setFilter(osg::Texture::MIN_FILTER, osg::Texture::NEAREST);
    texture->setFilter(osg::Texture::MAG_FILTER, osg::Texture::NEAREST);
    geometry->getOrCreateStateSet()->setTextureAttributeAndModes(0, texture);
  }
  return geometry;
}

osg::ref_ptr<osgViewer::View> makeTopDownView(double altitude) {
  osg::ref_ptr<osgViewer::View> view = new osgViewer::View;
  osg::Camera* camera = view->getCamera();
  camera->setViewport(0, 0, 800, 600);
  camera->setProjectionMatrixAsPerspective(50.0, 800.0 / 600.0, 1.0, 1000.0);
  camera->setViewMatrixAsLookAt(osg::Vec3d(0, 0, altitude), osg::Vec3d(0, 0, 0), osg::Vec3d(0, 1, 0));
  return view;
}

}  // namespace viewertest
