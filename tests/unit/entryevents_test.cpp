// Entry windows: tray notifications, menu choices, blink ticks and the exit question.
#include "entrywindow/entryevents.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <utility>
#include <vector>

#include "fake_platform.h"
#include "help/helpwindow.h"
#include "startup/startup.h"

namespace iconlane {
namespace {

using fake::FakePlatform;
using Shown = std::vector<std::pair<std::uintptr_t, std::uintptr_t>>;  // icon id, icon
using Texts = std::vector<std::string>;

constexpr const char* kOneIcon = "Exiting Iconlane will remove this icon - Are you sure?";
constexpr const char* kTwoIcons =
    "Exiting Iconlane will remove the 2 icons managed by it - Are you sure?";

// The program started on entries "a<k>.exe" with tooltip "Tip<k>" from a batch file, under the
// options file `ini`; entry `failed` fails after its window is created.
struct Bench {
    explicit Bench(int count, int failed = 0, const std::string& ini = "") {
        std::string batch;
        for (int k = 1; k <= count; ++k) {
            batch += "a" + std::to_string(k) + ".exe,Tip" + std::to_string(k);
            batch += k == failed ? ",1e10\n" : "\n";
        }
        platform.AddFile("list.txt", batch);
        if (!ini.empty()) platform.AddFile("C:\\Apps\\Iconlane.ini", ini);
        platform.commandLine = "/BATCH:list.txt";
        program.Main();
    }
    TraySlotEvents& Window(int entry) { return *platform.windows.at(entry - 1).events; }
    std::uintptr_t Handle(int entry) { return table.EntryWindows(entry)->IconId(); }
    std::uintptr_t Down(int entry) { return table.EntryWindows(entry)->Picture1Handle(); }
    // Icon id and icon of every tray call of `operation` from call number `from` on.
    Shown Sent(TrayOperation operation, std::size_t from) {
        Shown sent;
        for (std::size_t i = from; i < platform.trayCalls.size(); ++i) {
            const fake::TrayCall& call = platform.trayCalls[i];
            if (call.operation == operation) sent.emplace_back(call.record.uID, call.record.hIcon);
        }
        return sent;
    }
    std::vector<std::uintptr_t> Deleted(std::size_t from) {
        std::vector<std::uintptr_t> windows;
        for (const auto& sent : Sent(TrayOperation::kDelete, from)) windows.push_back(sent.first);
        return windows;
    }

    FakePlatform platform;
    Iconlane program{platform.services};
    EntryTable& table = program.Entries();
    EntryEvents& events = program.Events();
};

TEST(EntryEventsTest, TrayMessagesLaunchTheTargetOrOpenTheMenu) {
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
            Bench b(2, 0, ini);
            b.Window(2).OnTrayMessage(message);
            char outcome = outcomes[message - 512];
            SCOPED_TRACE(ini + " " + std::to_string(message));
            EXPECT_EQ(b.platform.openedTargets, outcome == 'L' ? Texts{"a2.exe"} : Texts{});
            EXPECT_EQ(b.platform.windows[1].menuShown, outcome == 'M' ? 1 : 0);
            EXPECT_EQ(b.platform.windows[0].menuShown, 0);
        }
    }
}

TEST(EntryEventsTest, AFailureInsideAnEventIsReportedAndGoesNoFurther) {
    Bench b(2, 0, "CLICKMODE=SINGLE");
    b.platform.duringOpen = [] { throw std::bad_alloc(); };
    EXPECT_NO_THROW(b.Window(2).OnTrayMessage(514));
    EXPECT_EQ(b.platform.messages,
              (std::vector<fake::Message>{{"Unexpected error #7 (Out of memory)",
                                           MessageStyle::kExclamation, "Iconlane"}}));
}

TEST(EntryEventsTest, MenuItemsLaunchShowHelpOrAskToExit) {
    // L opens the target, H shows the help, Q asks the exit question, '.' does nothing.
    struct Case {
        std::string ini;
        int item;
        char outcome;
    };
    const std::vector<Case> cases = {{"", kMenuLaunch, 'L'},
                                     {"CLICKMODE=SINGLE", kMenuLaunch, 'L'},
                                     {"CLICKMODE=DOUBLE", kMenuLaunch, 'L'},
                                     {"", kMenuCancel, '.'},
                                     {"CLICKMODE=SINGLE", 0, '.'},
                                     {"", kMenuHelp, 'H'},
                                     {"", kMenuExit, 'Q'}};
    for (const Case& c : cases) {
        Bench b(2, 0, c.ini);
        b.platform.menuChoice = [&] { return c.item; };
        b.Window(2).OnTrayMessage(kRightButtonDownMessage);
        SCOPED_TRACE(c.item);
        EXPECT_EQ(b.platform.windows[1].menuShown, 1);
        EXPECT_EQ(b.platform.openedTargets, c.outcome == 'L' ? Texts{"a2.exe"} : Texts{});
        EXPECT_EQ(b.platform.helpShown.size(), c.outcome == 'H' ? 1u : 0u);
        EXPECT_EQ(b.platform.questions.size(), c.outcome == 'Q' ? 1u : 0u);
    }
}

