// A folder's icon: its menu of the folder's files and sub-folders, each sub-folder a menu of its
// own; the shell's own menu of an item; and a choice made as administrator.
#include "scenarios.h"

namespace e2e {
namespace {

// $D\ql\sub holds inner.lnk and the folder "deeper" with deep.lnk: shortcuts to marker.exe that
// name themselves on its command line. The lane of $D\ql is one icon, the folder "sub", whose
// menu a click opens: "deeper" first (folders come first), then "inner".
HWND openFolderMenu(Driver& d) {
    std::filesystem::create_directories(d.path("$D\\ql\\sub\\deeper"));
    shortcut(d, "sub\\inner.lnk", "", "$D\\own1.ico", "inner");
    shortcut(d, "sub\\deeper\\deep.lnk", "", "$D\\own2.ico", "deep");
    d.start("/FOLDER:$D\\ql");
    EXPECT_EQ(waitForTips(1), "sub");
    d.click(0, 1);
    HWND menu = d.waitFor("#32768");
    Sleep(200);
    return menu;
}

std::vector<HWND> shownMenus(const Driver& d) {
    std::vector<HWND> shown = windowsOf(d.id(), "#32768");
    std::erase_if(shown, [](HWND menu) { return !IsWindowVisible(menu); });
    return shown;
}

// The middle of a menu's item, counted from the top: the items of a folder's menu are all as
// high as its pictures make them.
POINT itemOf(HWND menu, int item, int height) {
    RECT r{};
    GetWindowRect(menu, &r);
    return {(r.left + r.right) / 2, r.top + 3 + height * item + height / 2};
}

const Row kRows[] = {
    {"AFolderIconOpensTheFoldersMenuWhereAChoiceOpensTheShortcut",
     [](Driver& d) {
         HWND menu = openFolderMenu(d);
         for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageA(menu, WM_KEYDOWN, key, 0);
         ASSERT_TRUE(d.witnessedSettlesAt(1)) << "the shortcut's target did not open once";
         EXPECT_TRUE(d.witnessed()[0].ends_with(" inner")) << d.witnessed()[0];
     }},
    {"ASubFolderCascadesAndAClickOnItsItemOpensThatShortcut",
     [](Driver& d) {
         HWND menu = openFolderMenu(d);
         for (WPARAM key : {VK_DOWN, VK_RIGHT}) PostMessageA(menu, WM_KEYDOWN, key, 0);
         ASSERT_TRUE(pollUntil([&] { return shownMenus(d).size() == 2; })) << "no sub-menu";
         RECT outer{}, inner{};
         GetWindowRect(menu, &outer), GetWindowRect(shownMenus(d).front(), &inner);
         EXPECT_TRUE(inner.left >= outer.right - 8 || inner.right <= outer.left + 8)
             << "not beside";
         d.clickAt(itemOf(shownMenus(d).front(), 0, 20));
         ASSERT_TRUE(d.witnessedSettlesAt(1)) << "the sub-folder's shortcut did not open once";
         EXPECT_TRUE(d.witnessed()[0].ends_with(" deep")) << d.witnessed()[0];
     }},
    // The shell's sheet is modal to the program, which waits for it, as Explorer's menus do.
    {"ARightClickOnAnItemOpensTheShellsMenuWherePropertiesShowsTheFilesSheet",
     [](Driver& d) {
         HWND menu = openFolderMenu(d);
         Driver::clickAt(itemOf(menu, 1, 20), true);  // "inner"
         ASSERT_TRUE(pollUntil([&] { return shownMenus(d).size() == 2; })) << "no shell menu";
         PostMessageA(shownMenus(d).front(), WM_CHAR, 'p', 0);
         HWND sheet = nullptr;
         DWORD owner = 0;
         EXPECT_TRUE(pollUntil([&] {
             return (sheet = FindWindowA(0, "Properties for inner.lnk"));
         })) << "no sheet";
         EXPECT_TRUE(GetWindowThreadProcessId(sheet, &owner) && owner == d.id() &&
                     shownMenus(d).empty());
         PostMessageA(sheet, WM_CLOSE, 0, 0);
         EXPECT_TRUE(pollUntil([&] { return !IsWindow(sheet); })) << "the sheet stays";
         EXPECT_TRUE(d.witnessedSettlesAt(0)) << "the item was opened";
     }},
    // Held from before the choice to after it, as a hand holds them.
    {"CtrlShiftOnAChoiceRunsTheDocumentThroughItsRunasVerb",
     [](Driver& d) {
         registerDocumentType(d, {"open", "runas"});
         std::filesystem::create_directories(d.path("$D\\ql\\sub"));
         d.write("ql\\sub\\report.iconlane-doc", "a report");
         HWND menu = openFolderMenu(d);
         Driver::hold({VK_CONTROL, VK_SHIFT}, true);
         Driver::clickAt(itemOf(menu, 2, 20));  // "report.iconlane-doc"
         const bool launched = d.witnessedSettlesAt(1);
         Driver::hold({VK_CONTROL, VK_SHIFT}, false);
         ASSERT_TRUE(launched) << "the document did not open once";
         EXPECT_TRUE(d.witnessed()[0].find(" runas ") != std::string::npos) << d.witnessed()[0];
     }},
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Folders, Scenario, ::testing::ValuesIn(kRows), rowName);

}  // namespace e2e
