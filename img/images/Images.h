#pragma once

// Registers the compiled-in images (":/img/images/...") of the static `images` library.
// A static library's resources are not registered automatically: the entry calls this before it
// creates any Qt object, and so does every test that loads an image.
void vexaInitImages();
