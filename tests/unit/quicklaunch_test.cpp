// A folder of shortcuts as entries, the pictures shortcuts offer, reloads with the least change.
#include <gtest/gtest.h>

#include "fake_platform.h"
#include "startup/folderentries.h"
#include "startup/startup.h"
#include "tray/iconresolution.h"
#include "tray/shortcutpicture.h"

namespace iconlane {
namespace {

TEST(QuickLaunchTest, AFolderGivesOneEntryPerPlainFileInNameOrder) {
    fake::FakePlatform platform;
    platform.files = {{"C:\\QL", {"", true}}, {"C:\\QL\\Sub", {"", true}}, {"C:\\QLX\\b.txt", {}}};
    platform.files["C:\\QL\\desktop.ini"] = {"x", false, true};
    for (const char* name : {"b.txt", "Mail.lnk", "a%PATH%.exe", "Zeta.LNK", "noext", "C.lnk"}) {
        platform.files[std::string("C:\\QL\\") + name] = {"icon"};
    }
    platform.links["C:\\QL\\Mail.lnk"] = {"Mail, work", "", 0, "C:\\mail.exe"};
    platform.links["C:\\QL\\Zeta.LNK"] = {"", "", 0, "C:\\zeta.exe"};
    const std::vector<std::string> lines = {
        "C:\\QL\\a%PATH%.exe,a%PATH%,", "C:\\QL\\b.txt,b,",     "C:\\QL\\C.lnk,C,",
        "C:\\QL\\Mail.lnk,Mail, work,", "C:\\QL\\noext,noext,", "C:\\QL\\Zeta.LNK,Zeta,"};
    std::vector<std::string> made;
    for (const WantedEntry& entry :
         FolderEntries("C:\\QL\\", *platform.ListFolder("C:\\QL"), platform)) {
        EXPECT_EQ(entry.fields.target + "," + entry.fields.tooltip + ",", entry.line);
        made.push_back(entry.line);
    }
    EXPECT_EQ(made, lines);
}

TEST(QuickLaunchTest, AShortcutShowsItsOwnIconWhereOnlyTheStockIconWasLeft) {
    const struct {
        std::string target;
        bool shortcutsRegistered;  // the file type of shortcuts has an icon of its own
        std::string shown;         // the icon file and number taken
    } cases[] = {{"C:\\q\\Own.lnk", false, "C:\\Windows\\own.dll,1"},
                 {"C:\\q\\Own.lnk", true, "C:\\lnk.dll,0"},
                 {"C:\\q\\Gone.lnk", false, "C:\\Apps\\tool.exe,0"},
                 {"C:\\q\\Doc.lnk", false, "C:\\ed.exe,0"},
                 {"C:\\q\\Loop.lnk", false, std::string(fake::FakePlatform::kLibrary) + ",0"},
                 {"C:\\q\\Broken.lnk", false, std::string(fake::FakePlatform::kLibrary) + ",0"},
                 {"C:\\q\\Site.url", false, "C:\\i\\site.ico,0"},
                 {"C:\\q\\Web.URL", false, "C:\\web.exe,0"},
                 {"C:\\q\\Missing.url", false, std::string(fake::FakePlatform::kLibrary) + ",0"}};
    for (const auto& row : cases) {
        fake::FakePlatform platform;
        platform.variables["SystemRoot"] = "C:\\Windows";
        platform.links = {
            {"C:\\q\\Own.lnk", {"", "%SystemRoot%\\own.dll", 1, "C:\\Apps\\tool.exe"}},
            {"C:\\q\\Gone.lnk", {"", "%U%\\none.dll", 0, "C:\\Apps\\tool.exe"}},
            {"C:\\q\\Doc.lnk", {"", "", 0, "C:\\d\\a.txt"}},
            {"C:\\q\\Loop.lnk", {"", "", 0, "C:\\q\\Loop.lnk"}}};
        platform.files["C:\\q\\Site.url"] = {
            "[InternetShortcut]\nURL=http://x.org/\nIconFile=C:\\i\\site.ico"};
        platform.files["C:\\q\\Web.URL"] = {
            "[Other]\nIconFile=C:\\ed.exe\n[internetshortcut]\r\n url = "
            "\"http://x.org/\" \nIconIndex=x"};
        for (const char* file : {"C:\\Windows\\own.dll", "C:\\Apps\\tool.exe", "C:\\ed.exe",
                                 "C:\\i\\site.ico", "C:\\web.exe", "C:\\lnk.dll"}) {
            platform.iconCounts[file] = 2;
        }
        for (auto [type, icon] : {std::pair{"txt", "C:\\ed.exe,0"},
                                  {"htm", "C:\\web.exe,0"},
                                  {"lnk", row.shortcutsRegistered ? "C:\\lnk.dll,0" : "none"}}) {
            platform.registry[std::string(".") + type] = std::string(type) + '\0';
            platform.registry[std::string(type) + "\\DefaultIcon"] = std::string(icon) + '\0';
        }
        std::string dataFolder = "C:\\Data";
        TrayIcons tray(platform);
        EntryWindow window(platform.services, tray, 1, nullptr);
        IconResolver(platform.services, dataFolder).ResolveEntryIcon(window, 1, row.target, 0);
        EXPECT_EQ(platform.icons.end()[-2], "icon " + row.shown) << row.target;  // then its save
    }
}

TEST(QuickLaunchTest, AChangedBatchFileOrFolderMovesTheTrayWithTheLeastChange) {
    const struct {
        bool folder;
        std::string before, after, calls;
        std::size_t messages;     // after the change
        std::size_t others = 0;   // files "f01.txt", ... in the folder beside lane.txt
        std::size_t started = 0;  // messages at the start
    } cases[] = {
        {false, "a,A\nb,B", "a,A\nb,B2", "M2:B2 ", 0},
        {false, "a,A\nb,B", "a,A\r\n;c\nb,B\nc,C", "A3:C ", 0},
        {false, "a,A\nb,B\nc,C", "a,A", "D3 D2 ", 0},
        {false, "a,A\nb,B,1e10", "a,A\nb,B", "A2:B ", 0, 0, 1},  // a line mended: its icon comes
        {false, "a,A\nb,B", "b,B\na,A", "M1:B M2:A ", 0},
        {false, "a,A\n%b,B", "a,A\n%b,B\nc,C", "A2:C ", 0, 0, 1},
        {false, "a,A", "a,A\n%b,B\nc,C", "A2:C ", 1},
        {false, std::string(30, '\n'), std::string(31, '\n'), "", 1},  // empty lines are entries
        {false, "a,A", "", "", 0},           // the file gone for now: nothing changes
        {true, "x", "b,B2", "M1:lane ", 0},  // rewritten: its picture may differ
        {true, "x", "b,B2", "", 0, 39, 1},   // 40 files: the first 30 shown, the count unchanged
        {true, "x", "", "", 1, 40, 1},       // 11 files left out, then 10
    };
    for (const auto& row : cases) {
        fake::FakePlatform platform;
        platform.files = {{"C:\\L", {"", true}}, {"C:\\L\\lane.txt", {row.before}}};
        for (std::size_t k = 1; k <= row.others; ++k)
            platform.files[(k < 10 ? "C:\\L\\f0" : "C:\\L\\f") + std::to_string(k) + ".txt"] = {};
        platform.commandLine = row.folder ? "/folder:C:\\L" : "/BATCH:C:\\L\\lane.txt";
        std::string calls;  // after the change: "A3:tip" added, "M2:tip" modified, "D3" deleted
        std::size_t messages = 0;
        platform.duringLoop = [&] {
            std::size_t from = platform.trayCalls.size(), seen = platform.seen.size();
            if (row.folder) {
                EXPECT_EQ(from, std::min<std::size_t>(row.others + 1, 30));
            }
            EXPECT_EQ(std::count_if(platform.seen.begin(), platform.seen.end(),
                                    [](auto& text) { return text.starts_with("Iconlane/"); }),
                      row.started);
            platform.files.erase("C:\\L\\lane.txt");
            if (!row.after.empty()) platform.files["C:\\L\\lane.txt"] = {row.after};
            EXPECT_EQ(platform.settled(), row.folder || !row.after.empty());
            for (auto at = platform.seen.begin() + seen; at != platform.seen.end(); ++at)
                messages += at->starts_with("Iconlane/");
            for (auto at = platform.trayCalls.begin() + from; at != platform.trayCalls.end(); ++at)
                calls += "AMD"[static_cast<int>(at->operation)] + std::to_string(at->record.uID) +
                         (at->operation == TrayOperation::kDelete ? " " : ":" + at->Tip() + " ");
        };
        Iconlane(platform.services).Run();
        EXPECT_EQ(platform.watched, "C:\\L");
        EXPECT_EQ(calls, row.calls) << row.before << " -> " << row.after;
        EXPECT_EQ(messages, row.messages) << row.after;
        if (row.others > 0) {  // told once every icon is in the tray
            EXPECT_EQ(platform.seen.at(30),
                      "Iconlane/48: The folder 'C:\\L' holds " + std::to_string(row.others + 1) +
                          " files; Iconlane shows only the first 30 by name.\n\n"
                          "The first file left out is 'f31.txt'.");
        }
    }
}

}  // namespace
}  // namespace iconlane
