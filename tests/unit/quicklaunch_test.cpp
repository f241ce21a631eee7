// A folder of shortcuts as entries, the pictures shortcuts offer, and reloads with the least
// change.
#include <gtest/gtest.h>

#include "fake_platform.h"
#include "startup/folderentries.h"
#include "startup/reloadplan.h"
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
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"C:\\QL\\a%PATH%.exe", "a%PATH%"},
        {"C:\\QL\\b.txt", "b"},
        {"C:\\QL\\C.lnk", "C"},
        {"C:\\QL\\Mail.lnk", "Mail, work"},
        {"C:\\QL\\noext", "noext"},
        {"C:\\QL\\Zeta.LNK", "Zeta"}};
    std::vector<WantedEntry> entries =
        FolderEntries("C:\\QL", *platform.ListFolder("C:\\QL"), platform);
    ASSERT_EQ(entries.size(), expected.size());
    for (std::size_t at = 0; at < expected.size(); ++at) {
        const auto& [target, tooltip] = expected[at];
        EXPECT_EQ(entries[at].fields, (EntryFields{target, tooltip, ""})) << at;
        EXPECT_EQ(entries[at].line, target + "," + tooltip + ",");
        EXPECT_EQ(entries[at].targetFile, platform.Details(target));
    }
    EXPECT_EQ(FolderEntries("C:\\QL\\", *platform.ListFolder("C:\\QL"), platform)[1].fields.target,
              "C:\\QL\\b.txt");
}

// Each letter an entry; a capital one is its small letter whose file was rewritten since.
std::vector<WantedEntry> Entries(const std::string& letters) {
    std::vector<WantedEntry> entries;
    for (char letter : letters) {
        std::string target(1, static_cast<char>(std::tolower(letter)));
        entries.push_back({{target, target, ""},
                           target,
                           FolderItem{target, false, false, 1, std::isupper(letter) ? 2u : 1u}});
    }
    return entries;
}

TEST(QuickLaunchTest, AReloadKeepsWhatStandsAtItsNumberAndChangesTheRestInPlace) {
    const std::string thirty = "abcdefghijklmnopqrstuvwxyz0123";
    const struct {
        std::string shown, wanted, steps;  // K keep, U update, A add, D delete, O over the limit
    } cases[] = {{"abc", "abc", "KKK"},
                 {"abc", "abd", "KKU"},
                 {"abc", "ab", "KKD"},
                 {"ab", "abc", "KKA"},
                 {"abc", "bc", "UUD"},
                 {"", "ab", "AA"},
                 {"ab", "aB", "KU"},
                 {"ab", "", "DD"},
                 {thirty, thirty + "45", std::string(30, 'K') + "OO"}};
    for (const auto& row : cases) {
        std::string steps;
        for (ReloadStep step : PlanReload(Entries(row.shown), Entries(row.wanted))) {
            steps += "KUADO"[static_cast<int>(step)];
        }
        EXPECT_EQ(steps, row.steps) << row.shown << " -> " << row.wanted;
    }
}

TEST(QuickLaunchTest, ShortcutsOfferTheirOwnIconThenWhatTheyOpen) {
    fake::FakePlatform platform;
    platform.variables["SystemRoot"] = "C:\\Windows";
    platform.links["C:\\q\\Mail.lnk"] = {"", "%SystemRoot%\\mail.dll", 3, "C:\\Apps\\mail.exe"};
    platform.links["C:\\q\\Plain.LNK"] = {"Plain", "", 0, "C:\\Apps\\plain.exe"};
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

TEST(QuickLaunchTest, EveryDefinedVariableIsExpandedInAShortcutsIconFile) {
    fake::FakePlatform platform;
    platform.variables = {{"A", "C:\\a"}, {"B", "b"}};
    const std::pair<std::string, std::string> cases[] = {
        {"%A%\\%B%.dll", "C:\\a\\b.dll"}, {"%U%\\%B%", "%U%\\b"}, {"50%", "50%"}, {"%%A%", "%%A%"}};
    for (const auto& [text, expanded] : cases) {
        EXPECT_EQ(ExpandAllVariables(text, platform), expanded) << text;
    }
}

// The tray calls since the last change: "A:tip" added, "M:tip" modified, "D<number>" deleted.
std::string Calls(const fake::FakePlatform& platform, std::size_t from) {
    std::string calls;
    for (std::size_t at = from; at < platform.trayCalls.size(); ++at) {
        const fake::TrayCall& call = platform.trayCalls[at];
        std::size_t number = 1;
        while (platform.windows[number - 1].handle != call.record.hWnd) ++number;
        calls += call.operation == TrayOperation::kDelete
                     ? "D" + std::to_string(number) + " "
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
        std::string commandLine, before, after, calls;
        std::size_t messages;  // after the change
    } cases[] = {
        {"/BATCH:C:\\L\\lane.txt", "a,A\nb,B", "a,A\nb,B2", "M:B2 ", 0},
        {"/BATCH:C:\\L\\lane.txt", "a,A\nb,B", "a,A\r\n;c\nb,B\nc,C", "A:C ", 0},
        {"/BATCH:C:\\L\\lane.txt", "a,A\nb,B\nc,C", "a,A", "D3 D2 ", 0},
        {"/BATCH:C:\\L\\lane.txt", "a,A\nb,B", "b,B\na,A", "M:B M:A ", 0},
        {"/BATCH:C:\\L\\lane.txt", "a,A\n%b,B", "a,A\n%b,B\nc,C", "A:C ", 0},
        {"/BATCH:C:\\L\\lane.txt", "a,A", "a,A\n%b,B\nc,C", "A:C ", 1},
        {"/BATCH:C:\\L\\lane.txt", Lines('A', 30), Lines('A', 31), "", 1},
        {"/BATCH:C:\\L\\lane.txt", "a,A", "", "", 0},  // the file gone for now: nothing changes
        {"/folder:C:\\L", "x", "b,B2", "M:lane ", 0},  // rewritten: its picture may differ
    };
    for (const auto& row : cases) {
        fake::FakePlatform platform;
        platform.AddFolder("C:\\L");
        platform.AddFile("C:\\L\\lane.txt", row.before);
        platform.commandLine = row.commandLine;
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
