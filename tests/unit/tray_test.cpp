// Entries in the tray: each entry's window, picture and tray icon, the icon its target is shown
// with, the icon's life in the tray, and what clicks, the menu, blinking and the exit question do.
#include <gtest/gtest.h>

#include <tuple>

#include "entrywindow/entryevents.h"
#include "fake_platform.h"
#include "startup/startup.h"

namespace iconlane {
namespace {

using namespace fake;
const std::string kAskTwo =
    "ask Exiting Iconlane will remove the 2 icons managed by it - Are you sure?";

// The program started on a batch file of entries "a<k>.exe", tooltip "Tip<k>", and the options
// file `ini`; entry `failed` fails after its window is made.
struct Bench {
    explicit Bench(int count = 0, const std::string& ini = "", int failed = 0) {
        std::string batch;
        for (int k = 1; k <= count; ++k) {
            batch += "a" + std::to_string(k) + ".exe,Tip" + std::to_string(k);
            batch += k == failed ? ",1e10\n" : "\n";
        }
        platform.files = {{"list.txt", {batch}}, {"C:\\Apps\\Iconlane.ini", {ini}}};
        platform.variables["TEMP"] = "C:\\Data";
        platform.commandLine = "/BATCH:list.txt";
        program.Main();
    }
    int Add(std::string target, std::string tooltip = "", std::string iconField = "") {
        return ErrorOf([&] { program.Entries().AddEntry(target, tooltip, iconField); });
    }
    // What the user sees while `action` runs.
    Texts Seen(const std::function<void()>& action) {
        platform.seen.clear();
        ErrorOf(action);
        return platform.seen;
    }
    TraySlotEvents& Window(int entry) { return platform.slots.at(entry - 1)->events; }