TEST(EntryEventsTest, TicksAlternateTheIconsAndStartingOrStoppingKeepsThePhase) {
    Bench b(3);
    const std::uintptr_t up = FakePlatform::kUpImageHandle;
    std::size_t mark = b.platform.trayCalls.size();
    for (int entry : {1, 2, 2, 2}) b.Window(entry).OnTimer();
    EXPECT_EQ(
        b.Sent(TrayOperation::kModify, mark),
        (Shown{{b.Handle(1), up}, {b.Handle(2), up}, {b.Handle(2), b.Down(2)}, {b.Handle(2), up}}));
    EXPECT_EQ(fake::TipText(b.platform.trayCalls.back().record), "Tip2");

    mark = b.platform.trayCalls.size();
    StartAllBlinking(b.table);
    for (const auto& w : b.platform.windows) {
        EXPECT_EQ(std::pair(w.timerEnabled, w.timerInterval), std::pair(true, 800u));
    }
    EXPECT_EQ(b.platform.trayCalls.size(), mark);
    EXPECT_TRUE(b.table.EntryWindows(1)->BlinkPhase());

    StopAllBlinking(b.table);
    for (const fake::WindowState& window : b.platform.windows) EXPECT_FALSE(window.timerEnabled);
    EXPECT_EQ(
        b.Sent(TrayOperation::kModify, mark),
        (Shown{{b.Handle(1), b.Down(1)}, {b.Handle(2), b.Down(2)}, {b.Handle(3), b.Down(3)}}));
    EXPECT_EQ(fake::TipText(b.platform.trayCalls.back().record), "Tip3");

    StartAllBlinking(b.table);  // entry 1 stopped while showing the Up image
    mark = b.platform.trayCalls.size();
    b.Window(1).OnTimer();
    b.Window(1).OnTimer();
    EXPECT_EQ(b.Sent(TrayOperation::kModify, mark),
              (Shown{{b.Handle(1), b.Down(1)}, {b.Handle(1), up}}));
}

TEST(EntryEventsTest, TheExitQuestionCountsEveryEntry) {
    struct Case {
        int entries, failed;
        std::string question;
    };
    const std::vector<Case> cases = {
        {1, 0, kOneIcon},
        {1, 1, kOneIcon},
        {2, 0, kTwoIcons},
        {12, 5, "Exiting Iconlane will remove the 12 icons managed by it - Are you sure?"}};
    for (const Case& c : cases) {
        Bench b(c.entries, c.failed);
        EXPECT_EQ(ExitQuestion(c.entries), c.question);
        b.events.ConfirmExit();
        EXPECT_EQ(b.platform.questions, Texts{c.question});
    }
}

TEST(EntryEventsTest, AnsweringNoStopsTheBlinkingAndKeepsEveryIcon) {
    Bench b(3);
    std::size_t mark = 0;
    b.platform.exitAnswer = [&](const ExitAnswered& answer) {
        for (const fake::WindowState& window : b.platform.windows) EXPECT_TRUE(window.timerEnabled);
        EXPECT_EQ(b.platform.trayCalls.size(), mark);  // the blinking starts with the next tick
        b.Window(2).OnTimer();                         // ticks go on while the question is open
        answer(ExitAnswer::kNo);
        for (const auto& w : b.platform.windows) EXPECT_FALSE(w.timerEnabled);  // stopped at once
    };
    for (int round = 1; round <= 2; ++round) {  // the second exit blinks and asks again
        mark = b.platform.trayCalls.size();
        EXPECT_NO_THROW(b.events.ConfirmExit());
        EXPECT_EQ(b.platform.questions.size(), static_cast<std::size_t>(round));
        for (const auto& w : b.platform.windows) EXPECT_FALSE(w.timerEnabled || w.destroyed);
        std::uintptr_t ticked = round == 1 ? FakePlatform::kUpImageHandle : b.Down(2);
        EXPECT_EQ(b.Sent(TrayOperation::kModify, mark), (Shown{{b.Handle(2), ticked},
                                                               {b.Handle(1), b.Down(1)},
                                                               {b.Handle(2), b.Down(2)},
                                                               {b.Handle(3), b.Down(3)}}))
            << round;
    }
    EXPECT_TRUE(b.platform.TrayCalls(TrayOperation::kDelete).empty());
}

