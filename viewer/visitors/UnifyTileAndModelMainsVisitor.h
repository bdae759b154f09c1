#pragma once

#include <vector>

#include <QString>
#include <osg/MatrixTransform>
#include <osg/NodeVisitor>
#include <osg/PagedLOD>

#include "me/ForceLODPagedLOD.h"

// Brings the roots of tiled models into one form, a tree of the mesh-editing library's paged LOD
// nodes: tile mains (index or linking files) already reference their tiles through paged LODs,
// a model main (one loaded tile) gets wrapped into a paged LOD relative to its mesh folder.
class UnifyTileAndModelMainsVisitor : public osg::NodeVisitor {
 public:
  // treeStructure: vx::me::TileMain (0) or vx::me::ModelMain (1).
  explicit UnifyTileAndModelMainsVisitor(unsigned int treeStructure);

  void apply(osg::MatrixTransform& node) override;
  void apply(osg::PagedLOD& node) override;

  // One entry per non-empty file name of every tile main found, in walk order.
  const std::vector<osg::ref_ptr<vx::me::forceLOD::ForceLODPagedLOD>>& getTileMains() const;
  // Empty after a successful walk; otherwise the last error met.
  const QString& getErrorMessage() const;

 private:
  void unifyModelMain(osg::MatrixTransform& node);
  osg::ref_ptr<vx::me::forceLOD::ForceLODPagedLOD> convert(osg::PagedLOD& node);

  std::vector<osg::ref_ptr<vx::me::forceLOD::ForceLODPagedLOD>> tileMains_;
  unsigned int treeStructure_;
  QString errorMessage_;
};
