#include <algorithm>
#include <cmath>
#include <optional>
#include <set>

#include <QTest>

#include "demo/PhotoRenderer.h"
#include "demo/TerrainModel.h"
#include "demo/TexturePainter.h"
#include "demo/TileLayout.h"
#include "demo/TileMeshBuilder.h"
#include "demo/Noise.h"
#include "tests/platform/vx/TestProjects.h"

namespace {

using Vec3 = vx::ImageOrientation::Vec3;

osg::ref_ptr<osg::Image> rgbImage(int width, int height) {
  osg::ref_ptr<osg::Image> image = new osg::Image;
  image->allocateImage(width, height, 1, GL_RGB, GL_UNSIGNED_BYTE);
  return image;
}

// Every texel a different, seeded colour: any shift of the sampling position shows.
osg::ref_ptr<osg::Image> noiseTexture(int side, unsigned seed) {
  osg::ref_ptr<osg::Image> image = rgbImage(side, side);
  demo::Rng rng(seed, 7);
  for (int row = 0; row < side; ++row)
    for (int column = 0; column < side; ++column)
      for (int k = 0; k < 3; ++k) image->data(column, row)[k] = static_cast<unsigned char>(rng.index(256));
  return image;
}

osg::ref_ptr<osg::Image> plainTexture(unsigned char r, unsigned char g, unsigned char b) {
  osg::ref_ptr<osg::Image> image = rgbImage(2, 2);
  for (int k = 0; k < 4; ++k) {
    unsigned char* p = image->data(k % 2, k / 2);
    p[0] = r;
    p[1] = g;
    p[2] = b;
  }
  return image;
}

// A horizontal square [x0, x0 + side]^2 at height z, as two triangles; texture (s, t) = (0, 0) at
// its south-west corner, vertices relative to `offset` as tiles store them.
demo::TexturedMesh square(const osg::Vec3d& offset, double x0, double y0, double side, double z, osg::Image* texture) {
  demo::TexturedMesh mesh;
  mesh.offset = offset;
  osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
  osg::ref_ptr<osg::Vec2Array> texCoords = new osg::Vec2Array;
  for (int k = 0; k < 4; ++k) {
    const int a = k == 1 || k == 2;
    const int b = k >= 2;
    vertices->push_back(osg::Vec3(float(x0 + a * side - offset.x()), float(y0 + b * side - offset.y()), float(z - offset.z())));
    texCoords->push_back(osg::Vec2(float(a), float(b)));
  }
  mesh.vertices = vertices;
  mesh.texCoords = texCoords;
  mesh.triangles = {0, 1, 2, 0, 2, 3};
  mesh.texture = texture;
  return mesh;
}

struct Square {
  double x0, y0, side, z;
  osg::ref_ptr<osg::Image> texture;
};

// The colour OpenGL's bilinear filter gives at (s, t), texel centres at (i + 0.5) / size, clamped.
osg::Vec3d bilinear(const osg::Image& image, double s, double t) {
  const auto axis = [](double coordinate, int size, int& i0, int& i1, double& f) {
    const double x = std::clamp(coordinate * size - 0.5, 0.0, size - 1.0);
    i0 = int(std::floor(x));
    i1 = std::min(i0 + 1, size - 1);
    f = x - i0;
  };
  int c0, c1, r0, r1;
  double fx, fy;
  axis(s, image.s(), c0, c1, fx);
  axis(t, image.t(), r0, r1, fy);
  osg::Vec3d colour;
  for (int k = 0; k < 3; ++k) {
    const double bottom = image.data(c0, r0)[k] * (1 - fx) + image.data(c1, r0)[k] * fx;
    const double top = image.data(c0, r1)[k] * (1 - fx) + image.data(c1, r1)[k] * fx;
    colour[k] = bottom * (1 - fy) + top * fy;
  }
  return colour;
}

// Ray casting, independent of the rasterizer: the world point seen at image position (u, v).
Vec3 rayDirection(const vx::ImageOrientation& camera, double u, double v) {
  const double d[3] = {(u - camera.principalPointX()) / camera.focalLength(),
                       (v - camera.principalPointY()) / camera.focalLength(), 1.0};
  const auto& r = camera.rotation();
  return {{r[0] * d[0] + r[3] * d[1] + r[6] * d[2], r[1] * d[0] + r[4] * d[1] + r[7] * d[2],
           r[2] * d[0] + r[5] * d[1] + r[8] * d[2]}};
}

struct Hit {
  const Square* square = nullptr;
  Vec3 point;
  double s = 0, t = 0;
  double edgeDistance = 0;  // to the square's border, metres
};

std::optional<Hit> nearestHit(const vx::ImageOrientation& camera, const std::vector<Square>& squares, double u, double v) {
  const Vec3 d = rayDirection(camera, u, v);
  const Vec3& c = camera.projectionCenter();
  std::optional<Hit> best;
  double bestDistance = 1e300;
  for (const Square& sq : squares) {
    if (std::abs(d[2]) < 1e-12) continue;
    const double distance = (sq.z - c[2]) / d[2];
    if (distance <= 0 || distance >= bestDistance) continue;
    const Vec3 p{{c[0] + distance * d[0], c[1] + distance * d[1], sq.z}};
    const double s = (p[0] - sq.x0) / sq.side;
    const double t = (p[1] - sq.y0) / sq.side;
    if (s < 0 || s > 1 || t < 0 || t > 1) continue;
    bestDistance = distance;
    best = Hit{&sq, p, s, t, sq.side * std::min({s, t, 1 - s, 1 - t})};
  }
  return best;
}

vx::ImageOrientation camera(const Vec3& centre, const Vec3& view, const Vec3& up, int width, int height, double f,
                            double cx, double cy) {
  vx::ImageOrientation o;
  o.setImageName("synthetic.jpg");
  o.setImageSize(width, height);
  o.setFocalLength(f);
  o.setPrincipalPoint(cx, cy);
  o.setProjectionCenter(centre);
  o.setRotation(vx::lookRotation(view, up));
  return o;
}

std::vector<demo::TexturedMesh> meshesOf(const std::vector<Square>& squares, const osg::Vec3d& offset) {
  std::vector<demo::TexturedMesh> meshes;
  for (const Square& sq : squares) meshes.push_back(square(offset, sq.x0, sq.y0, sq.side, sq.z, sq.texture.get()));
  return meshes;
}

demo::PhotoRenderer rendererOf(const std::vector<Square>& squares, const osg::Vec3d& offset) {
  demo::PhotoRenderer renderer;
  renderer.add(meshesOf(squares, offset));
  return renderer;
}

}  // namespace

