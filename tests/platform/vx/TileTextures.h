#pragma once

// The textures of written tiles, for the tests of texturing: how bright they are, and blackening
// them as an edit that wants retexturing.

#include <QDir>
#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <vector>

#include <osg/Geometry>
#include <osg/NodeVisitor>
#include <osg/Texture2D>
#include <osgDB/ReadFile>
#include <osgDB/WriteFile>

namespace testprojects {

// Every texture image below a node.
struct Textures : osg::NodeVisitor {
  std::vector<osg::Image*> images;
  Textures() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
  void apply(osg::Geometry& geometry) override {
    if (osg::StateSet* state = geometry.getStateSet())
      if (auto* texture = dynamic_cast<osg::Texture2D*>(state->getTextureAttribute(0, osg::StateAttribute::TEXTURE)))
        images.push_back(texture->getImage());
  }
};

// The mean of all texels of the tile's files.
inline double meanTexel(const QString& tileFolder) {
  double sum = 0;
  double count = 0;
  for (const QString& file : QDir(tileFolder).entryList({"*.osgb"})) {
    Textures textures;
    const osg::ref_ptr<osg::Node> node = osgDB::readRefNodeFile((tileFolder + "/" + file).toStdString());
    if (!node) qFatal("cannot read %s/%s", qPrintable(tileFolder), qPrintable(file));
    node->accept(textures);
    for (const osg::Image* image : textures.images)
      for (unsigned i = 0; i < image->getTotalSizeInBytes(); ++i) sum += image->data()[i], ++count;
  }
  return count > 0 ? sum / count : -1;
}

// Blackens every texture of the tile's files: an edit that wants retexturing.
inline bool blacken(const QString& tileFolder) {
  const osg::ref_ptr<osgDB::Options> options = new osgDB::Options("WriteImageHint=IncludeData");
  for (const QString& file : QDir(tileFolder).entryList({"*.osgb"})) {
    const std::string path = (tileFolder + "/" + file).toStdString();
    osg::ref_ptr<osg::Node> node = osgDB::readRefNodeFile(path);
    if (!node) return false;
    Textures textures;
    node->accept(textures);
    for (osg::Image* image : textures.images) std::fill(image->data(), image->data() + image->getTotalSizeInBytes(), 0);
    if (!osgDB::writeNodeFile(*node, path, options.get())) return false;
  }
  return true;
}

}  // namespace testprojects
