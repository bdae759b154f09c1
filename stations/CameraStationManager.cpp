#include "stations/CameraStationManager.h"

#include <algorithm>

#include <QDebug>

#include "tasks/Task.h"
#include "vx/CameraParameters.h"

namespace qvx {
namespace osgcam {

namespace {

template <typename Visit>
void forEachStation(osg::Group* root, Visit visit) {
  for (unsigned int i = 0; i < root->getNumChildren(); ++i) {
    if (auto* station = dynamic_cast<CamTransNode*>(root->getChild(i))) visit(station);
  }
}

StationLook normalLook(const CamTransNode& station) {
  return station.isSelected() ? StationLook::Selected : StationLook::Unselected;
}

}  // namespace

CameraStationManager::CameraStationManager(QObject* parent)
    : QObject(parent), root_(new osg::Group), scaleMaster_(new ScaleMasterChildren(root_.get())) {
  root_->setName("CameraStations");
}

StationBuildReport CameraStationManager::setStations(const ProjectImages& images) {
  clear();
  StationBuildReport report;
  const int selectedCount =
      static_cast<int>(std::count(images.selected.begin(), images.selected.end(), true));
  if (images.topology.imageCount() != 0 && images.topology.imageCount() != selectedCount) {
    report.topologyProblem = QString("The stereo topology covers %1 images, but %2 images are selected; "
                                     "stereo partners are not shown.")
                                 .arg(images.topology.imageCount())
                                 .arg(selectedCount);
    qDebug() << report.topologyProblem;
  } else {
    topology_ = images.topology;
  }

  int selectedPosition = 0;
  for (size_t i = 0; i < images.orientations.size(); ++i) {
    vx::ImageOrientation orientation = images.orientations[i];
    const bool selected = i < images.selected.size() && images.selected[i];
    // Positions follow the input, so the topology's numbering survives a station left out.
    const int position = selected ? selectedPosition++ : -1;
    if (!vx::normalizeCameraParameters(orientation)) {
      qDebug() << "Camera station left out, its orientation cannot be drawn:"
               << QString::fromStdString(orientation.imageName());
      report.undrawable << QString::fromStdString(orientation.imageName());
      continue;
    }
    osg::ref_ptr<CamTransNode> station = new CamTransNode(orientation, selected);
    root_->addChild(station);
    if (selected) {
      stationsBySelectedPosition_[position] = station.get();
      selectedPositionOf_[station.get()] = position;
    }
    if (i < images.photoPaths.size() && !images.photoPaths[i].empty()) {
      photoPaths_[orientation.imageName()] = QString::fromStdString(images.photoPaths[i]);
    }
  }
  scaleMaster_->setUp(referenceImageSize_);
  return report;
}

void CameraStationManager::clear() {
  root_->removeChildren(0, root_->getNumChildren());
  topology_ = vx::StereoModels();
  stationsBySelectedPosition_.clear();
  selectedPositionOf_.clear();
  photoPaths_.clear();
  photosShown_.clear();
  ++generation_;
}

void CameraStationManager::scaleStations(int direction) { scaleMaster_->scaleStep(direction); }

int CameraStationManager::stationCount() const {
  int count = 0;
  forEachStation(root_.get(), [&count](CamTransNode*) { ++count; });
  return count;
}

CamTransNode* CameraStationManager::station(const std::string& imageName) const {
  CamTransNode* found = nullptr;
  forEachStation(root_.get(), [&](CamTransNode* station) {
    if (!found && station->imageName() == imageName) found = station;
  });
  return found;
}

CamTransNode* CameraStationManager::stationOf(osg::Node* node) const {
  if (!node || node->getName() != CamTransNode::kNodeName) return nullptr;
  auto* station = dynamic_cast<CamTransNode*>(node);
  return station && root_->containsNode(station) ? station : nullptr;
}

void CameraStationManager::giveNormalLooks() {
  forEachStation(root_.get(), [](CamTransNode* station) {
    if (station->look() != normalLook(*station)) station->applyLook(normalLook(*station));
  });
}

void CameraStationManager::slot_pickedCamera(osg::Node* node) {
  CamTransNode* picked = stationOf(node);
  if (!picked) return;
  giveNormalLooks();
  if (!picked->isSelected()) return;
  picked->applyLook(StationLook::Picked);
  const auto position = selectedPositionOf_.find(picked);
  if (position == selectedPositionOf_.end() || position->second >= topology_.imageCount()) return;
  for (int partner : topology_.partners(position->second)) {
    const auto found = stationsBySelectedPosition_.find(partner);
    osg::ref_ptr<CamTransNode> station;
    if (found != stationsBySelectedPosition_.end() && found->second.lock(station)) {
      station->applyLook(StationLook::Partner);
    }
  }
}

void CameraStationManager::slot_openImageFromCam(osg::Node* node) {
  if (CamTransNode* station = stationOf(node)) emit signal_openImage(station->imageName());
}

void CameraStationManager::slot_openImageFromOri(vx::ImageOrientation ori) {
  CamTransNode* station = this->station(ori.imageName());
  if (!station || station->isTrueOrtho()) {
    qDebug() << "No camera station for the image" << QString::fromStdString(ori.imageName());
    return;
  }
  if (station->hasPhoto()) {
    rememberPhoto(station);
    return;
  }
  const auto path = photoPaths_.find(ori.imageName());
  if (path == photoPaths_.end()) {
    emit signal_error(QString("No photo file is known for the image %1.").arg(QString::fromStdString(ori.imageName())));
    return;
  }
  showPhoto(station, path->second, 0.0);
}

void CameraStationManager::slot_openTrueOrtho(vx::ImageOrientation ori, std::string path, double tileSize) {
  ori.setImageName(CamTransNode::kOrthoName);
  ori.setOrtho(true);
  osg::ref_ptr<CamTransNode> station = new CamTransNode(ori, true);
  const double pixelSize = ori.width() > 0 ? tileSize / ori.width() : 0.0;
  station->setPhoto(nullptr, pixelSize);
  root_->addChild(station);
  showPhoto(station.get(), QString::fromStdString(path), pixelSize);
}

void CameraStationManager::slot_closeTrueOrthos() {
  for (unsigned int i = root_->getNumChildren(); i-- > 0;) {
    auto* station = dynamic_cast<CamTransNode*>(root_->getChild(i));
    if (station && station->imageName() == CamTransNode::kOrthoName) root_->removeChild(i);
  }
  giveNormalLooks();
}

void CameraStationManager::showPhoto(CamTransNode* station, const QString& path, double orthoPixelSize) {
  const int generation = generation_;
  const osg::observer_ptr<CamTransNode> target(station);
  const auto show = [=](const PhotoRead& read) {
    osg::ref_ptr<CamTransNode> node;
    if (generation != generation_ || !target.lock(node) || !root_->containsNode(node.get())) return;
    if (!read.image) {
      emit signal_error(read.error);
      return;
    }
    node->setPhoto(read.image.get(), orthoPixelSize);
    rememberPhoto(node.get());
  };
  tasks::run<PhotoRead>(this, [path](tasks::Feedback&) { return readPhoto(path, kMaxPhotoTextureSize); }, show);
}

void CameraStationManager::rememberPhoto(CamTransNode* station) {
  // True-ortho stations go with the image view; they are not counted.
  if (station->isTrueOrtho()) return;
  photosShown_.erase(std::remove_if(photosShown_.begin(), photosShown_.end(),
                                    [station](const osg::observer_ptr<CamTransNode>& shown) {
                                      return !shown.valid() || shown.get() == station;
                                    }),
                     photosShown_.end());
  photosShown_.push_back(station);
  while (photosShown_.size() > static_cast<size_t>(kMaxPhotosShown)) {
    osg::ref_ptr<CamTransNode> oldest;
    if (photosShown_.front().lock(oldest)) oldest->setPhoto(nullptr);
    photosShown_.pop_front();
  }
}

}  // namespace osgcam
}  // namespace qvx
