#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QSlider;
class QSpinBox;
class QToolButton;

namespace qvx {
namespace viewer {

class ViewerMenu;

// Light, stereo and vertical-axis controls of the viewer, and the button of the viewer menu.
// It only re-emits the user's actions; the central widget connects them.
class ViewerControlPanel : public QWidget {
  Q_OBJECT

 public:
  explicit ViewerControlPanel(QWidget* parent = nullptr);

  ViewerMenu* menu() const { return menu_; }
  // Puts `menu` on the menu button (the panel takes it over; the previous one is deleted) and
  // re-emits its actions; the mesh editor's panel brings its own menu.
  void setMenu(ViewerMenu* menu);

  QSlider* lightSlider() const { return lightSlider_; }
  QSpinBox* lightSpinBox() const { return lightSpinBox_; }
  QCheckBox* stereoCheckBox() const { return stereoCheckBox_; }
  QComboBox* stereoModeComboBox() const { return stereoModeComboBox_; }
  QDoubleSpinBox* eyeSeparationSpinBox() const { return eyeSeparationSpinBox_; }
  QCheckBox* verticalAxisCheckBox() const { return verticalAxisCheckBox_; }
  QToolButton* menuButton() const { return menuButton_; }

 signals:
  void signal_updateLight(int);
  void signal_updateEyeSeparation(double);
  void signal_updateThreeD(bool);
  void signal_updateVerticalAxisFixed(bool);
  void signal_loadMesh();
  void signal_clearMeshes();
  void signal_clearCameras();
  void signal_reloadAllMeshes();
  void signal_stereoModeChanged(int);

 public slots:
  // Relative change of the light slider (the + and - keys).
  void slot_updateLight(int lightUpdate);
  void slot_setLight(int lightAbsolute);

 private slots:
  void slot_stereoModeChanged(int index);
  void slot_stereoEnabled(bool enabled);

 private:
  QSlider* lightSlider_;
  QSpinBox* lightSpinBox_;
  QCheckBox* stereoCheckBox_;
  QComboBox* stereoModeComboBox_;
  QDoubleSpinBox* eyeSeparationSpinBox_;
  QCheckBox* verticalAxisCheckBox_;
  QToolButton* menuButton_;
  ViewerMenu* menu_ = nullptr;
};

}  // namespace viewer
}  // namespace qvx
