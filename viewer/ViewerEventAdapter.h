#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include <QObject>
#include <QString>
#include <QStringList>

#include <osg/Matrixd>
#include <osg/observer_ptr>
#include <osg/PolygonMode>
#include <osg/Uniform>
#include <osg/Vec3d>
#include <osg/ref_ptr>
#include <osgViewer/View>

#include "me/TreeStructure.h"
#include "viewer/CameraManipulator.h"
#include "viewer/visitors/TextureAnalysis.h"

class QEvent;
class QWidget;

namespace MeshTree {
class DataBase;
}

namespace qvx {
namespace viewer {

// Sits between the canvas and the scene: owns the camera manipulator and the render state shared
// by all meshes (polygon mode, display uniforms), sees every Qt event of the canvas first, picks
// under the mouse and builds the scene root. The mesh-editing adapter derives from it.
class ViewerEventAdapter : public QObject {
  Q_OBJECT

 public:
  // Deletes (later) the widget of the panel layout's first item and hides the panel; a derived
  // adapter puts its own tool bar there.
  ViewerEventAdapter(osg::ref_ptr<osgViewer::View> view, std::shared_ptr<MeshTree::DataBase> database,
                     QWidget* panel, QObject* parent = nullptr);
  ~ViewerEventAdapter() override;

  // Every Qt event of the canvas, with the cursor in normalized device coordinates. The canvas
  // lets Qt and the manipulator handle the event afterwards as well.
  virtual bool handleEvent(QEvent* event, double x, double y);
  // After every drawn frame: keeps the rotation centre on the surface under the screen centre.
  // True when the centre was moved.
  virtual bool updateMousePosition(double x, double y);
  // Builds the scene root; each of the three nodes may be null. Derived adapters need the tree
  // structure of the data scene.
  virtual void setScene(osg::ref_ptr<osg::Node> dataScene, osg::ref_ptr<osg::Group> augmentRoot,
                        osg::ref_ptr<osg::Group> stationRoot, vx::me::TreeStructure treeStructure);
  // Whether the loaded data may go into (or stay in) edit mode; the plain viewer is never in it.
  virtual bool checkEditMode();
  // Asks to close; derived adapters with unsaved edits run `continuation` once closing may go
  // on. True when the close may proceed now.
  virtual bool requestClose(std::function<void()> continuation);
  virtual bool editsSaved();
  // Extension point for derived adapters; nothing to do in the plain viewer.
  virtual void hook();
  virtual void cameraImageViewChanged(bool on);
  virtual void orthoViewChanged(bool on);
  // Texture and shading mode from what the data carries.
  virtual void applyDefaultDisplayModes();

  CameraManipulator* cameraManipulator() const { return manipulator_.get(); }
  osgViewer::View* view() const { return view_.get(); }
  // The scene root that the last setScene built (null before).
  osg::Group* sceneRoot() const { return sceneRoot_.get(); }

  // Editing view: plain white lit mesh, free vertical axis, no rotation re-centring.
  void setEditingView(bool on);
  bool isEditingView() const { return editingView_; }
  void restoreCamera(const osg::Vec3d& eye, const osg::Vec3d& center, const osg::Vec3d& up);
  void readCamera(osg::Vec3d& eye, osg::Vec3d& center, osg::Vec3d& up) const;
  // Turns the view about the vertical axis so that north is up on the screen.
  void faceNorth();
  // sin(fov) / sin(50 deg), passed to the manipulator's panning.
  void setFovFactor(float factor);
  // Puts this adapter's manipulator back on the view (after animation playback) without
  // resetting it, looking through `viewMatrix`; without one it only logs.
  void restoreManipulator(const std::optional<osg::Matrixd>& viewMatrix);

  // Display state, for the owner's read-outs and tests.
  osg::PolygonMode::Mode polygonMode() const;
  bool hasTexture() const;
  bool hasVertexColors() const;
  float lightLevel() const;
  int textureMode() const;
  int shadingMode() const;
  bool isPolygonModeFill() const;
  float minHeight() const;
  float maxHeight() const;
  void setTextureMode(int mode);
  void setShadingMode(int mode);

