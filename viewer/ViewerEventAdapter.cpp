#include "viewer/ViewerEventAdapter.h"

#include <QDebug>
#include <QEvent>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QtConcurrent>
#include <QKeyEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QWidget>

#include "resources/DataBase.h"
#include "viewer/Picking.h"
#include "viewer/Shaders.h"
#include "viewer/ViewerMath.h"

namespace qvx {
namespace viewer {

namespace {

void setProgram(osg::StateSet* stateSet, osg::ref_ptr<osg::Program> program) {
  stateSet->setAttributeAndModes(program.get(), osg::StateAttribute::ON);
}

int intValue(const osg::Uniform* uniform) {
  int value = 0;
  uniform->get(value);
  return value;
}

bool boolValue(const osg::Uniform* uniform) {
  bool value = false;
  uniform->get(value);
  return value;
}

float floatValue(const osg::Uniform* uniform) {
  float value = 0.0f;
  uniform->get(value);
  return value;
}

}  // namespace

ViewerEventAdapter::ViewerEventAdapter(osg::ref_ptr<osgViewer::View> view,
                                       std::shared_ptr<MeshTree::DataBase> database, QWidget* panel,
                                       QObject* parent)
    : QObject(parent),
      view_(std::move(view)),
      manipulator_(new CameraManipulator(osgGA::StandardManipulator::UPDATE_MODEL_SIZE |
                                         osgGA::StandardManipulator::PROCESS_MOUSE_WHEEL)),
      polygonMode_(new osg::PolygonMode(osg::PolygonMode::FRONT_AND_BACK, osg::PolygonMode::FILL)),
      hasTexture_(new osg::Uniform("hasTexture", true)),
      hasVertexColors_(new osg::Uniform("hasVertexColors", true)),
      lightLevel_(new osg::Uniform("lightLevel", 1.0f)),
      textureMode_(new osg::Uniform("textureMode", 0)),
      shadingMode_(new osg::Uniform("shadingMode", 0)),
      isPolygonModeFill_(new osg::Uniform("isPolygonModeFill", true)),
      minHeight_(new osg::Uniform("minHeight", 0.0f)),
      maxHeight_(new osg::Uniform("maxHeight", 500.0f)),
      panel_(panel),
      database_(std::move(database)) {
  if (panel_) {
    if (QLayout* layout = panel_->layout()) {
      if (QLayoutItem* first = layout->itemAt(0)) {
        if (QWidget* widget = first->widget()) widget->deleteLater();
      }
    }
    panel_->hide();
  }
  if (database_) {
    // Tile bounds read in the background widen the range after the scene was built.
    connect(database_.get(), &MeshTree::DataBase::signal_heightRangeChanged, this,
            &ViewerEventAdapter::applyDataHeightRange);
  }
  if (view_) {
    view_->setCameraManipulator(manipulator_.get(), true);
    // A previous adapter may have left another polygon mode on the shared camera.
    view_->getCamera()->getOrCreateStateSet()->setAttributeAndModes(polygonMode_.get());
  }
  emit signal_toolSwitched();
}

ViewerEventAdapter::~ViewerEventAdapter() = default;

bool ViewerEventAdapter::handleEvent(QEvent* event, double x, double y) {
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::LeftButton) {
        if (!editingView_) emit signal_rotationIsActive(true);
        leftButtonDown_ = true;
      }
      break;
    }
    case QEvent::MouseButtonRelease: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::LeftButton) {
        if (!editingView_) emit signal_rotationIsActive(false);
        leftButtonDown_ = false;
      } else if (mouse->button() == Qt::RightButton) {
        emitForPickedPath(x, y, &ViewerEventAdapter::signal_openImageFromCam);
      }
      break;
    }
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyRelease:
      if (static_cast<QInputEvent*>(event)->modifiers() & Qt::AltModifier)
        emitForPickedPath(x, y, &ViewerEventAdapter::signal_pickedNode);
      break;
    case QEvent::KeyPress: {
      switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_L:
          setShadingMode(nextShadingMode(shadingMode()));
          break;
        case Qt::Key_T:
          setTextureMode(nextTextureMode(textureMode(), hasTexture(), hasVertexColors()));
          break;
        case Qt::Key_W:
          on_setPolygonMode(nextPolygonMode(polygonMode()));
          break;
        default:
          break;
      }
      break;
    }
    default:
      break;
  }
  return true;
}