TEST(EntryEventsTest, AnsweringYesUnloadsEveryWindowInOrderAndEnds) {
    // Entry 3 failed after its window was created; `closed` was destroyed by the system before.
    for (int closed : {0, 2}) {
        Bench b(4, 3);
        if (closed != 0) b.platform.DestroyWindow(closed - 1);
        b.platform.exitAnswer = [](const ExitAnswered& answer) {
            answer(ExitAnswer::kYes);
            ADD_FAILURE() << "Yes did not end the program at once";
        };
        std::size_t mark = b.platform.trayCalls.size();
        EXPECT_THROW(b.events.ConfirmExit(), fake::ProcessEnded);
        std::vector<std::uintptr_t> expected;
        for (int k = 1; k <= 4; ++k) {
            if (k != closed) expected.push_back(b.Handle(k));
        }
        EXPECT_EQ(b.Deleted(mark), expected) << closed;
        EXPECT_EQ(b.platform.trayCalls.size(), mark + expected.size()) << closed;
        for (const fake::WindowState& window : b.platform.windows) EXPECT_TRUE(window.destroyed);
    }
}

// "Exit Iconlane" and "Help..." chosen while the question is open bring it to the front.
TEST(EntryEventsTest, WhileTheQuestionIsOpenExitAndHelpOnlyBringItForward) {
    for (int item : {kMenuExit, kMenuHelp}) {
        for (ExitAnswer outer : {ExitAnswer::kYes, ExitAnswer::kNo}) {
            Bench b(2);
            // Exit opens the question; `item` is chosen from the other icon while it is open.
            b.platform.menuChoice = [&] { return b.platform.questions.empty() ? kMenuExit : item; };
            b.platform.exitAnswer = [&](const ExitAnswered& answer) {
                std::size_t mark = b.platform.trayCalls.size();
                b.Window(2).OnTrayMessage(kRightButtonDownMessage);
                EXPECT_EQ(b.platform.questions.size(), 2u);
                EXPECT_TRUE(b.platform.helpShown.empty());
                // Started once, and neither started again nor stopped by the nested choice.
                for (const auto& w : b.platform.windows) EXPECT_EQ(w.timerCalls, 1);
                EXPECT_EQ(b.platform.trayCalls.size(), mark);
                answer(outer);
            };
            std::size_t start = b.platform.trayCalls.size();
            bool ended = false;
            try {
                b.Window(1).OnTrayMessage(kRightButtonDownMessage);
            } catch (const fake::ProcessEnded&) {
                ended = true;
            }
            bool yes = outer == ExitAnswer::kYes;
            SCOPED_TRACE(item);
            EXPECT_EQ(ended, yes);
            EXPECT_EQ(b.platform.questions, Texts(2, kTwoIcons));
            const std::vector<std::uintptr_t> both{b.Handle(1), b.Handle(2)};
            EXPECT_EQ(b.Deleted(0), yes ? both : std::vector<std::uintptr_t>{});
            // No stops the blinking and shows the own pictures; Yes unloads at once.
            EXPECT_EQ(b.Sent(TrayOperation::kModify, start).size(), yes ? 0u : 2u);
            for (const auto& w : b.platform.windows) EXPECT_EQ(w.destroyed || w.timerEnabled, yes);
        }
    }
}

// A modal window above an answered question keeps its loop from unwinding; an exit chosen there
// asks afresh, and the old question's unwinding leaves the new one in charge.
TEST(EntryEventsTest, AQuestionAskedBeforeAnAnsweredOneUnwindsIsAFreshOne) {
    Bench b(2);
    int asked = 0;
    b.platform.exitAnswer = [&](const ExitAnswered& answer) {
        if (asked++ > 0) return;  // the second question stays open
        answer(ExitAnswer::kNo);
        b.events.ConfirmExit();
    };
    b.events.ConfirmExit();
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(b.platform.questionOpen);
    for (const auto& w : b.platform.windows) EXPECT_TRUE(w.timerEnabled && !w.destroyed);
}

}  // namespace
}  // namespace iconlane
