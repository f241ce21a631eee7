// Entry windows: clicks, the right-button menu, blinking and the exit question.
#include "entrywindow/entryevents.h"

#include <gtest/gtest.h>

#include <tuple>

#include "fake_platform.h"
#include "startup/startup.h"

namespace iconlane {
namespace {

using namespace fake;
const std::string kAskTwo =
    "ask Exiting Iconlane will remove the 2 icons managed by it - Are you sure?";

// The program started from a batch file on entries "a<k>.exe", tooltip "Tip<k>", with the options
// file `ini`; entry `failed` fails after its window is made.
struct Bench {
    explicit Bench(int count, const std::string& ini = "", int failed = 0) {
        std::string batch;
        for (int k = 1; k <= count; ++k) {
            batch += "a" + std::to_string(k) + ".exe,Tip" + std::to_string(k);
            batch += k == failed ? ",1e10\n" : "\n";
        }
        platform.AddFile("list.txt", batch);
        platform.AddFile("C:\\Apps\\Iconlane.ini", ini);
        platform.commandLine = "/BATCH:list.txt";
        program.Main();
    }
    TraySlotEvents& Window(int entry) { return *platform.slots.at(entry - 1).events; }
    Texts Seen(const std::function<void()>& action) {
        platform.seen.clear();
        ErrorOf(action);
        return platform.seen;
    }

