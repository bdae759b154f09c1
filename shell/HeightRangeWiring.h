#pragma once

class RangeSelector;
namespace qvx {
namespace viewer {
class ViewerEventAdapter;
}
}  // namespace qvx

namespace qvx {

// The title bar's height range selector drives the height colouring of `adapter`, and the data's
// own height range (from the tile bounds) becomes the selector's total range. A new adapter takes
// over a range the operator has set by hand.
void wireHeightRange(RangeSelector* selector, viewer::ViewerEventAdapter* adapter);

}  // namespace qvx
