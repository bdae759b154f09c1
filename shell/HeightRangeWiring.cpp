#include "shell/HeightRangeWiring.h"

#include "tools/inputs/RangeSelector.h"
#include "viewer/ViewerEventAdapter.h"

namespace qvx {

void wireHeightRange(RangeSelector* selector, viewer::ViewerEventAdapter* adapter) {
  using viewer::ViewerEventAdapter;
  QObject::connect(adapter, &ViewerEventAdapter::signal_autoMinMaxHeightChanged, selector,
                   [selector](float min, float max) { selector->slot_focusRangeChanged(min, max); });
  QObject::connect(selector, &RangeSelector::signal_valuesChanged, adapter,
                   [adapter](bool automatic, double min, double max) {
                     adapter->slot_manualHeightValuesChanged(automatic, static_cast<float>(min),
                                                             static_cast<float>(max));
                   });
  if (!selector->isAuto())
    adapter->slot_manualHeightValuesChanged(false, static_cast<float>(selector->selection().selectedMin()),
                                            static_cast<float>(selector->selection().selectedMax()));
}

}  // namespace qvx
