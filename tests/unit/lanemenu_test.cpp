// The lane menu: its items, the hot key that opens it, and what a choice from it does.
#include "events/lanemenu.h"

#include <gtest/gtest.h>

#include <tuple>

#include "fake_platform.h"
#include "started_program.h"
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
        Texts expected = {"&1 T1 c 102 1 16 ", "&2 R&&D && co F 0 1 32 C:\\Lane\\R&D"};
        for (int n = 3; n <= 11; ++n)  // the eleventh unnumbered
            expected.push_back((n < 11 ? "&" + std::to_string(n % 10) + " " : "") + "T" +
                               std::to_string(n) + " c " + std::to_string(101 + n) + " 1 " +
                               std::to_string(16 * n) + " ");
        expected.push_back(" - 0 1 0 ");
        expected.insert(expected.end(), last.begin(), last.end());
        EXPECT_EQ(shown, expected) << helpDisabled << exitDisabled;
    }
}

// Once the icons are in; never without an option, nor for a start that shows no icon.
TEST(LaneMenuTest, TheHotKeyIsHeldOnceTheIconsAreInAndOneTakenIsReportedOnce) {
    // The options file, entries, what the platform answers, what the start shows
    const std::string chord = "HOTKEY=ctrl+alt+q", held = "hold Ctrl+Alt+Q";
    // clang-format off
    const std::vector<std::tuple<std::string, int, HotKeyHold, Texts>> cases = {
        {"", 1, HotKeyHold::kHeld, {"A1"}}, {chord, 1, HotKeyHold::kHeld, {"A1", held}},
        {chord, 1, HotKeyHold::kHeldByIconlane, {"A1", held}},
        {chord, 1, HotKeyHold::kTaken, {"A1", held, "Iconlane/48: The hot key Ctrl+Alt+Q is "
                                        "used by another program; Iconlane runs without it."}},
        {"HOTKEY=Win+F5", 0, HotKeyHold::kHeld, {}}};
    // clang-format on
    for (const auto& [ini, count, hold, seen] : cases)
        EXPECT_EQ(Bench(count, ini, 0, "C:\\Data", hold).started, seen) << ini << count;
}

// The menu shows the entries with an icon as they are when the chord is pressed. Pressed while
// the menu is open, the chord closes it; while the exit question waits, it comes to the front.
TEST(LaneMenuTest, TheHotKeyOpensTheLaneAsItIsNowAndAChoiceActsAsTheIconsMenuWould) {
    const std::string ask =
        "ask Exiting Iconlane will remove the 3 icons managed by it - Are you sure?";
    // The script (h: the chord pressed; then the item chosen in its menu, >C:\F\x a file of a
    // folder), what is seen
    // clang-format off
    const std::vector<std::pair<std::string, Texts>> cases = {
        {"h 103", {"menu0*", "open a3.exe"}}, {"h 101", {"menu0*", "open a1.exe"}},
        {"h 0", {"menu0*"}}, {"h >C:\\F\\x", {"menu0*", "open C:\\F\\x"}},
        {"h ^103", {"menu0*", "runas a3.exe"}}, {"h ^>C:\\F\\x", {"menu0*", "runas C:\\F\\x"}},
        {"h 1", {"menu0*", "help Iconlane v1.0.0: " + std::string(kHelpMissingText)}},
        {"h 2 n", {"menu0*", "blink1 800", "blink2 800", "blink3 800", ask, "blink1 off", "M1",
                   "blink2 off", "blink3 off", "M3", "answered"}},
        {"h _", {"menu0* busy", "close menus"}}, {"h h 0", {"menu0*", "close menus"}},
        {"h 2 h n", {"menu0*", "blink1 800", "blink2 800", "blink3 800", ask, ask, "blink1 off",
                     "M1", "blink2 off", "blink3 off", "M3", "answered"}}};
    // clang-format on
    for (const auto& [script, seen] : cases)
        EXPECT_EQ(Bench(3, "HOTKEY=Ctrl+Alt+Q", 2).Run(script), seen) << script;
    Bench lane(3, "HOTKEY=Ctrl+Alt+Q", 2);
    lane.Run("h 0");
    std::string entry = "T";
    lane.program.Entries().AddEntry(9, entry, entry, entry);
    lane.Run("h 0");
    const MenuRequest& shown = lane.platform.menus.back();
    EXPECT_TRUE(shown.selectFirst && shown.restoreFocus && shown.place == MenuPlace::kAtMouse);
    Texts captions;
    for (const MenuEntry& item : shown.items) captions.push_back(item.caption);
    EXPECT_EQ(captions, (Texts{"&1 Tip1", "&2 Tip3", "&3 T", "", "Help...", "Exit Iconlane"}));
    EXPECT_EQ(shown.items[1].picture.icon,
              lane.program.Entries().EntryWindows(3)->Picture1Handle());
}

// A folder lane's sub-folder cascades into the folder's menu, read when it opens.
TEST(LaneMenuTest, AFolderEntryCascadesIntoItsFolder) {
    Lane lane("HOTKEY=Ctrl+Alt+Q");
    MenuRequest shown;
    lane.platform.menuChoice = [&](const MenuRequest& r) { return shown = r, MenuChoice{}; };
    lane.platform.hotKeyPressed();
    ASSERT_EQ(shown.items.size(), 6u);
    EXPECT_EQ(Shown(shown.items[0]).substr(0, 10), "&1 a c 101");
    EXPECT_EQ(Shown(shown.items[2]).substr(0, 10), "&3 Games F");
    ASSERT_TRUE(shown.folderItems);
    EXPECT_EQ(shown.folderItems(shown.items[2].path).front().caption, "Tools");
    // Named by its own desktop.ini, in the lane's menu and in the shell's menu named after it.
    lane.platform.iniSections["C:\\L\\Games\\desktop.ini|.ShellClassInfo"] = {
        "LocalizedResourceName=@g,-1"};
    lane.platform.strings["g,1"] = "Spiele";
    ASSERT_TRUE(lane.platform.settled());
    lane.platform.hotKeyPressed();
    EXPECT_EQ(Shown(shown.items[2]).substr(0, 11), "&3 Spiele F");
    lane.Message(3, 516);
    EXPECT_EQ(lane.platform.menus.back().items.back().caption, "Spiele");
}

}  // namespace
}  // namespace iconlane
