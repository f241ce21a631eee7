// The help window: proportional layout of its controls, its title, the guide it shows, and what a
// guide that cannot be loaded does at start-up and from an icon's menu.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "entrywindow/entryevents.h"
#include "entrywindow/entrywindow.h"
#include "fake_platform.h"
#include "help/helpwindow.h"
#include "help/proportions.h"
#include "platform/errors.h"
#include "startup/startup.h"

namespace iconlane {
namespace {

using fake::FakePlatform;

constexpr const char* kGuide = "C:\\Apps\\Iconlane.rtf";

// A control of the test's own window, in twips. A property it lacks fails as a timer's size does.
struct Box final : LayoutControl {
    Box(float l, float t, float w, float h) : left(l), top(t), width(w), height(h) {}
    float left, top, width, height;
    bool hasSize = true, movable = true, sizable = true;

    float Left() const override { return left; }
    float Top() const override { return top; }
    float Width() const override { return hasSize ? width : Fail(); }
    float Height() const override { return hasSize ? height : Fail(); }
    void Move(float l, float t, float w) override {
        if (!movable) Fail();
        left = l, top = t, width = w;
    }
    void SetHeight(float h) override { height = sizable ? h : Fail(); }
    static float Fail() { throw RuntimeError(kInvalidArgument); }
};

struct Form final : LayoutWindow {
    std::vector<Box> boxes;
    float width = 6705, height = 5310;
    int ControlCount() const override { return static_cast<int>(boxes.size()); }
    LayoutControl& ControlAt(int index) override {
        return boxes.at(static_cast<std::size_t>(index));
    }
    float InnerWidth() const override { return width; }
    float InnerHeight() const override { return height; }
};

const Box kTextBox{75, 90, 6525, 4305};
const Box kOkButton{5205, 4515, 1410, 705};

Form DesignForm() {
    Form form;
    form.boxes = {kTextBox, kOkButton};
    return form;
}

ControlProportions DesignRecords() {
    Form design = DesignForm();
    return CaptureThisFormProportions(design);
}

using Place = std::array<float, 4>;  // left, top, width, height

Place PlaceOf(const Box& box) {
    return {box.left, box.top, box.width, box.height};
}

Place Scaled(const Box& box, float scale) {
    return {box.left * scale, box.top * scale, box.width * scale, box.height * scale};
}

TEST(ProportionsTest, CaptureRecordsTheDesignLayoutAsSinglePrecisionFractions) {
    // Left, Top, Width, Height: exactly the single-precision quotients, and these decimals.
    const std::vector<std::pair<Box, Place>> cases = {
        {kTextBox, {0.011185682f, 0.016949153f, 0.97315437f, 0.81073445f}},
        {kOkButton, {0.77628636f, 0.85028249f, 0.21029083f, 0.13276836f}}};
    const ControlProportions records = DesignRecords();
    ASSERT_EQ(records.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& [d, decimals] = cases[i];
        const Place got{records[i].Left, records[i].Top, records[i].Width, records[i].Height};
        EXPECT_EQ(
            got, Place({d.left / 6705.0f, d.top / 5310.0f, d.width / 6705.0f, d.height / 5310.0f}));
        for (std::size_t j = 0; j < 4; ++j) EXPECT_FLOAT_EQ(got[j], decimals[j]) << i << " " << j;
    }
}

TEST(ProportionsTest, ResizeLaysTheControlsOutInProportion) {
    const ControlProportions records = DesignRecords();
    Form form = DesignForm();
    form.width = 8000, form.height = 6000;
    ResizeThisFormsControls(form, records);
    const Place expected[] = {{89.485458f, 101.69492f, 7785.2349f, 4864.4067f},
                              {6210.291f, 5101.6948f, 1682.3267f, 796.61017f}};
    for (std::size_t i = 0; i < 2; ++i) {
        for (std::size_t j = 0; j < 4; ++j) {
            EXPECT_FLOAT_EQ(PlaceOf(form.boxes[i])[j], expected[i][j]) << i << " " << j;
        }
    }

    // Twice the design size gives exactly twice every value; back at the design, the design.
    for (float scale : {2.0f, 1.0f}) {
        form.width = 6705 * scale, form.height = 5310 * scale;
        ResizeThisFormsControls(form, records);
        EXPECT_EQ(PlaceOf(form.boxes[0]), Scaled(kTextBox, scale));
        EXPECT_EQ(PlaceOf(form.boxes[1]), Scaled(kOkButton, scale));
    }
}

TEST(ProportionsTest, ZeroInnerSizeLeavesFractionsZeroAndLaysEverythingAtZero) {
    Form empty = DesignForm();
    empty.width = 0, empty.height = 0;
    for (const ControlProportion& r : CaptureThisFormProportions(empty)) {
        EXPECT_EQ(Place({r.Left, r.Top, r.Width, r.Height}), Place{});
    }

    const ControlProportions records = DesignRecords();
    Form form = DesignForm();
    form.width = 0, form.height = 0;
    ResizeThisFormsControls(form, records);
    for (const Box& box : form.boxes) EXPECT_EQ(PlaceOf(box), Place{});
    form.width = 6705, form.height = 5310;
    ResizeThisFormsControls(form, records);
    EXPECT_EQ(PlaceOf(form.boxes[0]), PlaceOf(kTextBox));
    EXPECT_EQ(PlaceOf(form.boxes[1]), PlaceOf(kOkButton));
}

TEST(ProportionsTest, AFailingStepSkipsOnlyItself) {
    Form form = DesignForm();
    form.boxes[0].hasSize = false;  // like a timer: no width, no height
    const ControlProportions records = CaptureThisFormProportions(form);
    EXPECT_EQ(records[0].Width, 0.0f);
    EXPECT_EQ(records[0].Height, 0.0f);
    EXPECT_EQ(records[0].Left, 75.0f / 6705.0f);
    EXPECT_EQ(records[0].Top, 90.0f / 5310.0f);

    form = DesignForm();
    form.boxes[0].movable = false;  // its height is still set
    form.boxes[1].sizable = false;  // it is still moved
    form.width = 13410, form.height = 10620;
    ResizeThisFormsControls(form, DesignRecords());
    EXPECT_EQ(PlaceOf(form.boxes[0]), Place({75, 90, 6525, 8610}));
    EXPECT_EQ(PlaceOf(form.boxes[1]), Place({10410, 9030, 2820, 705}));
}

TEST(HelpTitleTest, VersionNumbersJoinedByTheDecimalSeparator) {
    struct Case {
        ProgramVersion version;
        std::string separator, title;
    };
    const std::vector<Case> cases = {{{1, 0, 0}, ".", "Iconlane v1.0.0"},
                                     {{2, 15, 7}, ".", "Iconlane v2.15.7"},
                                     {{1, 0, 0}, ",", "Iconlane v1,0,0"}};
    for (const Case& c : cases) EXPECT_EQ(HelpTitle(c.version, c.separator), c.title);
}

TEST(HelpWindowTest, ShowsTheGuideOnlyWhenItIsAnOrdinaryFileBesideTheProgram) {
    struct Case {
        const char* name;
        void (*setUp)(FakePlatform&);
        bool loaded;
    };
    const std::vector<Case> cases = {
        {"present", [](FakePlatform& p) { p.AddFile(kGuide, "{\\rtf1 guide}"); }, true},
        {"missing", [](FakePlatform&) {}, false},
        {"hidden", [](FakePlatform& p) { p.AddFile(kGuide, "{\\rtf1 guide}", true); }, false},
        {"folder", [](FakePlatform& p) { p.AddFolder(kGuide); }, false}};
    for (const Case& c : cases) {
        FakePlatform platform;
        platform.version = {3, 1, 4};
        c.setUp(platform);
        HelpWindow(platform.services).Open();
        SCOPED_TRACE(c.name);
        ASSERT_EQ(platform.helpShown.size(), 1u);
        EXPECT_EQ(platform.helpShown[0].title, "Iconlane v3.1.4");
        EXPECT_EQ(platform.helpShown[0].richTextPath, c.loaded ? kGuide : "");
        EXPECT_EQ(platform.helpShown[0].plainText, c.loaded ? "" : kHelpMissingText);
    }
}

TEST(HelpWindowTest, LooksTheGuideUpAfreshAtEveryOpening) {
    FakePlatform platform;
    HelpWindow help(platform.services);
    help.Open();
    platform.AddFile(kGuide, "{\\rtf1 guide}");
    help.Open();
    platform.files.erase(kGuide);
    help.Open();
    ASSERT_EQ(platform.helpShown.size(), 3u);
    EXPECT_EQ(platform.helpShown[0].plainText, kHelpMissingText);
    EXPECT_EQ(platform.helpShown[1].richTextPath, kGuide);
    EXPECT_EQ(platform.helpShown[1].plainText, "");
    EXPECT_EQ(platform.helpShown[2].plainText, kHelpMissingText);
}

TEST(HelpWindowTest, EmptyCommandLineShowsTheGuideThenEndsAndAFailedLoadIsReportedInMain) {
    for (int error : {0, static_cast<int>(kPathFileAccessError)}) {
        FakePlatform platform;
        platform.AddFile(kGuide, "{\\rtf1 guide}");
        if (error != 0) platform.richTextErrors[kGuide] = error;
        Iconlane program(platform.services);
        SCOPED_TRACE(error);
        EXPECT_THROW(program.Main(), fake::ProcessEnded);
        EXPECT_EQ(platform.helpShown.size(), error == 0 ? 1u : 0u);
        const std::vector<fake::Message> expected = {
            {"error  75 (Path/File access error) in main", MessageStyle::kCritical, "Iconlane!"}};
        EXPECT_EQ(platform.messages, error == 0 ? std::vector<fake::Message>{} : expected);
    }
}

TEST(HelpWindowTest, FailedLoadFromTheMenuIsReportedAndTheProgramGoesOn) {
    const std::vector<std::pair<int, std::string>> cases = {
        {kPermissionDenied, "70: Permission denied"}, {fake::kBadAlloc, "7: Out of memory"}};
    for (const auto& [error, reported] : cases) {
        FakePlatform platform;
        platform.AddFile("lane.txt", "a.exe,A\nb.exe,B\n");
        platform.AddFile(kGuide, "{\\rtf1 guide}");
        platform.richTextErrors[kGuide] = error;
        platform.commandLine = "/BATCH:lane.txt";
        platform.menuChoice = [] { return static_cast<int>(kMenuHelp); };
        Iconlane program(platform.services);
        program.Main();
        TraySlotEvents& second = *platform.windows.at(1).events;

        EXPECT_NO_THROW(second.OnTrayMessage(kRightButtonDownMessage));
        EXPECT_EQ(platform.messages,
                  (std::vector<fake::Message>{
                      {"Iconlane couldn't load its Help File, C:\\Apps\\Iconlane.rtf (error " +
                           reported + ").",
                       MessageStyle::kExclamation, "Iconlane"}}));
        EXPECT_TRUE(platform.helpShown.empty());
        EXPECT_TRUE(platform.TrayCalls(TrayOperation::kDelete).empty());
        EXPECT_EQ(program.Entries().LiveIconCount(), 2);

        // The guide can be read again: the next "Help..." shows it.
        platform.richTextErrors.clear();
        second.OnTrayMessage(kRightButtonDownMessage);
        ASSERT_EQ(platform.helpShown.size(), 1u);
        EXPECT_EQ(platform.helpShown[0].richTextPath, kGuide);
    }
}

}  // namespace
}  // namespace iconlane