 signals:
  void signal_toolSwitched();
  void signal_toolUpdate();
  void signal_openImageFromCam(osg::Node* node);
  void signal_rotationIsActive(bool isActive);
  void signal_rotationCenterChanged(osg::Vec3d newCenterOfRotation);
  void signal_resetIntersectionPoint();
  void signal_pickedNode(osg::Node* node);
  void signal_executeVEXATasks(QString inputList, QString areaShapePath, QString correctionShapePath);
  void signal_autoMinMaxHeightChanged(float min, float max);
  void signal_addPolygon(osg::ref_ptr<osg::Node> polygon);
  void signal_pickPolygon(osg::ref_ptr<osg::Node> polygon, bool append);
  void signal_clearPolygons();
  void signal_toggleCamera(bool on);
  void signal_prevCamera();
  void signal_nextCamera();
  void signal_toggleOrtho(bool on);
  // Every polygon mode change, by key or by request, so that the toolbar can follow it.
  void signal_polygonModeChanged(int mode);

 public slots:
  virtual void on_loadResource(QString file);
  virtual void on_loadResources(QStringList files);
  virtual void slot_loadPolygonsFromShapeFile(QString fileName);
  virtual void slot_selectPolygon(osg::ref_ptr<osg::Node> polygon, bool select);
  virtual void slot_removePolygon(osg::ref_ptr<osg::Node> polygon);

  void on_updateLight(int light);
  void on_setLight(int light);
  void on_setPolygonMode(int mode);
  void slot_updateVerticalAxisFixed(bool isVerticalAxisFixed);
  // Manual values hold until the user returns to automatic; the automatic range then follows
  // the data again at the next scene build.
  void slot_manualHeightValuesChanged(bool isAuto, float min, float max);

 protected:
  MeshTree::DataBase* database() const { return database_.get(); }
  // The display uniforms on `stateSet`; with heights also minHeight and maxHeight. The state set
  // also receives the mesh programs' preprocessor symbols, kept in step with the uniforms.
  void addDisplayUniforms(osg::StateSet* stateSet, bool withHeights);
  // Texture analysis of `node`, then the default display modes and a filled polygon mode. Tile
  // files the analysis must read are read on the thread pool; their findings follow on the GUI
  // thread, unless a newer analysis has started meanwhile.
  void analyseTextures(osg::Node* node);

 private:
  template <typename Signal>
  void emitForPickedPath(double x, double y, Signal signal);
  // The database's height range into minHeight and maxHeight (unless set by hand), announced.
  void applyDataHeightRange();
  // After any change of the uniforms that select a mesh's colour path.
  void updateShaderDefines();
  std::map<std::string, std::string> shaderDefines() const;
  void applyTextureFindings(const TextureFindings& findings);

  osg::ref_ptr<osgViewer::View> view_;
  osg::ref_ptr<CameraManipulator> manipulator_;
  osg::ref_ptr<osg::PolygonMode> polygonMode_;
  osg::ref_ptr<osg::Uniform> hasTexture_;
  osg::ref_ptr<osg::Uniform> hasVertexColors_;
  osg::ref_ptr<osg::Uniform> lightLevel_;
  osg::ref_ptr<osg::Uniform> textureMode_;
  osg::ref_ptr<osg::Uniform> shadingMode_;
  osg::ref_ptr<osg::Uniform> isPolygonModeFill_;
  osg::ref_ptr<osg::Uniform> minHeight_;
  osg::ref_ptr<osg::Uniform> maxHeight_;
  bool leftButtonDown_ = false;
  bool editingView_ = false;
  bool verticalAxisFixed_ = false;
  int savedShadingMode_ = 0;
  int savedTextureMode_ = 0;
  bool manualHeights_ = false;
  QWidget* panel_ = nullptr;
  std::shared_ptr<MeshTree::DataBase> database_;
  osg::ref_ptr<osg::Group> sceneRoot_;
  // State sets of the current scene that carry the display uniforms.
  std::vector<osg::observer_ptr<osg::StateSet>> displayStateSets_;
  // The analysis whose files are being read, if any.
  std::shared_ptr<TextureAnalysis> runningAnalysis_;
};

}  // namespace viewer
}  // namespace qvx