Q_DECLARE_METATYPE(vx::ImageOrientation)

class PhotoRendererTest : public QObject {
  Q_OBJECT

 private slots:
  // Ground with a noise texture and a raised roof drawn before it; every pixel whose texture is
  // magnified must show what a ray through its centre (i + 0.5, j + 0.5) hits, sampled
  // bilinearly, and black where the ray hits nothing. Catches flipped axes or rows, half-pixel
  // shifts, affine instead of perspective texture coordinates, a missing depth test and wrong
  // clipping of triangles that reach behind the camera.
  void everyPixelShowsWhatItsCentreRaySees_data() {
    QTest::addColumn<vx::ImageOrientation>("view");
    QTest::addColumn<double>("groundSide");
    QTest::newRow("nadir, turned, off-centre principal point")
        << camera({{3, -4, 60}}, {{0, 0, -1}}, {{std::cos(0.5), std::sin(0.5), 0}}, 160, 120, 120, 61.3, 70.8) << 80.0;
    QTest::newRow("oblique, ground reaching behind the camera")
        << camera({{-2, -30, 20}}, {{0, std::cos(0.5), -std::sin(0.5)}}, {{0, 0, 1}}, 200, 150, 120, 110.4, 66.2) << 400.0;
  }
  void everyPixelShowsWhatItsCentreRaySees() {
    QFETCH(vx::ImageOrientation, view);
    QFETCH(double, groundSide);
    const osg::Vec3d offset(482000, 5361000, 100);  // world coordinates as large as the demo's
    const Vec3 c = view.projectionCenter();
    view.setProjectionCenter({{c[0] + offset.x(), c[1] + offset.y(), c[2] + offset.z()}});
    const std::vector<Square> squares = {
        {offset.x() + 0, offset.y() + 0, 10, offset.z() + 8, plainTexture(250, 20, 240)},  // the roof, drawn first
        {offset.x() - groundSide / 2, offset.y() - groundSide / 2, groundSide, offset.z(), noiseTexture(32, 5)}};
    const demo::PhotoRenderer renderer = rendererOf(squares, offset);
    const demo::Photo photo = renderer.render(view);
    QCOMPARE(photo.width, view.width());
    QCOMPARE(photo.height, view.height());

    int compared = 0, roof = 0, sky = 0;
    for (int j = 0; j < photo.height; ++j) {
      for (int i = 0; i < photo.width; ++i) {
        const std::optional<Hit> hit = nearestHit(view, squares, i + 0.5, j + 0.5);
        const unsigned char* p = photo.pixel(i, j);
        if (!hit) {
          if (nearestHit(view, squares, i, j) || nearestHit(view, squares, i + 1, j + 1)) continue;  // at a border
          QVERIFY2(p[0] == 0 && p[1] == 0 && p[2] == 0, qPrintable(QString("pixel %1, %2 should be black").arg(i).arg(j)));
          ++sky;
          continue;
        }
        if (hit->edgeDistance < 1e-3) continue;
        // Only where the texture is magnified: neighbouring pixel centres less than a texel apart.
        const auto texelsTo = [&](double u, double v) {
          const std::optional<Hit> next = nearestHit(view, squares, u, v);
          if (!next || next->square != hit->square) return 1e9;
          return std::hypot(next->s - hit->s, next->t - hit->t) * hit->square->texture->s();
        };
        if (std::max(texelsTo(i + 1.5, j + 0.5), texelsTo(i + 0.5, j + 1.5)) > 0.9) continue;

        double u = 0, v = 0;
        QVERIFY(view.project(hit->point, u, v));
        QVERIFY(std::abs(u - (i + 0.5)) < 1e-6 && std::abs(v - (j + 0.5)) < 1e-6);
        const osg::Vec3d expected = bilinear(*hit->square->texture, hit->s, hit->t);
        for (int k = 0; k < 3; ++k) {
          QVERIFY2(std::abs(p[k] - expected[k]) <= 1.0,
                   qPrintable(QString("pixel %1, %2 channel %3: %4, expected %5").arg(i).arg(j).arg(k).arg(p[k]).arg(expected[k])));
        }
        ++compared;
        if (hit->square == &squares[0]) ++roof;
      }
    }
    QVERIFY2(compared > photo.width * photo.height / 3, qPrintable(QString::number(compared)));
    QVERIFY(roof > 100);
    QVERIFY(sky > 100);
  }

