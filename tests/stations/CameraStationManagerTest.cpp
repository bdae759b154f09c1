#include <QtTest>
#include <QTemporaryDir>

#include <cmath>

#include <osg/Texture2D>

#include "StationTestData.h"
#include "stations/CameraStationManager.h"
#include "stations/OverlayGeometry.h"

using namespace qvx::osgcam;

namespace {

constexpr int kWait = 30000;  // generous: the thread pool is shared with parallel builds

qvx::ProjectImages images(int count, const std::vector<bool>& selected = {}) {
  qvx::ProjectImages result;
  result.orientations = stationtests::block(count);
  result.selected = selected.empty() ? std::vector<bool>(count, true) : selected;
  return result;
}

osg::Vec4 imageColorOf(const CamTransNode* station) { return (*station->frustum()->colors())[0]; }

const osg::Image* textureImageOf(const CamTransNode* station) {
  const osg::StateSet* state = station->frustum()->geometry()->getStateSet();
  if (!state) return nullptr;
  auto* texture = dynamic_cast<const osg::Texture2D*>(state->getTextureAttribute(0, osg::StateAttribute::TEXTURE));
  return texture ? texture->getImage() : nullptr;
}

}  // namespace

class CameraStationManagerTest : public QObject {
  Q_OBJECT

 private slots:
  void undrawableOrientationsAreLeftOutAndReported() {
    qvx::ProjectImages input = images(4);
    input.orientations[1].setFocalLength(0.0);
    CameraStationManager manager;
    const StationBuildReport report = manager.setStations(input);
    QCOMPARE(report.undrawable, QStringList{"IMG_1.jpg"});
    QVERIFY(report.topologyProblem.isEmpty());
    QCOMPARE(manager.stationCount(), 3);
    QVERIFY(!manager.station("IMG_1.jpg"));
    QCOMPARE(manager.station("IMG_2.jpg")->getName(), std::string("CAMERA"));

    manager.clear();
    QCOMPARE(manager.stationCount(), 0);
    QCOMPARE(manager.stationRoot()->getNumChildren(), 0u);
  }

  void looksFollowTheSelection() {
    CameraStationManager manager;
    manager.setStations(images(2, {true, false}));
    const CamTransNode* unselected = manager.station("IMG_1.jpg");
    QCOMPARE(imageColorOf(unselected), osg::Vec4(1, 1, 1, 0.2f));
    QCOMPARE((*unselected->frustum()->colors())[1], osg::Vec4(0.5f, 0.5f, 0.5f, 0.2f));
    QVERIFY(unselected->frustum()->hasFrame());
    QCOMPARE(imageColorOf(manager.station("IMG_0.jpg")), stationColor(8));
    // The state every station needs to blend over the scene.
    const osg::StateSet* state = unselected->frustum()->getStateSet();
    QCOMPARE(state->getRenderingHint(), int(osg::StateSet::TRANSPARENT_BIN));
    QVERIFY(state->getMode(GL_BLEND) & osg::StateAttribute::ON);
    QVERIFY(!(state->getMode(GL_LIGHTING) & osg::StateAttribute::ON));
  }

  void scaleStepsMultiplyEveryStation() {
    CameraStationManager manager;
    manager.setStations(images(9));
    const double common = manager.station("IMG_0.jpg")->scale();
    // Radius of the block about 240 over 9 stations at the reference size 2160: clearly not 1.
    QVERIFY(std::abs(common - 1.0) > 0.5);
    for (int i = 0; i < 3; ++i) manager.scaleStations(+1);
    for (int i = 0; i < 9; ++i) {
      const CamTransNode* station = manager.station("IMG_" + std::to_string(i) + ".jpg");
      QVERIFY(std::abs(station->scale() / common - 1.331) < 1e-9);
    }
    manager.scaleStations(-1);
    QVERIFY(std::abs(manager.station("IMG_4.jpg")->scale() / common - 1.331 * 0.9) < 1e-9);
    // The bound follows at once (culling comes before the traversal), the matrix on the next traversal.
    CamTransNode* station = manager.station("IMG_4.jpg");
    const osg::BoundingSphere bound = station->getBound();
    QVERIFY(std::abs(bound.radius() / station->frustum()->getBound().radius() - station->scale()) < 1e-4);
    osg::NodeVisitor visitor(osg::NodeVisitor::TRAVERSE_ALL_CHILDREN);
    station->accept(visitor);
    QVERIFY(std::abs(station->getMatrix().getScale().x() - station->scale()) < 1e-9);
  }