template <typename Signal>
void ViewerEventAdapter::emitForPickedPath(double x, double y, Signal signal) {
  if (!view_) return;
  const osg::NodePath path = pickNodePath(view_->getCamera(), x, y);
  for (auto node = path.rbegin(); node != path.rend(); ++node) emit(this->*signal)(*node);
}

bool ViewerEventAdapter::updateMousePosition(double, double) {
  if (leftButtonDown_ || editingView_ || !view_) return false;
  const osg::Vec3d center = pickWorldPoint(view_->getCamera(), 0.0, 0.0);
  if (!isValidPoint(center)) return false;
  osg::Vec3d eye, oldCenter, up;
  manipulator_->getTransformation(eye, oldCenter, up);
  manipulator_->setTransformation(eye, center, up);
  emit signal_rotationCenterChanged(center);
  return true;
}

void ViewerEventAdapter::setScene(osg::ref_ptr<osg::Node> dataScene, osg::ref_ptr<osg::Group> augmentRoot,
                                  osg::ref_ptr<osg::Group> stationRoot, vx::me::TreeStructure) {
  sceneRoot_ = new osg::Group;
  sceneRoot_->setName("SceneRoot");
  displayStateSets_.clear();

  if (stationRoot) {
    sceneRoot_->addChild(stationRoot);
    osg::StateSet* stateSet = stationRoot->getOrCreateStateSet();
    setProgram(stateSet, shaders::createStationProgram());
    addDisplayUniforms(stateSet, false);
    analyseTextures(stationRoot.get());
    sceneRoot_->getOrCreateStateSet()->setMode(GL_DEPTH_TEST, osg::StateAttribute::ON);
    stationRoot->setNodeMask(kStationNodeMask);
  }

  if (dataScene && augmentRoot) {
    sceneRoot_->addChild(dataScene);
    sceneRoot_->addChild(augmentRoot);

    osg::StateSet* augmentState = augmentRoot->getOrCreateStateSet();
    setProgram(augmentState, shaders::createColorProgram());
    addDisplayUniforms(augmentState, false);
    analyseTextures(augmentRoot.get());

    osg::StateSet* dataState = dataScene->getOrCreateStateSet();
    setProgram(dataState, shaders::createMeshProgram());
    analyseTextures(dataScene.get());
    addDisplayUniforms(dataState, true);
  }

  applyDataHeightRange();
  if (view_) view_->setSceneData(sceneRoot_.get());
}

void ViewerEventAdapter::applyDataHeightRange() {
  float minHeight = 0.0f;
  float maxHeight = 0.0f;
  if (!database_ || !database_->heightRange(minHeight, maxHeight)) return;
  if (!manualHeights_) {
    minHeight_->set(minHeight);
    maxHeight_->set(maxHeight);
  }
  emit signal_autoMinMaxHeightChanged(minHeight, maxHeight);
}

bool ViewerEventAdapter::checkEditMode() { return false; }

bool ViewerEventAdapter::requestClose(std::function<void()>) { return true; }

bool ViewerEventAdapter::editsSaved() { return false; }

void ViewerEventAdapter::hook() {}

void ViewerEventAdapter::cameraImageViewChanged(bool) {}

void ViewerEventAdapter::orthoViewChanged(bool) {}

void ViewerEventAdapter::applyDefaultDisplayModes() {
  const DisplayModes modes = defaultDisplayModes(hasTexture(), hasVertexColors());
  setTextureMode(modes.textureMode);
  setShadingMode(modes.shadingMode);
}

void ViewerEventAdapter::on_loadResource(QString file) {
  if (database_) database_->loadFile(QFileInfo(file));
}

void ViewerEventAdapter::on_loadResources(QStringList files) {
  if (database_) database_->loadFiles(files);
}