  // A one-texel checkerboard far away averages to grey, as OpenGL's mipmaps give it, instead of
  // breaking up into black and white pixels.
  void minifiedTextureIsAveraged() {
    osg::ref_ptr<osg::Image> checker = rgbImage(256, 256);
    for (int row = 0; row < 256; ++row)
      for (int column = 0; column < 256; ++column)
        std::fill_n(checker->data(column, row), 3, (row + column) % 2 ? 255 : 0);
    const vx::ImageOrientation view = camera({{51.37, 48.91, 2000}}, {{0, 0, -1}}, {{0, 1, 0}}, 64, 64, 610, 32, 32);
    const demo::PhotoRenderer renderer = rendererOf({{0, 0, 100, 0, checker}}, osg::Vec3d());
    const demo::Photo photo = renderer.render(view);
    // 100 m at 2000 m with f = 610: the square covers 30.5 pixels, 8.4 texels per pixel.
    for (int j = 20; j < 44; ++j)
      for (int i = 20; i < 44; ++i) QVERIFY2(std::abs(photo.pixel(i, j)[0] - 127.5) <= 3, qPrintable(QString::number(photo.pixel(i, j)[0])));
    QCOMPARE(int(photo.pixel(2, 2)[0]), 0);
  }

  // The photos use what the editor shows when fully refined: the finest level of every tile,
  // with the texture of its own file, and nothing of the coarser levels that would overlap it.
  void finestMeshesAreTheTilesFinestLevel_data() {
    QTest::addColumn<int>("levels");
    QTest::newRow("one level") << 1;
    QTest::newRow("three levels") << 3;
  }
  void finestMeshesAreTheTilesFinestLevel() {
    QFETCH(int, levels);
    demo::DemoOptions options;
    options.tiles = 2;
    options.levels = levels;
    options.finestGridCells = 16;
    options.textureSize = 64;
    const demo::MeshLayout layout = demo::MeshLayout::fromOptions(options);
    const demo::TerrainModel terrain(3, layout.extent());
    const demo::TexturePainter painter(terrain);
    const demo::TileNodes tile = demo::TileMeshBuilder(terrain, painter, layout).build(1, 0, 2);
    const std::vector<demo::TexturedMesh> meshes = demo::finestMeshes(tile);

    size_t triangles = 0;
    double area = 0.0;
    std::set<const osg::Image*> textures;
    for (const demo::TexturedMesh& mesh : meshes) {
      QCOMPARE(mesh.offset, tile.offset);
      textures.insert(mesh.texture.get());
      triangles += mesh.triangles.size() / 3;
      for (size_t k = 0; k < mesh.triangles.size(); k += 3) {
        const osg::Vec3 a = (*mesh.vertices)[mesh.triangles[k]];
        const osg::Vec3 b = (*mesh.vertices)[mesh.triangles[k + 1]];
        const osg::Vec3 c = (*mesh.vertices)[mesh.triangles[k + 2]];
        area += 0.5 * std::abs((b.x() - a.x()) * (c.y() - a.y()) - (c.x() - a.x()) * (b.y() - a.y()));
      }
    }
    QCOMPARE(triangles, size_t(2 * 16 * 16));
    QCOMPARE(area, 100.0 * 100.0);  // covers the tile once: no level drawn twice
    const int files = levels == 1 ? 1 : (1 << (levels - 2)) * (1 << (levels - 2));
    QCOMPARE(int(textures.size()), files);
    for (const osg::Image* texture : textures) QCOMPARE(texture->s(), 64 / (1 << std::max(0, levels - 2)));
  }