  // Only stations of this manager count: a foreign node named "CAMERA", a station of another
  // manager and null are ignored by both pick slots.
  void foreignCameraNodesAreIgnored() {
    CameraStationManager manager;
    manager.setStations(images(3));
    CameraStationManager other;
    other.setStations(images(1));
    int opened = 0;
    connect(&manager, &CameraStationManager::signal_openImage, [&opened](std::string) { ++opened; });
    osg::ref_ptr<osg::Group> impostor = new osg::Group;
    impostor->setName("CAMERA");
    for (osg::Node* node : {static_cast<osg::Node*>(impostor.get()), static_cast<osg::Node*>(other.station("IMG_0.jpg")),
                            static_cast<osg::Node*>(nullptr)}) {
      manager.slot_pickedCamera(node);
      manager.slot_openImageFromCam(node);
    }
    QCOMPARE(opened, 0);
    for (int i = 0; i < 3; ++i) {
      QCOMPARE(manager.station("IMG_" + std::to_string(i) + ".jpg")->look(), StationLook::Selected);
    }

    std::string name;
    connect(&manager, &CameraStationManager::signal_openImage, [&name](std::string n) { name = n; });
    manager.slot_openImageFromCam(manager.station("IMG_2.jpg"));
    QCOMPARE(name, std::string("IMG_2.jpg"));
  }

  // The topology numbers the selected images; an unselected image and one left out in between do
  // not shift the partners.
  void pickingHighlightsStereoPartners() {
    qvx::ProjectImages input = images(5, {true, false, true, true, true});
    input.orientations[2].setFocalLength(-1.0);  // selected position 1, left out
    input.topology = vx::StereoModels(4);
    input.topology.setPair(0, 2);  // IMG_0 with IMG_3
    input.topology.setPair(0, 1);  // with the left-out one
    input.topology.setPair(2, 3);  // IMG_3 with IMG_4
    CameraStationManager manager;
    QVERIFY(manager.setStations(input).topologyProblem.isEmpty());

    manager.slot_pickedCamera(manager.station("IMG_0.jpg"));
    QCOMPARE(manager.station("IMG_0.jpg")->look(), StationLook::Picked);
    QCOMPARE(manager.station("IMG_3.jpg")->look(), StationLook::Partner);
    QCOMPARE(imageColorOf(manager.station("IMG_3.jpg")), stationColor(2));
    QCOMPARE(manager.station("IMG_4.jpg")->look(), StationLook::Selected);

    // A new pick resets the old highlight; an unselected pick only resets.
    manager.slot_pickedCamera(manager.station("IMG_4.jpg"));
    QCOMPARE(manager.station("IMG_0.jpg")->look(), StationLook::Selected);
    QCOMPARE(manager.station("IMG_3.jpg")->look(), StationLook::Partner);
    manager.slot_pickedCamera(manager.station("IMG_1.jpg"));
    QCOMPARE(manager.station("IMG_1.jpg")->look(), StationLook::Unselected);
    QCOMPARE(manager.station("IMG_4.jpg")->look(), StationLook::Selected);
    QCOMPARE(manager.station("IMG_3.jpg")->look(), StationLook::Selected);
  }

  void topologyOfTheWrongSizeGivesNoPartners() {
    qvx::ProjectImages input = images(3);
    input.topology = vx::StereoModels(7);
    input.topology.setPair(0, 1);
    CameraStationManager manager;
    const StationBuildReport report = manager.setStations(input);
    QVERIFY(report.topologyProblem.contains("7"));
    QCOMPARE(manager.stationCount(), 3);
    manager.slot_pickedCamera(manager.station("IMG_0.jpg"));
    QCOMPARE(manager.station("IMG_0.jpg")->look(), StationLook::Picked);
    QCOMPARE(manager.station("IMG_1.jpg")->look(), StationLook::Selected);
  }

  // The photo is read in the background and put on the quad upright: row 0 of the texture image is
  // the top of the photo, and the top corners of the quad have t = 0. Large photos are shrunk.
  void openedPhotoLandsUprightOnTheQuad() {
    QTemporaryDir dir;
    const QString path = dir.filePath("IMG_0.png");
    QVERIFY(stationtests::markedPhoto(200, 100).save(path));
    qvx::ProjectImages input = images(2);
    input.photoPaths = {path.toStdString(), ""};
    CameraStationManager manager;
    manager.setStations(input);
    QStringList errors;
    connect(&manager, &CameraStationManager::signal_error, [&errors](QString m) { errors << m; });

    CamTransNode* station = manager.station("IMG_0.jpg");
    manager.slot_openImageFromOri(station->orientation());
    QVERIFY(!station->hasPhoto());  // not read on the calling thread
    QTRY_VERIFY_WITH_TIMEOUT(station->hasPhoto(), kWait);
    QVERIFY(errors.isEmpty());
    QVERIFY(!station->frustum()->hasFrame());
    const osg::Image* image = textureImageOf(station);
    QVERIFY(image);
    QCOMPARE(image->s(), 200);
    QCOMPARE(image->t(), 100);
    auto rgb = [image](int x, int row) { return osg::Vec3(image->data(x, row)[0], image->data(x, row)[1], image->data(x, row)[2]); };
    QCOMPARE(rgb(150, 0), osg::Vec3(255, 0, 0));   // top: red
    QCOMPARE(rgb(150, 99), osg::Vec3(0, 0, 255));  // bottom: blue
    QCOMPARE(rgb(10, 50), osg::Vec3(0, 255, 0));   // left: green
    const auto* tex = static_cast<const osg::Vec2Array*>(station->frustum()->geometry()->getTexCoordArray(0));
    QVERIFY(tex && tex->size() == 4);
    QCOMPARE((*tex)[3], osg::Vec2(0, 0));  // top-left corner
    QCOMPARE((*tex)[1], osg::Vec2(1, 1));  // bottom-right corner

    // Big photos arrive downscaled.
    const PhotoRead big = readPhoto(path, 64);
    QCOMPARE(big.image->s(), 64);
    QCOMPARE(big.image->t(), 32);
  }

