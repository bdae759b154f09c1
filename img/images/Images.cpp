#include "img/images/Images.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
void vexaInitImages() { Q_INIT_RESOURCE(images); }
