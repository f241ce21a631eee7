// The options file Iconlane.ini beside the program: a failing item is reported once and start-up
// goes on with the batch file.
#include <string>

#include "iconlane_fixture.h"

namespace e2e {
namespace {

// Character positions inside an item are 16-bit: an "=" at 32,767 or later overflows.
constexpr std::size_t kFirstOverflowingPosition = 32767;

// An options line whose only item has its "=" at the given 1-based position.
std::string itemWithEqualsAt(std::size_t position) {
    return std::string(position - 1, 'A') + "=x";
}

class OptionsFile : public IconlaneTest {
protected:
    void writeBatch() {
        scenario().writeLines("lane.txt", {"C:\\apps\\mail.exe,Mail", "C:\\apps\\web.exe,Web"});
    }
    void startWithBatch() { start("/BATCH:" + scenario().pathOf("lane.txt")); }
};

TEST_F(OptionsFile, OverflowingItemIsReportedAndStartUpGoesOn) {
    scenario().writeLines(
        "Iconlane.ini",
        {"CLICKMODE=SINGLE", itemWithEqualsAt(kFirstOverflowingPosition), "HELPDISABLED=TRUE"});
    writeBatch();
    startWithBatch();

    const auto box = waitForMessageBox();
    ASSERT_TRUE(box.has_value()) << "no message box for the overflowing item";
    EXPECT_EQ(box->title, "Iconlane!");
    // The description between the parentheses is the program's own wording.
    EXPECT_TRUE(box->text.starts_with("Error 6 (")) << box->text;
    EXPECT_TRUE(box->text.ends_with(") occurred during Options File Read.")) << box->text;
    EXPECT_EQ(iconShownBy(*box), BoxIcon::Stop);
    // The options are read before any entry line.
    EXPECT_EQ(tray().tips(), Tips{});

    ASSERT_TRUE(pressOk(*box));
    EXPECT_EQ(tray().waitForIcons(2), (Tips{"Mail", "Web"}));
    EXPECT_TRUE(showsNoMessageBox()) << "the options file was reported more than once";
    closeEntryWindows();
    EXPECT_TRUE(waitForExit());
}

TEST_F(OptionsFile, EqualsSignJustBelowTheLimitIsReadSilently) {
    scenario().writeLines("Iconlane.ini", {itemWithEqualsAt(kFirstOverflowingPosition - 1)});
    writeBatch();
    startWithBatch();

    EXPECT_EQ(tray().waitForIcons(2), (Tips{"Mail", "Web"}));
    EXPECT_TRUE(showsNoMessageBox());
    closeEntryWindows();
    EXPECT_TRUE(waitForExit());
}

}  // namespace
}  // namespace e2e
