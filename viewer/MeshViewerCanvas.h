#pragma once

#include <QGLWidget>
#include <QLayout>
#include <QPointer>
#include <QTimer>

#include <osg/Camera>
#include <osg/DisplaySettings>
#include <osg/Vec2d>
#include <osg/Vec3d>
#include <osg/ref_ptr>
#include <osgViewer/CompositeViewer>
#include <osgViewer/GraphicsWindow>
#include <osgViewer/View>

#include "viewer/ViewerEventAdapter.h"
#include "vx/ImageOrientation.h"

namespace qvx {
class RenderHost;
namespace image {
class ImageOverlayController;
}
}  // namespace qvx
namespace vx {
class VEXAProject;
}

// The OpenGL widget in which the 3D scene is drawn. It embeds an OpenSceneGraph viewer in its
// own GL context, turns Qt input into OpenSceneGraph events, draws a frame on a fixed timer and
// owns the field of view, the stereo settings and the full-screen switch.
class MeshViewerCanvas : public QGLWidget {
  Q_OBJECT

 public:
  explicit MeshViewerCanvas(QWidget* parent = nullptr);
  ~MeshViewerCanvas() override;

  // Set by the owner right after construction and whenever the editor is switched on or off.
  void setEventAdapter(qvx::viewer::ViewerEventAdapter* adapter);
  qvx::viewer::ViewerEventAdapter* eventAdapter() const { return adapter_; }

  osgViewer::View* view() const { return view_.get(); }
  osg::Camera* camera() const { return camera_.get(); }
  osgViewer::CompositeViewer* compositeViewer() const { return viewer_.get(); }
  osgViewer::GraphicsWindowEmbedded* graphicsWindow() const { return graphicsWindow_.get(); }
  osg::DisplaySettings* displaySettings() const { return displaySettings_.get(); }
  float fieldOfView() const { return fieldOfView_; }

  // Whether the GL context reports a renderer; without one nothing is drawn or loaded.
  bool hasRenderer() const;
  bool isFullScreenMode() const { return fullScreen_; }
  void setFullScreenMode(bool on);
  // World point under a position in normalized device coordinates; NaN when nothing is hit.
  osg::Vec3d pickWorldPoint(double x, double y) const;

  // Image view: looking through a photo or a true-ortho tile (the overlay gets the mouse, the
  // wheel and the arrow keys meanwhile).
  qvx::image::ImageOverlayController* imageOverlay() const { return overlay_; }
  bool isImageView() const;
  // The photos that see the point under the screen centre, nearest first; false when none does.
  bool showCameraImageAtCentre(const std::vector<vx::ImageOrientation>& orientations);
  // False (the overlay said why) when no tile can be shown.
  bool showTrueOrthoAtCentre(const vx::VEXAProject& project);
  void leaveImageView();

  // Screenshots, animation frames, the render from every camera position and animation playback.
  qvx::RenderHost* renderHost() const { return renderHost_; }

 signals:
  void signal_shortcut(int key);
  void signal_updateMousePos(double x, double y);
  void signal_cameraPositionChanged(osg::Vec3d eye);
  void signal_controlWheel(int dir);
  void signal_fovChanged(float fov);
  // Leaving image view, also when the canvas ends it (the overlay reports entering it).
  void signal_isImageView(bool isImageView);

 public slots:
  void on_3DVis(bool on);
  void on_setEyeSeparation(double value);
  void slot_stereoModeChanged(int stereoMode);
  void on_zoomReset();
  void on_zoomIn();
  void on_zoomOut();
  void on_paint();
  void slot_prevCamera();
  void slot_nextCamera();

 protected:
  bool event(QEvent* event) override;
  void initializeGL() override;
  void resizeGL(int width, int height) override;
  void paintGL() override;
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  osgGA::EventQueue* eventQueue() const;
  osg::Vec2d cursorNdc() const;
  void applyProjection();
  void changeFieldOfView(int angleDeltaY);
  void postKey(QKeyEvent* event, bool press);
  void setModifiers(Qt::KeyboardModifiers modifiers);

  int frameInterval_;
  osg::ref_ptr<osgViewer::GraphicsWindowEmbedded> graphicsWindow_;
  osg::ref_ptr<osgViewer::View> view_;
  QPointer<qvx::viewer::ViewerEventAdapter> adapter_;
  osg::ref_ptr<osgViewer::CompositeViewer> viewer_;
  osg::ref_ptr<osg::Camera> camera_;
  osg::ref_ptr<osg::DisplaySettings> displaySettings_;
  QPointer<QWidget> savedParent_;
  QPointer<QLayout> savedLayout_;
  bool fullScreen_ = false;
  QTimer* frameTimer_;
  float fieldOfView_;
  qvx::image::ImageOverlayController* overlay_;
  qvx::RenderHost* renderHost_;
};
