// A folder of shortcuts as entries, the pictures shortcuts offer, reloads with the least change.
#include <gtest/gtest.h>

#include "events/entryevents.h"
#include "fake_platform.h"
#include "lane/folderentries.h"
#include "names/shownnames.h"
#include "platform/textreader.h"
#include "startup/startup.h"
#include "tray/iconresolution.h"
#include "tray/shortcutpicture.h"

namespace iconlane {
namespace {

TEST(QuickLaunchTest, AFolderGivesOneEntryPerFileOrSubFolderInNameOrder) {
    fake::FakePlatform platform;
    platform.files = {
        {"C:\\QL", {"", true}}, {"C:\\QL\\Sub.lnk", {"", true}}, {"C:\\QLX\\b.txt", {}}};
    platform.files["C:\\QL\\desktop.ini"] = {"x", false, true};
    platform.files["C:\\QL\\Hidden"] = {"", true, true};
    // Names that differ only in letter case are two files in a folder that tells them apart.
    for (const char* name : {"b.txt", "Mail.lnk", "a%PATH%.exe", "Zeta.LNK", "noext", "C.lnk",
                             "mail.lnk", "mail 2.txt", "\xC3\x89z", "\xC3\xA9y"}) {  // Éz, éy
        platform.files[std::string("C:\\QL\\") + name] = {"icon"};
    }
    platform.links["C:\\QL\\Mail.lnk"] = {"Mail, work", "", 0, "C:\\mail.exe"};
    platform.links["C:\\QL\\Zeta.LNK"] = {"", "", 0, "C:\\zeta.exe"};
    // Named by the folder's desktop.ini (keys in any case), a sub-folder by its own; a comment
    // first. An indirect string that does not load (or names nothing) counts as no text.
    platform.files["C:\\QL\\Tools"] = platform.files["C:\\QL\\Games"] = {"", true};
    // clang-format off
    platform.iniSections = {{"C:\\QL\\desktop.ini|LocalizedFileNames",
            {"Shows Desktop.lnk=@%SystemRoot%\\system32\\shell32.dll,-22", "mail.LNK=",
             "C.LNK=@x.dll,-7;v2", "noext=@shell32.dll,-3", "Fax.lnk=@{App?ms-resource://x}",
             "zeta.lnk=Switch windows"}},
        {"C:\\QL\\Tools\\desktop.ini|.ShellClassInfo", {"localizedResourceName=@x.dll,-46"}},
        {"C:\\QL\\Games\\desktop.ini|.ShellClassInfo", {"LocalizedResourceName=@y.dll,-1"}}};
    platform.strings = {{"%SystemRoot%\\system32\\shell32.dll,22", "Control Panel"},
        {"x.dll,7", "Calculator"}, {"x.dll,46", "Documents"},
        {"@{App?ms-resource://n}", "Fax name"}};
    for (const auto& [name, comment] : {std::pair{"Shows Desktop", ""},
             {"Fax", "@%windir%\\FXSRESM.dll,-121"}, {"Cp", "@x.dll,-7;Calc"},
             {"App", "@{App?ms-resource://n}"}, {"Pkg", "ms-resource:Name"}}) {
        platform.files[std::string("C:\\QL\\") + name + ".lnk"] = {"link"};
        platform.links[std::string("C:\\QL\\") + name + ".lnk"].description = comment;
    }
    const std::vector<std::string> lines = {"C:\\QL\\a%PATH%.exe,a%PATH%,",
        "C:\\QL\\App.lnk,Fax name,", "C:\\QL\\b.txt,b,", "C:\\QL\\C.lnk,Calculator,",
        "C:\\QL\\Shows Desktop.lnk,Control Panel,", "C:\\QL\\Cp.lnk,Calculator,",
        "C:\\QL\\Tools,Documents,", "C:\\QL\\Fax.lnk,Fax,", "C:\\QL\\Games,Games,",
        "C:\\QL\\Mail.lnk,Mail, work,", "C:\\QL\\mail.lnk,mail,", "C:\\QL\\mail 2.txt,mail 2,",
        "C:\\QL\\noext,noext,", "C:\\QL\\Pkg.lnk,Pkg,", "C:\\QL\\Sub.lnk,Sub.lnk,",
        "C:\\QL\\Zeta.LNK,Switch windows,", "C:\\QL\\\xC3\xA9y,\xC3\xA9y,",
        "C:\\QL\\\xC3\x89z,\xC3\x89z,"};
    // clang-format on
    std::vector<std::string> made, identities;
    for (const WantedEntry& entry :
         FolderEntries("C:\\QL\\", *platform.ListFolder("C:\\QL"), platform.services)) {
        EXPECT_EQ(entry.fields.target + "," + entry.fields.tooltip + ",", entry.line);
        made.push_back(entry.line);
        identities.push_back(entry.identity);
    }
    EXPECT_EQ(made, lines);
    EXPECT_EQ(std::vector(identities.begin() + 9, identities.begin() + 11),
              (std::vector<std::string>{"file:mail.lnk", "file#2:mail.lnk"}));
}

TEST(QuickLaunchTest, IndirectStringsAreReadAsTheShellReadsThem) {
    // The text, what it is: "" plain, "?" the shell's to resolve, "-" no string, else the string
    // "<library>,<id>" names
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"@%SystemRoot%\\system32\\shell32.dll,-22", "%SystemRoot%\\system32\\shell32.dll,22"},
        {"@shell32.dll,-21;v1, see ,-5", "shell32.dll,21"},
        {"@C:\\a,-1\\b.dll,-65535", "C:\\a,-1\\b.dll,65535"}, {"@x.dll,-65536", "-"}, {"@,-5", "-"},
        {"MS-Resource:AppName", "-"}, {"@{Pkg?ms-resource://a/b}", "?"}, {"@x.dll,22", ""},
        {"@home", ""}, {"@x.dll,-", ""}, {"@x.dll,-2x", ""}, {"", ""}, {"x@y.dll,-1", ""}};
    // clang-format on
    for (const auto& [text, read] : cases) {
        const IndirectString got = ParseIndirectString(text);
        const char* kinds[] = {"", "", "?", "-"};  // by kind, in the order declared
        EXPECT_EQ(got.kind == IndirectString::Kind::kLibrary
                      ? got.library + "," + std::to_string(got.id)
                      : kinds[static_cast<int>(got.kind)],
                  read)
            << text;
    }
}

