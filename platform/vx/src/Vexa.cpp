#include "vx/Vexa.h"

namespace vx {

VEXA::VEXA() = default;
VEXA::~VEXA() = default;

}  // namespace vx
