#pragma once

#include <QString>

#include <osg/Image>

namespace qvx {

// Writes the image with the writer its suffix chooses. The error text naming the file, empty on
// success. Thread-safe for an image nobody else touches.
QString writeImageFile(const osg::Image& image, const QString& file);

}  // namespace qvx
