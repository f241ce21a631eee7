// Entries in the tray: each entry's window, picture and tray icon, the icon its target is shown
// with, the icon's life in the tray, and what clicks, the menu, blinking and the exit question do.
#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "events/entryevents.h"
#include "fake_platform.h"
#include "started_program.h"
#include "startup/startup.h"
#include "tray/iconsource.h"

namespace iconlane {
namespace {

using namespace fake;

TEST(TrayIconsTest, TheTipIsTheTextAndAZeroCutOrPaddedWithBlanksTo64) {
    const std::string x63(63, 'x');
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Tip", "Tip" + std::string(1, '\0') + std::string(60, ' ')},
        {x63, x63 + '\0'},
        {x63 + "yz", x63 + "y"},
        {x63 + "\xC3\xA9", x63 + '\0'}};  // "é" would be cut apart: left out whole
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
    // clang-format off
    b.platform.files = {{"C:\\Icons\\Star.ICO", {"i"}}, {"D:Moon.ico", {"i"}}, {"Sun.ico", {"i"}},
                        {"C:\\Icons\\bad.ico", {}}};  // bad.ico holds no picture
    // clang-format on
    for (const auto& [field, rewritten, asked, error] : cases) {
        b.platform.icons.clear();
        std::string target = "a.exe", tooltip, icon = field;
        const std::size_t calls = b.platform.trayCalls.size();
        EXPECT_EQ(ErrorOf([&] { b.table.AddEntry(1, target, tooltip, icon); }), error);
        EXPECT_EQ(icon, rewritten);
        EXPECT_EQ(b.platform.icons.empty() ? "" : b.platform.icons[0], asked) << field;
        EXPECT_EQ(b.platform.trayCalls.size(), calls + (error == 0 ? 1 : 0)) << field;
    }
}

TEST(EntryTableTest, ThirtyEntriesAtMostAndAFailedOneKeepsItsNumber) {
    Bench b(1, "", 1);
    for (int i = 2; i <= 30; ++i) ASSERT_EQ(b.Add("a" + std::to_string(i)), 0);
    EXPECT_EQ(b.Add("b.exe"), kSubscriptOutOfRange);
    EXPECT_EQ(std::pair(b.platform.slots.size(), b.table.EntryCount()), std::pair(30ul, 30));
    EXPECT_EQ(Texts(b.platform.seen.begin(), b.platform.seen.begin() + 2), (Texts{"A2", "A3"}));
    EXPECT_EQ(std::pair(b.platform.seen.size(), b.platform.seen.back()),
              std::pair(29ul, std::string("A30")));
    EXPECT_EQ(b.table.EntryTargets(30), "a30");
}

// An icon is deleted once, by whoever unloads its window, and the last one leaves the message loop;
// icons the shell lost are put back as they show, retried every 2 s while it refuses them, and
// one it still has is changed in place; an icon taken at a retry puts the later ones back behind
// it; the phase "Up" in any letter case shows the Up image. The icons the program counts are the
// shell's, and a copy that cannot be saved is told once the pictures are all made.
TEST(EntryTableTest, AnIconsLifeInTheTray) {
    Bench b;
    const std::string copyLost =
        "Iconlane/48: Error 75 (Path/File access error) while saving a copy of an icon in the data "
        "folder 'C:\\Data'.\n\nThe icons are shown, but their copies could not be saved.";
    // clang-format off
    const std::vector<std::pair<std::string, Texts>> steps = {
        {"F u1", {"D1"}}, {"!A A A o", {"A2", "retry2 2000", "A3", "A4", "tray 3 4"}},
        {"p3:Up p3:uP p3:- p3:Down", {"M3^", "M3^", "M3", "M3"}},
        {"!r2 r2 g1 o",
         {"A2", "M2", "retry2 2000", "A2", "retry2 off", "D4", "D3", "A3", "A4", "tray 2 3 4"}},
        {"b3 t3 g3", {"blink3 800", "M3^", "A3^", "M3^", "retry3 off"}},
        {"?A r5 o", {"A5", "retry5 2000", "A5", "M5", "retry5 off", "tray 2 3 4 5"}},
        {"v s", {"M2", "M3^", "M4", "M5", copyLost}},
        {"u2 u2 e", {"D2", "D3", "D4", "D5"}},
        {"u3 u4 u5 u5", {"D3", "D4", "D5", "quit"}}};
    // clang-format on
    for (const auto& [script, seen] : steps) {
        EXPECT_EQ(b.Run(script), seen) << script;  // the pictures of "s" made anew, not reused:
        EXPECT_TRUE(script != "v s" ||
                    b.platform.trayCalls.back().record.hIcon == b.platform.lastIcon);
        const auto& shell = b.platform.inTray;
        EXPECT_EQ(b.table.Tray().IdsInTray(), std::set<std::uint32_t>(shell.begin(), shell.end()))
            << script;
    }
    // After each icon taken, by whatever route.
    EXPECT_EQ(b.platform.versions, (Texts{"3:3", "4:3", "2:3", "3:3", "4:3", "3:3", "5:3"}));
    EXPECT_EQ(Bench(2).platform.versions, (Texts{"1:3", "2:3"}));  // a start's, once all are in
    std::uintptr_t filled = 0;  // the icon of the latest add or change
    for (const TrayCall& call : b.platform.trayCalls) {
        const TrayRecord& r = call.record;
        if (call.operation != TrayOperation::kDelete) filled = r.hIcon;
        EXPECT_EQ(std::tuple(r.cbSize, r.hWnd, r.uFlags, r.uCallbackMessage, r.hIcon),
                  std::tuple(88u, FakePlatform::kTrayWindow, 7u, 512u, filled));
        EXPECT_EQ(call.Tip(), &call == &b.platform.trayCalls[0] ? "" : "T");  // the target as tip
    }
}

// The target's own icon first, then the shell's picture of a folder (else the stock folder icon),
// then the icon its file type is registered with, then a stock icon; whichever is found is shown
// and kept in the entry's cache file, whose saving may fail without costing the icon.
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
        {"C:\\a.txt", 0, none, {stock, "built-in"}},
        {"C:\\Dir", 0, none, {lib + "3"}}, {"C:\\Dir.exe", 0, none, {"icon C:\\l.dll,4"}},
        {"C:\\Dir.txt", 0, txt, {"icon C:\\gone.dll,0", lib + "3"}},
        {"C:\\Dir", 0, none, {lib + "3", "built-in"}}};
    // clang-format on
    EXPECT_EQ(ErrorOf([] { RegistryText(""); }), kInvalidArgument);  // a read without the NUL
    for (const auto& [target, number, values, after] : cases) {
        for (int saveError : {0, 75, -1}) {  // -1: no data folder, so no copy
            SCOPED_TRACE(target + " " + std::to_string(number) + " " + std::to_string(saveError));
            Bench b(0, "", 0, saveError < 0 ? "" : "C:\\Data");
            for (const auto& [key, text] : values) b.platform.registry[key] = text + '\0';
            if (values.contains(".txt") && values.at(".txt").empty())
                b.platform.registry[".txt"] = "";
            const bool builtIn = !after.empty() && after.back() == "built-in";
            b.platform.iconCounts = {
                {"C:\\l.dll", 10}, {"l.dll", 10}, {"ed.exe", 1}, {"own.txt", 3}};
            if (!builtIn) b.platform.iconCounts[FakePlatform::kLibrary] = 300;
            b.platform.saveIconError = saveError;
            // Folders: one with no location of its own, one whose desktop.ini names an icon, one
            // whose icon file is gone.
            for (const char* dir : {"C:\\Dir", "C:\\Dir.exe", "C:\\Dir.txt"})
                b.platform.files[dir] = {"", true};
            b.platform.variables["Lib"] = "C:\\l.dll";
            b.platform.shellIcons = {{"C:\\Dir.exe", {"%Lib%", 4}},
                                     {"C:\\Dir.txt", {"C:\\gone.dll", 0}}};
            EXPECT_EQ(b.Add(target, "", std::to_string(number)), 0);
            Texts icons = {"icon " + target + "," + std::to_string(number)};
            icons.insert(icons.end(), after.begin(), after.end() - (builtIn ? 1 : 0));
            if (!builtIn && saveError == 0) icons.push_back("save C:\\Data\\1.ico");
            EXPECT_EQ(b.platform.icons, icons);
            const std::uintptr_t shown = builtIn ? FakePlatform::kBuiltInIcon : b.platform.lastIcon;
            ASSERT_EQ(b.platform.trayCalls.size(), 1u);  // an unsaved copy costs no icon
            EXPECT_EQ(b.platform.trayCalls[0].record.hIcon, shown);
            EXPECT_EQ(b.platform.seen.size(), !builtIn && saveError > 0 ? 2u : 1u);
            EXPECT_EQ(b.platform.seen[0], "A1");  // a lost copy is told once the icon is in
        }
    }
}

