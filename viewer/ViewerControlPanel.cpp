#include "viewer/ViewerControlPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <osg/DisplaySettings>

#include "viewer/ViewerMenu.h"

namespace qvx {
namespace viewer {

ViewerControlPanel::ViewerControlPanel(QWidget* parent)
    : QWidget(parent),
      lightSlider_(new QSlider(Qt::Horizontal, this)),
      lightSpinBox_(new QSpinBox(this)),
      stereoCheckBox_(new QCheckBox("stereo", this)),
      stereoModeComboBox_(new QComboBox(this)),
      eyeSeparationSpinBox_(new QDoubleSpinBox(this)),
      verticalAxisCheckBox_(new QCheckBox("Fix vertical camera axis", this)),
      menuButton_(new QToolButton(this)) {
  auto* sun = new QLabel(this);
  sun->setPixmap(QPixmap(":/img/images/Sun.png").scaledToHeight(20, Qt::SmoothTransformation));

  lightSlider_->setRange(0, 99);
  lightSlider_->setTickInterval(20);
  lightSlider_->setValue(50);

  lightSpinBox_->setRange(0, 99);
  lightSpinBox_->setSuffix(" %");
  lightSpinBox_->setReadOnly(true);
  lightSpinBox_->setFrame(false);
  lightSpinBox_->setButtonSymbols(QAbstractSpinBox::NoButtons);
  lightSpinBox_->setAlignment(Qt::AlignRight);
  lightSpinBox_->setFixedSize(40, 15);
  lightSpinBox_->setValue(50);

  stereoModeComboBox_->addItem("Anaglyphic", static_cast<int>(osg::DisplaySettings::ANAGLYPHIC));
  stereoModeComboBox_->setItemData(0, "Can be used with anaglyphic glasses on any display.", Qt::ToolTipRole);
  stereoModeComboBox_->addItem("Quad Buffer", static_cast<int>(osg::DisplaySettings::QUAD_BUFFER));
  stereoModeComboBox_->setItemData(1, "Can be used with quad-buffer GPUs in combination with 3D displays.",
                                   Qt::ToolTipRole);

  eyeSeparationSpinBox_->setRange(0.01, 0.2);
  eyeSeparationSpinBox_->setSingleStep(0.01);
  eyeSeparationSpinBox_->setValue(0.01);
  eyeSeparationSpinBox_->setEnabled(false);

  menuButton_->setPopupMode(QToolButton::InstantPopup);

  auto* lightRow = new QHBoxLayout;
  lightRow->addWidget(sun);
  lightRow->addWidget(lightSlider_);
  lightRow->addWidget(lightSpinBox_);
  auto* stereoRow = new QHBoxLayout;
  stereoRow->addWidget(stereoCheckBox_);
  stereoRow->addWidget(stereoModeComboBox_);
  stereoRow->addWidget(eyeSeparationSpinBox_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(lightRow);
  layout->addLayout(stereoRow);
  layout->addWidget(verticalAxisCheckBox_);
  layout->addWidget(menuButton_);

  connect(lightSlider_, &QSlider::valueChanged, lightSpinBox_, &QSpinBox::setValue);
  connect(lightSlider_, &QSlider::valueChanged, this, &ViewerControlPanel::signal_updateLight);
  connect(stereoCheckBox_, &QCheckBox::clicked, this, &ViewerControlPanel::signal_updateThreeD);
  connect(stereoCheckBox_, &QCheckBox::clicked, this, &ViewerControlPanel::slot_stereoEnabled);
  connect(stereoModeComboBox_, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
          &ViewerControlPanel::slot_stereoModeChanged);
  connect(eyeSeparationSpinBox_, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
          &ViewerControlPanel::signal_updateEyeSeparation);
  connect(verticalAxisCheckBox_, &QCheckBox::clicked, this, &ViewerControlPanel::signal_updateVerticalAxisFixed);

  setMenu(new ViewerMenu(this));
}

void ViewerControlPanel::setMenu(ViewerMenu* menu) {
  if (menu_ == menu) return;
  delete menu_;
  menu_ = menu;
  menu_->setParent(this, menu_->windowFlags());
  menuButton_->setMenu(menu_);
  menuButton_->setText(menu_->title());
  connect(menu_, &ViewerMenu::signal_clearAllMeshes, this, &ViewerControlPanel::signal_clearMeshes);
  connect(menu_, &ViewerMenu::signal_clearCameras, this, &ViewerControlPanel::signal_clearCameras);
  connect(menu_, &ViewerMenu::signal_openMesh, this, &ViewerControlPanel::signal_loadMesh);
  connect(menu_, &ViewerMenu::signal_reloadAllMeshes, this, &ViewerControlPanel::signal_reloadAllMeshes);
}

void ViewerControlPanel::slot_updateLight(int lightUpdate) {
  lightSlider_->setValue(lightSlider_->value() + lightUpdate);
  lightSpinBox_->setValue(lightSlider_->value());
}

void ViewerControlPanel::slot_setLight(int lightAbsolute) {
  lightSpinBox_->setValue(lightAbsolute);
  lightSlider_->setValue(lightAbsolute);
}

void ViewerControlPanel::slot_stereoModeChanged(int index) {
  emit signal_stereoModeChanged(stereoModeComboBox_->itemData(index).toInt());
}

// Eye separation only matters while stereo is on.
void ViewerControlPanel::slot_stereoEnabled(bool enabled) {
  eyeSeparationSpinBox_->setEnabled(enabled);
  if (enabled) emit signal_updateEyeSeparation(eyeSeparationSpinBox_->value());
}

}  // namespace viewer
}  // namespace qvx