  void missingPhotoIsReportedAndTheStationKeepsItsColour() {
    QTemporaryDir dir;
    const QString missing = dir.filePath("nowhere/IMG_0.jpg");
    qvx::ProjectImages input = images(2);
    input.photoPaths = {missing.toStdString()};
    CameraStationManager manager;
    manager.setStations(input);
    QStringList errors;
    connect(&manager, &CameraStationManager::signal_error, [&errors](QString m) { errors << m; });
    manager.slot_openImageFromOri(manager.station("IMG_0.jpg")->orientation());
    QTRY_VERIFY_WITH_TIMEOUT(!errors.isEmpty(), kWait);
    QVERIFY2(errors.first().contains(missing), qPrintable(errors.first()));
    QVERIFY(!manager.station("IMG_0.jpg")->hasPhoto());
    QVERIFY(manager.station("IMG_0.jpg")->frustum()->hasFrame());

    manager.slot_openImageFromOri(manager.station("IMG_1.jpg")->orientation());  // no photo known
    QCOMPARE(errors.size(), 2);
    QVERIFY(errors.last().contains("IMG_1.jpg"));
  }

  // Only the most recent photos stay on quads; older stations go back to their colours. A photo
  // read for stations that were rebuilt meanwhile is dropped.
  void fewPhotosStayOnQuads() {
    QTemporaryDir dir;
    const int count = CameraStationManager::kMaxPhotosShown + 2;
    qvx::ProjectImages input = images(count);
    for (int i = 0; i < count; ++i) {
      const QString path = dir.filePath(QString("p%1.png").arg(i));
      QVERIFY(stationtests::markedPhoto(16, 8).save(path));
      input.photoPaths.push_back(path.toStdString());
    }
    CameraStationManager manager;
    manager.setStations(input);
    for (int i = 0; i < count; ++i) {
      CamTransNode* station = manager.station("IMG_" + std::to_string(i) + ".jpg");
      manager.slot_openImageFromOri(station->orientation());
      QTRY_VERIFY_WITH_TIMEOUT(station->hasPhoto(), kWait);
    }
    int withPhoto = 0;
    for (int i = 0; i < count; ++i) withPhoto += manager.station("IMG_" + std::to_string(i) + ".jpg")->hasPhoto();
    QCOMPARE(withPhoto, int(CameraStationManager::kMaxPhotosShown));
    QVERIFY(!manager.station("IMG_0.jpg")->hasPhoto());
    QVERIFY(manager.station("IMG_0.jpg")->frustum()->hasFrame());

    manager.slot_openImageFromOri(manager.station("IMG_0.jpg")->orientation());
    manager.setStations(input);
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QVERIFY(!manager.station("IMG_0.jpg")->hasPhoto());
  }

  void trueOrthoStationsComeAndGo() {
    QTemporaryDir dir;
    const QString tile = dir.filePath("True_Ortho_0_0.png");
    QVERIFY(stationtests::markedPhoto(64, 64).save(tile));
    CameraStationManager manager;
    manager.setStations(images(2));
    const double scale = manager.station("IMG_0.jpg")->scale();
    manager.slot_pickedCamera(manager.station("IMG_0.jpg"));

    const vx::ImageOrientation ortho = qvx::image::trueOrthoOrientation(64, 64, 0.0, 64.0, 32.0, 0.1, 0.0);
    manager.slot_openTrueOrtho(ortho, tile.toStdString(), 32.0);
    QCOMPARE(manager.stationCount(), 3);
    CamTransNode* station = manager.station("ortho");
    QVERIFY(station && station->isTrueOrtho());
    QTRY_VERIFY_WITH_TIMEOUT(station->hasPhoto(), kWait);
    manager.scaleStations(+1);
    QCOMPARE(station->scale(), 1.0);  // the tile keeps its size
    QVERIFY(std::abs(manager.station("IMG_1.jpg")->scale() - scale * 1.1) < 1e-9);

    manager.slot_closeTrueOrthos();
    QCOMPARE(manager.stationCount(), 2);
    QVERIFY(!manager.station("ortho"));
    QCOMPARE(manager.station("IMG_0.jpg")->look(), StationLook::Selected);
  }
};

QTEST_GUILESS_MAIN(CameraStationManagerTest)
#include "CameraStationManagerTest.moc"