TEST(EntryEventsTest, TheConfiguredClickLaunchesAndTheRightButtonOpensTheMenu) {
    // The options, one letter per message 512..517 (L opens the target, M the menu, '.' nothing),
    // the menu's items enabled (separators count as enabled)
    // clang-format off
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"", "....M.", "1111111"}, {"RIGHTMOUSEMENUDISABLED=TRUE", "......", "1111111"},
        {"CLICKMODE=SINGLE,EXITDISABLED=TRUE", "..L.M.", "1111110"},
        {"CLICKMODE=SINGLE,RIGHTMOUSEMENUDISABLED=TRUE", "..L...", "1111111"},
        {"CLICKMODE=DOUBLE,HELPDISABLED=TRUE,EXITDISABLED=FALSE", "...LM.", "1111011"},
        {"CLICKMODE=DOUBLE,RIGHTMOUSEMENUDISABLED=TRUE", "...L..", "1111111"}};
    // clang-format on
    for (const auto& [ini, outcomes, enabled] : cases) {
        for (int message = 512; message <= 517; ++message) {
            const char outcome = outcomes[message - 512];
            Bench b(2, ini);
            const Texts seen = outcome == 'L' ? Texts{"open a2.exe"} : Texts{"menu2"};
            EXPECT_EQ(b.Run("m2:" + std::to_string(message)), outcome == '.' ? Texts{} : seen)
                << ini << message;
            if (outcome != 'M') continue;
            std::string on;
            for (const MenuEntry& item : b.platform.menus.at(0).items)
                on += item.enabled ? '1' : '0';
            EXPECT_EQ(on, enabled) << ini;
        }
    }
}

