// Entries in the tray: each entry's window, picture and tray icon, the icon its target is shown
// with, the icon's life in the tray, and what clicks, the menu, blinking and the exit question do.
#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "entrywindow/entryevents.h"
#include "fake_platform.h"
#include "platform/iconframes.h"
#include "startup/startup.h"
#include "tray/iconids.h"
#include "tray/iconsource.h"

namespace iconlane {
namespace {

using namespace fake;

// The program started on a batch file of entries "a<k>.exe", tooltip "Tip<k>", and the options
// file `ini`; entry `failed` fails after its window is made. Entry k's icon id is k, as an earlier
// run left them in the map of ids. TEMP names the data folder.
struct Bench {
    explicit Bench(int count = 0, const std::string& ini = "", int failed = 0,
                   const std::string& temp = "C:\\Data") {
        std::string batch, ids;
        for (int k = 1; k <= count; ++k) {
            batch += "a" + std::to_string(k) + ".exe,Tip" + std::to_string(k);
            batch += k == failed ? ",1e10\n" : "\n";
            ids += std::to_string(k) + "\tline:a" + std::to_string(k) + ".exe\n";
        }
        platform.files = {{"list.txt", {batch}},
                          {"C:\\Apps\\Iconlane.ini", {ini}},
                          {"C:\\Data\\iconids.txt", {ids}}};
        platform.variables["TEMP"] = temp;
        platform.commandLine = "/BATCH:list.txt";
        platform.menuChoice = [this](const MenuRequest&) { return Choice(); };
        platform.exitAnswer = [this](const ExitAnswered& answer) {
            questions.push_back(answer);
            while (Step()) continue;
            questions.pop_back();
        };
        program.Main();
        platform.seen.clear();
    }
    int Add(std::string target, std::string tooltip = "", std::string iconField = "") {
        const auto id = static_cast<std::uint32_t>(table.EntryCount() + 1);
        return ErrorOf([&] { table.AddEntry(id, target, tooltip, iconField); });
    }
    // What is seen while a script runs, of actions: m<k>:<n> tray message n on entry k, b<k> it
    // starts blinking, t<k> its blink tick, u<k> it is unloaded, g<k> the shell restarted, r<k>
    // its retry tick, p<k>:<phase>, x the exit question, A / F an entry added / failing after its
    // window is made, e the program ends, s the tray's icon size changes, w<n> n ms pass, k<k>
    // entry k gets Enter while the next target opens, v icon copies cannot be saved from now on, o
    // the ids in the order the tray shows them ("tray 1 2"), C / c Ctrl+Shift pressed / released;
    // "!" before one: the shell refuses the icon, "?": it answers false but takes it. A menu takes
    // the next action as the item picked (-1: picking fails, _: another menu is open, >path a
    // file, s an item of the shell's; ^ before it: with Ctrl+Shift); an open question takes the
    // next ones up to "." (its loop unwinds), y and n answering it.
    Texts Run(const std::string& script) {
        platform.seen.clear();
        actions = std::istringstream(script);
        ErrorOf([&] {
            while (Step()) continue;
        });
        return platform.seen;
    }
    bool Step() {
        std::string a;
        if (!(actions >> a) || a == ".") return false;
        platform.refusedAdds = a[0] == '!' ? 1 : 0;
        platform.addsTakenLate = a[0] == '?' ? 1 : 0;
        if (a[0] == '!' || a[0] == '?') a.erase(0, 1);
        const int k = std::atoi(a.c_str() + 1);
        const std::string arg = a.substr(a.find(':') + 1);
        if (a[0] == 'm') platform.slots.at(k - 1)->events.OnTrayMessage(std::stoi(arg));
        if (a[0] == 't') platform.slots.at(k - 1)->events.OnTimer();
        if (a[0] == 'b') table.EntryWindows(k)->SetFadeTimerEnabled(true);
        if (a[0] == 'u') platform.slots.at(k - 1)->Unload();
        if (a[0] == 'g') table.AddIconAgain(k, true);
        if (a[0] == 'r') platform.slots.at(k - 1)->events.OnRetryTimer();
        if (a[0] == 'v') platform.saveIconError = kPathFileAccessError;
        std::string tray = "tray";
        for (std::uint32_t id : platform.inTray) tray += " " + std::to_string(id);
        if (a[0] == 'o') platform.seen.push_back(tray);  // as the shell shows them
        if (a[0] == 'p') table.SetEntryIcon(k, arg == "-" ? "Up " : arg);
        if (a[0] == 'x') program.Events().ConfirmExit();
        if (a[0] == 'A' || a[0] == 'F') Add("T", "", a[0] == 'F' ? "1e10" : "");
        if (a[0] == 'e') table.RemoveAllTrayIcons();
        if (a[0] == 's') platform.iconSizeChanged();
        if (a[0] == 'w') platform.now += k;
        auto enter = [this, k] { platform.slots.at(k - 1)->events.OnTrayMessage(1025); };
        if (a[0] == 'k') platform.duringOpen = enter;
        if (a == "y" || a == "n") questions.back()(a == "y" ? ExitAnswer::kYes : ExitAnswer::kNo);
        if (a == "n") platform.seen.push_back("answered");  // and not ended
        if (a == "C" || a == "c") platform.heldKeys = {a == "C", a == "C"};
        return true;
    }
    MenuChoice Choice() {
        std::string a;
        actions >> a;
        MenuChoice choice = Chosen();
        choice.shown = a != "_";
        if (a.starts_with('^')) choice.keys = {true, true}, a.erase(0, 1);
        if (a == "-1") Fail(kBadAlloc);
        if (a.starts_with('>')) {
            choice.path = a.substr(1);
        } else if (a == "s") {
            choice.shellItem = true;
        } else if (choice.shown && !a.empty()) {
            choice.command = std::stoi(a);
        }
        return choice;
    }