TEST(QuickLaunchTest, AShortcutShowsItsOwnIconWhereOnlyTheStockIconWasLeft) {
    const std::string stock = std::string(fake::FakePlatform::kLibrary) + ",0";
    // The target (the file type of shortcuts registered with an icon of its own after "+"), the
    // icon file and number taken
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\q\\Own.lnk", "C:\\Windows\\own.dll,1"}, {"C:\\q\\Own.lnk+", "C:\\lnk.dll,0"},
        {"C:\\q\\Gone.lnk", "C:\\Apps\\tool.exe,0"}, {"C:\\q\\Doc.lnk", "C:\\ed.exe,0"},
        {"C:\\q\\Computer.lnk", "C:\\q\\Computer.lnk,item list"}, {"C:\\q\\Loop.lnk", stock},
        {"C:\\q\\Broken.lnk", stock}, {"C:\\q\\Site.url", "C:\\i\\site.ico,0"},
        {"C:\\q\\Web.URL", "C:\\web.exe,0"}, {"C:\\q\\Missing.url", stock},
        {"C:\\q\\Photos.lnk", "C:\\ed.exe,1"}};  // the folder's own picture
    // clang-format on
    for (const auto& [written, shown] : cases) {
        const std::string target = written.substr(0, written.find('+'));
        fake::FakePlatform platform;
        platform.variables["SystemRoot"] = "C:\\Windows";
        // Each with an item list, as the shell saves them: the item's picture comes only last.
        platform.links = {
            {"C:\\q\\Own.lnk", {"", "%SystemRoot%\\own.dll", 1, "C:\\Apps\\tool.exe", true}},
            {"C:\\q\\Gone.lnk", {"", "%U%\\none.dll", 0, "C:\\Apps\\tool.exe", true}},
            {"C:\\q\\Doc.lnk", {"", "", 0, "C:\\d\\a.txt", true}},
            {"C:\\q\\Computer.lnk", {"", "", 0, "", true}},
            {"C:\\q\\Loop.lnk", {"", "", 0, "C:\\q\\Loop.lnk", true}},
            {"C:\\q\\Photos.lnk", {"", "", 0, "C:\\Photos", true}}};
        platform.files["C:\\Photos"] = {"", true};
        platform.shellIcons["C:\\Photos"] = {"C:\\ed.exe", 1};
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
                                  {"lnk", written.ends_with('+') ? "C:\\lnk.dll,0" : "none"}}) {
            platform.registry[std::string(".") + type] = std::string(type) + '\0';
            platform.registry[std::string(type) + "\\DefaultIcon"] = std::string(icon) + '\0';
        }
        std::string dataFolder = "C:\\Data";
        TrayIcons tray(platform);
        EntryWindow window(platform.services, tray, 1, nullptr);
        IconResolver(platform.services, dataFolder).ResolveEntryIcon(window, 1, target, 0);
        EXPECT_EQ(platform.icons.end()[-2], "icon " + shown) << written;  // then its save
    }
}

