#include "tests/platform/me/TileFixtures.h"

#include <limits>

#include <QDir>
#include <QFileInfo>
#include <osg/Geode>
#include <osg/Image>
#include <osg/Texture2D>
#include <osgDB/ReadFile>
#include <osgDB/Registry>
#include <osgDB/WriteFile>

namespace metest {

namespace {

constexpr float kFar = std::numeric_limits<float>::max();

QString tileName(int x, int y) { return QStringLiteral("Tile_%1_%2").arg(x).arg(y); }

osg::ref_ptr<osg::Geode> quadsAt(std::initializer_list<osg::Vec3> origins, Surface surface) {
  osg::ref_ptr<osg::Geode> geode = new osg::Geode;
  for (const osg::Vec3& origin : origins) geode->addDrawable(makeQuad(origin, surface));
  return geode;
}

}  // namespace

osg::ref_ptr<osg::Geometry> makeQuad(const osg::Vec3& origin, Surface surface) {
  osg::ref_ptr<osg::Geometry> quad = new osg::Geometry;
  osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
  osg::ref_ptr<osg::Vec2Array> coordinates = new osg::Vec2Array;
  for (const osg::Vec3& corner : {osg::Vec3(0, 0, 0), osg::Vec3(1, 0, 0), osg::Vec3(1, 1, 0), osg::Vec3(0, 1, 0)}) {
    vertices->push_back(origin + corner);
    coordinates->push_back(osg::Vec2(corner.x(), corner.y()));
  }
  quad->setVertexArray(vertices);
  const GLushort triangles[6] = {0, 1, 2, 0, 2, 3};
  quad->addPrimitiveSet(new osg::DrawElementsUShort(GL_TRIANGLES, 6, triangles));
  if (surface == Surface::Textured) {
    osg::ref_ptr<osg::Image> image = new osg::Image;
    image->allocateImage(4, 4, 1, GL_RGB, GL_UNSIGNED_BYTE);
    for (unsigned int i = 0; i < image->getTotalSizeInBytes(); ++i) image->data()[i] = static_cast<unsigned char>(i * 7);
    image->setWriteHint(osg::Image::STORE_INLINE);
    quad->setTexCoordArray(0, coordinates);
    quad->getOrCreateStateSet()->setTextureAttributeAndModes(0, new osg::Texture2D(image));
  } else if (surface == Surface::VertexColors) {
    osg::ref_ptr<osg::Vec4Array> colors = new osg::Vec4Array;
    colors->assign(4, osg::Vec4(0.2f, 0.6f, 0.4f, 1.0f));
    quad->setColorArray(colors, osg::Array::BIND_PER_VERTEX);
  }
  return quad;
}

bool writeNode(osg::Node& node, const QString& path) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  return osgDB::writeNodeFile(node, path.toStdString());
}

osg::ref_ptr<osg::Node> loadLikeLoader(const QString& path) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  osg::ref_ptr<osg::Node> node =
      osgDB::readRefNodeFile(absolute.toStdString(), osgDB::Registry::instance()->getOptions());
  if (node) node->setName(absolute.toStdString());
  return node;
}

QString tileRootPath(const QString& meshFolder, int x, int y) {
  return meshFolder + "/" + tileName(x, y) + "/" + tileName(x, y) + ".osgb";
}

osg::ref_ptr<osg::PagedLOD> makeTileReference(const std::string& fileName) {
  osg::ref_ptr<osg::PagedLOD> reference = new osg::PagedLOD;
  reference->setFileName(0, fileName);
  reference->setRange(0, 0.0f, kFar);
  return reference;
}

QString writeTileSet(const QString& meshFolder, const TileSetOptions& options) {
  osg::ref_ptr<osg::Group> index = new osg::Group;
  for (int x = 0; x < options.columns; ++x) {
    for (int y = 0; y < options.rows; ++y) {
      const QString name = tileName(x, y);
      if (!writeNode(*quadsAt({{0, 0, 0}, {1, 0, 0}}, options.surface), meshFolder + "/" + name + "/" + name + "_L1.osgb"))
        return QString();

      osg::ref_ptr<osg::PagedLOD> levels = new osg::PagedLOD;
      levels->setRangeMode(osg::LOD::PIXEL_SIZE_ON_SCREEN);
      levels->addChild(quadsAt({{0, 0, 0}}, options.surface), 0.0f, 300.0f);
      levels->setFileName(1, (name + "_L1.osgb").toStdString());
      levels->setRange(1, 300.0f, kFar);
      osg::ref_ptr<osg::MatrixTransform> root = new osg::MatrixTransform(osg::Matrix::translate(100.0 * x, 100.0 * y, 0.0));
      root->addChild(levels);
      if (!writeNode(*root, tileRootPath(meshFolder, x, y))) return QString();

      const QString reference = name + (options.backslashes ? "\\" : "/") + name + ".osgb";
      osg::ref_ptr<osg::PagedLOD> tile = makeTileReference(reference.toStdString());
      tile->setCenterMode(osg::LOD::USER_DEFINED_CENTER);
      tile->setCenter(osg::Vec3(100.0f * x + 1.0f, 100.0f * y + 0.5f, 0.0f));
      tile->setRadius(2.0f);
      index->addChild(tile);
    }
  }
  const QString indexPath = meshFolder + "/Mesh.osgb";
  return writeNode(*index, indexPath) ? indexPath : QString();
}

}  // namespace metest