    FakePlatform platform;
    Iconlane program{platform.services};
    EntryTable& table = program.Entries();
};

TEST(TrayIconsTest, TheTipIsTheTextAndAZeroCutOrPaddedWithBlanksTo64) {
    const std::string x63(63, 'x');
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Tip", "Tip" + std::string(1, '\0') + std::string(60, ' ')},
        {x63, x63 + '\0'},
        {x63 + "yz", x63 + "y"}};
    for (const auto& [text, tip] : cases) {
        const auto formed = FormTip(text);
        EXPECT_EQ(std::string(formed.begin(), formed.end()), tip);
    }
}

TEST(EntryTableTest, IconFieldNamesAnIconFileOrANumber) {
    // The field, as the entry rewrites it, the icon asked for, the error
    // clang-format off
    const std::vector<std::tuple<std::string, std::string, std::string, int>> cases = {
        {"C:\\Icons\\star.ico", "star.ico", "load C:\\Icons\\star.ico", 0},
        {"C:/Icons/S*.Ico", "star.ico", "load C:/Icons/star.ico", 0},
        {"d:MOON.ICO", "moon.ico", "load d:moon.ico", 0}, {"Sun.ico", "sun.ico", "load sun.ico", 0},
        {"C:\\Icons\\gone.ico", "", "icon a.exe,0", 0},
        {"C:\\Icons\\bad.ico", "bad.ico", "load C:\\Icons\\bad.ico", kInvalidPicture},
        {"7", "7", "icon a.exe,7", 0}, {"1e10", "1e10", "", kOverflow},
        {"C:\\Icons\\a<b.ico", "C:\\Icons\\a<b.ico", "", kBadFileName}};
    // clang-format on
    Bench b;
    b.platform.files = {{"C:\\Icons\\Star.ICO", {"i"}},
                        {"D:Moon.ico", {"i"}},
                        {"Sun.ico", {"i"}},
                        {"C:\\Icons\\bad.ico", {}}};  // bad.ico holds no picture
    for (const auto& [field, rewritten, asked, error] : cases) {
        b.platform.icons.clear();
        std::string target = "a.exe", tooltip, icon = field;
        const std::size_t calls = b.platform.trayCalls.size();
        EXPECT_EQ(ErrorOf([&] { b.table.AddEntry(target, tooltip, icon); }), error);
        EXPECT_EQ(icon, rewritten);
        EXPECT_EQ(b.platform.icons.empty() ? "" : b.platform.icons[0], asked) << field;
        EXPECT_EQ(b.platform.trayCalls.size(), calls + (error == 0 ? 1 : 0)) << field;
    }
}

TEST(EntryTableTest, ThirtyEntriesAtMostAndAFailedOneKeepsItsNumber) {
    Bench b(1, "", 1);
    for (int i = 2; i <= 30; ++i) ASSERT_EQ(b.Add("a" + std::to_string(i)), 0);
    EXPECT_EQ(b.Add("b.exe"), kSubscriptOutOfRange);
    EXPECT_EQ(b.platform.slots.size(), 30u);
    const std::string calls = b.platform.Calls();
    EXPECT_EQ(calls.substr(0, 4) + calls.substr(calls.size() - 6), "A2A3A29A30");
    EXPECT_EQ(b.table.EntryTargets(30), "a30");
}

// An icon is deleted once, by whoever unloads its window, and the last one leaves the message loop;
// icons the shell lost are put back as they show; the phase "Up" shows the Up image.
TEST(EntryTableTest, AnIconsLifeInTheTray) {
    // Actions: add, fail (an entry failing after its window is made), again (the shell lost it),
    // unload, lost (the window system unloads it), end (the program), phase; "!" where the shell
    // refuses the icon. Then the tray calls ("^": the Up image), the retry timer, loops left.
    // clang-format off
    const std::vector<std::tuple<std::string, int, std::string, unsigned, int>> steps = {
        {"fail", 1, "", 0, 0}, {"unload", 1, "D1", 0, 0}, {"add!", 2, "A2", 2000, 0},
        {"add", 3, "A3", 0, 0}, {"add", 4, "A4", 0, 0}, {"phase Up", 3, "M3^", 0, 0},
        {"phase uP", 3, "M3^", 0, 0}, {"phase Up ", 3, "M3", 0, 0}, {"phase Down", 3, "M3", 0, 0},
        {"again!", 2, "D2A2", 2000, 0}, {"again", 2, "D2A2", 0, 0}, {"again", 1, "", 0, 0},
        {"lost", 2, "D2", 0, 0}, {"unload", 2, "", 0, 0}, {"end", 4, "D3D4", 0, 0},
        {"unload", 3, "D3", 0, 0}, {"lost", 4, "D4", 0, 1}, {"lost", 4, "", 0, 1}};
    // clang-format on
    Bench b;
    std::uintptr_t filled = 0;  // the icon of the latest add or change
    for (const auto& [action, entry, calls, retry, quits] : steps) {
        const std::size_t from = b.platform.trayCalls.size();
        b.platform.refusedAdds = action.ends_with("!") ? 1 : 0;
        if (action.starts_with("add") || action == "fail")
            b.Add("T", "", action == "fail" ? "1e10" : "");
        if (action.starts_with("again")) b.table.AddIconAgain(entry);
        if (action == "unload") b.table.EntryWindows(entry)->Unload();
        if (action == "lost") b.platform.slots[entry - 1]->Unload();
        if (action == "end") b.table.RemoveAllTrayIcons();
        if (action.starts_with("phase ")) b.table.SetEntryIcon(entry, action.substr(6));
        EXPECT_EQ(std::tuple(b.platform.Calls(from), b.platform.slots[entry - 1]->retryTimer,
                             std::count(b.platform.seen.begin(), b.platform.seen.end(), "quit")),
                  std::tuple(calls, retry, quits))
            << action << entry;
        for (std::size_t i = from; i < b.platform.trayCalls.size(); ++i) {
            const TrayRecord& r = b.platform.trayCalls[i].record;
            if (b.platform.trayCalls[i].operation != TrayOperation::kDelete) filled = r.hIcon;
            EXPECT_EQ(std::tuple(r.cbSize, r.hWnd, r.uFlags, r.uCallbackMessage, r.hIcon),
                      std::tuple(88u, FakePlatform::kTrayWindow, 7u, 512u, filled));
            EXPECT_EQ(b.platform.trayCalls[i].Tip(), i == 0 ? "" : "T");  // no tooltip: the target
        }
    }
}

// The target's own icon first, then the icon its file type is registered with, then a stock
// icon; whichever is found is shown and kept in the entry's cache file, whose saving may fail.
TEST(IconResolutionTest, TargetIconThenFileTypeIconThenStockIcon) {
    using Values = std::map<std::string, std::string>;
    const std::string icon = "txtfile\\DefaultIcon", open = "txtfile\\shell\\open\\command";
    const std::string lib = "icon C:\\Windows\\system32\\SHELL32.DLL,", stock = lib + "0";
    const Values txt = {{".txt", "txtfile"}, {open, "ed.exe %1"}}, none = {};
    auto with = [&](const std::string& subkey, const std::string& text) {
        Values values = txt;
        return values[subkey] = text, values;
    };
    auto type = [](std::string extension, std::string name, std::string text) {
        return Values{{extension, name}, {name + "\\DefaultIcon", text}};
    };
    // The target, its icon number, the registry, the icons asked for after the target's own
    // ("built-in" when none is found)
    // clang-format off
    const std::vector<std::tuple<std::string, int, Values, Texts>> cases = {
        {"C:\\App.EXE", 0, type(".exe", "x", "l.dll,1"), {lib + "2"}}, {"own.txt", 2, txt, {}},
        {"a.xyz", 0, txt, {stock}}, {"a.txt", 3, txt, {"icon ed.exe,0"}},
        {"a.txt", 0, with(icon, " C:\\l.dll , 3.5 "), {"icon C:\\l.dll,4"}},
        {"a.txt", 0, with(icon, "l.dll,2.5"), {"icon l.dll,2"}},
        {"a.txt", 0, with(icon, "C:\\a,b.dll,+0.5"), {"icon C:\\a,b.dll,0", stock}},
        {"a.txt", 0, with(icon, "l.dll,2147483648"), {stock}},
        {"a.txt", 0, with(icon, "l.dll,4x"), {stock}},
        {"a.txt", 0, with(icon, "l.dll"), {"icon ed.exe,0"}},
        {"a.txt", 0, with(open, "l.dll,1"), {"icon l.dll,1"}},
        {"a.txt", 0, with(open, "\"C:\\x y\\a.exe\" %1"), {"icon \"C:\\x,0", stock}},
        {"a.txt", 0, with(open, "rundll32.exe lib,EntryPoint %1"), {stock}},
        {"a.txt", 0, {{".txt", "txtfile"}}, {stock}},
        {"a.txt", 0, type(".txt", std::string(259, 't'), "l.dll,9"), {"icon l.dll,9"}},
        {"a.txt", 0, with(".txt", ""), {stock}},  // a value that reads as no bytes at all
        {"HtTP://s/a.php", 0, type(".htm", "t", "l.dll,6"), {"icon l.dll,6"}},
        {"xhttp://s/a.PHP", 0, type(".php", "t", "l.dll,8"), {"icon l.dll,8"}},
        {"C:\\my.dir\\file", 0, type(".dir\\file", "t", "l.dll,3"), {"icon l.dll,3"}},
        {"C:\\Windows", 0, type("c:\\windows", "t", "l.dll,2"), {"icon l.dll,2"}},
        {"C:\\a.exe", 0, none, {lib + "2", stock, "built-in"}},
        {"C:\\a.txt", 0, none, {stock, "built-in"}}};
    // clang-format on
    for (const auto& [target, number, values, after] : cases) {
        for (int saveError : {0, 75}) {
            SCOPED_TRACE(target + " " + std::to_string(number) + " " + std::to_string(saveError));
            Bench b;
            for (const auto& [key, text] : values) b.platform.registry[key] = text + '\0';
            if (values.contains(".txt") && values.at(".txt").empty())
                b.platform.registry[".txt"] = "";
            const bool builtIn = !after.empty() && after.back() == "built-in";
            b.platform.iconCounts = {
                {"C:\\l.dll", 10}, {"l.dll", 10}, {"ed.exe", 1}, {"own.txt", 3}};
            if (!builtIn) b.platform.iconCounts[FakePlatform::kLibrary] = 300;
            b.platform.saveIconError = saveError;
            EXPECT_EQ(b.Add(target, "", std::to_string(number)), builtIn ? 0 : saveError);
            Texts icons = {"icon " + target + "," + std::to_string(number)};
            icons.insert(icons.end(), after.begin(), after.end() - (builtIn ? 1 : 0));
            if (!builtIn && saveError == 0) icons.push_back("save C:\\Data\\1.ico");
            EXPECT_EQ(b.platform.icons, icons);
            const std::uintptr_t shown = builtIn ? FakePlatform::kBuiltInIcon : b.platform.lastIcon;
            EXPECT_EQ(b.platform.trayCalls.size(), builtIn || !saveError ? 1u : 0u);
            EXPECT_EQ(b.platform.trayCalls.empty() ? shown : b.platform.trayCalls[0].record.hIcon,
                      shown);
        }
    }
}

TEST(EntryEventsTest, TheConfiguredClickLaunchesAndTheRightButtonOpensTheMenu) {
    // One letter per message 512..517: L opens the target, M the menu, '.' does nothing.
    // clang-format off
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "....M."}, {"RIGHTMOUSEMENUDISABLED=TRUE", "......"}, {"CLICKMODE=SINGLE", "..L.M."},
        {"CLICKMODE=SINGLE,RIGHTMOUSEMENUDISABLED=TRUE", "..L..."}, {"CLICKMODE=DOUBLE", "...LM."},
        {"CLICKMODE=DOUBLE,RIGHTMOUSEMENUDISABLED=TRUE", "...L.."}};
    // clang-format on
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
    const std::string unreadable =
        "Iconlane/48: Iconlane couldn't load its Help File, "
        "C:\\Apps\\Iconlane.rtf (error 70: Permission denied).";
    // The options, the item chosen (-1: choosing fails), what the user sees, the items enabled
    // clang-format off
    const std::vector<std::tuple<std::string, int, Texts, std::string>> cases = {
        {"", kMenuLaunch, {"menu 2", "open a2.exe"}, "1111111"},
        {"", kMenuCancel, {"menu 2"}, "1111111"}, {"", 0, {"menu 2"}, "1111111"},
        {"", kMenuHelp, {"menu 2", missing}, "1111111"},
        {"", kMenuExit, {"menu 2", kAskTwo}, "1111111"},
        {"EXITDISABLED=TRUE", 0, {"menu 2"}, "1111110"},
        {"HELPDISABLED=TRUE,EXITDISABLED=FALSE", 0, {"menu 2"}, "1111011"},
        {"guide", kMenuHelp, {"menu 2", unreadable}, "1111111"},
        {"", -1, {"menu 2", "Iconlane/48: Unexpected error #7 (Out of memory)"}, "1111111"}};
    // clang-format on
    for (const auto& [ini, item, seen, enabled] : cases) {
        Bench b(2, ini);
        if (ini == "guide") b.platform.files["C:\\Apps\\Iconlane.rtf"] = {"{\\rtf1}"};
        b.platform.readErrors["C:\\Apps\\Iconlane.rtf"] = kPermissionDenied;
        b.platform.menuChoice = [&] { return item < 0 ? (Fail(kBadAlloc), 0) : item; };
        EXPECT_EQ(b.Seen([&] { b.Window(2).OnTrayMessage(kRightButtonDownMessage); }), seen);
        std::string on;
        for (bool item : b.platform.slots[1]->menuEnabled) on += item ? '1' : '0';
        EXPECT_EQ(on, enabled) << ini;
        EXPECT_EQ(b.platform.Calls(2).find('D'), std::string::npos);
    }
    EXPECT_EQ(Bench(1).platform.slots[0]->menu,
              (Texts{"Launch!", "-", "Cancel Menu", "-", "Help...", "-", "Exit Iconlane"}));
}