// Each icon is named by the entry its id was given to, as the map of ids in the data folder says.
// Entry 2 is then probed as a user and the shell would: it must behave as if the file had been so
// from the start.
TEST(QuickLaunchTest, AChangedBatchFileOrFolderEndsWhereAFreshStartWould) {
    const struct {
        bool folder;
        std::string before, after, calls;  // the calls and messages ("!") after the changes
        std::size_t started = 0;           // messages at the start
        // On entry 2: m "Launch!", t a blink tick, r a new shell; u every entry unloaded.
        std::string probe = "";
        std::size_t others = 0;   // files "f01.txt", ... in the folder beside lane.txt
        bool handedOver = false;  // read again because a second start handed the list over
    } cases[] = {
        {false, "a,A\nb,B", "a,A\nb,B2", "Mb:B2 "},
        {false, "a,A\nb,B", "a,A\nb,B2", "Mb:B2 ", 0, "", 0, true},
        {false, "a,A\nb,B", "a,A\r\n;c\nb,B\nc,C", "Ac:C "},
        {false, "a,A\nb,B\nc,C", "a,A", "Dc Db "},
        // Mended: it then works in every way.
        {false, "a,A\nb,B,1e10", "a,A\nb,B", "Ab:B open b Mb^:B Ab:B Da Db quit ", 1, "mtru"},
        {false, "a,A\nb,B,1e10\nc,C", "a,A\nb,B\nc,C", "Ab:B Dc Ac:C ", 1},  // c after b
        {false, "a,A\nb,B", "a,A\nb,B,1e10", "Db ! ", 0, "tr"},  // broken: no icon, as at start
        // Changes after ">" come in turn: a failure is told once while it stands, whatever moves
        // around it, and again once mended and broken again.
        {false, "a,A\nb,B,1e10", "a,A2\nb,B,1e10>x\na,A2\nb,B,1e10", "Ma:A2 Db Da Ax:x Aa:A2 ", 1},
        {false, "a,A\nb,B,1e10", "a,A\nb,B>a,A\nb,B,1e10", "Ab:B Db ! ", 1},
        {false, "a,A\n%b,B", "a,A2\n%b,B>x\na,A2\n%b,B", "Ma:A2 Da Ax:x Aa:A2 ", 1},
        {false, "a,A\nb,B", "a,A\nx,X,1e10", "Db ! ", 0, "tr"},  // replaced by a failing line
        {false, "a,A\nc,C", "a,A\nb,B\nc,C", "Dc Ab:B Ac:C "},   // c keeps its id
        {false, "a,A\nb,B", "b,B\na,A", "Db Da Ab:B Aa:A "},
        {false, "a,A\n%b,B", "a,A\n%b,B\nc,C", "Ac:C ", 1},
        {false, "a,A", "a,A\n%b,B\nc,C", "! Ac:C "},
        {false, std::string(30, '\n'), std::string(31, '\n'), "! "},  // empty lines are entries
        {false, "a,A", "", ""},  // the file gone for now: nothing changes
        {false, "a,A", "a,A\n\xE9,\xC9t\xE9", "A\xC3\xA9:\xC3\x89t\xC3\xA9 "},  // legacy code page
        {true, "x", "b,B2", "Mlane.txt:lane "},   // rewritten: its picture may differ
        {true, "x", "|b,B2", "Mlane.txt:lane "},  // the folder gone for a while, then back
        {true, "x", "b,B2", "", 1, "", 39},  // 40 files: the first 30 shown, the count unchanged
        {true, "x", "", "! ", 1, "", 40},    // 11 files left out, then 10
    };
    for (const auto& row : cases) {
        fake::FakePlatform platform;
        platform.variables["TEMP"] = "C:\\D";
        platform.files = {{"C:\\L", {"", true}}, {"C:\\L\\lane.txt", {row.before}}};
        for (std::size_t k = 1; k <= row.others; ++k)  // f05.txt a folder, counted with the files
            platform.files[(k < 10 ? "C:\\L\\f0" : "C:\\L\\f") + std::to_string(k) + ".txt"] = {
                "", k == 5};
        platform.commandLine = row.folder ? "/folder:C:\\L" : "/BATCH:C:\\L\\lane.txt";
        platform.menuChoice = [](const MenuRequest&) { return fake::Chosen(kMenuLaunch); };
        Iconlane program(platform.services);
        std::string calls;  // after the change: "Ac:tip" added, "Mb^:tip" changed to the Up image
        platform.duringLoop = [&] {
            std::size_t from = platform.trayCalls.size(), seen = platform.seen.size();
            if (row.folder) {
                EXPECT_EQ(from, std::min<std::size_t>(row.others + 1, 30));
            }
            EXPECT_EQ(std::ranges::count_if(
                          platform.seen, [](auto& text) { return text.starts_with("Iconlane/"); }),
                      row.started);
            for (std::size_t at = 0, end = 0; at <= row.after.size(); at = end + 1) {
                end = std::min(row.after.find('>', at), row.after.size());
                const std::string after = row.after.substr(at, end - at);
                platform.files.erase("C:\\L\\lane.txt");
                if (after.starts_with('|')) {
                    platform.files.erase("C:\\L");
                    EXPECT_FALSE(platform.settled());
                    platform.files["C:\\L"] = {"", true};
                }
                if (!after.empty())
                    platform.files["C:\\L\\lane.txt"] = {after.substr(after.starts_with('|'))};
                if (row.handedOver) {
                    platform.handedOver();
                } else {
                    EXPECT_EQ(platform.settled(), row.folder || !after.empty());
                }
            }
            for (char action : row.probe) {
                TraySlotEvents& second = *program.Entries().EntryWindows(2);
                if (action == 'm') second.OnTrayMessage(kRightButtonDownMessage);
                if (action == 't') second.OnTimer();
                if (action == 'r') platform.inTray.clear(), second.OnTaskbarCreated();
                for (int k = 1; action == 'u' && k <= 2; ++k)
                    program.Entries().EntryWindows(k)->Unload();
            }
            std::map<std::uint32_t, std::string> names;  // from the map of ids
            for (LineReader ids(platform.files["C:\\D\\iconids.txt"].contents); !ids.AtEnd();) {
                const std::string line = ids.ReadLine();
                names[std::stoul(line)] = line.substr(line.find(':') + 1);
            }
            for (auto at = platform.seen.begin() + seen; at != platform.seen.end(); ++at) {
                if (at->starts_with("Iconlane/")) calls += "! ";
                if (at->starts_with("open") || *at == "quit") calls += *at + " ";
                if (!at->starts_with("A") && !at->starts_with("M") && !at->starts_with("D"))
                    continue;
                const fake::TrayCall& call = platform.trayCalls.at(from++);
                calls += at->substr(0, 1) + names[call.record.uID] +
                         (at->back() == '^' ? "^" : "") +
                         (call.operation == TrayOperation::kDelete ? " " : ":" + call.Tip() + " ");
            }
        };
        program.Run();
        EXPECT_EQ(platform.watched, "C:\\L");
        EXPECT_EQ(platform.claimed, row.folder ? "folder c:\\l" : "batch c:\\l\\lane.txt");
        EXPECT_EQ(calls, row.calls) << row.before << " -> " << row.after;
        if (row.others > 0) {  // told once every icon is in the tray
            EXPECT_EQ(platform.seen.at(30),
                      "Iconlane/48: The folder 'C:\\L' holds " + std::to_string(row.others + 1) +
                          " items; Iconlane shows only the first 30 by name.\n\n"
                          "The first item left out is 'f31.txt'.");
        }
    }
}

