#include "TestScenes.h"

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/Texture2D>

namespace viewertest {

osg::ref_ptr<osg::Group> makeQuadScene(double size, double height, bool textured, bool colored) {
  // A fan around an off-centre vertex: a ray through the middle must not run along a shared edge,
  // where intersection tests may miss both triangles.
  const osg::Vec2 corners[] = {{0.565f, 0.535f}, {0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}};
  osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
  osg::ref_ptr<osg::Vec2Array> texCoords = new osg::Vec2Array;
  osg::ref_ptr<osg::Vec4Array> colors = new osg::Vec4Array;
  for (const osg::Vec2& c : corners) {
    vertices->push_back(osg::Vec3((c.x() - 0.5f) * size, (c.y() - 0.5f) * size, height));
    texCoords->push_back(c);
    colors->push_back(osg::Vec4(c.x(), c.y(), 1.0f - c.x(), 1.0f));
  }
  osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
  geometry->setVertexArray(vertices);
  const osg::Vec3 up(0, 0, 1);
  geometry->setNormalArray(new osg::Vec3Array(1, &up), osg::Array::BIND_OVERALL);
  geometry->addPrimitiveSet(new osg::DrawArrays(GL_TRIANGLE_FAN, 0, static_cast<int>(vertices->size())));
  if (colored) geometry->setColorArray(colors, osg::Array::BIND_PER_VERTEX);
  if (textured) {
    geometry->setTexCoordArray(0, texCoords);
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(8, 8, 1, GL_RGB, GL_UNSIGNED_BYTE);
    for (int t = 0; t < 8; ++t)
      for (int s = 0; s < 8; ++s) {
        unsigned char* texel = image->data(s, t);
        texel[0] = (s + t) % 2 == 0 ? 60 : 220;
        texel[1] = static_cast<unsigned char>(s * 30);
        texel[2] = static_cast<unsigned char>(t * 30);
      }
    geometry->getOrCreateStateSet()->setTextureAttributeAndModes(0, new osg::Texture2D(image));
  }
  osg::ref_ptr<osg::Geode> geode = new osg::Geode;
  geode->addDrawable(geometry);
  osg::ref_ptr<osg::Group> group = new osg::Group;
  group->addChild(geode);
  return group;
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
