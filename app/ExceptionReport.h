#pragma once

// Turns the exception being handled into a message and an exit code; call it inside a catch
// block. std::exception: "Runtime error occured.\nDescription: " + what(), -1; int n != 0:
// "Error code: n", n; int 0: nothing, 0; anything else: a fixed text, -1. The text goes to the
// critical message box with `showDialog`, else to standard output with a newline.
// Returns 0 and reports nothing when no exception is being handled.
int reportUncaughtException(bool showDialog);
