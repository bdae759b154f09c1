#pragma once

// Where a parameter form is shown; each row says in which of them it is hidden.
enum class FormSetting {
  WorkflowTool,   // inside a processing tool window
  TexturingTool,  // inside the texturing tool: hidden there also means disabled
  ProjectWide,    // the project's own "Advanced Configuration"
};
