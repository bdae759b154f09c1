#include <QtTest>

#include <cstring>

#include <osg/GraphicsContext>
#include <osgGA/TrackballManipulator>
#include <osgViewer/Viewer>

#include "StationTestData.h"
#include "stations/CamTransNode.h"
#include "stations/ImageOverlayController.h"

// Looks through a photo at its own station and reads the frame back: every screen pixel must show
// the photo pixel it stands for, so the scene and the photo coincide in the image view. Needs an X
// server (pbuffer).
class PhotoAlignmentTest : public QObject {
  Q_OBJECT

 private slots:
  void screenShowsThePhotoPixelForPixel() {
    const int width = 160;
    const int height = 120;
    vx::ImageOrientation o = stationtests::camera("IMG_0.jpg", 20.0, -30.0, 200.0, {{0.2, 0.4, -0.9}});
    o.setImageSize(width, height);
    o.setFocalLength(170.0);
    o.setPrincipalPoint(83.0, 57.0);
    osg::ref_ptr<qvx::osgcam::CamTransNode> station = new qvx::osgcam::CamTransNode(o, true);
    station->setScale(5.0);  // beyond the near plane
    const QImage photo = stationtests::markedPhoto(width, height);
    osg::ref_ptr<osg::Image> texture = new osg::Image;
    texture->allocateImage(width, height, 1, GL_RGB, GL_UNSIGNED_BYTE);
    for (int row = 0; row < height; ++row) std::memcpy(texture->data(0, row), photo.constScanLine(row), width * 3);
    station->setPhoto(texture);

    osg::ref_ptr<osg::GraphicsContext::Traits> traits = new osg::GraphicsContext::Traits;
    traits->readDISPLAY();
    traits->setUndefinedScreenDetailsToDefaultScreen();
    traits->width = width;
    traits->height = height;
    traits->pbuffer = true;
    traits->doubleBuffer = false;
    osg::ref_ptr<osg::GraphicsContext> context = osg::GraphicsContext::createGraphicsContext(traits);
    QVERIFY2(context.valid(), "no pbuffer context (is an X server running?)");

    osgViewer::Viewer viewer;
    viewer.setThreadingModel(osgViewer::Viewer::SingleThreaded);
    osg::Camera* camera = viewer.getCamera();
    camera->setGraphicsContext(context);
    camera->setViewport(0, 0, width, height);
    camera->setProjectionResizePolicy(osg::Camera::FIXED);
    camera->setClearColor(osg::Vec4(0.0f, 0.0f, 0.0f, 1.0f));
    camera->setDrawBuffer(GL_FRONT);
    camera->setReadBuffer(GL_FRONT);
    osg::ref_ptr<osg::Image> frame = new osg::Image;
    frame->allocateImage(width, height, 1, GL_RGB, GL_UNSIGNED_BYTE);
    camera->attach(osg::Camera::COLOR_BUFFER, frame.get());
    viewer.setSceneData(station);
    viewer.setCameraManipulator(new osgGA::TrackballManipulator, false);
    viewer.realize();

    qvx::image::ImageOverlayController overlay(&viewer, camera);
    overlay.slot_jumpToCameraPosition(o);
    viewer.frame();

    // Window rows count from the bottom. The quad is drawn at alpha 0.7 over black.
    auto at = [&](int x, int rowFromTop) {
      const unsigned char* p = frame->data(x, height - 1 - rowFromTop);
      return QColor(p[0], p[1], p[2]);
    };
    auto is = [](const QColor& c, const QColor& expected) {
      auto near = [](int value, int full) { return full ? value > 150 : value < 30; };
      return near(c.red(), expected.red()) && near(c.green(), expected.green()) && near(c.blue(), expected.blue());
    };
    const QColor red(255, 0, 0), blue(0, 0, 255), green(0, 255, 0);
    // The edges of the marks fall exactly between screen pixels: a half-pixel shift blends them.
    const struct {
      int x, row;
      QColor colour;
    } probes[] = {{39, 10, green}, {40, 10, red}, {100, 59, red}, {100, 60, blue}, {0, 0, green},
                  {159, 0, red},   {159, 119, blue}, {39, 110, green}, {40, 110, blue}};
    for (const auto& probe : probes) {
      const QColor seen = at(probe.x, probe.row);
      QVERIFY2(is(seen, probe.colour), qPrintable(QString("pixel (%1, %2) is %3").arg(probe.x).arg(probe.row).arg(seen.name())));
    }
  }
};

QTEST_GUILESS_MAIN(PhotoAlignmentTest)
#include "PhotoAlignmentTest.moc"
