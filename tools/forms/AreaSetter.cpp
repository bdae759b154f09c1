#include "tools/forms/AreaSetter.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include <exception>

#include "dialogs/MessageDialogs.h"
#include "tools/forms/AreaSetterPopUp.h"
#include "tools/forms/AreaSetterSpinBox.h"
#include "vx/VEXAProject.h"

namespace {
constexpr const char* kAxisNames = "XYZ";
}

AreaSetter::AreaSetter(QWidget* parent) : QWidget(parent) {
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(6, 0, 6, 0);
  for (int axis = 0; axis < 3; ++axis) {
    const QChar name = QLatin1Char(kAxisNames[axis]);
    auto* label = new QLabel(QString("%1min/%1max [m]").arg(name), this);
    label->setMinimumHeight(20);
    label->setMaximumHeight(40);
    Axis& row = m_axes[axis];
    row.autoButton = new QPushButton("auto", this);
    row.autoButton->setCheckable(true);
    row.autoButton->setChecked(true);
    row.min = new AreaSetterSpinBox(this);
    row.max = new AreaSetterSpinBox(this);
    row.editButton = new QPushButton("Edit", this);
    row.editButton->setEnabled(false);
    grid->addWidget(label, axis, 0);
    grid->addWidget(row.autoButton, axis, 1);
    grid->addWidget(row.min, axis, 2);
    grid->addWidget(row.max, axis, 3);
    grid->addWidget(row.editButton, axis, 4);
  }
  connect(m_axes[0].autoButton, &QPushButton::clicked, this, &AreaSetter::on_checkXClicked);
  connect(m_axes[1].autoButton, &QPushButton::clicked, this, &AreaSetter::on_checkYClicked);
  connect(m_axes[2].autoButton, &QPushButton::clicked, this, &AreaSetter::on_checkZClicked);
  connect(m_axes[0].editButton, &QPushButton::clicked, this, &AreaSetter::on_editXClicked);
  connect(m_axes[1].editButton, &QPushButton::clicked, this, &AreaSetter::on_editYClicked);
  connect(m_axes[2].editButton, &QPushButton::clicked, this, &AreaSetter::on_editZClicked);
  setEnabled(false);
}

void AreaSetter::setProject(std::shared_ptr<vx::VEXAProject> project) {
  m_project = std::move(project);
  setEnabled(m_project != nullptr);
  loadFromProject();
}

void AreaSetter::loadFromProject() {
  if (!m_project) return;
  for (int axis = 0; axis < 3; ++axis) {
    const auto range = m_project->axisRange(axis);
    const bool automatic = m_project->isAxisAuto(axis);
    Axis& row = m_axes[axis];
    row.min->setValue(range.first);
    row.max->setValue(range.second);
    row.autoButton->setChecked(automatic);
    row.editButton->setEnabled(!automatic);
  }
}

void AreaSetter::autoClicked(int axis, bool autoMode) {
  Axis& row = m_axes[axis];
  if (autoMode) {
    row.min->setValue(-1);
    row.max->setValue(-1);
    apply();
  } else if (!editAxis(axis, QString("Set min and max for %1").arg(QLatin1Char(kAxisNames[axis])))) {
    row.autoButton->setChecked(true);
  }
  row.editButton->setEnabled(!row.autoButton->isChecked());
}

bool AreaSetter::editAxis(int axis, const QString& title) {
  Axis& row = m_axes[axis];
  AreaSetterPopUp popup(title, row.min->value(), row.max->value(), this);
  if (popup.exec() != QDialog::Accepted) return false;
  row.min->setValue(popup.minimum());
  row.max->setValue(popup.maximum());
  apply();
  return true;
}

void AreaSetter::apply() {
  if (!m_project) return;
  for (int axis = 0; axis < 3; ++axis) {
    const Axis& row = m_axes[axis];
    try {
      if (row.autoButton->isChecked()) {
        m_project->setAxisAuto(axis, true);
      } else {
        m_project->setAxisRange(axis, row.min->value(), row.max->value());
      }
    } catch (const std::exception& e) {
      qvx::criticalBox(QString("Error: ") + QString::fromUtf8(e.what()));
    }
  }
  emit signal_modified(true);
  loadFromProject();
}
