// The project area in ControlForm: its editor and the image selection that follows a new area.

#include "tools/forms/AreaSelection.h"
#include "tools/forms/AreaSetter.h"
#include "tools/forms/ControlForm.h"
#include "tools/forms/ExpandFrame.h"

void ControlForm::insertAreaEditor(ExpandFrame* general) {
  m_areaSetter = new AreaSetter(this);
  m_areaSetter->setProject(m_work);
  general->addRow(m_areaSetter);
  connect(m_areaSetter, &AreaSetter::signal_modified, this, &ControlForm::updateEffectiveGSD);
  connect(m_areaSetter, &AreaSetter::signal_modified, this, &ControlForm::slot_paramChanged);
}

void ControlForm::runAreaImageSelection() {
  qvx::AreaSelection selection(m_work);
  connect(&selection, &qvx::AreaSelection::signal_busy, this, [this](bool busy) { emit signal_busy(busy); });
  selection.run();
}