// The icon file a line names (star.ico: "-" none, "" no picture) as it comes, is redrawn, mended
// or goes, and the shell's picture of a shortcut's item that comes late: entry b then shows what a
// fresh start would, its icon between a's and c's.
TEST(QuickLaunchTest, AnEntryFollowsItsIconFileAndALateItemPicture) {
    const std::string star = "C:\\L\\star.ico", link = "C:\\L\\b.lnk", lost = "Iconlane/48";
    const fake::Texts item = {"icon " + link + ",0", "icon " + link + ",item list",
                              "save C:\\D\\2.ico"};
    // star.ico at the start ("late": no icon field, the item picture late) and then, the tray
    // calls then, the pictures made for b
    // clang-format off
    const std::vector<std::tuple<std::string, std::string, fake::Texts, fake::Texts>> cases = {
        {"-", "i", {"M2"}, {"load " + star}}, {"i", "j", {"M2"}, {"load " + star}},
        {"", "i", {"A2", "D3", "A3"}, {"load " + star}}, {"i", "i", {}, {}},
        {"i", "-", {"M2"}, item}, {"late", "", {"M2"}, item}};
    // clang-format on
    for (const auto& [before, after, calls, made] : cases) {
        fake::FakePlatform platform;
        platform.variables["TEMP"] = "C:\\D";
        const std::string field = before == "late" ? "" : star;
        platform.files = {{"C:\\L", {"", true}},
                          {"C:\\L\\lane.txt", {"a\n" + link + ",B," + field + "\nc"}},
                          {"C:\\D\\iconids.txt", {"1\tline:a\n2\tline:c:\\l\\b.lnk\n3\tline:c"}}};
        platform.links[link] = {"", "", 0, "", true};
        if (before == "late") platform.lateItems.insert(link);
        const auto put = [&](const std::string& contents) {
            if (contents != "-") platform.files[star] = {contents};
            if (contents == "-") platform.files.erase(star);
        };
        put(before);
        platform.commandLine = "/BATCH:C:\\L\\lane.txt";
        Iconlane program(platform.services);
        platform.duringLoop = [&] {
            EXPECT_EQ(
                std::ranges::count_if(platform.seen, [&](auto& t) { return t.starts_with(lost); }),
                before.empty() ? 1 : 0);
            platform.seen.clear(), platform.icons.clear();
            if (before == "late") {
                platform.lateItems.clear(), platform.itemPictureArrived(link);
            } else {
                put(after), platform.settled();
            }
            EXPECT_EQ(platform.seen, calls) << before << " -> " << after;
            EXPECT_EQ(platform.icons, made) << before << " -> " << after;
            EXPECT_EQ(platform.inTray, (std::vector<std::uint32_t>{1, 2, 3}));
        };
        program.Run();
    }
}

}  // namespace
}  // namespace iconlane
