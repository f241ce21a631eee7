// A folder of shortcuts as entries, the pictures shortcuts offer, and reloads with the least
// change.
#include <gtest/gtest.h>

#include "fake_platform.h"
#include "startup/folderentries.h"
#include "startup/startup.h"
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

TEST(QuickLaunchTest, ShortcutsOfferTheirOwnIconThenWhatTheyOpen) {
    fake::FakePlatform platform;
    platform.variables["SystemRoot"] = "C:\\Windows";
    platform.links["C:\\q\\Mail.lnk"] = {"", "%SystemRoot%\\mail.dll", 3, "C:\\Apps\\mail.exe"};
    platform.links["C:\\q\\Plain.LNK"] = {"Plain", "", 0, "C:\\Apps\\plain.exe"};
    platform.links["C:\\q\\Odd.lnk"] = {"", "%U%\\50%", 1, ""};
    platform.AddFile("C:\\q\\Site.url",
                     "[InternetShortcut]\r\nURL=http://example.com/\r\nIconFile=%SystemRoot%\\"
                     "site.ico\r\nIconIndex=2\r\n");
    platform.AddFile("C:\\q\\Bare.URL",
                     "[Other]\nURL=http://wrong\n[internetshortcut]\n url = \"https://x.org\" \n"
                     "IconIndex=x\n");
    using Picture = std::optional<ShortcutPicture>;
    const std::pair<std::string, Picture> cases[] = {
        {"C:\\q\\Mail.lnk", ShortcutPicture{{{"C:\\Windows\\mail.dll", 3}}, "C:\\Apps\\mail.exe"}},
        {"C:\\q\\Plain.LNK", ShortcutPicture{std::nullopt, "C:\\Apps\\plain.exe"}},
        {"C:\\q\\Odd.lnk", ShortcutPicture{{{"%U%\\50%", 1}}, ""}},
        {"C:\\q\\Site.url", ShortcutPicture{{{"C:\\Windows\\site.ico", 2}}, "http://example.com/"}},
        {"C:\\q\\Bare.URL", ShortcutPicture{std::nullopt, "https://x.org"}},
        {"C:\\q\\Unreadable.lnk", std::nullopt},
        {"C:\\q\\Missing.url", std::nullopt},
        {"C:\\q\\notes.txt", std::nullopt},
        {".lnk", std::nullopt}};
    for (const auto& [target, picture] : cases) {
        EXPECT_EQ(ShortcutPictureOf(target, platform.services), picture) << target;
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

std::string Lines(char first, int count) {
    std::string lines;
    for (char letter = first; letter < first + count; ++letter)
        lines += std::string(1, letter) + "\n";
    return lines;
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
        {false, Lines('A', 30), Lines('A', 31), "", 1},
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