  void refusesMeshesItCannotDraw() {
    osg::ref_ptr<osg::Image> rgba = new osg::Image;
    rgba->allocateImage(4, 4, 1, GL_RGBA, GL_UNSIGNED_BYTE);
    rgba->setFileName("leaves.png");
    demo::PhotoRenderer renderer = rendererOf({{0, 0, 10, 0, plainTexture(200, 0, 0)}}, osg::Vec3d());
    QVERIFY(testprojects::errorOf([&] { renderer.add(meshesOf({{0, 0, 10, 0, rgba}}, osg::Vec3d())); }).contains("leaves.png"));
    std::vector<demo::TexturedMesh> meshes = meshesOf({{0, 0, 10, 5, plainTexture(1, 2, 3)}}, osg::Vec3d());
    meshes[0].triangles.push_back(4);
    QVERIFY(testprojects::errorOf([&] { renderer.add(meshes); }).contains("vertex 4 of 4"));
    // Nothing of a refused batch was added: the first square is still what the camera sees.
    const demo::Photo photo = renderer.render(camera({{5, 5, 20}}, {{0, 0, -1}}, {{0, 1, 0}}, 8, 8, 4, 4, 4));
    QCOMPARE(int(photo.pixel(4, 4)[0]), 200);
  }
};

QTEST_GUILESS_MAIN(PhotoRendererTest)
#include "PhotoRendererTest.moc"
