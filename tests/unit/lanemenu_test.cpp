// The lane menu: its items, the hot key that opens it, and what a choice from it does.
#include "menus/lanemenu.h"

#include <gtest/gtest.h>

#include <tuple>

#include "fake_platform.h"
#include "startup/startup.h"

namespace iconlane {
namespace {

using namespace fake;
using Kind = MenuEntry::Kind;

// An item as "caption kind command enabled icon path" (kinds: c command, - separator, F folder).
std::string Shown(const MenuEntry& item) {
    return item.caption + " " + "c-.F.."[static_cast<int>(item.kind)] + " " +
           std::to_string(item.command) + " " + (item.enabled ? "1" : "0") + " " +
           std::to_string(item.picture.icon) + " " + item.path;
}

TEST(LaneMenuTest, TheEntriesInOrderTheFirstTenNumberedThenHelpAndExitGreyedAsTheOptionsSay) {
    std::vector<LaneItem> lane;
    for (int n = 1; n <= 11; ++n) lane.push_back({n + 1, "T" + std::to_string(n), 0x10u * n, "t"});
    lane[1] = {3, "R&D & co", 0x20, "C:\\Lane\\R&D", true};
    // The options file's flags, how the last items show
    const std::vector<std::tuple<bool, bool, Texts>> cases = {
        {false, false, {"Help... c 1 1 0 ", "Exit Iconlane c 2 1 0 "}},
        {true, false, {"Help... c 1 0 0 ", "Exit Iconlane c 2 1 0 "}},
        {false, true, {"Help... c 1 1 0 ", "Exit Iconlane c 2 0 0 "}}};
    for (const auto& [helpDisabled, exitDisabled, last] : cases) {
        Options options;
        options.HelpDisabled = helpDisabled, options.ExitDisabled = exitDisabled;
        Texts shown;
        for (const MenuEntry& item : LaneMenuItems(lane, options)) shown.push_back(Shown(item));
        const Texts keys = {"&1 ", "&2 ", "&3 ", "&4 ", "&5 ", "&6 ",
                            "&7 ", "&8 ", "&9 ", "&0 ", ""};
        Texts expected = {"&1 T1 c 102 1 16 ", "&2 R&&D && co F 0 1 32 C:\\Lane\\R&D"};
        for (int n = 3; n <= 11; ++n)
            expected.push_back(keys[n - 1] + "T" + std::to_string(n) + " c " +
                               std::to_string(101 + n) + " 1 " + std::to_string(16 * n) + " ");
        expected.push_back(" - 0 1 0 ");
        expected.insert(expected.end(), last.begin(), last.end());
        EXPECT_EQ(shown, expected) << helpDisabled << exitDisabled;
    }
}

// Started on a batch file of "a<k>.exe,Tip<k>" lines whose second fails, with the options `ini`.
struct Lane {
    explicit Lane(const std::string& ini, int count = 3, HotKeyHold hold = HotKeyHold::kHeld) {
        std::string batch;
        for (int k = 1; k <= count; ++k)
            batch += "a" + std::to_string(k) + ".exe,Tip" + std::to_string(k) +
                     (k == 2 ? ",1e10\n" : "\n");
        platform.files = {
            {"list.txt", {batch}},
            {"C:\\Apps\\Iconlane.ini", {ini}},
            {"C:\\Data\\iconids.txt", {"1\tline:a1.exe\n2\tline:a2.exe\n3\tline:a3.exe"}}};
        platform.variables["TEMP"] = "C:\\Data";
        platform.commandLine = "/BATCH:list.txt";
        platform.hotKeyHold = hold;
        ErrorOf([&] { program.Run(); });
    }
    FakePlatform platform;
    Iconlane program{platform.services};
};

// Once the icons are in; never without an option, nor for a start that shows no icon.
TEST(LaneMenuTest, TheHotKeyIsHeldOnceTheIconsAreInAndOneTakenIsReportedOnce) {
    const std::string bad = "Iconlane/48: Error";
    // The options file, entries, what the platform answers, what is seen after the icons' adds
    const std::vector<std::tuple<std::string, int, HotKeyHold, Texts>> cases = {
        {"", 1, HotKeyHold::kHeld, {"loop"}},
        {"HOTKEY=ctrl+alt+q", 1, HotKeyHold::kHeld, {"hold Ctrl+Alt+Q", "loop"}},
        {"HOTKEY=ctrl+alt+q", 1, HotKeyHold::kHeldByIconlane, {"hold Ctrl+Alt+Q", "loop"}},
        {"HOTKEY=ctrl+alt+q",
         1,
         HotKeyHold::kTaken,
         {"hold Ctrl+Alt+Q",
          "Iconlane/48: The hot key Ctrl+Alt+Q is used by another program; Iconlane runs "
          "without it.",
          "loop"}},
        {"HOTKEY=Win+F5", 0, HotKeyHold::kHeld, {}}};
    for (const auto& [ini, count, hold, seen] : cases) {
        Lane lane(ini, count, hold);
        Texts after = lane.platform.seen;
        std::erase_if(after, [](const std::string& s) { return s == "A1"; });
        EXPECT_EQ(after, seen) << ini << count;
    }
}

// The menu shows the entries with an icon as they are when the chord is pressed. Pressed while
// the menu is open, the chord closes it; while the exit question waits, it comes to the front.
TEST(LaneMenuTest, TheHotKeyOpensTheLaneAsItIsNowAndAChoiceActsAsTheIconsMenuWould) {
    const std::string ask =
        "ask Exiting Iconlane will remove the 3 icons managed by it - Are you sure?";
    // The choice (a command; "x.txt" a file of a folder; "^": with Ctrl+Shift; "shut": none shown;
    // "again": the chord
    // pressed while the menu is open; "2?": Exit, and the chord pressed while the question waits),
    // what is seen
    // clang-format off
    const std::vector<std::pair<std::string, Texts>> cases = {
        {"103", {"menu0*", "open a3.exe"}}, {"101", {"menu0*", "open a1.exe"}},
        {"0", {"menu0*"}}, {"C:\\F\\x.txt", {"menu0*", "open C:\\F\\x.txt"}},
        {"^103", {"menu0*", "runas a3.exe"}}, {"^C:\\F\\x.txt", {"menu0*", "runas C:\\F\\x.txt"}},
        {"1", {"menu0*", "help Iconlane v1.0.0: " + std::string(kHelpMissingText)}},
        {"2", {"menu0*", "blink1 800", "blink2 800", "blink3 800", ask, "blink1 off", "M1",
               "blink2 off", "blink3 off", "M3"}},
        {"shut", {"menu0* busy", "close menus"}}, {"again", {"menu0*", "close menus"}},
        {"2?", {"menu0*", "blink1 800", "blink2 800", "blink3 800", ask, ask, "blink1 off",
                 "M1", "blink2 off", "blink3 off", "M3"}}};
    // clang-format on
    for (const auto& [choice, seen] : cases) {
        Lane lane("HOTKEY=Ctrl+Alt+Q");
        MenuRequest shown;
        lane.platform.menuChoice = [&, choice = choice](const MenuRequest& request) {
            shown = request;
            if (choice == "again") lane.platform.hotKeyPressed();
            MenuChoice made;
            made.shown = choice != "shut";
            std::string chosen = choice;
            if (chosen.starts_with('^')) made.keys = {true, true}, chosen.erase(0, 1);
            made.command = std::atoi(chosen.c_str());
            if (chosen.find('.') != std::string::npos) made.path = chosen;
            return made;
        };
        lane.platform.exitAnswer = [&, choice = choice](const ExitAnswered& answer) {
            if (choice == "2?") lane.platform.hotKeyPressed();
            answer(ExitAnswer::kNo);
        };
        lane.platform.seen.clear();
        lane.platform.hotKeyPressed();
        EXPECT_EQ(lane.platform.seen, seen) << choice;
        if (choice != "103") continue;
        EXPECT_TRUE(shown.selectFirst && shown.restoreFocus && shown.place == MenuPlace::kAtMouse);
        std::string entry = "T";
        lane.program.Entries().AddEntry(9, entry, entry, entry);
        lane.platform.hotKeyPressed();
        Texts captions;
        for (const MenuEntry& item : shown.items) captions.push_back(item.caption);
        EXPECT_EQ(captions, (Texts{"&1 Tip1", "&2 Tip3", "&3 T", "", "Help...", "Exit Iconlane"}));
        EXPECT_EQ(shown.items[1].picture.icon,
                  lane.program.Entries().EntryWindows(3)->Picture1Handle());
    }
}

// A folder lane's sub-folder cascades into the folder's menu, read when it opens.
TEST(LaneMenuTest, AFolderEntryCascadesIntoItsFolder) {
    FakePlatform platform;
    platform.files = {{"C:\\L", {"", true}},
                      {"C:\\L\\a.exe", {"x"}},
                      {"C:\\L\\Games", {"", true}},
                      {"C:\\L\\Games\\chess.lnk", {"x"}},
                      {"C:\\Apps\\Iconlane.ini", {"HOTKEY=Ctrl+Alt+Q"}}};
    platform.variables["TEMP"] = "C:\\Data";
    platform.commandLine = "/FOLDER:C:\\L";
    Iconlane program{platform.services};
    ErrorOf([&] { program.Run(); });
    MenuRequest shown;
    platform.menuChoice = [&](const MenuRequest& request) { return shown = request, MenuChoice{}; };
    platform.hotKeyPressed();
    ASSERT_EQ(shown.items.size(), 5u);
    EXPECT_EQ(Shown(shown.items[0]).substr(0, 10), "&1 a c 101");
    EXPECT_EQ(Shown(shown.items[1]).substr(0, 10), "&2 Games F");
    ASSERT_TRUE(shown.folderItems);
    EXPECT_EQ(shown.folderItems(shown.items[1].path).front().caption, "chess");
}

}  // namespace
}  // namespace iconlane
