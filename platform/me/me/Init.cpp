#include "me/Augments.h"

#include <osgDB/Registry>

namespace vx {
namespace me {

Init::Init() {
  // The registry is created lazily; create it here, on the GUI thread, before the resource loader
  // and the database pager reach for it from their own threads.
  osgDB::Registry::instance();
}

}  // namespace me
}  // namespace vx
