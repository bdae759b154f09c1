#pragma once

// Correction shapefiles for the tests of the DSM.

#include <QString>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <array>
#include <stdexcept>
#include <vector>

namespace testprojects {

// A shapefile of one polygon through `corners`, with heights (PolygonZ) when `withZ`.
inline void writeShapefile(const QString& path, const std::vector<std::array<double, 3>>& corners, bool withZ) {
  GDALAllRegister();
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("ESRI Shapefile");
  GDALDatasetUniquePtr data(driver->Create(path.toUtf8().constData(), 0, 0, 0, GDT_Unknown, nullptr));
  OGRLayer* layer = data ? data->CreateLayer("corrections", nullptr, withZ ? wkbPolygon25D : wkbPolygon, nullptr) : nullptr;
  if (!layer) throw std::runtime_error("cannot write the shapefile " + path.toStdString());
  OGRLinearRing ring;
  for (const auto& c : corners) withZ ? ring.addPoint(c[0], c[1], c[2]) : ring.addPoint(c[0], c[1]);
  ring.closeRings();
  OGRPolygon polygon;
  polygon.addRing(&ring);
  OGRFeature feature(layer->GetLayerDefn());
  feature.SetGeometry(&polygon);
  if (layer->CreateFeature(&feature) != OGRERR_NONE) throw std::runtime_error("cannot write " + path.toStdString());
}

}  // namespace testprojects
