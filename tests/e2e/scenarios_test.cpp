// Every path a user takes through iconlane.exe, once each, as rows of one table. Each row runs the
// real program in a fresh folder under Wine and sees it as a user does (see driver.h).
#include "driver.h"
// psapi.h needs windows.h first.
#include <psapi.h>

#include <set>

namespace e2e {
namespace {

const std::string kBatch = "/BATCH:$D\\lane.txt", kHuge = std::string(100000, 'x') + ",tip";
const std::string kLineError = "Unexpected error ",
                  kWhileParsing = " occurred in ParseLine while parsing ";
const std::string kCheck = "\n\nPlease check line syntax";
const std::map<std::string, std::string> kNativeFirst{{"WINEDLLOVERRIDES", "msftedit=n,b"}};

// Entries "Lane 1".."Lane n" that open marker.exe, each with its own plain icon.
void startLane(Driver& d, int entries, const Texts& options = {}) {
    Texts lines, tips;
    for (int n = 1; n <= entries; ++n) {
        tips.push_back("Lane " + std::to_string(n));
        lines.push_back("$D\\marker.exe," + tips.back() + ",$D\\own" + std::to_string(n) + ".ico");
    }
    d.writeLines("Iconlane.ini", options), d.writeLines("lane.txt", lines), d.start(kBatch);
    ASSERT_EQ(waitForTips(entries), tips);
}

void copyGuide(const Driver& d) {
    const std::string guide =
        builtFile("ICONLANE_EXE")
            .replace(builtFile("ICONLANE_EXE").rfind('\\'), 99, "\\Iconlane.rtf");
    CopyFileA(guide.c_str(), d.path("$D\\Iconlane.rtf").c_str(), 0);
}

// The icon drawn at 32 x 32, as 0x00RRGGBB values (empty for no icon); the icon is destroyed.
std::vector<DWORD> drawn(HICON icon) {
    BITMAPINFO format{{sizeof(BITMAPINFOHEADER), 32, -32, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    DWORD* bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(memory, &format, 0, reinterpret_cast<void**>(&bits), 0, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const bool done = DrawIconEx(memory, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
    std::vector<DWORD> pixels(bits, bits + (done ? 32 * 32 : 0));
    for (DWORD& pixel : pixels) pixel &= 0xFFFFFF;
    SelectObject(memory, old), DeleteObject(bitmap), DeleteDC(memory), DestroyIcon(icon);
    return pixels;
}

// Milliseconds from one call to the next, on average.
double pace(const std::vector<ShellCall>& calls) {
    return std::chrono::duration<double, std::milli>(calls.back().at - calls.front().at).count() /
           (calls.size() - 1);
}

bool notifyIcon(DWORD operation, std::pair<LONG, UINT> icon, const std::string& tip = "") {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE, data.uID = icon.second, data.uFlags = NIF_TIP;
    data.hWnd = HWND(LONG_PTR(icon.first));
    lstrcpynA(data.szTip, tip.c_str(), sizeof data.szTip);
    return Shell_NotifyIconA(operation, &data);
}

// The guide, and its controls where the design's fractions of its client area put them once it
// is resized.
HWND expectGuide(const Driver& d) {
    HWND help = d.waitFor("frmHelp");
    EXPECT_EQ(textOf(help), "Iconlane v1.0.0");
    const std::string text = textOf(GetDlgItem(help, 100));
    EXPECT_TRUE(text.find("Iconlane User Guide") < text.find("\\rtf")) << text.substr(0, 300);
    SetWindowPos(help, nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER);
    std::string misplaced;
    pollUntil(
        [&] {
            RECT client{}, box{}, ok{};
            GetClientRect(help, &client), GetWindowRect(GetDlgItem(help, 100), &box);
            GetWindowRect(GetDlgItem(help, IDOK), &ok);
            MapWindowPoints(nullptr, help, reinterpret_cast<POINT*>(&box), 2);
            MapWindowPoints(nullptr, help, reinterpret_cast<POINT*>(&ok), 2);
            const double x = client.right / 6705.0, y = client.bottom / 5310.0;
            const std::pair<LONG, double> sides[] = {{box.left, 75 * x},    {box.top, 90 * y},
                                                     {box.right, 6600 * x}, {box.bottom, 4395 * y},
                                                     {ok.left, 5205 * x},   {ok.top, 4515 * y},
                                                     {ok.right, 6615 * x},  {ok.bottom, 5220 * y}};
            misplaced.clear();
            for (const auto& [actual, design] : sides)
                if (std::abs(actual - design) > 2) misplaced += std::to_string(actual) + " ";
            return misplaced.empty();
        },
        2s);
    EXPECT_EQ(misplaced, "") << "out of proportion at 800 x 600";
    return help;
}

// A message box: its title, the start and end of its text, its icon by colour (Wine's stop icon is
// red, its exclamation orange, nothing else in a box is either), inside a 1024 x 768 screen; then
// OK.
void expectBox(const Driver& d, std::string title, std::string starts, std::string ends,
               bool stop) {
    HWND box = d.waitFor("#32770", IDOK);
    const std::string text = textOf(GetDlgItem(box, 0xFFFF));
    EXPECT_EQ(textOf(box), title);
    EXPECT_TRUE(text.starts_with(d.path(starts)) && text.ends_with(ends)) << text.substr(0, 300);
    RECT r{};
    GetWindowRect(box, &r);
    EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= 1024 && r.bottom <= 768);
    EXPECT_TRUE(pollUntil(
        [&] {
            const Pixels pixels = screenPixels(r);
            return count(pixels, stop ? isRed : isOrange) > 50 &&
                   !count(pixels, stop ? isOrange : isRed);
        },
        2s))
        << (stop ? "no stop icon" : "no exclamation icon");
    PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
}

// Yes to the exit question ends the program after deleting every icon, in entry order.
void exitAndAnswerYes(Driver& d, std::size_t icon) {
    d.choose(icon, kExit);
    PostMessageA(GetDlgItem(d.waitFor("#32770", IDNO), IDYES), BM_CLICK, 0, 0);
    EXPECT_TRUE(d.ended()) << "the program runs on after Yes";
    EXPECT_EQ(waitForTips(0), Texts{});
    std::vector<std::pair<LONG, UINT>> added, deleted;
    for (const ShellCall& call : d.spy.calls(NIM_ADD)) added.push_back(call.icon);
    for (const ShellCall& call : d.spy.calls(NIM_DELETE)) deleted.push_back(call.icon);
    EXPECT_EQ(deleted, added);
}

struct Row {
    const char* name;
    void (*play)(Driver&);
};

const Row kRows[] = {
    {"BatchFileGivesIconsWithTooltipsInLineOrder",
     [](Driver& d) {
         d.writeLines("lane.txt", {"\xEF\xBB\xBF; a comment after the byte-order mark",
                                   "%E2E_DIR%\\notepad.exe,,", "$D\\lane.txt,Grüße aus Zürich",
                                   "$D\\marker.exe,Own,$D\\own3.ico"});
         d.start(kBatch, {{"E2E_DIR", "C:\\windows"}});
         EXPECT_EQ(waitForTips(3), (Texts{"C:\\windows\\notepad.exe", "Grüße aus Zürich", "Own"}));
         EXPECT_TRUE(d.showsNoDialog());
         EXPECT_EQ(d.look(2), Look::Own) << "the icon file's picture is not shown";
         Texts cached;  // the icons found for the targets: notepad's own, the text file type's
         for (const auto& file : std::filesystem::directory_iterator(d.path("$D\\Iconlane")))
             cached.push_back(file.path().filename().string());
         EXPECT_EQ(cached, (Texts{"1.ico", "2.ico"}));
         const std::string first = d.path("$D\\Iconlane\\1.ico");
         EXPECT_EQ(drawn(HICON(LoadImageA(0, first.c_str(), IMAGE_ICON, 32, 32, LR_LOADFROMFILE))),
                   drawn(ExtractIconA(nullptr, "C:\\windows\\notepad.exe", 0)));
     }},
    {"ALockedBatchFileEndsStartUpWithAMessage",
     [](Driver& d) {
         d.writeLines("lane.txt", {"$D\\marker.exe,Lane 1"});
         HANDLE locked =
             CreateFileA(d.path("$D\\lane.txt").c_str(), GENERIC_READ, 0, 0, OPEN_EXISTING, 0, 0);
         d.start(kBatch);
         expectBox(d, "Iconlane!", "error  70 (", ") in main", true);
         EXPECT_TRUE(d.ended()) << "start-up goes on";
         CloseHandle(locked);
     }},
    // The items after a bad one are not read: the click mode stays DOUBLE.
    {"OptionsFileWithABadItemDoubleClickModeAndACommandLineEntry",
     [](Driver& d) {
         d.writeLines("Iconlane.ini",
                      {"clickmode=Double", std::string(32766, 'A') + "=x", "CLICKMODE=SINGLE"});
         d.start("$D\\marker.exe, Pocket marker ");
         expectBox(d, "Iconlane!", "Error 6 (", ") occurred during Options File Read.", true);
         ASSERT_EQ(waitForTips(1), Texts{" Pocket marker "});
         d.click(0, 1);
         EXPECT_TRUE(d.witnessedSettlesAt(0)) << "a single click launched";
         d.click(0, 2);
         EXPECT_TRUE(d.witnessedSettlesAt(1)) << "a double click did not launch once";
     }},
    {"NoClickModeLaunchesFromTheMenuOnly",
     [](Driver& d) {
         startLane(d, 1, {"HELPDISABLED=TRUE"});
         d.click(0, 2);
         d.choose(0, kCancel), d.choose(0, kHelp);  // Help... is disabled
         EXPECT_TRUE(d.showsNoDialog());
         EXPECT_TRUE(d.witnessedSettlesAt(0)) << "a click launched";
         d.choose(0, kLaunch);
         EXPECT_TRUE(d.witnessedSettlesAt(1)) << "\"Launch!\" did not launch once";
     }},
    {"ExitQuestionBlinksEveryIconEvery800msAndNoStopsIt",
     [](Driver& d) {
         startLane(d, 2);
         d.choose(0, kExit);
         HWND question = d.waitFor("#32770", IDNO);
         EXPECT_EQ(textOf(question), "Exit Iconlane?");
         EXPECT_EQ(textOf(GetDlgItem(question, 1000)),
                   "Exiting Iconlane will remove the 2 icons managed by it - Are you sure?");
         auto ticks = [&, first = d.spy.calls(NIM_ADD)[0].icon] {
             auto calls = d.spy.calls(NIM_MODIFY);
             std::erase_if(calls, [&](auto& c) { return c.icon != first; });
             return calls;
         };
         const std::size_t before = ticks().size();
         std::set<Look> seen[2];
         pollUntil([&] {
             return seen[0].insert(d.look(0)), seen[1].insert(d.look(1)),
                    ticks().size() > before + 5;
         });
         for (const auto& looks : seen)
             EXPECT_TRUE(looks.count(Look::Cross) && looks.count(Look::Own));
         const auto all = ticks();
         EXPECT_NEAR(pace({all.begin() + before + 1, all.end()}), 800, 60);
         PostMessageA(GetDlgItem(question, IDNO), BM_CLICK, 0, 0);
         EXPECT_TRUE(
             holdsFor([&] { return d.look(0) == Look::Own && d.look(1) == Look::Own; }, 1800ms));
         EXPECT_FALSE(d.ended(0ms));
     }},
    {"EmptyCommandLineShowsTheGuideAndIgnoresAPlantedDll",
     [](Driver& d) {
         copyGuide(d);
         CopyFileA(builtFile("ICONLANE_E2E_PLANTED").c_str(), d.path("$D\\msftedit.dll").c_str(),
                   0);
         d.start("", kNativeFirst);
         PostMessageA(GetDlgItem(expectGuide(d), IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
         EXPECT_TRUE(d.ended()) << "Esc does not close the guide and end the program";
         EXPECT_EQ(d.witnessed(), Texts{}) << "the planted DLL was loaded";
         // It would be: a copy of rundll32 beside it loads "msftedit.dll" from its own folder.
         CopyFileA("C:\\windows\\system32\\rundll32.exe", d.path("$D\\rundll32.exe").c_str(), 0);
         auto loader = d.run(d.path("\"$D\\rundll32.exe\" msftedit.dll,Probe"), kNativeFirst);
         WaitForSingleObject(loader.hProcess, 15000), CloseHandle(loader.hProcess),
             CloseHandle(loader.hThread);
         EXPECT_EQ(d.witnessed(), Texts{"loaded"});
     }},
    {"ABadLineIsReportedAndTheOtherLinesStay",
     [](Driver& d) {
         d.write("fake.ico", "this is text, not an icon");
         d.writeLines("lane.txt",
                      {"marker.exe,One", "marker.exe,Two,fake.ico", "marker.exe,Three"});
         d.start(kBatch);
         expectBox(d, "Iconlane",
                   kLineError + "#481" + kWhileParsing + "'marker.exe,Two,fake.ico'" + kCheck, "",
                   false);
         EXPECT_EQ(waitForTips(2), (Texts{"One", "Three"}));
     }},
    {"AHugeLineIsQuotedShortInABoxThatFitsTheScreen",
     [](Driver& d) {
         d.writeLines("lane.txt", {kHuge});
         d.start(kBatch);
         expectBox(d, "Iconlane", kLineError + "#6" + kWhileParsing + "'" + kHuge.substr(0, 40),
                   kCheck, false);
     }},
    {"OneWindowHoldsIconsOneToNAndARestartedShellGetsThemBackInOrder",
     [](Driver& d) {
         startLane(d, 3);
         const auto holders = windowsOf(d.id(), "IconlaneTray");
         ASSERT_EQ(holders.size(), 1u);
         for (HWND window : windowsOf(d.id(), nullptr))
             for (UINT k = 1; k <= 4; ++k)
                 EXPECT_EQ(notifyIcon(NIM_MODIFY, {LONG(LONG_PTR(window)), k},
                                      "Lane " + std::to_string(k)),
                           window == holders[0] && k <= 3)
                     << window << " " << k;
         for (const ShellCall& call : d.spy.calls(NIM_ADD)) notifyIcon(NIM_DELETE, call.icon);
         ASSERT_EQ(waitForTips(0), Texts{}) << "the shell did not lose the icons";
         DWORD_PTR ignored = 0;
         SendMessageTimeoutA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0, 0,
                             5000, &ignored);
         EXPECT_EQ(waitForTips(3), (Texts{"Lane 1", "Lane 2", "Lane 3"}));
         for (std::size_t n = 0; n < 3; ++n) EXPECT_EQ(d.look(n), Look::Own) << "icon " << n;
     }},
    {"ARefusedIconIsRetriedEveryTwoSeconds",
     [](Driver& d) {
         d.spy.refuseAdds = 2;
         startLane(d, 1);
         ASSERT_EQ(d.spy.calls(NIM_ADD).size(), 3u);
         EXPECT_NEAR(pace(d.spy.calls(NIM_ADD)), 2000, 150);
     }},
    {"HelpWhileTheQuestionIsOpenBringsItToTheFrontAndYesEnds",
     [](Driver& d) {
         copyGuide(d);
         startLane(d, 2);
         d.choose(0, kExit);
         HWND question = d.waitFor("#32770", IDNO);
         d.choose(1, kHelp);
         EXPECT_TRUE(pollUntil([&] { return GetForegroundWindow() == question; }, 2s));
         EXPECT_TRUE(holdsFor([&] { return !d.waitFor("frmHelp", 0, 0ms); }, 500ms)) << "a guide";
         PostMessageA(GetDlgItem(question, IDYES), BM_CLICK, 0, 0);
         EXPECT_TRUE(d.ended()) << "the program runs on after Yes";
     }},
    {"HelpShowsTheGuideAndExitWithItOpenEndsOnYes",
     [](Driver& d) {
         copyGuide(d);
         startLane(d, 2);
         d.choose(0, kHelp);
         expectGuide(d);
         exitAndAnswerYes(d, 1);
     }},
    // A copy of the program that blinks every 20 ms: thousands of picture swaps leak nothing.
    {"SoakThirtyBlinkingIconsKeepTheirMemory",
     [](Driver& d) {
         Texts lines;
         for (int n = 1; n <= 30; ++n)
             lines.push_back("C:\\windows\\notepad.exe,Soak " + std::to_string(n));
         d.writeLines("lane.txt", lines);
         d.start(kBatch, {}, "ICONLANE_SOAK_EXE");
         ASSERT_EQ(waitForTips(30).size(), 30u);
         d.choose(0, kExit);
         d.spy.passOn = false;      // the tray would only slow the swaps down
         auto privateBytes = [&] {  // PagefileUsage carries them under Wine
             PROCESS_MEMORY_COUNTERS counters{};
             HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, 0, d.id());
             GetProcessMemoryInfo(process, &counters, sizeof counters), CloseHandle(process);
             return static_cast<long long>(counters.PagefileUsage);
         };
         auto swaps = [&] { return d.spy.calls(NIM_MODIFY).size(); };
         pollUntil([&] { return swaps() >= 1500; });
         const long long before = privateBytes();
         const std::size_t from = swaps();
         EXPECT_TRUE(pollUntil([&] { return swaps() >= from + 9000; }, 60s));
         EXPECT_LE(privateBytes() - before, 2 << 20) << "after " << swaps() - from << " swaps";
         EXPECT_GT(before, 0);
         d.spy.passOn = true;
     }},
};

class Scenario : public ::testing::TestWithParam<Row> {};

TEST_P(Scenario, Plays) {
    ASSERT_EQ(waitForTips(0), Texts{}) << "icons left in the tray by an earlier program";
    Driver driver(GetParam().name);
    GetParam().play(driver);
}

INSTANTIATE_TEST_SUITE_P(Iconlane, Scenario, ::testing::ValuesIn(kRows),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace e2e
