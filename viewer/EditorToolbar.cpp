#include "viewer/EditorToolbar.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace qvx {
namespace viewer {

namespace {

QPushButton* makeButton(const QString& text, const QString& toolTip, bool checkable, bool enabled, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setToolTip(toolTip);
  button->setCheckable(checkable);
  button->setEnabled(enabled);
  return button;
}

}  // namespace

EditorToolbar::EditorToolbar(QWidget* parent)
    : QWidget(parent),
      toolComboBox_(new QComboBox(this)),
      selectButton_(makeButton("Select", "Select polygons (S)", true, true, this)),
      planeButton_(makeButton("Activate Plane", "Activate plane for digitization (P)", true, true, this)),
      digitizeButton_(makeButton("Digitize", "Digitize (hold D)", true, true, this)),
      applyButton_(makeButton("Apply", "Finish digitization (Right click or Enter))", false, false, this)),
      cancelButton_(makeButton("Cancel", "Cancel digitization (Esc)", false, false, this)),
      undoButton_(makeButton(QString(), "Undo set vertex (Ctrl+Z)", false, false, this)),
      redoButton_(makeButton(QString(), "Redo set vertex (Ctrl+Y)", false, false, this)),
      trueOrthoButton_(makeButton("True Ortho", "Overlay true ortho photo (O)", true, true, this)),
      cameraImageButton_(makeButton("Camera Image", "Overlay input camera image (C)", true, true, this)),
      previousButton_(makeButton("Previous", "Previous input camera image (left arrow)", false, false, this)),
      nextButton_(makeButton("Next", "Next input camera image (right arrow)", false, false, this)),
      saveButton_(makeButton("Save polygons", "Save polygons to shapefile (Ctrl+S)", false, true, this)),
      reprocessButton_(makeButton("Reprocess", "Reprocess edited tiles (Ctrl+B)", false, true, this)),
      textLabel_(new QLabel(this)),
      coordinateLabel_(new QLabel(this)) {
  for (std::size_t i = 0; i < qvx::me::kModeNames.size(); ++i) {
    const QString name = qvx::me::modeName(static_cast<qvx::me::Mode>(i));
    toolComboBox_->addItem(name);
    toolComboBox_->setItemData(static_cast<int>(i), QString("Active %1 tool (%2)").arg(name).arg(i + 1),
                               Qt::ToolTipRole);
  }
  selectButton_->setShortcut(QKeySequence("S"));
  planeButton_->setShortcut(QKeySequence("P"));
  digitizeButton_->setShortcut(QKeySequence("D"));
  saveButton_->setShortcut(QKeySequence("Ctrl+S"));
  reprocessButton_->setShortcut(QKeySequence("Ctrl+B"));
  undoButton_->setIcon(QIcon(":/img/images/VEXAUndo.png"));
  redoButton_->setIcon(QIcon(":/img/images/VEXARedo.png"));
  coordinateLabel_->setTextFormat(Qt::RichText);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  for (QWidget* widget :
       std::initializer_list<QWidget*>{toolComboBox_, selectButton_, planeButton_, digitizeButton_, applyButton_,
                                       cancelButton_, undoButton_, redoButton_, trueOrthoButton_,
                                       cameraImageButton_, previousButton_, nextButton_, saveButton_,
                                       reprocessButton_, textLabel_, coordinateLabel_})
    layout->addWidget(widget);

  connect(toolComboBox_, &QComboBox::textActivated, this, &EditorToolbar::slot_changeTool);
  connect(this, &EditorToolbar::signal_toolChangedExternally, toolComboBox_, &QComboBox::setCurrentText);
  // Clicks only: where the toolbar unchecks select itself, it sets digitize as well.
  connect(selectButton_, &QPushButton::clicked, this, &EditorToolbar::slot_selectModeToggled);
  connect(planeButton_, &QPushButton::toggled, this, &EditorToolbar::signal_togglePlane);
  connect(digitizeButton_, &QPushButton::clicked, this, &EditorToolbar::slot_digitizeModeToggled);
  connect(applyButton_, &QPushButton::clicked, this, &EditorToolbar::signal_apply);
  connect(cancelButton_, &QPushButton::clicked, this, &EditorToolbar::signal_cancel);
  connect(undoButton_, &QPushButton::clicked, this, &EditorToolbar::signal_undo);
  connect(redoButton_, &QPushButton::clicked, this, &EditorToolbar::signal_redo);
  // The overlays exclude each other. Only a click asks for an overlay; the enabled states also
  // follow checks made from outside.
  connect(trueOrthoButton_, &QPushButton::clicked, this, &EditorToolbar::signal_toggleOrtho);
  connect(trueOrthoButton_, &QPushButton::toggled, this, &EditorToolbar::slot_disableImageButton);
  connect(cameraImageButton_, &QPushButton::clicked, this, &EditorToolbar::signal_toggleCamera);
  connect(cameraImageButton_, &QPushButton::toggled, this, &EditorToolbar::slot_togglePrevNextButtons);
  connect(cameraImageButton_, &QPushButton::toggled, this, &EditorToolbar::slot_disableOrthoButton);
  connect(previousButton_, &QPushButton::clicked, this, &EditorToolbar::signal_prevImage);
  connect(nextButton_, &QPushButton::clicked, this, &EditorToolbar::signal_nextImage);
  connect(saveButton_, &QPushButton::clicked, this, &EditorToolbar::signal_savePolygonsToShapeFile);
  connect(reprocessButton_, &QPushButton::clicked, this, &EditorToolbar::signal_reprocessEditedTiles);
  connect(this, &EditorToolbar::signal_changeCoordinates, coordinateLabel_, &QLabel::setText);
}

bool EditorToolbar::isDigitizeChecked() const { return digitizeButton_->isChecked(); }

bool EditorToolbar::isSelectChecked() const { return selectButton_->isChecked(); }

void EditorToolbar::setCameraImageChecked(bool checked) { cameraImageButton_->setChecked(checked); }

void EditorToolbar::setTrueOrthoChecked(bool checked) { trueOrthoButton_->setChecked(checked); }

void EditorToolbar::showCoordinate(double x, double y, double z) {
  emit signal_changeCoordinates(QString::asprintf("<b>X:</b> %.2f  <b>Y:</b> %.2f  <b>Z:</b> %.2f", x, y, z));
}

void EditorToolbar::setLabelText(const QString& text) { textLabel_->setText(text); }

void EditorToolbar::selectTool(qvx::me::Mode tool) {
  coordinateLabel_->clear();
  emit signal_toolChangedExternally(qvx::me::modeName(tool));
  applyToolLayout(tool);
}

void EditorToolbar::resetDigitizationButtons() {
  if (tool_ != qvx::me::Mode::ShapeDigitization) return;
  digitizeButton_->setChecked(false);
  selectButton_->setChecked(false);
  digitizeButton_->setEnabled(true);
  selectButton_->setEnabled(true);
  setEditButtonsEnabled(false);
}

void EditorToolbar::slot_changeTool(QString toolName) {
  const qvx::me::Mode tool = qvx::me::modeFromName(toolName);
  toolComboBox_->setCurrentIndex(static_cast<int>(tool));
  emit signal_changeTool(tool);
  applyToolLayout(tool);
}

void EditorToolbar::slot_selectModeToggled(bool active) { digitizeButton_->setEnabled(!active); }

void EditorToolbar::slot_digitizeModeToggled(bool active) {
  selectButton_->setChecked(false);
  selectButton_->setEnabled(!active);
  digitizeButton_->setEnabled(!active);
  setEditButtonsEnabled(active);
}

void EditorToolbar::slot_togglePrevNextButtons(bool on) {
  previousButton_->setEnabled(on);
  nextButton_->setEnabled(on);
}

void EditorToolbar::slot_disableOrthoButton(bool disable) { trueOrthoButton_->setEnabled(!disable); }

void EditorToolbar::slot_disableImageButton(bool disable) { cameraImageButton_->setEnabled(!disable); }

// Only Shape Digitization digitizes step by step; the other tools are always "digitizing", so their
// clicks go to the tool and Apply/Reset stay available.
void EditorToolbar::applyToolLayout(qvx::me::Mode tool) {
  tool_ = tool;
  const bool digitization = tool == qvx::me::Mode::ShapeDigitization;
  for (QPushButton* button : {selectButton_, digitizeButton_, applyButton_, undoButton_, redoButton_})
    button->setVisible(digitization);
  selectButton_->setChecked(false);
  digitizeButton_->setChecked(!digitization);
  selectButton_->setEnabled(digitization);
  digitizeButton_->setEnabled(digitization);
  setEditButtonsEnabled(!digitization);
  cancelButton_->setText(digitization ? "Cancel" : "Reset");
}

void EditorToolbar::setEditButtonsEnabled(bool enabled) {
  for (QPushButton* button : {applyButton_, cancelButton_, undoButton_, redoButton_}) button->setEnabled(enabled);
}

}  // namespace viewer
}  // namespace qvx