    FakePlatform platform;
    Iconlane program{platform.services};
    EntryTable& table = program.Entries();
    std::istringstream actions;
    std::vector<ExitAnswered> questions;  // the answers of the questions open
};

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

// A directory of frames (width, height, bits a pixel; 0 stands for 256), each followed in a file
// by an image of 8 bytes; in a group, frame n is the icon resource 100 + n.
std::string IconDirectory(const std::vector<std::array<int, 3>>& frames, IconDirectoryKind kind) {
    const bool file = kind == IconDirectoryKind::kFile;
    std::string bytes{0, 0, 1, 0, char(frames.size()), 0}, images;
    for (const auto& [width, height, bits] : frames) {
        const std::size_t location =
            file ? 6 + 16 * frames.size() + images.size() : 100 + bytes.size() / 14;
        bytes += {char(width),    char(height),       0, 0, 1, 0, char(bits), 0, 8, 0, 0, 0,
                  char(location), char(location >> 8)};
        if (file) bytes += std::string(2, '\0'), images += std::string(8, 'i');
    }
    return bytes + images;
}

// Scaled down, a frame keeps its detail; scaled up, it blurs.
TEST(IconFramesTest, TheSmallestFrameAtLeastTheSizeElseTheLargestWithTheMostColours) {
    using Frames = std::vector<std::array<int, 3>>;
    const Frames own = {{16, 16, 4}, {32, 32, 4}, {48, 48, 4}, {64, 64, 4}};
    // The frames, the size asked for, the frame chosen
    // clang-format off
    const std::vector<std::tuple<Frames, int, int, std::size_t>> cases = {
        {own, 16, 16, 0}, {own, 20, 20, 1}, {own, 24, 24, 1}, {own, 40, 40, 2}, {own, 96, 96, 3},
        {{{32, 32, 4}, {16, 16, 32}, {32, 32, 32}}, 20, 20, 2},
        {{{33, 32, 4}, {66, 64, 4}}, 41, 40, 1},
        {{{0, 0, 32}, {48, 48, 32}}, 64, 64, 0}, {{{16, 16, 4}}, 20, 20, 0}};
    // clang-format on
    for (const auto kind : {IconDirectoryKind::kFile, IconDirectoryKind::kGroup}) {
        for (const auto& [given, width, height, chosen] : cases) {
            const std::vector<IconFrame> frames =
                ReadIconDirectory(IconDirectory(given, kind), kind);
            ASSERT_EQ(frames.size(), given.size());
            EXPECT_EQ(ChooseIconFrame(frames, width, height), chosen) << width << " " << chosen;
            const std::size_t image = 6 + 16 * given.size() + 8 * chosen;
            EXPECT_EQ(frames[chosen].location,
                      kind == IconDirectoryKind::kFile ? image : 100 + chosen);
        }
    }
    // No icon at all, and a frame whose image the file does not hold whole.
    const std::string cut = IconDirectory(own, IconDirectoryKind::kFile);
    EXPECT_TRUE(ReadIconDirectory("this is text, not an icon", IconDirectoryKind::kFile).empty());
    EXPECT_EQ(ReadIconDirectory(cut.substr(0, cut.size() - 1), IconDirectoryKind::kFile).size(),
              3u);
}

// An id belongs to what an entry is; once given it stays, whatever else comes, goes or collides.
// The map is written only when it changed, and a map that is there but cannot be read is left
// as it is.
TEST(IconIdsTest, AnEntryKeepsTheIdItWasGivenFirst) {
    const std::string bravo = FileIdentity("Bravo.lnk"), today = " 19000\t";
    const std::uint32_t derived = DerivedIconId(bravo);
    const struct {
        std::string map;  // as an earlier run left it
        std::vector<std::string> asked;
        std::vector<std::uint32_t> ids;
        std::string written = "?";  // the map this run leaves; "?": not looked at
        int readError = 0;
        std::string folder = "C:\\D";  // the data folder; none: the map is neither read nor written
    } cases[] = {
        {"",
         {bravo, FileIdentity("bravo.LNK"), LineIdentity("a.exe")},
         {derived, derived, DerivedIconId("line:a.exe")}},
        {std::to_string(derived) + "\tfile:other", {bravo}, {derived % kMaxIconId + 1}},
        {"7\tfile:bravo.lnk\r\n8\tline#2:a.exe",
         {"line#2:a.exe", bravo},
         {8, 7},
         "7" + today + "file:bravo.lnk\r\n8" + today + "line#2:a.exe\r\n"},
        {"junk\n0\tx\n65536\ty\n9\t\n123456\tz\n5 1x\tw\n12\tfile:bravo.lnk", {bravo}, {12}},
        {"5\tline:a\n5\tline:b\n6\tline:a", {"line:a", "line:b"}, {6, 5}},
        {"\xFF\xFE garbage", {bravo}, {derived}},
        {"9\tfile:\xC3\x89"
         "clair.lnk",
         {FileIdentity("\xC3\xA9"
                       "clair.lnk")},
         {9}},
        {"7 19000\tfile:bravo.lnk\r\n", {bravo}, {7}, "7 19000\tfile:bravo.lnk\r\n"},
        {"7 18999\tfile:bravo.lnk\n3 5\tline:x",
         {bravo},
         {7},
         "3 5\tline:x\r\n7" + today + "file:bravo.lnk\r\n"},
        {"7\tfile:bravo.lnk", {bravo}, {derived}, "7\tfile:bravo.lnk", kPermissionDenied},
        {"7\tfile:bravo.lnk", {bravo}, {derived}, "7\tfile:bravo.lnk", kPathFileAccessError},
        {"7\tfile:bravo.lnk", {bravo, bravo}, {derived, derived}, "7\tfile:bravo.lnk", 0, ""}};
    for (const auto& row : cases) {
        FakePlatform platform;
        const std::string map = row.folder + "\\iconids.txt";
        platform.files[map] = {row.map};
        if (row.readError != 0) platform.readErrors[map] = row.readError;
        IconIds ids(platform.services, row.folder);
        std::vector<std::uint32_t> given;
        for (const std::string& identity : row.asked) given.push_back(ids.IdFor(identity));
        EXPECT_EQ(given, row.ids) << row.map;
        platform.readErrors.clear();  // for this run the map stays one that cannot be read
        ids.Remember();
        EXPECT_EQ(platform.files.size(), 1u);  // the map only, in its folder
        if (row.written != "?") {
            EXPECT_EQ(platform.files[map].contents, row.written) << row.map;
        }
        IconIds again(platform.services, row.folder);  // the next run reads what this one wrote
        for (std::size_t n = 0; n < given.size() && row.readError == 0; ++n)
            EXPECT_EQ(again.IdFor(row.asked[n]), given[n]) << row.asked[n];
    }
    // Repeats are counted in a form no target takes, letter case folded as file names fold.
    IdentityCounter counter;
    Texts identities;
    for (const char* target : {"A.exe", "b", "a.EXE", "https://x.org/a", "https://x.org/a",
                               "https://x.org/a#2", "\xC3\x89t\xC3\xA9", "\xC3\xA9T\xC3\x89"})
        identities.push_back(counter.Next(LineIdentity(target)));
    EXPECT_EQ(identities, (Texts{"line:a.exe", "line:b", "line#2:a.exe", "line:https://x.org/a",
                                 "line#2:https://x.org/a", "line:https://x.org/a#2",
                                 "line:\xC3\xA9t\xC3\xA9", "line#2:\xC3\xA9t\xC3\xA9"}));
}

// Two copies of the program (two lists) share the map: each writes its records over what the
// other wrote meanwhile, under the lock, and the records unused for longest make room first.
TEST(IconIdsTest, CopiesOfTheProgramKeepEachOthersRecords) {
    FakePlatform platform;
    const std::string folder = "C:\\D", map = folder + "\\iconids.txt";
    std::string records = "1 18000\tline:1\n";  // used later than the others, though first
    for (int k = 2; k <= 1000; ++k)
        records += std::to_string(k) + " 5\tline:" + std::to_string(k) + "\n";
    platform.files[map] = {records};
    IconIds first(platform.services, folder), second(platform.services, folder);
    const std::uint32_t firsts = first.IdFor("line:first"), seconds = second.IdFor("line:second");
    first.Remember(), second.Remember();
    IconIds third(platform.services, folder);
    EXPECT_EQ(std::pair(third.IdFor("line:first"), third.IdFor("line:second")),
              std::pair(firsts, seconds));
    for (const char* record : {"\tline:first\r\n", "\tline:second\r\n"})
        EXPECT_NE(platform.files[map].contents.find(record), std::string::npos) << record;
    EXPECT_EQ(third.IdFor("line:1"), 1u);
    EXPECT_NE(third.IdFor("line:2"), 2u);  // the least recently used, gone to make room
    EXPECT_EQ(platform.writes, (Texts{map + " (locked)", map + " (locked)"}));
    platform.lockBusy = true;  // held by another copy for longer than the wait: written later
    third.Remember();
    EXPECT_EQ(platform.writes.size(), 2u);
    platform.lockBusy = false;
    third.Remember();
    EXPECT_EQ(platform.writes.size(), 3u);
}

// Whatever the map holds, a start gives every entry an id of its own, reading no more than the
// records it keeps: the most recently used thousand of a map where every id is taken, nothing
// beyond the first megabyte. When every id has been given out, the records unused in this run
// give theirs up, the least recently used first.
TEST(IconIdsTest, AnyMapGivesEveryEntryAnIdOfItsOwn) {
    const std::string folder = "C:\\D", map = folder + "\\iconids.txt";
    std::string full;
    for (std::uint32_t id = 1; id <= kMaxIconId; ++id)
        full += std::to_string(id) + "\tline:" + std::to_string(id) + "\n";
    const std::string beyond = std::string(kMaxMapBytes, '\n') + "7\tline:beyond\n";
    for (const std::string& records : {full, beyond}) {
        FakePlatform platform;
        platform.files[map] = {records};
        IconIds ids(platform.services, folder);
        std::set<std::uint32_t> given;
        for (const char* identity : {"line:65535", "line:1", "line:beyond", "line:new"})
            given.insert(ids.IdFor(identity));
        EXPECT_EQ(given.size(), 4u);
        EXPECT_EQ(ids.IdFor("line:1"), DerivedIconId("line:1"));
        EXPECT_EQ(ids.IdFor("line:beyond"), DerivedIconId("line:beyond"));
        ids.Remember();
        EXPECT_LE(std::count(platform.files[map].contents.begin(),
                             platform.files[map].contents.end(), '\n'),
                  1000);
    }
    FakePlatform platform;
    platform.files[map] = {"1\tline:oldest\n2\tline:older\n3\tline:kept"};
    IconIds ids(platform.services, folder);
    std::set<std::uint32_t> given = {ids.IdFor("line:kept")};
    for (std::uint32_t n = 1; n <= kMaxIconId - 2; ++n) given.insert(ids.IdFor(std::to_string(n)));
    EXPECT_EQ(given.size(), kMaxIconId - 1);  // one more than were free
    EXPECT_EQ(std::pair(given.count(1), given.count(2)), std::pair(1ul, 0ul));  // the oldest's
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

// With SHOWICONS, a record the task bar writes for one of the icons in the tray is shown on the
// task bar once, when it has not changed for a second, whatever order its values came in; a
// record there before, another program's, one for an id not in the tray or for an unknown folder
// is left alone, and so is every record when they could not be listed as the icons came. One
// for an icon that comes later is shown when it comes. Without the option nothing is watched.
// The paths are compared without letter case, known folders expanded.
TEST(IconPromotionTest, OnlyRecordsNewForTheProgramsOwnIconsAreShown) {
    const std::string own = "|C:\\Apps\\Iconlane.exe|",
                      apps = "{A995A995-0000-4000-8000-00000000A995}";
    // The options file (";unlisted": the records cannot be listed as icons 1 and 2 come), records
    // before they come ("name|path|uid|shown"), records written afterwards (each a change, 100 ms
    // apart), the records shown once all has been quiet for a second and icon 3 has come
    // clang-format off
    const std::vector<std::tuple<std::string, Texts, Texts, std::string>> cases = {
        {"SHOWICONS=TRUE", {}, {"n|c:\\apps\\ICONLANE.EXE|2"}, "n"},
        {"SHOWICONS=TRUE", {"o" + own + "1"}, {"n" + own + "2"}, "n"},
        {"SHOWICONS=TRUE", {}, {"f|C:\\Other\\Iconlane.exe|1", "u" + own + "4"}, ""},
        {"SHOWICONS=TRUE", {}, {"g|" + apps + "\\Iconlane.exe|1", "h|{0}\\Iconlane.exe|2"}, "g"},
        {"SHOWICONS=TRUE", {}, {"n||1", "n" + own + "-", "n" + own + "1"}, "n"},
        {"SHOWICONS=TRUE", {}, {"n" + own + "1", "n" + own + "1|0"}, "n"},
        {"SHOWICONS=TRUE", {}, {"u" + own + "3"}, "u"},
        {"SHOWICONS=TRUE,;unlisted", {"o" + own + "1"}, {"n" + own + "2"}, ""},
        {"", {}, {"n" + own + "1"}, ""}};
    // clang-format on
    for (const auto& [ini, before, after, shown] : cases) {
        Bench b(0, ini);
        auto& records = b.platform.iconRecords.emplace();
        b.platform.knownFolders[apps] = "C:\\Apps";
        const auto quiet = [&](unsigned ms) {
            b.platform.now += ms;
            if (b.platform.recordsChanged) b.platform.recordsChanged();
        };
        auto write = [&](const std::string& text) {
            Texts part;
            std::istringstream fields(text);
            for (std::string field; std::getline(fields, field, '|');) part.push_back(field);
            const auto number = [&](std::size_t n) -> std::optional<std::uint32_t> {
                if (n >= part.size() || part[n] == "-") return std::nullopt;
                return static_cast<std::uint32_t>(std::stoul(part[n]));
            };
            records[part[0]] = {part[1], number(2), number(3)};
            quiet(100);
        };
        for (const std::string& record : before) write(record);
        b.platform.unreadableListings = ini.ends_with("unlisted") ? 1 : 0;
        b.Run("A A");
        for (const std::string& record : after) write(record);
        quiet(1000), b.Run("A");
        write("x|C:\\x.exe|9"), quiet(1000);  // one more change: nothing is shown twice
        std::string promoted, showing;
        for (const std::string& name : b.platform.promoted) promoted += name;
        for (const auto& [name, record] : records) showing += record.promoted == 1u ? name : "";
        EXPECT_EQ(promoted, shown) << after[0];
        EXPECT_EQ(showing, shown) << after[0];
        EXPECT_EQ(b.platform.Watching(), !ini.empty());
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
    Bench b(1);
    b.Run("m1:516");
    EXPECT_EQ(Rendered(b.platform.menus.at(0).items),
              "Launch!|-|Cancel Menu|-|Help...|-|Exit Iconlane");
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