void ViewerEventAdapter::slot_loadPolygonsFromShapeFile(QString) {}

void ViewerEventAdapter::slot_selectPolygon(osg::ref_ptr<osg::Node>, bool) {}

void ViewerEventAdapter::slot_removePolygon(osg::ref_ptr<osg::Node>) {}

void ViewerEventAdapter::on_updateLight(int light) { lightLevel_->set(lightLevel() + light / 50.0f); }

void ViewerEventAdapter::on_setLight(int light) { lightLevel_->set(light / 50.0f); }

void ViewerEventAdapter::on_setPolygonMode(int mode) {
  if (mode != osg::PolygonMode::POINT && mode != osg::PolygonMode::LINE && mode != osg::PolygonMode::FILL) {
    qDebug() << "Ignoring unknown polygon mode" << mode;
    return;
  }
  const auto polygonMode = static_cast<osg::PolygonMode::Mode>(mode);
  polygonMode_->setMode(osg::PolygonMode::FRONT_AND_BACK, polygonMode);
  if (view_) view_->getCamera()->getOrCreateStateSet()->setAttributeAndModes(polygonMode_.get());
  isPolygonModeFill_->set(polygonMode == osg::PolygonMode::FILL);
  updateShaderDefines();
  emit signal_polygonModeChanged(mode);
}

void ViewerEventAdapter::slot_updateVerticalAxisFixed(bool isVerticalAxisFixed) {
  verticalAxisFixed_ = isVerticalAxisFixed;
  manipulator_->setVerticalAxisFixed(isVerticalAxisFixed);
}

void ViewerEventAdapter::slot_manualHeightValuesChanged(bool isAuto, float min, float max) {
  manualHeights_ = !isAuto;
  if (isAuto) return;
  minHeight_->set(min);
  maxHeight_->set(max);
}

void ViewerEventAdapter::setEditingView(bool on) {
  if (on == editingView_) return;
  editingView_ = on;
  if (on) {
    manipulator_->setVerticalAxisFixed(false);
    savedTextureMode_ = textureMode();
    savedShadingMode_ = shadingMode();
    setTextureMode(3);
    setShadingMode(0);
  } else {
    manipulator_->setVerticalAxisFixed(verticalAxisFixed_);
    setTextureMode(savedTextureMode_);
    setShadingMode(savedShadingMode_);
  }
}

void ViewerEventAdapter::restoreCamera(const osg::Vec3d& eye, const osg::Vec3d& center, const osg::Vec3d& up) {
  manipulator_->setTransformation(eye, center, up);
}

void ViewerEventAdapter::readCamera(osg::Vec3d& eye, osg::Vec3d& center, osg::Vec3d& up) const {
  manipulator_->getTransformation(eye, center, up);
}

void ViewerEventAdapter::faceNorth() {
  if (!view_) return;
  osg::Camera* camera = view_->getCamera();
  osg::Vec3d eye, center, up;
  camera->getViewMatrixAsLookAt(eye, center, up, 1.0);
  const osg::Vec3d picked = pickWorldPoint(camera, 0.0, 0.0);
  if (isValidPoint(picked)) center = picked;
  const LookAt north = faceNorthView(eye, center);
  manipulator_->setTransformation(north.eye, north.center, north.up);
}

void ViewerEventAdapter::setFovFactor(float factor) { manipulator_->setFovFactor(factor); }

void ViewerEventAdapter::restoreManipulator(const std::optional<osg::Matrixd>& viewMatrix) {
  if (!viewMatrix) {
    qDebug() << "no view available";
    return;
  }
  if (view_) view_->setCameraManipulator(manipulator_.get(), false);
  manipulator_->setByInverseMatrix(*viewMatrix);
}

osg::PolygonMode::Mode ViewerEventAdapter::polygonMode() const {
  return polygonMode_->getMode(osg::PolygonMode::FRONT_AND_BACK);
}

