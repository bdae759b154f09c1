#include <QtTest>

#include <QImage>
#include <QTemporaryDir>

#include <osg/Texture2D>
#include <osgViewer/CompositeViewer>

#include "rendering/OffScreenContext.h"
#include "rendering/RenderHost.h"

using namespace qvx;

namespace {

// The quad covers x and y from 5 to 40 on the ground (z = 0); the background is blue.
constexpr double kQuadMin = 5.0;
constexpr double kQuadMax = 40.0;

osg::ref_ptr<osg::Node> makeRedQuad() {
  osg::ref_ptr<osg::Image> texel = new osg::Image;
  texel->allocateImage(4, 4, 1, GL_RGB, GL_UNSIGNED_BYTE);
  for (int i = 0; i < 16; ++i) {
    texel->data()[3 * i] = 255;
    texel->data()[3 * i + 1] = 0;
    texel->data()[3 * i + 2] = 0;
  }
  osg::ref_ptr<osg::Texture2D> texture = new osg::Texture2D(texel.get());
  texture->setFilter(osg::Texture::MIN_FILTER, osg::Texture::NEAREST);
  texture->setFilter(osg::Texture::MAG_FILTER, osg::Texture::NEAREST);
  const double size = kQuadMax - kQuadMin;
  osg::ref_ptr<osg::Geometry> quad = osg::createTexturedQuadGeometry(
      osg::Vec3(kQuadMin, kQuadMin, 0.0), osg::Vec3(size, 0.0, 0.0), osg::Vec3(0.0, size, 0.0));
  osg::ref_ptr<osg::Geode> geode = new osg::Geode;
  geode->addDrawable(quad.get());
  osg::StateSet* state = geode->getOrCreateStateSet();
  state->setTextureAttributeAndModes(0, texture.get());
  state->setMode(GL_LIGHTING, osg::StateAttribute::OFF | osg::StateAttribute::PROTECTED);
  state->setMode(GL_CULL_FACE, osg::StateAttribute::OFF);
  return geode;
}

vx::ImageOrientation cameraAbove() {
  vx::ImageOrientation orientation;
  orientation.setImageName("IMG_0001.tif");
  orientation.setImageSize(160, 120);
  orientation.setFocalLength(100.0);
  orientation.setPrincipalPoint(70.0, 50.0);
  orientation.setProjectionCenter({{0.0, 0.0, 100.0}});
  orientation.setRotation(vx::lookRotation({{0.0, 0.0, -1.0}}, {{0.0, 1.0, 0.0}}));
  return orientation;
}

bool isRed(QRgb pixel) { return qRed(pixel) > 190 && qGreen(pixel) < 70 && qBlue(pixel) < 70; }
bool isBlue(QRgb pixel) { return qBlue(pixel) > 190 && qRed(pixel) < 70 && qGreen(pixel) < 70; }

QString describe(QRgb pixel) {
  return QStringLiteral("(%1, %2, %3)").arg(qRed(pixel)).arg(qGreen(pixel)).arg(qBlue(pixel));
}

}  // namespace

class OffScreenRenderTest : public QObject {
  Q_OBJECT

 private:
  osg::ref_ptr<osgViewer::CompositeViewer> viewer_;
  osg::ref_ptr<osgViewer::View> view_;
  QTimer frames_;
  std::unique_ptr<RenderHost> host_;

  // Waits as long as a slow machine may need; the test asserts what happened, not how fast.
  static bool waitFor(const std::function<bool()>& done) { return QTest::qWaitFor(done, 120000); }

 private slots:
  // A pixel-buffer view stands in for the canvas: the host needs no widget, and frames are
  // drawn on this thread by a timer, as the canvas does.
  void init() {
    view_ = new osgViewer::View;
    osg::Camera* camera = view_->getCamera();
    osg::ref_ptr<osg::GraphicsContext> context = createOffScreenContext(64, 64, false);
    QVERIFY(context);
    camera->setGraphicsContext(context.get());
    camera->setViewport(0, 0, 64, 64);
    camera->setClearColor(osg::Vec4(0.0f, 0.0f, 1.0f, 1.0f));
    camera->setProjectionMatrixAsPerspective(50.0, 1.0, 1.0, 1000.0);
    camera->setViewMatrixAsLookAt(osg::Vec3d(0, 0, 100), osg::Vec3d(0, 0, 0), osg::Vec3d(0, 1, 0));
    view_->setSceneData(makeRedQuad());
    viewer_ = new osgViewer::CompositeViewer;
    viewer_->setThreadingModel(osgViewer::ViewerBase::SingleThreaded);
    viewer_->addView(view_.get());
    viewer_->realize();
    host_ = std::make_unique<RenderHost>(viewer_.get(), view_.get(), camera, std::function<void()>());
    connect(&frames_, &QTimer::timeout, this, [this] { viewer_->frame(); });
    frames_.start(5);
  }

