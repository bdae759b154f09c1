#pragma once

#include <QWidget>

#include "viewer/EditingTools.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace qvx {
namespace viewer {

// The row of mesh-editing controls: tool choice, digitization buttons, the camera-image and
// true-ortho overlay buttons and the coordinate read-out. It keeps the buttons' states consistent
// and re-emits the user's actions; the mesh editor connects them.
class EditorToolbar : public QWidget {
  Q_OBJECT

 public:
  explicit EditorToolbar(QWidget* parent = nullptr);

  bool isDigitizeChecked() const;
  bool isSelectChecked() const;
  // Follow the overlay's own state (e.g. when it closes itself) without asking for a new overlay.
  void setCameraImageChecked(bool checked);
  void setTrueOrthoChecked(bool checked);
  void showCoordinate(double x, double y, double z);
  // The tool's own text (measured distance, mesh info).
  void setLabelText(const QString& text);
  // Follows a tool switch made elsewhere (keys, polygon operations); the editor has switched already,
  // so signal_changeTool is not emitted.
  void selectTool(qvx::me::Mode tool);
  // Back to "nothing in progress"; only Shape Digitization has these buttons.
  void resetDigitizationButtons();

  QComboBox* toolComboBox() const { return toolComboBox_; }
  QPushButton* selectButton() const { return selectButton_; }
  QPushButton* planeButton() const { return planeButton_; }
  QPushButton* digitizeButton() const { return digitizeButton_; }
  QPushButton* applyButton() const { return applyButton_; }
  QPushButton* cancelButton() const { return cancelButton_; }
  QPushButton* undoButton() const { return undoButton_; }
  QPushButton* redoButton() const { return redoButton_; }
  QPushButton* trueOrthoButton() const { return trueOrthoButton_; }
  QPushButton* cameraImageButton() const { return cameraImageButton_; }
  QPushButton* previousButton() const { return previousButton_; }
  QPushButton* nextButton() const { return nextButton_; }
  QPushButton* saveButton() const { return saveButton_; }
  QPushButton* reprocessButton() const { return reprocessButton_; }
  QLabel* textLabel() const { return textLabel_; }
  QLabel* coordinateLabel() const { return coordinateLabel_; }

 signals:
  void signal_toolChangedExternally(QString toolName);
  void signal_changeTool(qvx::me::Mode tool);
  void signal_changeCoordinates(QString coordString);
  void signal_togglePlane();
  void signal_apply();
  void signal_cancel();
  void signal_undo();
  void signal_redo();
  void signal_toggleCamera(bool on);
  void signal_prevImage();
  void signal_nextImage();
  void signal_toggleOrtho(bool on);
  void signal_savePolygonsToShapeFile();
  void signal_reprocessEditedTiles();

 public slots:
  void slot_changeTool(QString toolName);
  void slot_selectModeToggled(bool active);
  void slot_digitizeModeToggled(bool active);

 private slots:
  void slot_togglePrevNextButtons(bool on);
  void slot_disableOrthoButton(bool disable);
  void slot_disableImageButton(bool disable);

 private:
  void applyToolLayout(qvx::me::Mode tool);
  void setEditButtonsEnabled(bool enabled);

  qvx::me::Mode tool_ = qvx::me::Mode::ShapeDigitization;
  QComboBox* toolComboBox_;
  QPushButton* selectButton_;
  QPushButton* planeButton_;
  QPushButton* digitizeButton_;
  QPushButton* applyButton_;
  QPushButton* cancelButton_;
  QPushButton* undoButton_;
  QPushButton* redoButton_;
  QPushButton* trueOrthoButton_;
  QPushButton* cameraImageButton_;
  QPushButton* previousButton_;
  QPushButton* nextButton_;
  QPushButton* saveButton_;
  QPushButton* reprocessButton_;
  QLabel* textLabel_;
  QLabel* coordinateLabel_;
};

}  // namespace viewer
}  // namespace qvx
