#pragma once

#include <osg/Geode>
#include <osg/Group>
#include <osg/MatrixTransform>
#include <osg/Vec3>
#include <osg/Vec3d>
#include <osg/Vec4>

namespace vx {
namespace me {

// Set up once at module load, before anything else of the library.
class Init {
 public:
  Init();
};

namespace rendering {

// Wire box around a tile: corners in tile coordinates plus the tile's world offset.
class BoundingBoxAugment : public osg::MatrixTransform {
 public:
  BoundingBoxAugment(const osg::Vec3& minXYZ, const osg::Vec3& maxXYZ, const osg::Vec3d& offset,
                     const osg::Vec4& color, float width);
  void setWidth(float width);
  float getWidth() const;
  void show();
  void hide();
  bool isShown() const;
  osg::Vec3d getCenter() const;  // world coordinates
  double getRadius() const;

 private:
  osg::ref_ptr<osg::Geode> geode_;
  osg::Vec3d center_;
  double radius_ = 0.0;
  float width_ = 1.0f;
};

// Small three-axis cross marking the orbit centre.
class RotationCenterAugment : public osg::MatrixTransform {
 public:
  RotationCenterAugment(float size, const osg::Vec3d& center, double scale);
  void setCenter(const osg::Vec3d& center);
  osg::Vec3d getCenter() const;
  void setScale(double scale);
  double getScale() const;
  void show();
  void hide();
  bool isShown() const;

 private:
  void updateMatrix();
  osg::Vec3d center_;
  double scale_ = 1.0;
};

}  // namespace rendering
}  // namespace me
}  // namespace vx