  void cleanup() {
    frames_.stop();
    frames_.disconnect();
    host_.reset();
    QCoreApplication::processEvents();
    viewer_ = nullptr;
    view_ = nullptr;
  }

  // Through each photo's orientation: the quad lands where the photo's own pinhole rule puts it,
  // upright and not mirrored, whatever the principal point; one picture per photo.
  void renderFromOrientationPutsTheQuadWhereThePhotoSeesIt() {
    QTemporaryDir dir;
    QSignalSpy done(host_.get(), &RenderHost::signal_allDone);
    QSignalSpy errors(host_.get(), &RenderHost::signal_error);
    vx::ImageOrientation second = cameraAbove();
    second.setImageName("IMG_0002.tif");
    second.setPrincipalPoint(95.0, 72.0);
    const std::vector<vx::ImageOrientation> orientations{cameraAbove(), second};
    QVERIFY(host_->renderFromOrientations(dir.path(), orientations));
    QVERIFY(waitFor([&] { return done.count() > 0; }));
    QVERIFY2(errors.isEmpty(), qPrintable(errors.value(0).value(0).toString()));
    QCOMPARE(done.at(0), (QVariantList{true, 2, 0}));

    for (const vx::ImageOrientation& orientation : orientations) {
      const QString name = QString::fromStdString(orientation.imageName()).replace(".tif", ".jpg");
      QImage image(dir.filePath(name));
      QCOMPARE(image.size(), QSize(160, 120));
      double u0, v0, u1, v1;
      QVERIFY(orientation.project({{kQuadMin, kQuadMin, 0.0}}, u0, v0));
      QVERIFY(orientation.project({{kQuadMax, kQuadMax, 0.0}}, u1, v1));
      const QRect quad =
          QRectF(QPointF(std::min(u0, u1), std::min(v0, v1)), QPointF(std::max(u0, u1), std::max(v0, v1))).toRect();
      QVERIFY(image.rect().contains(quad));
      const int m = 4;  // JPEG blurs colour edges over a few pixels
      for (const QPoint& inside : {quad.topLeft() + QPoint(m, m), quad.bottomRight() - QPoint(m, m), quad.center()})
        QVERIFY2(isRed(image.pixel(inside)), qPrintable(name + describe(image.pixel(inside))));
      for (const QPoint& outside : {quad.topLeft() - QPoint(m, m), quad.bottomLeft() + QPoint(-m, m),
                                    quad.topRight() + QPoint(m, -m), QPoint(m, image.height() - m)})
        QVERIFY2(isBlue(image.pixel(outside)), qPrintable(name + describe(image.pixel(outside))));
    }
    // The canvas view is drawn again afterwards.
    QCOMPARE(viewer_->getNumViews(), 1u);
    QCOMPARE(viewer_->getView(0), view_.get());
  }

