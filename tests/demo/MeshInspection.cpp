#include "MeshInspection.h"

#include <algorithm>
#include <cmath>

#include <osg/CullingSet>
#include <osg/Geode>
#include <osg/MatrixTransform>
#include <osg/NodeVisitor>
#include <osgDB/ReadFile>

namespace {

class Collector : public osg::NodeVisitor {
 public:
  Collector() : osg::NodeVisitor(TRAVERSE_ALL_CHILDREN) {}
  void apply(osg::PagedLOD& node) override {
    lods.push_back(&node);
    traverse(node);
  }
  void apply(osg::Geometry& geometry) override { geometries.push_back(&geometry); }
  std::vector<osg::ref_ptr<osg::PagedLOD>> lods;
  std::vector<osg::ref_ptr<osg::Geometry>> geometries;
};

class Walk {
 public:
  Walk(const QString& folder, const LodView& view) : folder_(folder), view_(view) {}

  void visit(osg::Node* node, const osg::Matrixd& model, int level) {
    if (auto* transform = dynamic_cast<osg::MatrixTransform*>(node)) {
      const osg::Matrixd inner = transform->getMatrix() * model;
      for (unsigned i = 0; i < transform->getNumChildren(); ++i) visit(transform->getChild(i), inner, level);
      return;
    }
    if (auto* lod = dynamic_cast<osg::PagedLOD*>(node)) {
      const osg::Vec4 pixelSizeVector =
          osg::CullingSet::computePixelSizeVector(*view_.viewport, view_.projection, model * view_.view);
      const osg::BoundingSphere bound = lod->getBound();
      const float pixels = std::fabs(bound.radius() / (bound.center() * pixelSizeVector));
      for (unsigned i = 0; i < lod->getNumRanges(); ++i) {
        if (pixels < lod->getMinRange(i) || pixels >= lod->getMaxRange(i)) continue;
        if (i < lod->getNumChildren()) {
          visit(lod->getChild(i), model, level);
        } else {
          osg::ref_ptr<osg::Node> child = osgDB::readRefNodeFile((folder_ + "/").toStdString() + lod->getFileName(i));
          if (!child) {
            deepest = std::max(deepest, -1000);
            continue;
          }
          visit(child.get(), model, level + 1);
        }
      }
      return;
    }
    if (auto* group = node->asGroup()) {
      for (unsigned i = 0; i < group->getNumChildren(); ++i) visit(group->getChild(i), model, level);
      return;
    }
    deepest = std::max(deepest, level);
  }

  int deepest = -1;

 private:
  QString folder_;
  const LodView& view_;
};

}  // namespace

std::vector<osg::ref_ptr<osg::PagedLOD>> pagedLodsIn(osg::Node& node) {
  Collector collector;
  node.accept(collector);
  return collector.lods;
}

std::vector<osg::ref_ptr<osg::Geometry>> geometriesIn(osg::Node& node) {
  Collector collector;
  node.accept(collector);
  return collector.geometries;
}

LodView lookAt(const osg::Vec3d& eye, const osg::Vec3d& centre) {
  LodView view;
  view.view = osg::Matrixd::lookAt(eye, centre, osg::Vec3d(0.0, 1.0, 0.0));
  view.projection = osg::Matrixd::perspective(40.0, 1280.0 / 720.0, 1.0, 100000.0);
  view.viewport = new osg::Viewport(0, 0, 1280, 720);
  return view;
}

int deepestSelectedLevel(osg::Node& tileRoot, const QString& tileFolder, const LodView& view) {
  Walk walk(tileFolder, view);
  walk.visit(&tileRoot, osg::Matrixd::identity(), 0);
  return walk.deepest;
}
