// The icons' own menus, the exit question, the guide and the hot key's menu; a folder's icon,
// whose menu holds the folder's files and sub-folders, each sub-folder a menu of its own.
#include "scenarios.h"

namespace e2e {
namespace {

const char* const kTaken =
    "The hot key Ctrl+Alt+Q is used by another program; Iconlane runs without it.";

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
// high as their pictures make them, 20 pixels at 96 DPI.
POINT itemOf(HWND menu, int item) {
    RECT r{};
    GetWindowRect(menu, &r);
    return {(r.left + r.right) / 2, r.top + 3 + 20 * item + 10};
}

const Row kRows[] = {
    {"NoClickModeLaunchesFromTheMenuOnly",
     [](Driver& d) {
         d.startLane(2, {"HELPDISABLED=TRUE"});
         d.click(0, 2);
         d.choose(0, kCancel), d.choose(0, kHelp);  // Help... is disabled
         EXPECT_TRUE(d.showsNoDialog());
         EXPECT_TRUE(d.witnessedSettlesAt(0)) << "a click launched";
         d.choose(1, kLaunch);
         EXPECT_TRUE(d.launched({"lane2.exe"})) << "\"Launch!\" did not open the second once";
     }},
    {"ExitQuestionBlinksEveryIconEvery800msAndNoStopsIt",
     [](Driver& d) {
         d.startLane(2);
         d.choose(0, kExit);
         HWND question = d.waitFor("#32770", IDNO);
         EXPECT_EQ(textOf(question), "Exit Iconlane?");
         EXPECT_EQ(textOf(GetDlgItem(question, 1000)),
                   "Exiting Iconlane will remove the 2 icons managed by it - Are you sure?");
         GUITHREADINFO gui{};
         gui.cbSize = sizeof gui;
         GetGUIThreadInfo(GetWindowThreadProcessId(question, nullptr), &gui);
         EXPECT_EQ(gui.hwndFocus, GetDlgItem(question, IDNO)) << "No has not the focus";
         auto ticks = [&, first = d.spy.calls(NIM_ADD)[0].first] {  // of the first icon
             auto calls = d.spy.calls(NIM_MODIFY);
             std::erase_if(calls, [&](auto& call) { return call.first != first; });
             return calls;
         };
         const std::size_t before = ticks().size();
         std::set<std::pair<std::size_t, bool>> seen;  // icon, own picture
         pollUntil([&] {
             for (std::size_t n = 0; n < 4; ++n)
                 if (d.shows(n / 2, n % 2)) seen.emplace(n / 2, n % 2);
             return ticks().size() > before + 5;
         });
         EXPECT_EQ(seen.size(), 4u)
             << "not every icon blinks between its own picture and the cross";
         const auto all = ticks();
         EXPECT_NEAR(pace({all.begin() + before + 1, all.end()}), 800, 60);
         Driver::press(question, IDNO);
         EXPECT_TRUE(holdsFor([&] { return d.shows(0, true) && d.shows(1, true); }, 1800ms))
             << "blinks on";
         EXPECT_FALSE(d.ended(0ms));
     }},
    // With the guide open, Exit asks; Help while the question waits only brings it to the front,
    // and Yes ends the program after deleting every icon in entry order.
    {"HelpShowsTheGuideAndWhileTheExitQuestionWaitsBringsItToTheFrontAndYesEnds",
     [](Driver& d) {
         d.startLane(2);
         d.choose(0, kHelp);
         expectGuide(d);
         d.choose(1, kExit);
         HWND question = d.waitFor("#32770", IDNO);
         d.choose(0, kHelp);
         EXPECT_TRUE(pollUntil([&] { return GetForegroundWindow() == question; }, 2s));
         EXPECT_TRUE(holdsFor([&] { return windowsOf(d.id(), "frmHelp").size() == 1; }, 500ms))
             << "a second guide";
         Driver::press(question, IDYES);
         EXPECT_TRUE(d.ended()) << "the program runs on after Yes";
         EXPECT_EQ(d.spy.ids(NIM_DELETE), d.spy.ids(NIM_ADD));
     }},
    // Held by a program that started first: the test itself.
    {"AHotKeyAnotherProgramHoldsIsReportedOnceAndTheIconsWorkAsBefore",
     [](Driver& d) {
         HWND holder = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, 0, 0, 0);
         ASSERT_TRUE(RegisterHotKey(holder, 1, MOD_CONTROL | MOD_ALT, 'Q'));
         d.startLane(1, {"CLICKMODE=SINGLE", "HOTKEY=ctrl+alt+q"});
         expectBox(d, "Iconlane", kTaken, "", false);
         EXPECT_TRUE(d.showsNoDialog());
         d.click(0, 1);
         EXPECT_TRUE(d.witnessedSettlesAt(1)) << "the icon does not open its target";
         DestroyWindow(holder);
     }},
    // A file copied from the shell's menu of an item (a right click on it, which opens nothing) can
    // be pasted once the program has ended, by Exit or as the system ends it.
    {"AFileCopiedFromTheShellsMenuStaysOnTheClipboardWhenTheProgramEnds",
     [](Driver& d) {
         for (bool byExit : {true, false}) {
             Driver::clickAt(itemOf(openFolderMenu(d), 1), true);  // "inner"
             ASSERT_TRUE(pollUntil([&] { return shownMenus(d).size() == 2; })) << "no shell menu";
             PostMessageA(shownMenus(d).front(), WM_CHAR, 'c', 0);
             EXPECT_TRUE(d.witnessedSettlesAt(0)) << "the item was opened";
             if (byExit) d.choose(0, kExit), Driver::press(d.waitFor("#32770", IDNO), IDYES);
             EXPECT_TRUE(byExit ? d.ended() : d.close());
             char copied[MAX_PATH] = {};
             OpenClipboard(0), DragQueryFileA(HDROP(GetClipboardData(CF_HDROP)), 0, copied, 260);
             EmptyClipboard(), CloseClipboard();
             EXPECT_EQ(copied, d.path("$D\\ql\\sub\\inner.lnk")) << "by Exit: " << byExit;
         }
     }},
    // Held from before the choice to after it, as a hand holds them.
    {"CtrlShiftOnAChoiceRunsTheDocumentThroughItsRunasVerb",
     [](Driver& d) {
         registerDocumentType(d, {"open", "runas"});
         std::filesystem::create_directories(d.path("$D\\ql\\sub"));
         d.write("ql\\sub\\report.iconlane-doc", "a report");
         HWND menu = openFolderMenu(d);
         Driver::hold({VK_CONTROL, VK_SHIFT}, true);
         Driver::clickAt(itemOf(menu, 2));  // "report.iconlane-doc"
         const bool launched = d.launched({" runas "});
         Driver::hold({VK_CONTROL, VK_SHIFT}, false);
         EXPECT_TRUE(launched) << "the document did not open once, as administrator";
     }},

};

// Rows that walk a menu from the keyboard: through the input queue and, as a person types, on the
// X server's keyboard.
const std::vector<Row> kTypedRows = onBothKeyboards({
    // Enter and the menu key as the task bar reports them to an icon that asked for version 3.
    {"EnterOpensTheTargetOnceAndTheMenuKeyOpensTheMenuAndHandsTheFocusBack",
     [](Driver& d) {
         d.startLane(2, {"CLICKMODE=DOUBLE"});
         d.notify(1, NIN_KEYSELECT), d.notify(1, NIN_KEYSELECT);  // one key press, told twice
         EXPECT_TRUE(d.witnessedSettlesAt(1)) << "Enter did not open the target once";
         d.notify(1, NIN_KEYSELECT);  // a second press, beyond a double click's time
         EXPECT_TRUE(d.witnessedSettlesAt(2));
         d.notify(0, WM_CONTEXTMENU);
         HWND menu = d.waitFor("#32768");
         Sleep(200), d.type({VK_ESCAPE});
         EXPECT_TRUE(menu && pollUntil([&] { return !IsWindowVisible(menu); })) << "no menu";
         EXPECT_TRUE(pollUntil([&] { return d.spy.calls(NIM_SETFOCUS).size() == 1; }, 2s));
         EXPECT_EQ(d.spy.calls(NIM_SETFOCUS).at(0).first, d.spy.calls(NIM_ADD)[0].first);
     }},
    // Keys through the input queue reach the menu only when it took the keyboard. It opens
    // beside the pointer, not under it, where a hand that moves a pixel would open the sub-menu
    // there (the shell's menu of the target), which would take the keys.
    {"ARealRightClickOpensOneMenuThatTakesTheKeyboard",
     [](Driver& d) {
         d.startLane(1);
         d.click(0, 1, true);
         HWND menu = d.waitFor("#32768");
         POINT pointer{};
         RECT r{};
         GetCursorPos(&pointer), GetWindowRect(menu, &r);
         EXPECT_FALSE(PtInRect(&r, pointer)) << "under the pointer";
         SetCursorPos(pointer.x + 1, pointer.y - 1);
         EXPECT_TRUE(holdsFor([&] { return windowsOf(d.id(), "#32768").size() == 1; }, 500ms))
             << "a sub-menu opened";
         d.type({VK_DOWN, VK_RETURN});  // "Launch!"
         EXPECT_TRUE(d.witnessedSettlesAt(1)) << "the menu did not take the keyboard";
         EXPECT_TRUE(menu && holdsFor([&] { return !d.waitFor("#32768", 0, 0ms); }, 700ms))
             << "a second menu";
         SetCursorPos(300, 100);  // off the tray, as Driver::choose leaves it
     }},
    // The menu at the mouse, in front of the window that has the focus, which gets it back when
    // Esc closes the menu; the chord again closes it too. The first entry is selected, and a
    // digit opens the entry of that number. The chord comes all at once, as a macro key types
    // it: after a choice the program has the keyboard, and the chord's Alt must not close the
    // menu that the chord opens.
    {"TheHotKeyOpensTheLaneMenuWhereEnterOrADigitOpensAnEntry",
     [](Driver& d) {
         d.startLane(3, {"HOTKEY=Ctrl+Alt+Q"});
         HWND own =
             CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, 0, 0, 0, 0);
         SetForegroundWindow(own), SetCursorPos(300, 100);
         for (WORD close : {WORD(VK_ESCAPE), WORD(0)}) {
             d.chord({VK_CONTROL, VK_MENU, 'Q'});
             HWND menu = d.waitFor("#32768");
             RECT r{};
             ASSERT_TRUE(menu && GetWindowRect(menu, &r));
             EXPECT_TRUE(abs(r.left - 300) <= 2 && abs(r.top - 100) <= 2) << "not at the mouse";
             Sleep(200);
             close ? d.type({close}) : d.chord({VK_CONTROL, VK_MENU, 'Q'});
             EXPECT_TRUE(pollUntil([&] { return !IsWindowVisible(menu); })) << close;
             EXPECT_TRUE(pollUntil([&] { return GetForegroundWindow() == own; }, 2s)) << close;
         }
         DestroyWindow(own);
         for (WORD key : {WORD(VK_RETURN), WORD('2')}) {
             d.chord({VK_CONTROL, VK_MENU, 'Q'});
             d.waitFor("#32768"), Sleep(200), d.type({key});
         }
         EXPECT_TRUE(d.launched({"lane1.exe", "lane2.exe"})) << "not the first, then the second";
     }},
    {"ASubFolderCascadesAndAClickOnItsItemOpensThatShortcut",
     [](Driver& d) {
         HWND menu = openFolderMenu(d);
         d.type({VK_DOWN, VK_RIGHT});
         ASSERT_TRUE(pollUntil([&] { return shownMenus(d).size() == 2; })) << "no sub-menu";
         RECT outer{}, inner{};
         GetWindowRect(menu, &outer), GetWindowRect(shownMenus(d).front(), &inner);
         EXPECT_TRUE(inner.left >= outer.right - 8 || inner.right <= outer.left + 8)
             << "not beside";
         Driver::clickAt(itemOf(shownMenus(d).front(), 0));
         EXPECT_TRUE(d.launched({" deep"})) << "the sub-folder's shortcut did not open once";
     }},
});

}  // namespace

INSTANTIATE_TEST_SUITE_P(Menus, Scenario, ::testing::ValuesIn(kRows), rowName);
INSTANTIATE_TEST_SUITE_P(MenusTyped, Scenario, ::testing::ValuesIn(kTypedRows), rowName);

}  // namespace e2e
