// The right button's pop-up menu: "Launch!", "Cancel Menu", "Help..." and "Exit Iconlane", the
// last two greyed when Iconlane.ini disables them.
#include <algorithm>

#include "entry_window_fixture.h"
#include "window_search.h"

namespace e2e {
namespace {

using Greyed = std::vector<bool>;

constexpr const char* kHelpMissing =
    "Iconlane couldn't locate its Help File, Iconlane.rtf - this file should be in the program "
    "directory!";

// Asks the control itself: GetWindowText would only read the stored caption of another
// process's window, and a RichEdit control keeps its text elsewhere.
std::string textOf(HWND window) {
    char text[512] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    return std::string(text, std::min<std::size_t>(copied, sizeof text - 1));
}

// A shown window of the process (a message box, or the help window) with a control showing
// exactly `text`; null when there is none.
HWND windowShowing(DWORD processId, const std::string& text) {
    for (HWND window : topLevelWindowsWhere(
             [&](HWND w) { return processOf(w) == processId && IsWindowVisible(w); })) {
        for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            if (textOf(child) == text) return window;
        }
    }
    return nullptr;
}

class EntryMenu : public EntryWindowTest {
protected:
    // Closes the menu with "Cancel Menu", which must do nothing else.
    void cancel(HWND menu) {
        choose(menu, MenuChoice::Cancel);
        EXPECT_TRUE(pollUntil([&] { return !IsWindowVisible(menu); })) << "the menu stays open";
        EXPECT_TRUE(launchesSettleAt(0));
        EXPECT_TRUE(showsNoMessageBox());
        EXPECT_TRUE(program().running());
    }
};

TEST_F(EntryMenu, ExitDisabledGreysExitOnly) {
    startLane({"EXITDISABLED=TRUE"});
    HWND menu = openMenu(0);
    ASSERT_NE(menu, nullptr);
    // Launch!, Cancel Menu, Help..., Exit Iconlane
    EXPECT_EQ(greyedMenuItems(menu), (Greyed{false, false, false, true}));
    cancel(menu);
}

TEST_F(EntryMenu, HelpDisabledGreysHelpOnly) {
    startLane({"HELPDISABLED=TRUE", "EXITDISABLED=FALSE"});
    HWND menu = openMenu(0);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(greyedMenuItems(menu), (Greyed{false, false, true, false}));
    cancel(menu);
}

// "Help..." opens the guide Iconlane.rtf from the program's folder; the scenario has none.
TEST_F(EntryMenu, HelpReportsTheMissingHelpFile) {
    startLane({});
    HWND menu = openMenu(0);
    ASSERT_NE(menu, nullptr);
    choose(menu, MenuChoice::Help);

    HWND shown = nullptr;
    pollUntil([&] { return (shown = windowShowing(program().id(), kHelpMissing)) != nullptr; });
    ASSERT_NE(shown, nullptr) << "no window of the program says that the help file is missing";
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(GetDlgItem(shown, IDOK), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    EXPECT_TRUE(pollUntil([&] { return !IsWindow(shown); })) << "OK does not close it";
    EXPECT_TRUE(launchesSettleAt(0));
    EXPECT_TRUE(program().running());
}

}  // namespace
}  // namespace e2e