  // A screenshot of the canvas's view; a second request while it runs changes nothing.
  void screenshotOfTheCanvasViewAndNoSecondRender() {
    QTemporaryDir dir;
    const QString file = dir.filePath("shot.png");
    QSignalSpy busy(host_.get(), &RenderHost::signal_busy);
    QVERIFY(host_->renderScreenshot(file, 200, 100));
    QVERIFY(host_->isRendering());
    QTest::ignoreMessage(QtDebugMsg, "Rendering in prgress");
    QVERIFY(!host_->renderScreenshot(dir.filePath("second.png"), 200, 100));
    QTest::ignoreMessage(QtDebugMsg, "Rendering in prgress");
    QVERIFY(!host_->renderFromOrientations(dir.path(), {cameraAbove()}));
    QVERIFY(waitFor([&] { return !host_->isRendering(); }));
    QCOMPARE(busy.first().at(0).toBool(), true);
    QCOMPARE(busy.last().at(0).toBool(), false);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"shot.png"});

    // Looking down with y up: the quad sits right of and above the centre (aspect 2).
    QImage image(file);
    QCOMPARE(image.size(), QSize(200, 100));
    const double halfHeight = 100.0 * std::tan(osg::DegreesToRadians(25.0));
    const auto pixelOf = [&](double x, double y) {
      return QPoint(int((x / (4.0 * halfHeight) + 0.5) * 200), int((0.5 - y / (2.0 * halfHeight)) * 100));
    };
    QVERIFY2(isRed(image.pixel(pixelOf(22, 22))), qPrintable(describe(image.pixel(pixelOf(22, 22)))));
    QVERIFY(isBlue(image.pixel(pixelOf(-22, -22))));
    QVERIFY(isBlue(image.pixel(pixelOf(22, -22))));
    QVERIFY(isBlue(image.pixel(pixelOf(-22, 22))));
  }

  // Cancelling while the second frame is on its way: only the first frame is written.
  void cancelStopsBeforeTheNextFrame() {
    QTemporaryDir dir;
    osg::ref_ptr<osg::AnimationPath> path = new osg::AnimationPath;
    path->insert(0.0, osg::AnimationPath::ControlPoint(osg::Vec3d(0, 0, 100)));
    path->insert(100.0, osg::AnimationPath::ControlPoint(osg::Vec3d(10, 0, 100)));
    QSignalSpy busy(host_.get(), &RenderHost::signal_busy);
    connect(host_.get(), &RenderHost::signal_busy, this, [this](bool on, const QString& msg) {
      if (on && msg.contains(" 1 / ")) host_->cancel();
    });
    QVERIFY(host_->renderAnimation(dir.filePath("flight"), path.get()));
    QVERIFY(waitFor([&] { return !host_->isRendering(); }));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"flight00000000.bmp"});
    QCOMPARE(busy.last().at(0).toBool(), false);
    QVERIFY(busy.at(1).at(1).toString().contains(" rendering started  -  0 / 2500"));
    QCOMPARE(viewer_->getNumViews(), 1u);
  }

  void failuresAreReportedNeverPassedAsSuccess() {
    QTemporaryDir dir;
    QSignalSpy done(host_.get(), &RenderHost::signal_allDone);
    QSignalSpy errors(host_.get(), &RenderHost::signal_error);

    const QString missing = dir.filePath("missing");
    QVERIFY(!host_->renderFromOrientations(missing, {cameraAbove(), cameraAbove()}));
    QCOMPARE(done.count(), 1);
    QCOMPARE(done.at(0), (QVariantList{false, 0, 2}));
    QVERIFY(errors.at(0).at(0).toString().contains(QDir::toNativeSeparators(missing)));
    QVERIFY(!host_->isRendering());

    // The folder vanishes under a screenshot: the write fails and says where.
    const QString file = dir.filePath("gone/shot.png");
    QVERIFY(host_->renderScreenshot(file, 32, 32));
    QVERIFY(waitFor([&] { return !host_->isRendering(); }));
    QCOMPARE(errors.count(), 2);
    QVERIFY(errors.at(1).at(0).toString().contains(QDir::toNativeSeparators(file)));

    // An orientation that cannot be drawn is counted as failed; the run goes on.
    vx::ImageOrientation broken = cameraAbove();
    broken.setImageName("broken.tif");
    broken.setRotation({{1, 0, 0, 0, 1, 0, 0, 0, 0}});
    QVERIFY(host_->renderFromOrientations(dir.path(), {broken, cameraAbove()}));
    QVERIFY(waitFor([&] { return done.count() == 2; }));
    QCOMPARE(done.at(1), (QVariantList{false, 1, 1}));
    QVERIFY(errors.last().at(0).toString().contains("broken.tif"));
    QVERIFY(QFileInfo::exists(dir.filePath("IMG_0001.jpg")));

    // Nothing to render is done at once, and a success.
    QVERIFY(host_->renderFromOrientations(dir.path(), {}));
    QCOMPARE(done.count(), 3);
    QCOMPARE(done.at(2), (QVariantList{true, 0, 0}));
  }
};

QTEST_MAIN(OffScreenRenderTest)
#include "OffScreenRenderTest.moc"