// Menu items, blinking and the exit question. The question counts every entry; Yes unloads every
// window in order and ends at once, No stops the blinking at once. While it is open, "Exit
// Iconlane" and "Help..." only bring it to the front; an exit chosen after the answer but before
// the question's loop unwinds asks afresh.
TEST(EntryEventsTest, MenuBlinkingAndTheExitQuestion) {
    const std::string ask = "ask Exiting Iconlane will remove the ",
                      two = ask + "2 icons managed by it - Are you sure?";
    const std::string unreadable =
        "Iconlane/48: Iconlane couldn't load its Help File, "
        "C:\\Apps\\Iconlane.rtf (error 70: Permission denied).";
    const Texts blink = {"blink1 800", "blink2 800"},
                stop = {"blink1 off", "M1", "blink2 off", "M2"};
    auto join = [](std::initializer_list<Texts> parts) {
        Texts all;
        for (const Texts& part : parts) all.insert(all.end(), part.begin(), part.end());
        return all;
    };
    // Entries (a second digit: the entry failing after its window is made), the options file
    // ("guide": the guide cannot be read), the script, what is seen
    // clang-format off
    const std::vector<std::tuple<int, std::string, std::string, Texts>> cases = {
        {2, "", "m2:516 1", {"menu2", "open a2.exe"}}, {2, "", "m2:516 3", {"menu2"}},
        {2, "", "m2:516 5", {"menu2", "help Iconlane v1.0.0: " + std::string(kHelpMissingText)}},
        {2, "guide", "m2:516 5", {"menu2", unreadable}},
        {2, "", "m2:516 -1", {"menu2", "Iconlane/48: Unexpected error #7 (Out of memory)"}},
        {3, "", "t1 t2 t2 t2", {"M1^", "M2^", "M2", "M2^"}},
        {2, "", "m2:516 7 t1 t1 n", join({{"menu2"}, blink, {two, "M1^", "M1"}, stop, {"answered"}})},
        {2, "", "t1 x n . x t1 n", join({{"M1^"}, blink, {two}, stop, {"answered"}, blink, {two, "M1"}, stop, {"answered"}})},
        {21, "", "x t1 t2 y", join({blink, {two, "M2^", "D1", "D2", "quit", "end"}})},
        // An uninstaller's request to end: as Yes, at once, and without asking.
        {2, "", "E", {"D1", "D2", "quit", "end"}},
        {2, "", "x t1 E", join({blink, {two, "M1^", "D1", "D2", "quit", "end"}})},
        {3, "", "u2 x y", {"D2", "blink1 800", "blink3 800", ask + "3 icons managed by it - Are you sure?", "D1", "D3", "quit", "end"}},
        {1, "", "x n", {"blink1 800", "ask Exiting Iconlane will remove this icon - Are you sure?", "blink1 off", "M1", "answered"}},
        {2, "", "m1:516 7 m2:516 7 n", join({{"menu1"}, blink, {two, "menu2", two}, stop, {"answered"}})},
        {2, "", "m1:516 7 m2:516 5 y", join({{"menu1"}, blink, {two, "menu2", two, "D1", "D2", "quit", "end"}})},
        {2, "", "x n x .", join({blink, {two}, stop, {"answered"}, blink, {two}})},
        // Enter and the menu key; the three messages of a right click open one menu.
        {2, "CLICKMODE=SINGLE", "m2:514 m2:1024 m2:1025 w500 m2:1025 w1 m2:1025", {"open a2.exe", "open a2.exe", "open a2.exe"}},
        {2, "", "k2 m2:1025 m1:1025", {"open a2.exe", "open a1.exe"}},
        {2, "", "m2:123 0 m2:123 3 m2:123 1", {"menu2@icon", "F2", "menu2@icon", "F2", "menu2@icon", "open a2.exe"}},
        {2, "", "m2:123 _ m2:123 s", {"menu2@icon busy", "menu2@icon"}},  // neither gives the focus back
        // Ctrl+Shift as it is at the click, the key or the choice runs the target as administrator.
        {2, "CLICKMODE=DOUBLE", "C m2:515 m2:1025 m2:516 1 c m2:515 m2:516 ^1", {"runas a2.exe", "runas a2.exe", "menu2", "open a2.exe", "open a2.exe", "menu2", "runas a2.exe"}},
        {2, "RIGHTMOUSEMENUDISABLED=TRUE", "m2:123 m2:516 m2:517", {}},
        {2, "", "m2:516 0 m2:517 m2:123 w501 m2:123 1", {"menu2", "menu2@icon", "open a2.exe"}}};
    // clang-format on
    for (const auto& [entries, ini, script, seen] : cases) {
        Bench b(entries > 9 ? entries / 10 : entries, ini == "guide" ? "" : ini,
                entries > 9 ? entries % 10 : 0);
        if (ini == "guide") b.platform.files["C:\\Apps\\Iconlane.rtf"] = {"{\\rtf1}"};
        b.platform.readErrors["C:\\Apps\\Iconlane.rtf"] = kPermissionDenied;
        EXPECT_EQ(b.Run(script), seen) << entries << " " << script;
    }
    EXPECT_EQ(ExitQuestion(12),
              "Exiting Iconlane will remove the 12 icons managed by it - Are you sure?");
}

}  // namespace
}  // namespace iconlane
