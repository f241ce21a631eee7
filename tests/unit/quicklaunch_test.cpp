// A folder of shortcuts as entries, the pictures shortcuts offer, and reloads with the least
// change.
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
    platform.AddFolder("C:\\QL");
    platform.AddFolder("C:\\QL\\Sub");
    platform.AddFile("C:\\QL\\desktop.ini", "x", true);
    for (const char* name : {"b.txt", "Mail.lnk", "a%PATH%.exe", "Zeta.LNK", "noext", "C.lnk"}) {
        platform.AddFile(std::string("C:\\QL\\") + name);
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
        std::pair<std::string, std::int32_t> shown;
    } cases[] = {{"C:\\q\\Own.lnk", false, {"C:\\Windows\\own.dll", 1}},
                 {"C:\\q\\Own.lnk", true, {"C:\\lnk.dll", 0}},
                 {"C:\\q\\Gone.lnk", false, {"C:\\Apps\\tool.exe", 0}},
                 {"C:\\q\\Doc.lnk", false, {"C:\\ed.exe", 0}},
                 {"C:\\q\\Loop.lnk", false, {fake::FakePlatform::kSystemLibrary, 0}},
                 {"C:\\q\\Broken.lnk", false, {fake::FakePlatform::kSystemLibrary, 0}},
                 {"C:\\q\\Site.url", false, {"C:\\i\\site.ico", 0}},
                 {"C:\\q\\Web.URL", false, {"C:\\web.exe", 0}},
                 {"C:\\q\\Missing.url", false, {fake::FakePlatform::kSystemLibrary, 0}}};
    for (const auto& row : cases) {
        fake::FakePlatform platform;
        platform.variables["SystemRoot"] = "C:\\Windows";
        platform.links = {
            {"C:\\q\\Own.lnk", {"", "%SystemRoot%\\own.dll", 1, "C:\\Apps\\tool.exe"}},
            {"C:\\q\\Gone.lnk", {"", "%U%\\none.dll", 0, "C:\\Apps\\tool.exe"}},
            {"C:\\q\\Doc.lnk", {"", "", 0, "C:\\d\\a.txt"}},
            {"C:\\q\\Loop.lnk", {"", "", 0, "C:\\q\\Loop.lnk"}}};
        platform.AddFile("C:\\q\\Site.url",
                         "[InternetShortcut]\nURL=http://x.org/\nIconFile=C:\\i\\site.ico");
        platform.AddFile("C:\\q\\Web.URL",
                         "[Other]\nIconFile=C:\\ed.exe\n[internetshortcut]\r\n url = "
                         "\"http://x.org/\" \nIconIndex=x");
        for (const char* file : {"C:\\Windows\\own.dll", "C:\\Apps\\tool.exe", "C:\\ed.exe",
                                 "C:\\i\\site.ico", "C:\\web.exe", "C:\\lnk.dll"}) {
            platform.iconCounts[file] = 2;
        }
        for (auto [type, icon] : {std::pair{"txt", "C:\\ed.exe,0"},
                                  {"htm", "C:\\web.exe,0"},
                                  {"lnk", row.shortcutsRegistered ? "C:\\lnk.dll,0" : "none"}}) {
            platform.SetRegistryText(std::string(".") + type, type);
            platform.SetRegistryText(std::string(type) + "\\DefaultIcon", icon);
        }
        std::string dataFolder = "C:\\Data";
        IconResolver icons(platform.services, dataFolder);
        TrayIcons tray(platform);
        EntryWindow window(platform.services, tray, 1, nullptr);
        icons.ResolveEntryIcon(window, 1, row.target, 0);
        EXPECT_EQ(platform.extractedIcons.back(), row.shown) << row.target;
    }
}

// The tray calls since the last change: "A:tip" added, "M:tip" modified, "D<number>" deleted.
std::string Calls(const fake::FakePlatform& platform, std::size_t from) {
    std::string calls;
    for (std::size_t at = from; at < platform.trayCalls.size(); ++at) {
        const fake::TrayCall& call = platform.trayCalls[at];
        calls += call.operation == TrayOperation::kDelete
                     ? "D" + std::to_string(call.record.uID) + " "
                     : std::string(call.operation == TrayOperation::kAdd ? "A:" : "M:") +
                           fake::TipText(call.record) + " ";
    }
    return calls;
}

TEST(QuickLaunchTest, AChangedBatchFileOrFolderMovesTheTrayWithTheLeastChange) {
    const struct {
        bool folder;
        std::string before, after, calls;
        std::size_t messages;  // after the change
    } cases[] = {
        {false, "a,A\nb,B", "a,A\nb,B2", "M:B2 ", 0},
        {false, "a,A\nb,B", "a,A\r\n;c\nb,B\nc,C", "A:C ", 0},
        {false, "a,A\nb,B\nc,C", "a,A", "D3 D2 ", 0},
        {false, "a,A\nb,B", "b,B\na,A", "M:B M:A ", 0},
        {false, "a,A\n%b,B", "a,A\n%b,B\nc,C", "A:C ", 0},
        {false, "a,A", "a,A\n%b,B\nc,C", "A:C ", 1},
        {false, std::string(30, '\n'), std::string(31, '\n'), "", 1},  // empty lines are entries
        {false, "a,A", "", "", 0},          // the file gone for now: nothing changes
        {true, "x", "b,B2", "M:lane ", 0},  // rewritten: its picture may differ
    };
    for (const auto& row : cases) {
        fake::FakePlatform platform;
        platform.AddFolder("C:\\L");
        platform.AddFile("C:\\L\\lane.txt", row.before);
        platform.commandLine = row.folder ? "/folder:C:\\L" : "/BATCH:C:\\L\\lane.txt";
        std::size_t from = 0;
        platform.duringLoop = [&] {
            from = platform.trayCalls.size();
            platform.messages.clear();
            if (row.after.empty())
                platform.files.erase("C:\\L\\lane.txt");
            else
                platform.AddFile("C:\\L\\lane.txt", row.after);
            EXPECT_EQ(platform.settledChange(), !row.after.empty());
        };
        Iconlane program(platform.services);
        program.Run();
        EXPECT_EQ(platform.watchedFolder, "C:\\L");
        EXPECT_EQ(Calls(platform, from), row.calls) << row.before << " -> " << row.after;
        EXPECT_EQ(platform.messages.size(), row.messages) << row.after;
    }
}

}  // namespace
}  // namespace iconlane
