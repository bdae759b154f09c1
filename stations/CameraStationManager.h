#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include <QObject>
#include <QString>
#include <QStringList>

#include <osg/Group>
#include <osg/observer_ptr>

#include "project/ProjectImages.h"
#include "stations/CamTransNode.h"
#include "stations/PhotoReader.h"
#include "stations/ScaleMasterChildren.h"
#include "vx/ImageOrientation.h"
#include "vx/StereoModels.h"

namespace qvx {
namespace osgcam {

// What building the stations left out, for the owner to tell the user.
struct StationBuildReport {
  QStringList undrawable;  // image names whose orientation cannot be drawn
  QString topologyProblem;  // empty when the topology fits (or there is none)
};

// Owns the camera stations: builds them from the image orientations, scales them, highlights a
// picked station with its stereo partners and puts photos on their quads. Photos are read on the
// thread pool; only a few stay on quads at a time (the most recently opened ones).
class CameraStationManager : public QObject {
  Q_OBJECT

 public:
  static constexpr int kMaxPhotosShown = 4;

  explicit CameraStationManager(QObject* parent = nullptr);

  // Replaces all stations. The topology numbers the selected orientations in order.
  StationBuildReport setStations(const ProjectImages& images);
  // Removes every station ("Clear camera resources"); the root stays the same node.
  void clear();
  osg::Group* stationRoot() const { return root_.get(); }
  void scaleStations(int direction);
  void setReferenceImageSize(int size) { referenceImageSize_ = size; }
  int referenceImageSize() const { return referenceImageSize_; }

  int stationCount() const;
  // The station of an image name (the first true-ortho station for "ortho"), or null.
  CamTransNode* station(const std::string& imageName) const;

 signals:
  void signal_openImage(std::string name);
  void signal_error(QString message);

 public slots:
  void slot_pickedCamera(osg::Node* node);
  void slot_openImageFromCam(osg::Node* node);
  void slot_openImageFromOri(vx::ImageOrientation ori);
  void slot_openTrueOrtho(vx::ImageOrientation ori, std::string path, double tileSize);
  void slot_closeTrueOrthos();

 private:
  CamTransNode* stationOf(osg::Node* node) const;
  void giveNormalLooks();
  void showPhoto(CamTransNode* station, const QString& path, double orthoPixelSize);
  void rememberPhoto(CamTransNode* station);

  int referenceImageSize_ = 2160;
  osg::ref_ptr<osg::Group> root_;
  osg::ref_ptr<ScaleMasterChildren> scaleMaster_;
  vx::StereoModels topology_;
  // Position among the selected orientations (the topology's numbering) -> station.
  std::map<int, osg::observer_ptr<CamTransNode>> stationsBySelectedPosition_;
  std::map<const CamTransNode*, int> selectedPositionOf_;
  std::map<std::string, QString> photoPaths_;
  std::deque<osg::observer_ptr<CamTransNode>> photosShown_;
  // Bumped by every rebuild and clear, so that photos read for old stations are dropped.
  int generation_ = 0;
};

}  // namespace osgcam
}  // namespace qvx
