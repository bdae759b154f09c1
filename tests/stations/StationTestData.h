#pragma once

// Orientations, photos and tiles for the station and overlay tests.

#include <QColor>
#include <QImage>
#include <QString>

#include <string>
#include <vector>

#include "vx/ImageOrientation.h"

namespace stationtests {

// A camera `height` above (x, y, 0) looking along `direction`, image top towards +y where it can.
inline vx::ImageOrientation camera(const std::string& name, double x, double y, double height = 300.0,
                                   vx::ImageOrientation::Vec3 direction = {{0.0, 0.2, -1.0}}) {
  vx::ImageOrientation o;
  o.setImageName(name);
  o.setImageSize(1600, 1200);
  o.setFocalLength(1700.0);
  o.setPrincipalPoint(815.0, 590.0);
  o.setProjectionCenter({{x, y, height}});
  o.setRotation(vx::lookRotation(direction, {{0.0, 1.0, 0.0}}));
  return o;
}

// A block of `count` cameras in a row, 60 apart.
inline std::vector<vx::ImageOrientation> block(int count) {
  std::vector<vx::ImageOrientation> result;
  for (int i = 0; i < count; ++i) result.push_back(camera("IMG_" + std::to_string(i) + ".jpg", 60.0 * i, 0.0));
  return result;
}

// A photo whose top half is red and bottom half blue, with a green left quarter: upright and
// mirrored copies differ.
inline QImage markedPhoto(int width, int height) {
  QImage image(width, height, QImage::Format_RGB888);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const QColor c = x < width / 4 ? QColor(0, 255, 0) : (y < height / 2 ? QColor(255, 0, 0) : QColor(0, 0, 255));
      image.setPixelColor(x, y, c);
    }
  }
  return image;
}

}  // namespace stationtests