TEST(EntryEventsTest, TicksAlternateTheIconsAndStartingOrStoppingKeepsThePhase) {
    Bench b(3);
    for (int entry : {1, 2, 2, 2}) b.Window(entry).OnTimer();
    EXPECT_EQ(b.platform.Calls(3), "M1^M2^M2M2^");
    EXPECT_EQ(b.platform.trayCalls.back().Tip(), "Tip2");
    const std::size_t started = b.platform.trayCalls.size();
    StartAllBlinking(b.table);
    for (const Slot* slot : b.platform.slots) EXPECT_EQ(slot->timer, 800u);
    StopAllBlinking(b.table);
    for (const Slot* slot : b.platform.slots) EXPECT_EQ(slot->timer, 0u);
    EXPECT_EQ(b.platform.Calls(started), "M1M2M3");  // nothing changed before the next tick
    EXPECT_EQ(b.platform.trayCalls[started].record.hIcon, b.platform.trayCalls[0].record.hIcon);
    StartAllBlinking(b.table);  // entry 1 stopped in its Up phase
    b.Window(1).OnTimer();
    b.Window(1).OnTimer();
    EXPECT_EQ(b.platform.Calls(started + 3), "M1M1^");
}

// The question counts every entry. Yes unloads every window in order and ends at once; No stops
// the blinking at once and shows every icon's own picture again.
TEST(EntryEventsTest, TheExitQuestionBlinksAsksAndIsAnsweredAtOnce) {
    const std::string ask = "ask Exiting Iconlane will remove ";
    // Entries, the one failed, the one unloaded before, the answer, the question, the tray calls
    // from the tick during the question on
    // clang-format off
    const std::vector<std::tuple<int, int, int, ExitAnswer, std::string, std::string>> cases = {
        {1, 0, 0, ExitAnswer::kNo, "this icon", "M1^M1"},
        {2, 1, 0, ExitAnswer::kYes, "the 2 icons", "D1D2"},  // the failed entry does not blink
        {2, 0, 0, ExitAnswer::kNo, "the 2 icons", "M1^M1M2"},
        {3, 0, 2, ExitAnswer::kYes, "the 3 icons", "M1^D1D3"},
        {12, 5, 0, ExitAnswer::kNo, "the 12 icons", "M1^M1M2M3M4M5M6M7M8M9M10M11M12"}};
    // clang-format on
    for (const auto& [entries, failed, closed, answer, icons, calls] : cases) {
        Bench b(entries, "", failed);
        if (closed != 0) b.platform.slots[closed - 1]->Unload();
        const std::size_t mark = b.platform.trayCalls.size();
        b.platform.exitAnswer = [&](const ExitAnswered& answered) {
            for (const Slot* slot : b.platform.slots)
                EXPECT_EQ(slot->timer, slot->unloaded ? 0 : 800u);
            b.Window(1).OnTimer();  // ticks go on while the question is open
            answered(answer);
            if (answer == ExitAnswer::kYes) ADD_FAILURE() << "Yes did not end at once";
            for (const Slot* slot : b.platform.slots) EXPECT_EQ(slot->timer, 0u);
        };
        const std::string question =
            ask + icons + (entries > 1 ? " managed by it" : "") + " - Are you sure?";
        Texts seen = {question, "quit", "end"};
        if (answer == ExitAnswer::kNo) seen.resize(1);
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
                for (const Slot* slot : b.platform.slots) EXPECT_EQ(slot->timerCalls, 1);
                answered(answer);
            };
            const bool yes = answer == ExitAnswer::kYes;
            Texts seen = {"menu 1", kAskTwo, "menu 2", kAskTwo, "quit", "end"};
            seen.resize(yes ? 6 : 4);
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
    for (const Slot* slot : b.platform.slots) EXPECT_EQ(slot->timer, 800u);
}

}  // namespace
}  // namespace iconlane
