#include "rendering/WaypointItem.h"

namespace qvx {

WaypointItem::WaypointItem(const osg::Matrixd& viewMatrix, const std::string& name)
    : BaseTreeItem(kItemKind), viewMatrix_(std::make_shared<osg::Matrixd>(viewMatrix)) {
  setName(name);
}

}  // namespace qvx
