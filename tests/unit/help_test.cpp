// The help window: its title, the guide it shows, and the proportional layout of its controls.
#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "fake_platform.h"
#include "help/helpwindow.h"
#include "help/proportions.h"

namespace iconlane {
namespace {

using Place = std::array<float, 4>;  // left, top, width, height

// A control in twips; a property it lacks fails as a timer's size does.
struct Box final : LayoutControl {
    explicit Box(Place p) : place(p) {}
    Place place;
    bool hasSize = true, movable = true, sizable = true;
    float Left() const override { return place[0]; }
    float Top() const override { return place[1]; }
    float Width() const override { return hasSize ? place[2] : Fail(); }
    float Height() const override { return hasSize ? place[3] : Fail(); }
    void Move(float l, float t, float w) override {
        place = {movable ? l : Fail(), t, w, place[3]};
    }
    void SetHeight(float h) override { place[3] = sizable ? h : Fail(); }
    static float Fail() { throw RuntimeError(kInvalidArgument); }
};
struct Form final : LayoutWindow {
    std::vector<Box> boxes{Box({75, 90, 6525, 4305}), Box({5205, 4515, 1410, 705})};
    float width = 6705, height = 5310;
    int ControlCount() const override { return 2; }
    LayoutControl& ControlAt(int index) override {
        return boxes.at(static_cast<std::size_t>(index));
    }
    float InnerWidth() const override { return width; }
    float InnerHeight() const override { return height; }
};

// Proportions are taken at the design size and every resize places the controls by them; a step
// that fails (no such property, no inner size) is skipped alone.
TEST(ProportionsTest, ControlsKeepTheirProportionsAndAFailingStepSkipsOnlyItself) {
    // The size resized to, the text box's and the Ok button's places then, and what fails: s the
    // text box has no size when measured, z the window has none then, m the text box cannot move,
    // h the Ok button cannot be sized
    const std::vector<std::tuple<float, float, Place, Place, char>> cases = {
        {8000,
         6000,
         {89.485458f, 101.69492f, 7785.2349f, 4864.4067f},
         {6210.291f, 5101.6948f, 1682.3267f, 796.61017f},
         '.'},
        {13410, 10620, {150, 180, 13050, 8610}, {10410, 9030, 2820, 1410}, '.'},
        {6705, 5310, {75, 90, 6525, 4305}, {5205, 4515, 1410, 705}, '.'},
        {0, 0, {}, {}, '.'},
        {13410, 10620, {150, 180, 0, 0}, {10410, 9030, 2820, 1410}, 's'},
        {13410, 10620, {}, {}, 'z'},
        {13410, 10620, {75, 90, 6525, 8610}, {10410, 9030, 2820, 1410}, 'm'},
        {13410, 10620, {150, 180, 13050, 8610}, {10410, 9030, 2820, 705}, 'h'}};
    for (const auto& [width, height, text, ok, broken] : cases) {
        Form form;
        form.boxes[0].hasSize = broken != 's';
        if (broken == 'z') form.width = form.height = 0;
        const ControlProportions proportions = CaptureThisFormProportions(form);
        form.boxes[0].hasSize = true;
        form.boxes[0].movable = broken != 'm';
        form.boxes[1].sizable = broken != 'h';
        form.width = width, form.height = height;
        ResizeThisFormsControls(form, proportions);
        for (std::size_t j = 0; j < 4; ++j) {
            EXPECT_FLOAT_EQ(form.boxes[0].place[j], text[j]) << width << broken << j;
            EXPECT_FLOAT_EQ(form.boxes[1].place[j], ok[j]) << width << broken << j;
        }
    }
}

// The guide is looked up afresh at every opening; only an ordinary file beside the program is one.
TEST(HelpWindowTest, TitleAndTheGuideOrTheMessageThatItIsMissing) {
    const std::string guide = "C:\\Apps\\Iconlane.rtf", missing = kHelpMissingText;
    // The version, the decimal separator, what stands at the guide's place (f an ordinary file,
    // h a hidden one, d a folder, - nothing), what the window shows
    const std::vector<std::tuple<ProgramVersion, std::string, char, std::string>> cases = {
        {{1, 0, 0}, ".", '-', "Iconlane v1.0.0: " + missing},
        {{2, 15, 7}, ".", 'f', "Iconlane v2.15.7: " + guide + "{\\rtf1}"},
        {{1, 0, 0}, ",", 'h', "Iconlane v1,0,0: " + missing},
        {{3, 1, 4}, ".", 'd', "Iconlane v3.1.4: " + missing}};
    fake::FakePlatform platform;
    HelpWindow help(platform.services);
    for (const auto& [version, separator, found, shown] : cases) {
        platform.files.clear();
        if (found != '-') platform.files[guide] = {"{\\rtf1}", found == 'd', found == 'h'};
        platform.version = version;
        platform.decimalSeparator = separator;
        platform.seen.clear();
        help.Open();
        EXPECT_EQ(platform.seen, fake::Texts{"help " + shown});
    }
}

}  // namespace
}  // namespace iconlane
