// A window's control collection as proportional layout sees it.
#pragma once

namespace iconlane {

// A control as the layout sees it, in the window's own units. Any operation may fail with a
// RuntimeError (a control without that property, or one that cannot be moved or sized).
class LayoutControl {
public:
    virtual ~LayoutControl() = default;
    virtual float Left() const = 0;
    virtual float Top() const = 0;
    virtual float Width() const = 0;
    virtual float Height() const = 0;
    virtual void Move(float left, float top, float width) = 0;
    virtual void SetHeight(float height) = 0;
};

class LayoutWindow {
public:
    virtual ~LayoutWindow() = default;
    virtual int ControlCount() const = 0;
    virtual LayoutControl& ControlAt(int index) = 0;
    virtual float InnerWidth() const = 0;
    virtual float InnerHeight() const = 0;
};

}  // namespace iconlane
