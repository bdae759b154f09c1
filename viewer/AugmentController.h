#pragma once

#include <QFileInfo>
#include <QHash>
#include <QObject>
#include <QString>

#include <osg/Group>
#include <osg/Vec3>
#include <osg/Vec3d>
#include <osg/ref_ptr>

#include "me/Augments.h"

// Auxiliary geometry over the scene: the bounding boxes of loaded files and the marker of the
// rotation centre. Line widths and the marker size follow the eye so that they stay readable.
class AugmentController : public QObject {
  Q_OBJECT

 public:
  explicit AugmentController(QObject* parent = nullptr);

  // The augment root handed to the event adapter's setScene.
  osg::ref_ptr<osg::Group> root() const { return root_; }
  // Detaches every bounding box and forgets them.
  void clearBoundingBoxes();

  vx::me::rendering::BoundingBoxAugment* boundingBox(const QFileInfo& filePath) const;
  vx::me::rendering::RotationCenterAugment* rotationCenter() const { return rotationCenter_.get(); }
  osg::Vec3d lastEye() const { return lastEye_; }
  float fovFactor() const { return fovFactor_; }

 public slots:
  void slot_showBoundingBox(osg::Vec3 minXYZ, osg::Vec3 maxXYZ, osg::Vec3d offset, QFileInfo filePath);
  void slot_hideBoundingBox(QFileInfo filePath);
  void slot_showRotationCenter(bool show);
  void slot_updateRotationCenter(osg::Vec3d newRotationCenter);
  void slot_updateAugmentScales(osg::Vec3d eye);
  // sin(fov) / sin(50 deg).
  void setFovFactor(float factor);

 private:
  void updateWidth(vx::me::rendering::BoundingBoxAugment& box) const;

  osg::ref_ptr<osg::Group> root_;
  osg::ref_ptr<osg::Group> boundingBoxes_;
  QHash<QString, osg::ref_ptr<vx::me::rendering::BoundingBoxAugment>> boxesByPath_;
  osg::ref_ptr<vx::me::rendering::RotationCenterAugment> rotationCenter_;
  osg::Vec3d lastEye_;
  float fovFactor_ = 1.0f;
};
