#include <QTemporaryDir>
#include <QtTest>

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/Texture2D>
#include <osgDB/ReadFile>
#include <osgDB/WriteFile>

#include "viewer/visitors/MipmapTexturesVisitor.h"
#include "viewer/visitors/Mipmaps.h"

using qvx::viewer::addMipmaps;
using qvx::viewer::MipmapTexturesVisitor;

namespace {

// Pixel (x, y), channel c holds 10 * (y * width + x) + c.
osg::ref_ptr<osg::Image> countingImage(int width, int height, GLenum format, int packing = 1) {
  osg::ref_ptr<osg::Image> image = new osg::Image;
  image->allocateImage(width, height, 1, format, GL_UNSIGNED_BYTE, packing);
  const unsigned int channels = osg::Image::computeNumComponents(format);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (unsigned int c = 0; c < channels; ++c) image->data(x, y)[c] = static_cast<unsigned char>(10 * (y * width + x) + c);
  return image;
}

osg::ref_ptr<osg::Texture2D> texture(osg::Image* image, osg::Texture::FilterMode minFilter) {
  osg::ref_ptr<osg::Texture2D> texture = new osg::Texture2D(image);
  texture->setFilter(osg::Texture::MIN_FILTER, minFilter);
  return texture;
}

}  // namespace

class MipmapTexturesVisitorTest : public QObject {
  Q_OBJECT

 private slots:
  void levelsAreBoxFilteredDownToOnePixel() {
    osg::ref_ptr<osg::Image> image = countingImage(4, 2, GL_RGB);
    QVERIFY(addMipmaps(*image));
    QCOMPARE(image->getNumMipmapLevels(), 3u);
    QCOMPARE(image->data(3, 1)[2], static_cast<unsigned char>(72));  // level 0 kept
    // Level 1 is 2 x 1: pixels (0,1 | 4,5) and (2,3 | 6,7).
    const unsigned char* level1 = image->getMipmapData(1);
    QCOMPARE(level1[0], static_cast<unsigned char>((0 + 10 + 40 + 50 + 2) / 4));
    QCOMPARE(level1[3 + 1], static_cast<unsigned char>((21 + 31 + 61 + 71 + 2) / 4));
    const unsigned char* level2 = image->getMipmapData(2);
    QCOMPARE(level2[0], static_cast<unsigned char>((level1[0] + level1[3] + level1[0] + level1[3] + 2) / 4));
  }

  // Odd sides take their last row or column twice; rows keep the image's packing, as the upload
  // reads them with it.
  void oddSidesAndRowPacking() {
    osg::ref_ptr<osg::Image> image = countingImage(3, 3, GL_RGB, 4);
    QVERIFY(addMipmaps(*image));
    QCOMPARE(image->getNumMipmapLevels(), 2u);
    QCOMPARE(image->getRowSizeInBytes(), 12u);
    QCOMPARE(image->data(2, 2)[0], static_cast<unsigned char>(80));
    QCOMPARE(image->getMipmapData(1)[0], static_cast<unsigned char>((0 + 10 + 30 + 40 + 2) / 4));
    QCOMPARE(image->getMipmapOffset(1), 3u * 12u);
  }

  void imagesItCannotHandleStayUnchanged() {
    osg::ref_ptr<osg::Image> floats = new osg::Image;
    floats->allocateImage(4, 4, 1, GL_RGB, GL_FLOAT);
    osg::ref_ptr<osg::Image> pixel = countingImage(1, 1, GL_RGBA);
    osg::ref_ptr<osg::Image> twice = countingImage(4, 4, GL_RGBA);
    QVERIFY(addMipmaps(*twice));
    const unsigned char* data = twice->data();
    QVERIFY(!addMipmaps(*floats));
    QVERIFY(!addMipmaps(*pixel));
    QVERIFY(!addMipmaps(*twice));
    QCOMPARE(twice->data(), data);
    QVERIFY(!floats->isMipmap() && !pixel->isMipmap());
  }

  // Only textures that sample mipmaps, on nodes and drawables, and not those OpenSceneGraph
  // resizes first.
  void visitorChoosesTextures() {
    osg::ref_ptr<osg::Image> onGeometry = countingImage(8, 8, GL_RGB);
    osg::ref_ptr<osg::Image> onGroup = countingImage(4, 4, GL_RGBA);
    osg::ref_ptr<osg::Image> linear = countingImage(8, 8, GL_RGB);
    osg::ref_ptr<osg::Image> toResize = countingImage(6, 6, GL_RGB);
    osg::ref_ptr<osg::Image> npot = countingImage(6, 6, GL_RGB);

    osg::ref_ptr<osg::Group> root = new osg::Group;
    root->getOrCreateStateSet()->setTextureAttribute(1, texture(onGroup, osg::Texture::NEAREST_MIPMAP_NEAREST));
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    root->addChild(geode);
    const auto addGeometry = [&](osg::Texture2D* texture) {
      osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
      geometry->getOrCreateStateSet()->setTextureAttribute(0, texture);
      geode->addDrawable(geometry);
    };
    addGeometry(texture(onGeometry, osg::Texture::LINEAR_MIPMAP_LINEAR));
    addGeometry(texture(linear, osg::Texture::LINEAR));
    addGeometry(texture(toResize, osg::Texture::LINEAR_MIPMAP_LINEAR));
    osg::ref_ptr<osg::Texture2D> keptSize = texture(npot, osg::Texture::LINEAR_MIPMAP_LINEAR);
    keptSize->setResizeNonPowerOfTwoHint(false);
    addGeometry(keptSize);

    MipmapTexturesVisitor visitor;
    root->accept(visitor);
    QCOMPARE(visitor.getNumMipmappedImages(), 3);
    QVERIFY(onGeometry->isMipmap() && onGroup->isMipmap() && npot->isMipmap());
    QVERIFY(!linear->isMipmap() && !toResize->isMipmap());
  }
};

QTEST_MAIN(MipmapTexturesVisitorTest)
#include "MipmapTexturesVisitorTest.moc"
