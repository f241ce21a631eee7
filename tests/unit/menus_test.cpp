// Menus: a folder's menu, the entry's right-button menu with the shell's menu of its target, the
// verb a click or choice runs, and what clicks, keys and choices on a folder entry do.
#include <gtest/gtest.h>

#include <tuple>

#include "fake_platform.h"
#include "menus/entrymenu.h"
#include "menus/foldermenu.h"
#include "started_program.h"
#include "startup/startup.h"

namespace iconlane {
namespace {

using namespace fake;

// A listing written as names: "/" after a folder's, "!" after a hidden or system one's.
std::vector<FolderItem> Listing(const Texts& names) {
    std::vector<FolderItem> items;
    for (std::string name : names) {
        const bool hidden = name.ends_with('!');
        if (hidden) name.pop_back();
        const bool folder = name.ends_with('/');
        if (folder) name.pop_back();
        items.push_back({name, folder, hidden});
    }
    return items;
}

TEST(FolderMenuTest, SubFoldersThenFilesByNameThenOpenFolder) {
    FakePlatform sources;
    // The listing (none: the folder cannot be read), at most this many items, the menu
    // clang-format off
    const std::vector<std::tuple<std::optional<Texts>, std::size_t, std::string>> cases = {
        {Texts{"b.txt", "Games/", "a&b.lnk", "Z.URL", "old.PIF", "x.lnk/", "desktop.ini!", "Hid/!",
               "apps/", ".lnk", "c.lnk.txt"},
         kMaxFolderMenuItems, "apps>|Games>|x.lnk>|.lnk|a&&b|b.txt|c.lnk.txt|old|Z|-|Open folder"},
        {Texts{"a.txt", "A.txt", "B/", "b/"}, kMaxFolderMenuItems, "B>|b>|A.txt|a.txt|-|Open folder"},
        {Texts{}, kMaxFolderMenuItems, "(empty)~|-|Open folder"},
        {Texts{"h.txt!", "H/!"}, kMaxFolderMenuItems, "(empty)~|-|Open folder"},
        {std::nullopt, kMaxFolderMenuItems, "(empty)~|-|Open folder"},
        {Texts{"c", "b", "Y/", "X/", "a"}, 3, "X>|Y>|a|(2 more not shown)~|-|Open folder"},
        {Texts{"m.txt", "n.lnk", "Music/", "Box/", "Ab.url", "A.lnk"}, kMaxFolderMenuItems,
         "Ambient>|Box>|A|A && B|Ab|n|-|Open folder"}};  // by the names shown
    // clang-format on
    sources.iniSections = {
        {"C:\\L\\desktop.ini|LocalizedFileNames", {"M.TXT=A & B", "n.lnk=@x,-1"}},
        {"C:\\L\\Music\\desktop.ini|.ShellClassInfo", {"LocalizedResourceName=@x,-2"}}};
    sources.strings["x,2"] = "Ambient";
    for (const auto& [names, most, menu] : cases) {
        std::optional<std::vector<FolderItem>> listing;
        if (names) listing = Listing(*names);
        EXPECT_EQ(Rendered(FolderMenuItems("C:\\L", listing, sources, most)), menu) << menu;
    }
    // Each item opens, and shows the picture of, its own path, stamped with the listing's size
    // and time (no file is read again for it); "Open folder" the folder's, without a stamp.
    for (const std::string folder : {"C:\\L", "C:\\L\\"}) {
        std::string paths;
        std::vector<FolderItem> listing = Listing({"a.lnk", "G/", "h!"});
        listing[0].size = 7, listing[0].writeTime = 9, listing[1].writeTime = 5;
        for (const MenuEntry& item : FolderMenuItems(folder, listing, sources)) {
            EXPECT_EQ(item.picture.path, item.path);
            paths += item.path;
            if (const auto& s = item.picture.stamp)
                paths += "@" + std::to_string(s->size) + "," + std::to_string(s->writeTime);
            paths += "|";
        }
        EXPECT_EQ(paths, "C:\\L\\G@0,5|C:\\L\\a.lnk@7,9||C:\\L" + folder.substr(4) + "|") << folder;
    }
    // A folder of 100,000 files: the first thousand, and a count of the others.
    std::vector<FolderItem> huge;
    for (int n = 100000; n > 0; --n) huge.push_back({"f" + std::to_string(n) + ".txt"});
    const std::vector<MenuEntry> items = FolderMenuItems("C:\\L", huge, sources);
    ASSERT_EQ(items.size(), kMaxFolderMenuItems + 3);
    EXPECT_EQ(items[0].caption + "|" + items[kMaxFolderMenuItems].caption,
              "f1.txt|(99000 more not shown)");
}

TEST(FolderEntryTest, ASubFolderIsAnEntryWhoseClickAndEnterOpenItsMenu) {
    const HeldKeys none, both{true, true};
    MenuChoice busy, shell = Chosen();
    shell.shellItem = true;
    const std::string chess = "C:\\L\\Games\\chess.lnk";
    const std::string games = "Tools>|chess|-|Open folder";
    const std::string own = "Launch!|-|Cancel Menu|-|Help...|-|Exit Iconlane";
    // The options, entry, message, keys at it, the choice, what is seen, the menu shown
    // clang-format off
    const std::vector<std::tuple<std::string, int, int, HeldKeys, std::optional<MenuChoice>, Texts, std::string>> cases = {
        {"", 3, 514, none, {}, {"menu3@icon"}, games},  // a single click where none is set
        {"", 3, 514, both, {}, {"menu3@icon"}, games},
        {"", 3, 513, none, {}, {}, ""}, {"", 1, 514, none, {}, {}, ""},
        {"CLICKMODE=DOUBLE", 3, 514, none, {}, {}, ""},
        {"CLICKMODE=DOUBLE,RIGHTMOUSEMENUDISABLED=TRUE", 3, 515, none, {}, {"menu3@icon"}, games},
        {"CLICKMODE=SINGLE", 1, 514, both, {}, {"runas C:\\L\\a.exe"}, ""},
        {"CLICKMODE=SINGLE", 1, 514, {true, false}, {}, {"open C:\\L\\a.exe"}, ""},  // both or none
        {"CLICKMODE=SINGLE", 1, 514, {false, true}, {}, {"open C:\\L\\a.exe"}, ""},
        {"", 3, 1025, none, {}, {"menu3@icon*", "F3"}, games},  // Enter: the first item selected
        {"", 3, 1025, none, busy, {"menu3@icon* busy"}, games},  // never shown: the focus stays
        {"", 3, 1025, none, Chosen(0, chess), {"menu3@icon*", "open " + chess}, games},
        {"", 3, 514, none, Chosen(0, chess, both), {"menu3@icon", "runas " + chess}, games},
        {"", 3, 514, none, Chosen(0, "C:\\L\\Games", both), {"menu3@icon", "open C:\\L\\Games"}, games},
        {"", 1, 1025, both, {}, {"runas C:\\L\\a.exe"}, ""},
        {"", 2, 1025, none, {}, {"menu2@icon*", "F2"}, "(empty)~|-|Open folder"},
        // The right button: Launch! opens the folder; the shell's menu of the folder or file.
        {"", 3, 516, none, Chosen(kMenuLaunch), {"menu3", "open C:\\L\\Games"}, own + "|-|Games@"},
        {"HELPDISABLED=TRUE", 2, 516, none, {}, {"menu2"}, "Launch!|-|Cancel Menu|-|Help...~|-|Exit Iconlane|-|Docs && Co@"},
        {"", 1, 123, none, shell, {"menu1@icon"}, own + "|-|a@"}};
    // clang-format on
    for (const auto& [ini, entry, message, keys, choice, seen, menu] : cases) {
        Lane lane(ini);
        EXPECT_EQ(lane.Message(entry, message, keys, choice), seen)
            << ini << " " << entry << ":" << message;
        EXPECT_EQ(lane.platform.menus.empty() ? "" : Rendered(lane.platform.menus[0].items), menu);
    }
    // A sub-folder's menu is read when it opens; the shell's menu carries the entry's picture.
    Lane lane;
    lane.Message(3, 516);
    const MenuEntry& shellMenu = lane.platform.menus.at(0).items.back();
    EXPECT_EQ(std::pair(shellMenu.path, shellMenu.picture.icon),
              std::pair(std::string("C:\\L\\Games"),
                        lane.program.Entries().EntryWindows(3)->Picture1Handle()));
    lane.Message(3, 514);
    lane.platform.files["C:\\L\\Games\\Tools\\map.exe"] = {"x"};
    EXPECT_EQ(Rendered(lane.platform.menus.at(1).folderItems("C:\\L\\Games\\Tools")),
              "map.exe|-|Open folder");
}

// In a batch file a line naming a folder opens it, as always; the shell's menu is there for the
// targets that are files or folders.
TEST(FolderEntryTest, ABatchLineNamingAFolderOpensItAndOnlyFilesAndFoldersHaveTheShellsMenu) {
    Lane lane("CLICKMODE=SINGLE", true);
    EXPECT_EQ(lane.Message(3, 514), Texts{"open C:\\L\\Games"});
    std::string shellMenus;
    for (int entry = 1; entry <= 3; ++entry) {
        lane.Message(entry, 516);
        shellMenus += Rendered(lane.platform.menus.back().items).substr(47) + ".";
    }
    EXPECT_EQ(shellMenus, "|-|C:\\L\\a.exe@..|-|G@.");
}

// Sub-folders added, renamed or deleted change the icons as files do; a change inside one does not.
TEST(FolderEntryTest, SubFoldersComeAndGoWithTheFolder) {
    Lane lane;
    const std::vector<std::tuple<std::string, std::optional<FileEntry>, Texts>> steps = {
        {"C:\\L\\Maps", FileEntry{"", true}, {"A4"}},
        {"C:\\L\\Games", FileEntry{"now written", true}, {}},
        {"C:\\L\\Docs & Co", std::nullopt, {"D4", "D3", "D2", "A3", "A4"}},
        {"C:\\L\\Maps", FileEntry{"", true, true}, {"D4"}}};  // hidden
    for (const auto& [path, entry, calls] : steps) {
        lane.platform.seen.clear();
        entry ? void(lane.platform.files[path] = *entry) : void(lane.platform.files.erase(path));
        ASSERT_TRUE(lane.platform.settled());
        EXPECT_EQ(lane.platform.seen, calls);
    }
    EXPECT_EQ(lane.program.Entries().EntryCount(), 2);
    EXPECT_TRUE(lane.program.Entries().EntryWindows(2)->FolderEntry());
}

}  // namespace
}  // namespace iconlane
