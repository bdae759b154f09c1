#include "demo/TileWriter.h"

#include <cfloat>
#include <stdexcept>
#include <system_error>

#include <osg/PagedLOD>
#include <osgDB/Options>
#include <osgDB/Registry>

#include "demo/OutputFolder.h"

namespace demo {

void writeOsgb(const osg::Node& node, const std::filesystem::path& file) {
  static const osg::ref_ptr<osgDB::Options> options = new osgDB::Options("WriteImageHint=IncludeData");
  const osgDB::ReaderWriter::WriteResult result =
      osgDB::Registry::instance()->writeNode(node, toUtf8(file), options.get());
  if (!result.success()) {
    const std::string reason = result.message().empty() ? std::string() : ": " + result.message();
    throw std::runtime_error("Could not write " + toUtf8(file) + reason);
  }
}

void writeTile(const TileNodes& tile, const std::filesystem::path& tileFolder) {
  std::error_code error;
  std::filesystem::create_directories(tileFolder, error);
  if (error) throw std::runtime_error("Could not create the tile folder " + toUtf8(tileFolder) + ": " + error.message());
  for (const TileFile& file : tile.levelFiles) writeOsgb(*file.node, tileFolder / file.name);
  // The root last: a tile folder with a root file is complete.
  const std::string folderName = toUtf8(tileFolder.filename());
  writeOsgb(*tile.root, tileFolder / (folderName + ".osgb"));
}

osg::ref_ptr<osg::Group> meshIndex(const std::vector<TileBounds>& tiles) {
  osg::ref_ptr<osg::Group> index = new osg::Group;
  for (const TileBounds& tile : tiles) {
    osg::ref_ptr<osg::PagedLOD> lod = new osg::PagedLOD;
    lod->setCenterMode(osg::LOD::USER_DEFINED_CENTER);
    lod->setCenter(osg::Vec3((tile.min + tile.max) * 0.5));
    lod->setRadius(static_cast<float>((tile.max - tile.min).length() * 0.5));
    lod->setFileName(0, tileReference(tile.x, tile.y));
    lod->setRange(0, 0.0f, FLT_MAX);
    index->addChild(lod.get());
  }
  return index;
}

}  // namespace demo
