#pragma once

#include <QWidget>

#include <array>
#include <memory>

class AreaSetterSpinBox;
class QPushButton;

namespace vx {
class VEXAProject;
}

// The project area in the parameter form: per axis X, Y, Z an "auto" switch, the minimum and
// maximum, and an "Edit" button that opens AreaSetterPopUp. Only manual axes are written to the
// project; an axis switched to "auto" tells the project so and then shows the project's range.
class AreaSetter : public QWidget {
  Q_OBJECT

 public:
  explicit AreaSetter(QWidget* parent = nullptr);

  // Binds the editor to a project and loads it; null shows nothing bound.
  void setProject(std::shared_ptr<vx::VEXAProject> project);
  // Shows the project's ranges and automatic flags.
  void loadFromProject();

  QPushButton* autoButton(int axis) const { return m_axes[axis].autoButton; }
  QPushButton* editButton(int axis) const { return m_axes[axis].editButton; }
  AreaSetterSpinBox* minBox(int axis) const { return m_axes[axis].min; }
  AreaSetterSpinBox* maxBox(int axis) const { return m_axes[axis].max; }

 signals:
  void signal_modified(bool modified);

 public slots:
  void on_checkXClicked(bool autoMode) { autoClicked(0, autoMode); }
  void on_checkYClicked(bool autoMode) { autoClicked(1, autoMode); }
  void on_checkZClicked(bool autoMode) { autoClicked(2, autoMode); }
  void on_editXClicked() { editAxis(0, QString()); }
  void on_editYClicked() { editAxis(1, QString()); }
  void on_editZClicked() { editAxis(2, QString()); }

 private:
  struct Axis {
    QPushButton* autoButton = nullptr;
    AreaSetterSpinBox* min = nullptr;
    AreaSetterSpinBox* max = nullptr;
    QPushButton* editButton = nullptr;
  };

  void autoClicked(int axis, bool autoMode);
  // Opens the pop-up; on "Ok" the axis takes its values and the editor applies. Returns whether
  // it was accepted.
  bool editAxis(int axis, const QString& title);
  // Writes the manual axes (and the automatic flags) to the project, then reloads.
  void apply();

  std::shared_ptr<vx::VEXAProject> m_project;
  std::array<Axis, 3> m_axes;
};