bool ViewerEventAdapter::hasTexture() const { return boolValue(hasTexture_.get()); }
bool ViewerEventAdapter::hasVertexColors() const { return boolValue(hasVertexColors_.get()); }
float ViewerEventAdapter::lightLevel() const { return floatValue(lightLevel_.get()); }
int ViewerEventAdapter::textureMode() const { return intValue(textureMode_.get()); }
int ViewerEventAdapter::shadingMode() const { return intValue(shadingMode_.get()); }
bool ViewerEventAdapter::isPolygonModeFill() const { return boolValue(isPolygonModeFill_.get()); }
float ViewerEventAdapter::minHeight() const { return floatValue(minHeight_.get()); }
float ViewerEventAdapter::maxHeight() const { return floatValue(maxHeight_.get()); }

void ViewerEventAdapter::setTextureMode(int mode) {
  textureMode_->set(mode);
  updateShaderDefines();
}

void ViewerEventAdapter::setShadingMode(int mode) {
  shadingMode_->set(mode);
  updateShaderDefines();
}

void ViewerEventAdapter::updateShaderDefines() {
  const auto defines = shaderDefines();
  for (const auto& stateSet : displayStateSets_) {
    osg::ref_ptr<osg::StateSet> alive;
    if (!stateSet.lock(alive)) continue;
    for (const auto& [name, value] : defines) alive->setDefine(name, value);
  }
}

std::map<std::string, std::string> ViewerEventAdapter::shaderDefines() const {
  shaders::MeshDisplayModes modes;
  modes.textureMode = textureMode();
  modes.shadingMode = shadingMode();
  modes.hasTexture = hasTexture();
  modes.hasVertexColors = hasVertexColors();
  modes.polygonModeFill = isPolygonModeFill();
  return shaders::meshShaderDefines(modes);
}

void ViewerEventAdapter::addDisplayUniforms(osg::StateSet* stateSet, bool withHeights) {
  for (const auto& uniform : {hasTexture_, hasVertexColors_, lightLevel_, textureMode_, shadingMode_,
                              isPolygonModeFill_})
    stateSet->addUniform(uniform.get(), osg::StateAttribute::ON);
  if (withHeights) {
    stateSet->addUniform(minHeight_.get(), osg::StateAttribute::ON);
    stateSet->addUniform(maxHeight_.get(), osg::StateAttribute::ON);
  }
  displayStateSets_.emplace_back(stateSet);
  for (const auto& [name, value] : shaderDefines()) stateSet->setDefine(name, value);
}

void ViewerEventAdapter::analyseTextures(osg::Node* node) {
  if (runningAnalysis_) runningAnalysis_->cancel();
  runningAnalysis_ = nullptr;
  auto analysis = std::make_shared<TextureAnalysis>(node);
  applyTextureFindings(analysis->findings());
  on_setPolygonMode(osg::PolygonMode::FILL);
  if (!analysis->needsFiles()) return;

  runningAnalysis_ = analysis;
  auto* watcher = new QFutureWatcher<void>(this);
  connect(watcher, &QFutureWatcher<void>::finished, this, [this, watcher, analysis] {
    watcher->deleteLater();
    if (runningAnalysis_ != analysis) return;
    runningAnalysis_ = nullptr;
    const TextureFindings found = analysis->findings();
    if (found.hasTexture == hasTexture() && found.hasVertexColors == hasVertexColors()) return;
    if (!editingView_) {
      applyTextureFindings(found);
      return;
    }
    // The editing view keeps its plain look; the modes it returns to follow the data.
    hasTexture_->set(found.hasTexture);
    hasVertexColors_->set(found.hasVertexColors);
    const DisplayModes modes = defaultDisplayModes(found.hasTexture, found.hasVertexColors);
    savedTextureMode_ = modes.textureMode;
    savedShadingMode_ = modes.shadingMode;
    updateShaderDefines();
  });
  watcher->setFuture(QtConcurrent::run([analysis] { analysis->readFiles(); }));
}

void ViewerEventAdapter::applyTextureFindings(const TextureFindings& findings) {
  hasTexture_->set(findings.hasTexture);
  hasVertexColors_->set(findings.hasVertexColors);
  applyDefaultDisplayModes();
}

}  // namespace viewer
}  // namespace qvx
