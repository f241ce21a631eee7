#include "help/proportions.h"

#include <cmath>
#include <functional>

#include "platform/errors.h"

namespace iconlane {
namespace {

// Runs one step of the layout; a failing step only skips itself.
void Step(const std::function<void()>& step) {
    try {
        step();
    } catch (const RuntimeError&) {
    }
}

// value / inner in single precision; a division by 0 is a failing step.
float Fraction(float value, float inner) {
    if (inner == 0.0f) throw RuntimeError(kInvalidArgument);
    return value / inner;
}

// inner * fraction in single precision; an overflow is a failing step.
float Product(float inner, float fraction) {
    float product = inner * fraction;
    if (!std::isfinite(product)) throw RuntimeError(kOverflow);
    return product;
}

}  // namespace

ControlProportions CaptureThisFormProportions(LayoutWindow& window) {
    int count = window.ControlCount();
    ControlProportions proportions(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        ControlProportion& record = proportions[static_cast<std::size_t>(i)];
        LayoutControl& control = window.ControlAt(i);
        Step([&] { record.Width = Fraction(control.Width(), window.InnerWidth()); });
        Step([&] { record.Height = Fraction(control.Height(), window.InnerHeight()); });
        Step([&] { record.Left = Fraction(control.Left(), window.InnerWidth()); });
        Step([&] { record.Top = Fraction(control.Top(), window.InnerHeight()); });
    }
    return proportions;
}

void ResizeThisFormsControls(LayoutWindow& window, const ControlProportions& proportions) {
    int count = window.ControlCount();
    for (int i = 0; i < count && static_cast<std::size_t>(i) < proportions.size(); ++i) {
        const ControlProportion& record = proportions[static_cast<std::size_t>(i)];
        LayoutControl& control = window.ControlAt(i);
        float width = window.InnerWidth(), height = window.InnerHeight();
        Step([&] {
            control.Move(Product(width, record.Left), Product(height, record.Top),
                         Product(width, record.Width));
        });
        Step([&] { control.SetHeight(Product(height, record.Height)); });
    }
}

}  // namespace iconlane
