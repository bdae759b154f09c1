// The project area in ControlForm: its editor and the image selection that follows a new area.

#include "tools/forms/ControlForm.h"
#include "tools/forms/CtrlParameter.h"
#include "tools/forms/ExpandFrame.h"
#include "vx/VEXAProject.h"

void ControlForm::insertAreaEditor(ExpandFrame* general) {}

void ControlForm::runAreaImageSelection() {}