    FakePlatform platform;
    Iconlane program{platform.services};
};

TEST(EntryEventsTest, TheConfiguredClickLaunchesAndTheRightButtonOpensTheMenu) {
    // One letter per message 512..517: L opens the target, M the menu, '.' does nothing.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "....M."},
        {"RIGHTMOUSEMENUDISABLED=TRUE", "......"},
        {"CLICKMODE=SINGLE", "..L.M."},
        {"CLICKMODE=SINGLE,RIGHTMOUSEMENUDISABLED=TRUE", "..L..."},
        {"CLICKMODE=DOUBLE", "...LM."},
        {"CLICKMODE=DOUBLE,RIGHTMOUSEMENUDISABLED=TRUE", "...L.."}};
    for (const auto& [ini, outcomes] : cases) {
        for (int message = 512; message <= 517; ++message) {
            Bench b(2, ini);
            const char outcome = outcomes[message - 512];
            const Texts seen = outcome == 'L' ? Texts{"open a2.exe"} : Texts{"menu 2"};
            EXPECT_EQ(b.Seen([&] { b.Window(2).OnTrayMessage(message); }),
                      outcome == '.' ? Texts{} : seen)
                << ini << message;
        }
    }
}

TEST(EntryEventsTest, MenuItemsAreEnabledByTheOptionsAndDoTheirWork) {
    const std::string missing = "help Iconlane v1.0.0: " + std::string(kHelpMissingText);
    const std::string unloadable =
        "Iconlane/48: Iconlane couldn't load its Help File, C:\\Apps\\Iconlane.rtf (error 70: "
        "Permission denied).";
    // The options, the item chosen, what the user sees, the items enabled
    const std::vector<std::tuple<std::string, int, Texts, std::string>> cases = {
        {"", kMenuLaunch, {"menu 2", "open a2.exe"}, "1111111"},
        {"", kMenuCancel, {"menu 2"}, "1111111"},
        {"", 0, {"menu 2"}, "1111111"},
        {"", kMenuHelp, {"menu 2", missing}, "1111111"},
        {"", kMenuExit, {"menu 2", kAskTwo}, "1111111"},
        {"EXITDISABLED=TRUE", 0, {"menu 2"}, "1111110"},
        {"HELPDISABLED=TRUE,EXITDISABLED=FALSE", 0, {"menu 2"}, "1111011"},
        {"guide", kMenuHelp, {"menu 2", unloadable}, "1111111"},
        {"CLICKMODE=SINGLE",
         -514,
         {"Iconlane/48: Unexpected error #7 (Out of memory)"},
         "1111111"}};
    for (const auto& [ini, item, seen, enabled] : cases) {
        Bench b(2, ini);
        if (ini == "guide") b.platform.AddFile("C:\\Apps\\Iconlane.rtf", "{\\rtf1}");
        b.platform.readErrors["C:\\Apps\\Iconlane.rtf"] = kPermissionDenied;
        b.platform.openError = item < 0 ? kBadAlloc : 0;  // a failure inside an event is reported
        b.platform.menuChoice = [&] { return item; };
        const int message = item < 0 ? -item : kRightButtonDownMessage;
        EXPECT_EQ(b.Seen([&] { b.Window(2).OnTrayMessage(message); }), seen) << ini << item;
        std::string on;
        for (bool item : b.platform.slots[1].menuEnabled) on += item ? '1' : '0';
        EXPECT_EQ(on, enabled) << ini;
        EXPECT_EQ(b.platform.Calls(2).find('D'), std::string::npos);
    }
    EXPECT_EQ(Bench(1).platform.slots[0].menu,
              (Texts{"Launch!", "-", "Cancel Menu", "-", "Help...", "-", "Exit Iconlane"}));
}

TEST(EntryEventsTest, TicksAlternateTheIconsAndStartingOrStoppingKeepsThePhase) {
    Bench b(3);
    for (int entry : {1, 2, 2, 2}) b.Window(entry).OnTimer();
    EXPECT_EQ(b.platform.Calls(3), "M1^M2^M2M2^");
    EXPECT_EQ(b.platform.trayCalls.back().Tip(), "Tip2");
    const std::size_t started = b.platform.trayCalls.size();
    StartAllBlinking(b.program.Entries());
    for (const Slot& slot : b.platform.slots) EXPECT_EQ(slot.timer, 800u);
    StopAllBlinking(b.program.Entries());
    for (const Slot& slot : b.platform.slots) EXPECT_EQ(slot.timer, 0u);
    EXPECT_EQ(b.platform.Calls(started), "M1M2M3");  // nothing changes before the next tick
    EXPECT_EQ(b.platform.trayCalls[started].record.hIcon, b.platform.trayCalls[0].record.hIcon);
    StartAllBlinking(b.program.Entries());  // entry 1 stopped in its Up phase
    b.Window(1).OnTimer();
    b.Window(1).OnTimer();
    EXPECT_EQ(b.platform.Calls(started + 3), "M1M1^");
}

// The question counts every entry. Yes unloads every window in order and ends at once; No stops
// the blinking at once and shows every icon's own picture again.
TEST(EntryEventsTest, TheExitQuestionBlinksAsksAndIsAnsweredAtOnce) {
    const std::string one = "ask Exiting Iconlane will remove this icon - Are you sure?";
    // Entries, the one failed, the one unloaded before, the answer, the question, the tray calls
    // from the tick during the question on
    const std::vector<std::tuple<int, int, int, ExitAnswer, std::string, std::string>> cases = {
        {1, 0, 0, ExitAnswer::kNo, one, "M1^M1"},
        {1, 1, 0, ExitAnswer::kYes, one, "D1"},  // the failed entry does not blink
        {2, 0, 0, ExitAnswer::kNo, kAskTwo, "M1^M1M2"},
        {3, 0, 2, ExitAnswer::kYes,
         "ask Exiting Iconlane will remove the 3 icons managed by it - Are you sure?", "M1^D1D3"},
        {12, 5, 0, ExitAnswer::kNo,
         "ask Exiting Iconlane will remove the 12 icons managed by it - Are you sure?",
         "M1^M1M2M3M4M5M6M7M8M9M10M11M12"}};
    for (const auto& [entries, failed, closed, answer, question, calls] : cases) {
        Bench b(entries, "", failed);
        if (closed != 0) b.platform.slots[closed - 1].Unload();
        const std::size_t mark = b.platform.trayCalls.size();
        b.platform.exitAnswer = [&](const ExitAnswered& answered) {
            for (const Slot& slot : b.platform.slots)
                EXPECT_EQ(slot.timer, slot.unloaded ? 0 : 800u);
            b.Window(1).OnTimer();  // ticks go on while the question is open
            answered(answer);
            if (answer == ExitAnswer::kYes) ADD_FAILURE() << "Yes did not end at once";
            for (const Slot& slot : b.platform.slots) EXPECT_EQ(slot.timer, 0u);
        };
        Texts seen = {question, "end"};
        if (answer == ExitAnswer::kNo) seen.pop_back();
        EXPECT_EQ(b.Seen([&] { b.program.Events().ConfirmExit(); }), seen);
        EXPECT_EQ(b.platform.Calls(mark), calls);
    }
}

// "Exit Iconlane" and "Help..." chosen while the question is open only bring it to the front; an
// exit chosen after the answer but before the question's loop unwinds asks afresh.
TEST(EntryEventsTest, WhileTheQuestionIsOpenExitAndHelpOnlyBringItForward) {
    for (int item : {kMenuExit, kMenuHelp}) {
        for (ExitAnswer answer : {ExitAnswer::kYes, ExitAnswer::kNo}) {
            Bench b(2);
            b.platform.menuChoice = [&] { return b.platform.seen.size() == 1 ? kMenuExit : item; };
            b.platform.exitAnswer = [&](const ExitAnswered& answered) {
                b.Window(2).OnTrayMessage(kRightButtonDownMessage);
                for (const Slot& slot : b.platform.slots) EXPECT_EQ(slot.timerCalls, 1);
                answered(answer);
            };
            const bool yes = answer == ExitAnswer::kYes;
            Texts seen = {"menu 1", kAskTwo, "menu 2", kAskTwo, "end"};
            if (!yes) seen.pop_back();
            EXPECT_EQ(b.Seen([&] { b.Window(1).OnTrayMessage(kRightButtonDownMessage); }), seen);
            EXPECT_EQ(b.platform.Calls(2), yes ? "D1D2" : "M1M2");
        }
    }
    Bench b(2);
    b.platform.exitAnswer = [&](const ExitAnswered& answered) {
        if (b.platform.seen.size() > 1) return;  // the second question stays open
        answered(ExitAnswer::kNo);
        b.program.Events().ConfirmExit();
    };
    EXPECT_EQ(b.Seen([&] { b.program.Events().ConfirmExit(); }), Texts(2, kAskTwo));
    for (const Slot& slot : b.platform.slots) EXPECT_EQ(slot.timer, 800u);
}

}  // namespace
}  // namespace iconlane
