// Proportional layout: a window's controls recorded as fractions of its inner area, and laid out
// again from those fractions at any size.
#pragma once

#include <vector>

#include "platform/layout.h"

namespace iconlane {

struct ControlProportion {
    float Width = 0;
    float Height = 0;
    float Top = 0;
    float Left = 0;
};
using ControlProportions = std::vector<ControlProportion>;

// One record per control, in collection order. A step that fails (a missing property, an inner
// size of 0) leaves its field 0 and the next step runs; nothing fails towards the caller.
ControlProportions CaptureThisFormProportions(LayoutWindow& window);

// Moves (left, top, width) and then sizes (height) every control from its record, in single
// precision. A failing step is skipped; a control without a record is left where it is.
void ResizeThisFormsControls(LayoutWindow& window, const ControlProportions& proportions);

}  // namespace iconlane
