// The icons' own menus, the exit question, the guide and the hot key's menu.
#include "scenarios.h"

namespace e2e {
namespace {

const char* const kTaken =
    "The hot key Ctrl+Alt+Q is used by another program; Iconlane runs without it.";

// Yes to the exit question ends the program after deleting every icon, in entry order.
void exitAndAnswerYes(Driver& d, std::size_t icon) {
    d.choose(icon, kExit);
    Driver::press(d.waitFor("#32770", IDNO), IDYES);
    EXPECT_TRUE(d.ended()) << "the program runs on after Yes";
    EXPECT_EQ(waitForTips(0), "");
    std::vector<Icon> added, deleted;
    for (const auto& call : d.spy.calls(NIM_ADD)) added.push_back(call.first);
    for (const auto& call : d.spy.calls(NIM_DELETE)) deleted.push_back(call.first);
    EXPECT_EQ(deleted, added);
}

// Whether another program could take Ctrl+Alt+Q now. Tried on a window, which lets go of it with
// itself: under Wine a hot key of a thread that had no message queue yet outlives the thread.
bool chordFree() {
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, 0, 0, 0);
    const bool free = RegisterHotKey(window, 1, MOD_CONTROL | MOD_ALT, 'Q');
    DestroyWindow(window);
    return free;
}

const Row kRows[] = {
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
         Sleep(200), Driver::type({VK_ESCAPE});
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
         Driver::type({VK_DOWN, VK_RETURN});  // "Launch!"
         EXPECT_TRUE(d.witnessedSettlesAt(1)) << "the menu did not take the keyboard";
         EXPECT_TRUE(menu && holdsFor([&] { return !d.waitFor("#32768", 0, 0ms); }, 700ms))
             << "a second menu";
     }},
    {"NoClickModeLaunchesFromTheMenuOnly",
     [](Driver& d) {
         d.startLane(2, {"HELPDISABLED=TRUE"});
         d.click(0, 2);
         d.choose(0, kCancel), d.choose(0, kHelp);  // Help... is disabled
         EXPECT_TRUE(d.showsNoDialog());
         EXPECT_TRUE(d.witnessedSettlesAt(0)) << "a click launched";
         d.choose(1, kLaunch);
         ASSERT_TRUE(d.witnessedSettlesAt(1)) << "\"Launch!\" did not launch once";
         EXPECT_NE(d.witnessed()[0].find("lane2.exe"), std::string::npos)
             << "not the second icon's";
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
    {"HelpWhileTheQuestionIsOpenBringsItToTheFrontAndYesEnds",
     [](Driver& d) {
         d.startLane(2);
         d.choose(0, kExit);
         HWND question = d.waitFor("#32770", IDNO);
         d.choose(1, kHelp);
         EXPECT_TRUE(pollUntil([&] { return GetForegroundWindow() == question; }, 2s));
         EXPECT_TRUE(holdsFor([&] { return !d.waitFor("frmHelp", 0, 0ms); }, 500ms)) << "a guide";
         Driver::press(question, IDYES);
         EXPECT_TRUE(d.ended()) << "the program runs on after Yes";
     }},
    {"HelpShowsTheGuideAndExitWithItOpenEndsOnYes",
     [](Driver& d) {
         d.startLane(2);
         d.choose(0, kHelp);
         expectGuide(d);
         exitAndAnswerYes(d, 1);
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
    // Two lanes, one options file: the second does without the chord, and never asks for it.
    {"ASecondIconlaneWithTheSameHotKeyRunsSilentlyWithoutIt",
     [](Driver& d) {
         d.startLane(1, {"HOTKEY=Ctrl+Alt+Q"});
         d.writeLines("other.txt", {"$D\\marker.exe,Other"});
         const PROCESS_INFORMATION second = d.run("\"$D\\iconlane.exe\" /BATCH:$D\\other.txt", {});
         EXPECT_EQ(waitForTips(2), "Lane 1|Other");
         EXPECT_TRUE(
             d.showsNoDialog() &&
             holdsFor([&] { return windowsOf(second.dwProcessId, "#32770").empty(); }, 700ms))
             << "a message";
         EXPECT_FALSE(chordFree()) << "not held";
         PostMessageA(windowsOf(d.id(), "IconlaneTray").at(0), WM_CLOSE, 0, 0);
         EXPECT_TRUE(d.ended() && chordFree()) << "the second holds the chord too";
         PostMessageA(windowsOf(second.dwProcessId, "IconlaneTray").at(0), WM_CLOSE, 0, 0);
         EXPECT_EQ(WaitForSingleObject(second.hProcess, 15000), WAIT_OBJECT_0);
         CloseHandle(second.hProcess), CloseHandle(second.hThread);
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
             Driver::chord({VK_CONTROL, VK_MENU, 'Q'});
             HWND menu = d.waitFor("#32768");
             RECT r{};
             ASSERT_TRUE(menu && GetWindowRect(menu, &r));
             EXPECT_TRUE(abs(r.left - 300) <= 2 && abs(r.top - 100) <= 2) << "not at the mouse";
             Sleep(200);
             close ? Driver::type({close}) : Driver::chord({VK_CONTROL, VK_MENU, 'Q'});
             EXPECT_TRUE(pollUntil([&] { return !IsWindowVisible(menu); })) << close;
             EXPECT_TRUE(pollUntil([&] { return GetForegroundWindow() == own; }, 2s)) << close;
         }
         DestroyWindow(own);
         for (WORD key : {WORD(VK_RETURN), WORD('2')}) {
             Driver::chord({VK_CONTROL, VK_MENU, 'Q'});
             d.waitFor("#32768"), Sleep(200), Driver::type({key});
         }
         ASSERT_TRUE(d.witnessedSettlesAt(2));
         EXPECT_NE(d.witnessed()[0].find("lane1.exe"), std::string::npos) << d.witnessed()[0];
         EXPECT_NE(d.witnessed()[1].find("lane2.exe"), std::string::npos) << d.witnessed()[1];
     }},
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Menus, Scenario, ::testing::ValuesIn(kRows), rowName);

}  // namespace e2e
