// Which click on an icon opens its target, as Iconlane.ini's CLICKMODE says: a double click by
// default, a single click (the release of the left button) with SINGLE, and with no click mode
// only the menu's "Launch!". Every launch is counted by the target, marker.exe.
#include "entry_window_fixture.h"

namespace e2e {
namespace {

class DoubleClickMode : public EntryWindowTest,
                        public ::testing::WithParamInterface<const char*> {};

TEST_P(DoubleClickMode, DoubleClickLaunchesOnceAndSingleClickNothing) {
    startLane({GetParam()});

    clickIcon(0, Click::Single);
    EXPECT_TRUE(launchesSettleAt(0)) << launches() << " launches after a single click";

    clickIcon(0, Click::Double);
    EXPECT_TRUE(launchesSettleAt(1)) << launches() << " launches after a double click";
}

// Any click mode other than SINGLE is the double click.
INSTANTIATE_TEST_SUITE_P(ClickMode, DoubleClickMode,
                         ::testing::Values("CLICKMODE=DOUBLE", "clickmode=Twice"));

class SingleClickMode : public EntryWindowTest {};

TEST_F(SingleClickMode, SingleClickLaunchesOnce) {
    startLane({"CLICKMODE=SINGLE"});

    clickIcon(0, Click::Single);
    EXPECT_TRUE(launchesSettleAt(1)) << launches() << " launches after a single click";
}

class NoClickMode : public EntryWindowTest {};

TEST_F(NoClickMode, ClicksLaunchNothingButTheMenuLaunches) {
    startLane({});

    clickIcon(0, Click::Double);
    EXPECT_TRUE(launchesSettleAt(0)) << launches() << " launches after a double click";

    HWND menu = openMenu(0);
    ASSERT_NE(menu, nullptr) << "no pop-up menu after a right click";
    choose(menu, MenuChoice::Launch);
    EXPECT_TRUE(launchesSettleAt(1)) << launches() << " launches after \"Launch!\"";
    EXPECT_TRUE(program().running());
}

}  // namespace
}  // namespace e2e
