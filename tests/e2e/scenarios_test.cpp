// Every path a user takes through iconlane.exe, once each, as rows of one table. Each row runs the
// real program in a fresh folder under Wine and sees it as a user does (see driver.h).
#include "driver.h"
// The shell's shortcut object needs windows.h first.
#include <shlobj.h>

namespace e2e {
namespace {

const std::string kBatch = "/BATCH:$D\\lane.txt", kHuge = std::string(100000, 'x') + ",tip";
const std::string kError = "Unexpected error #", kCheck = "'\n\nPlease check line syntax";
const char* const kDesktop = "Control Panel\\Desktop";
const char* const kTaken =
    "The hot key Ctrl+Alt+Q is used by another program; Iconlane runs without it.";

// Milliseconds from one call to the next, on average.
double pace(const std::vector<std::pair<Icon, Clock::time_point>>& calls) {
    return (calls.back().second - calls.front().second) / 1.0ms / (calls.size() - 1);
}

bool notifyIcon(DWORD operation, Icon icon) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE, data.uID = icon.second, data.uFlags = NIF_TIP;
    data.hWnd = HWND(LONG_PTR(icon.first));
    lstrcpyA(data.szTip, ("Lane " + std::to_string(icon.second)).c_str());
    return Shell_NotifyIconA(operation, &data);
}

// A message box: title, start and end of its text, its icon by colour (Wine's stop icon is red,
// its exclamation orange, nothing else in a box is either), inside a 1024 x 768 screen; then OK.
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
            const Colours c = coloursIn(r);
            return stop ? c.red > 50 && !c.orange : c.orange > 50 && !c.red;
        },
        2s))
        << (stop ? "no stop icon" : "no exclamation icon");
    Driver::press(box, IDOK);
}

// The guide, titled with the version, with the text box and Ok where the design's fractions of
// the client area put them once the window is resized.
HWND expectGuide(const Driver& d) {
    HWND help = d.waitFor("frmHelp");
    const std::string text = textOf(GetDlgItem(help, 100));
    EXPECT_EQ(textOf(help), "Iconlane v1.0.0");
    EXPECT_TRUE(text.find("Iconlane User Guide") < text.find("\\rtf")) << text.substr(0, 300);
    SetWindowPos(help, nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(pollUntil(
        [&] {
            RECT client{}, box{}, ok{};
            GetClientRect(help, &client), GetWindowRect(GetDlgItem(help, 100), &box);
            GetWindowRect(GetDlgItem(help, IDOK), &ok);
            MapWindowPoints(nullptr, help, reinterpret_cast<POINT*>(&box), 2);
            MapWindowPoints(nullptr, help, reinterpret_cast<POINT*>(&ok), 2);
            const double x = client.right / 6705.0, y = client.bottom / 5310.0;
            const double sides[][2] = {{box.left / x, 75},    {box.top / y, 90},
                                       {box.right / x, 6600}, {box.bottom / y, 4395},
                                       {ok.left / x, 5205},   {ok.top / y, 4515},
                                       {ok.right / x, 6615},  {ok.bottom / y, 5220}};
            return std::all_of(std::begin(sides), std::end(sides),
                               [&](auto& s) { return std::abs(s[0] - s[1]) < 30; });
        },
        2s))
        << "out of proportion at 800 x 600";
    return help;
}

// Yes to the exit question ends the program after deleting every icon, in entry order.
void exitAndAnswerYes(Driver& d, std::size_t icon) {
    d.choose(icon, kExit);
    Driver::press(d.waitFor("#32770", IDNO), IDYES);
    EXPECT_TRUE(d.ended()) << "the program runs on after Yes";
    EXPECT_EQ(waitForTips(0), "");
    std::vector<Icon> added, deleted;
    for (const auto& call : d.spy.calls(NIM_ADD)) added.push_back(call.first);
    for (const auto& call : d.spy.calls(NIM_DELETE)) deleted.push_back(call.first);
    EXPECT_EQ(deleted, added);
}

// A shortcut to marker.exe (without an icon: to the computer, an item list and nothing else),
// written into $D\ql by the shell's own shortcut object.
void shortcut(const Driver& d, const std::string& name, const std::string& comment,
              const std::string& icon) {
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    LPITEMIDLIST computer = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)) &&
                SUCCEEDED(CoCreateInstance(CLSID_ShellLink, 0, CLSCTX_INPROC_SERVER,
                                           IID_IShellLinkA, reinterpret_cast<void**>(&link))));
    if (icon.empty() && SUCCEEDED(SHGetSpecialFolderLocation(0, CSIDL_DRIVES, &computer)))
        link->SetIDList(computer), ILFree(computer);
    else
        link->SetPath(d.path("$D\\marker.exe").c_str()),
            link->SetIconLocation(d.path(icon).c_str(), 0);
    link->SetDescription(comment.c_str());
    link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    const std::string path = d.path("$D\\ql\\" + name);
    EXPECT_EQ(file->Save(std::wstring(path.begin(), path.end()).c_str(), TRUE), S_OK);
    file->Release(), link->Release(), CoUninitialize();
}

// Keys made as Windows 11's task bar makes them: 13 for Iconlane's third icon, seen at an earlier
// start; once the icons are in, 11 and 12 for the first two (12 under a known folder: the user's
// Templates folder, moved for the test) and 14 another program's, each with the path and id
// first and the task bar's own IsPromoted=0 a moment later. Only 11 and 12 may be shown.
void showIcons(Driver& d, const std::string& option) {
    const std::string keys = "Control Panel\\NotifyIconSettings\\", root = "C:\\iconlane-e2e";
    auto record = [&](const char* key, const std::string& path, DWORD uid) {
        RegSetKeyValueA(HKEY_CURRENT_USER, (keys + key).c_str(), "ExecutablePath", REG_SZ,
                        path.c_str(), DWORD(path.size() + 1));
        RegSetKeyValueA(HKEY_CURRENT_USER, (keys + key).c_str(), "UID", REG_DWORD, &uid, 4);
    };
    auto shown = [&](std::string names = "") {
        for (const char* key : {"11", "12", "13", "14"}) {
            DWORD on = 0, size = 4;
            RegGetValueA(HKEY_CURRENT_USER, (keys + key).c_str(), "IsPromoted", RRF_RT_DWORD, 0,
                         &on, &size);
            names += on ? key : "";
        }
        return names;
    };
    RegDeleteTreeA(HKEY_CURRENT_USER, keys.c_str());
    RegSetKeyValueA(HKEY_CURRENT_USER,
                    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                    "Templates", REG_SZ, root.c_str(), DWORD(root.size() + 1));
    record("13", d.path("$D\\iconlane.exe"), 3);
    std::string ids;  // an earlier run gave the icons the ids 1 to 3
    for (char n : {'1', '2', '3'}) ids += n + ("\tline:" + d.path("$D\\lane") + n + ".exe\r\n");
    std::filesystem::create_directory(d.path("$D\\Iconlane"));
    d.write("Iconlane\\iconids.txt", CharLowerA(ids.data()));
    d.startLane(3, {option});
    record("11", d.path("$D\\ICONLANE.EXE"), 1), record("14", "C:\\windows\\notepad.exe", 1);
    record("12",
           "{A63293E8-664E-48DB-A079-DF759E0509F7}" + d.path("$D").substr(root.size()) +
               "\\iconlane.exe",
           2);
    Sleep(300);
    for (const wchar_t* key : {L"11", L"12", L"14"}) {
        const DWORD hidden = 0;
        RegSetKeyValueW(HKEY_CURRENT_USER,
                        (L"Control Panel\\NotifyIconSettings\\" + std::wstring(key)).c_str(),
                        L"IsPromoted", REG_DWORD, &hidden, sizeof hidden);
    }
    EXPECT_TRUE(holdsFor([&] { return shown() == (option.ends_with("TRUE") ? "1112" : ""); }, 2s))
        << shown();
}

// Whether another program could take Ctrl+Alt+Q now. Tried on a window, which lets go of it with
// itself: under Wine a hot key of a thread that had no message queue yet outlives the thread.
bool chordFree() {
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, 0, 0, 0);
    const bool free = RegisterHotKey(window, 1, MOD_CONTROL | MOD_ALT, 'Q');
    DestroyWindow(window);
    return free;
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
         EXPECT_EQ(waitForTips(3), "C:\\windows\\notepad.exe|Grüße aus Zürich|Own");
         EXPECT_TRUE(d.showsNoDialog());
         EXPECT_TRUE(d.shows(2, true)) << "the icon file's picture is not shown";
         // The icons found for notepad and for a text file are written, and notepad's is its own.
         std::set<std::string> cached;
         for (const auto& file : std::filesystem::directory_iterator(d.path("$D\\Iconlane")))
             cached.insert(file.path().filename().string());
         EXPECT_EQ(cached, (std::set<std::string>{"1.ico", "2.ico", "iconids.txt"}));
         ICONINFO own{}, extracted{};
         GetIconInfo(HICON(LoadImageA(0, d.path("$D\\Iconlane\\1.ico").c_str(), IMAGE_ICON, 0, 0,
                                      LR_LOADFROMFILE)),
                     &own);
         HICON small = nullptr;  // notepad's own frame of the tray's size, 16 at 96 DPI
         ExtractIconExA("C:\\windows\\notepad.exe", 0, nullptr, &small, 1);
         GetIconInfo(small, &extracted);
         BYTE ownBits[4096] = {}, extractedBits[4096] = {};
         GetBitmapBits(own.hbmColor, sizeof ownBits, ownBits),
             GetBitmapBits(extracted.hbmColor, sizeof extractedBits, extractedBits);
         EXPECT_TRUE(own.hbmColor && !memcmp(ownBits, extractedBits, sizeof ownBits))
             << "not notepad's icon";
         EXPECT_EQ(d.spy.details(NIM_ADD), std::vector<UINT>(3, 16)) << "not the tray's size";
         EXPECT_EQ(d.spy.details(NIM_SETVERSION), std::vector<UINT>(3, NOTIFYICON_VERSION));
     }},
    // LogPixels is read as each program starts: this one sees 144 DPI, the task bar 96.
    {"At144DpiTheTrayGetsEveryPictureAndTheRedCrossAt24Pixels",
     [](Driver& d) {
         const DWORD dpi = 144;
         RegSetKeyValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels", REG_DWORD, &dpi, sizeof dpi);
         d.writeLines("lane.txt",
                      {"C:\\windows\\notepad.exe,Pad", "$D\\marker.exe,Own,$D\\own1.ico"});
         d.start(kBatch);
         const std::string tips = waitForTips(2);
         RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels");
         EXPECT_EQ(tips, "Pad|Own");
         d.choose(0, kExit);  // every icon blinks: the red cross, then its own picture
         pollUntil([&] { return d.spy.calls(NIM_MODIFY).size() >= 4; });
         std::vector<UINT> shown = d.spy.details(NIM_ADD), blinks = d.spy.details(NIM_MODIFY);
         blinks.resize(4), shown.insert(shown.end(), blinks.begin(), blinks.end());
         EXPECT_EQ(shown, std::vector<UINT>(6, 24));
         std::string cache(7, '\0');
         std::ifstream(d.path("$D\\Iconlane\\1.ico"), std::ios::binary).read(cache.data(), 7);
         EXPECT_EQ(cache[6], 24) << "the cache file holds another size than the tray's";
     }},
    // At 125 % an icon file's 32-pixel frame is scaled down to the tray's 20 pixels, not its
    // 16-pixel one scaled up; at 100 % its 16-pixel frame shows as it is.
    {"At120DpiAnIconFilesLargerFrameIsScaledDownAndAt96ItsOwnSizeShows",
     [](Driver& d) {
         d.write("two.ico", iconFile({{16, kOwnColours[0]}, {32, kOwnColours[1]}}));
         d.writeLines("lane.txt", {"$D\\marker.exe,Two,$D\\two.ico"});
         for (const DWORD dpi : {120, 96}) {
             RegSetKeyValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels", REG_DWORD, &dpi, 4);
             d.start(kBatch);
             const std::string tips = waitForTips(1);
             RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktop, "LogPixels");
             EXPECT_EQ(tips, "Two");
             EXPECT_EQ(d.spy.details(NIM_ADD).back(), dpi * 16 / 96) << "not the tray's size";
             const COLORREF frame = kOwnColours[dpi == 120], other = kOwnColours[dpi != 120];
             const Colours shown = coloursIn(d.place(0), frame);
             EXPECT_TRUE(shown.own * 2 >= shown.all && !coloursIn(d.place(0), other).own) << dpi;
             PostMessageA(windowsOf(d.id(), "IconlaneTray")[0], WM_CLOSE, 0, 0);
             ASSERT_TRUE(d.ended());
         }
     }},
    // Enter and the menu key as the task bar reports them to an icon that asked for version 3.
    {"EnterOpensTheTargetOnceAndTheMenuKeyOpensTheMenuAndHandsTheFocusBack",
     [](Driver& d) {
         d.startLane(2, {"CLICKMODE=DOUBLE"});
         d.notify(1, NIN_KEYSELECT), d.notify(1, NIN_KEYSELECT);  // one key press, told twice
         EXPECT_TRUE(d.witnessedSettlesAt(1)) << "Enter did not open the target once";
         d.notify(1, NIN_KEYSELECT);  // a second press, beyond a double click's time
         EXPECT_TRUE(d.witnessedSettlesAt(2));
         d.notify(0, WM_CONTEXTMENU);
         HWND menu = d.waitFor("#32768");
         Sleep(200), Driver::type({VK_ESCAPE});
         EXPECT_TRUE(menu && pollUntil([&] { return !IsWindowVisible(menu); })) << "no menu";
         EXPECT_TRUE(pollUntil([&] { return d.spy.calls(NIM_SETFOCUS).size() == 1; }, 2s));
         EXPECT_EQ(d.spy.calls(NIM_SETFOCUS).at(0).first, d.spy.calls(NIM_ADD)[0].first);
     }},
    // Keys through the input queue reach the menu only when it took the keyboard. It opens
    // beside the pointer, not under it, where a hand that moves a pixel would open the sub-menu
    // there (the shell's menu of the target), which would take the keys.
    {"ARealRightClickOpensOneMenuThatTakesTheKeyboard",
     [](Driver& d) {
         d.startLane(1);
         d.click(0, 1, true);
         HWND menu = d.waitFor("#32768");
         POINT pointer{};
         RECT r{};
         GetCursorPos(&pointer), GetWindowRect(menu, &r);
         EXPECT_FALSE(PtInRect(&r, pointer)) << "under the pointer";
         SetCursorPos(pointer.x + 1, pointer.y - 1);
         EXPECT_TRUE(holdsFor([&] { return windowsOf(d.id(), "#32768").size() == 1; }, 500ms))
             << "a sub-menu opened";
         Driver::type({VK_DOWN, VK_RETURN});  // "Launch!"
         EXPECT_TRUE(d.witnessedSettlesAt(1)) << "the menu did not take the keyboard";
         EXPECT_TRUE(menu && holdsFor([&] { return !d.waitFor("#32768", 0, 0ms); }, 700ms))
             << "a second menu";
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
         ASSERT_EQ(waitForTips(1), " Pocket marker ");
         d.click(0, 1);
         EXPECT_TRUE(d.witnessedSettlesAt(0)) << "a single click launched";
         d.click(0, 2);
         EXPECT_TRUE(d.witnessedSettlesAt(1)) << "a double click did not launch once";
     }},
    {"SingleClickOpensADocumentWithItsOpenVerb",
     [](Driver& d) {
         RegSetValueA(HKEY_CLASSES_ROOT, ".iconlane-doc", REG_SZ, "IconlaneE2E.Doc", 0);
         RegSetValueA(HKEY_CLASSES_ROOT, "IconlaneE2E.Doc\\shell", REG_SZ, "print",
                      0);  // the default
         for (std::string verb : {"open", "print"})
             RegSetValueA(HKEY_CLASSES_ROOT,
                          ("IconlaneE2E.Doc\\shell\\" + verb + "\\command").c_str(), REG_SZ,
                          d.path("\"$D\\marker.exe\" " + verb + " \"%1\"").c_str(), 0);
         d.writeLines("Iconlane.ini", {"CLICKMODE=SINGLE"});
         d.writeLines("lane.txt", {"$D\\report.iconlane-doc,Report"});
         d.write("report.iconlane-doc", "a report"), d.start(kBatch);
         ASSERT_EQ(waitForTips(1), "Report");
         d.click(0, 1);
         ASSERT_TRUE(d.witnessedSettlesAt(1));
         EXPECT_TRUE(d.witnessed()[0].starts_with("1 "))
             << d.witnessed()[0] << ": not shown normally";
         EXPECT_NE(d.witnessed()[0].find(" open "), std::string::npos) << d.witnessed()[0];
     }},
    {"NoClickModeLaunchesFromTheMenuOnly",
     [](Driver& d) {
         d.startLane(2, {"HELPDISABLED=TRUE"});
         d.click(0, 2);
         d.choose(0, kCancel), d.choose(0, kHelp);  // Help... is disabled
         EXPECT_TRUE(d.showsNoDialog());
         EXPECT_TRUE(d.witnessedSettlesAt(0)) << "a click launched";
         d.choose(1, kLaunch);
         ASSERT_TRUE(d.witnessedSettlesAt(1)) << "\"Launch!\" did not launch once";
         EXPECT_NE(d.witnessed()[0].find("lane2.exe"), std::string::npos)
             << "not the second icon's";
     }},
    {"ExitQuestionBlinksEveryIconEvery800msAndNoStopsIt",
     [](Driver& d) {
         d.startLane(2);
         d.choose(0, kExit);
         HWND question = d.waitFor("#32770", IDNO);
         EXPECT_EQ(textOf(question), "Exit Iconlane?");
         EXPECT_EQ(textOf(GetDlgItem(question, 1000)),
                   "Exiting Iconlane will remove the 2 icons managed by it - Are you sure?");
         GUITHREADINFO gui{};
         gui.cbSize = sizeof gui;
         GetGUIThreadInfo(GetWindowThreadProcessId(question, nullptr), &gui);
         EXPECT_EQ(gui.hwndFocus, GetDlgItem(question, IDNO)) << "No has not the focus";
         auto ticks = [&, first = d.spy.calls(NIM_ADD)[0].first] {  // of the first icon
             auto calls = d.spy.calls(NIM_MODIFY);
             std::erase_if(calls, [&](auto& call) { return call.first != first; });
             return calls;
         };
         const std::size_t before = ticks().size();
         std::set<std::pair<std::size_t, bool>> seen;  // icon, own picture
         pollUntil([&] {
             for (std::size_t n = 0; n < 4; ++n)
                 if (d.shows(n / 2, n % 2)) seen.emplace(n / 2, n % 2);
             return ticks().size() > before + 5;
         });
         EXPECT_EQ(seen.size(), 4u)
             << "not every icon blinks between its own picture and the cross";
         const auto all = ticks();
         EXPECT_NEAR(pace({all.begin() + before + 1, all.end()}), 800, 60);
         Driver::press(question, IDNO);
         EXPECT_TRUE(holdsFor([&] { return d.shows(0, true) && d.shows(1, true); }, 1800ms))
             << "blinks on";
         EXPECT_FALSE(d.ended(0ms));
     }},
    {"EmptyCommandLineShowsTheGuideAndIgnoresAPlantedDll",
     [](Driver& d) {
         const std::map<std::string, std::string> nativeFirst{{"WINEDLLOVERRIDES", "msftedit=n,b"}};
         CopyFileA(Driver::built("ICONLANE_E2E_PLANTED").c_str(),
                   d.path("$D\\msftedit.dll").c_str(), 0);
         d.start("", nativeFirst);
         PostMessageA(GetDlgItem(expectGuide(d), IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
         EXPECT_TRUE(d.ended()) << "Esc does not close the guide and end the program";
         EXPECT_TRUE(d.witnessed().empty()) << "the planted DLL was loaded";
         // It would be: a copy of rundll32 beside it loads "msftedit.dll" from its own folder.
         CopyFileA("C:\\windows\\system32\\rundll32.exe", d.path("$D\\rundll32.exe").c_str(), 0);
         WaitForSingleObject(d.run("\"$D\\rundll32.exe\" msftedit.dll,Probe", nativeFirst).hProcess,
                             15000);
         EXPECT_EQ(d.witnessed(), std::vector<std::string>{"loaded"});
     }},
    {"ABadLineIsReportedAndTheOtherLinesStay",
     [](Driver& d) {
         d.write("fake.ico", "this is text, not an icon");
         d.writeLines("lane.txt",
                      {"marker.exe,One", "marker.exe,Two,fake.ico", "marker.exe,Three"});
         d.start(kBatch);
         expectBox(
             d, "Iconlane",
             kError + "481 occurred in ParseLine while parsing 'marker.exe,Two,fake.ico" + kCheck,
             "", false);
         EXPECT_EQ(waitForTips(2), "One|Three");
     }},
    {"AHugeLineIsQuotedShortInABoxThatFitsTheScreen",
     [](Driver& d) {
         d.writeLines("lane.txt", {kHuge});
         d.start(kBatch);
         expectBox(d, "Iconlane",
                   kError + "6 occurred in ParseLine while parsing '" + kHuge.substr(0, 40), kCheck,
                   false);
     }},
    {"OneWindowHoldsEveryIconUnderItsOwnIdAndARestartedShellGetsThemBackInOrder",
     [](Driver& d) {
         d.startLane(3);
         const auto holder = windowsOf(d.id(), "IconlaneTray");
         ASSERT_EQ(holder.size(), 1u);
         std::set<UINT> ids;
         for (const auto& call : d.spy.calls(NIM_ADD)) ids.insert(call.first.second);
         ASSERT_TRUE(ids.size() == 3 && *ids.begin() >= 1 && *ids.rbegin() <= 65535);
         for (HWND window : windowsOf(d.id(), nullptr))
             for (UINT k : {*ids.begin(), *ids.rbegin(), *ids.rbegin() % 65535 + 1})
                 EXPECT_EQ(notifyIcon(NIM_MODIFY, {LONG(LONG_PTR(window)), k}),
                           window == holder[0] && ids.contains(k))
                     << k;
         const auto taskbarCreated = [] {
             DWORD_PTR ignored = 0;
             SendMessageTimeoutA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0, 0,
                                 5000, &ignored);
         };
         taskbarCreated();  // as after a change of scale: the shell still has the icons
         EXPECT_EQ(waitForTips(3), "Lane 1|Lane 2|Lane 3");
         EXPECT_EQ(d.spy.calls(NIM_DELETE).size(), 0u) << "taken out instead of changed in place";
         for (const auto& call : d.spy.calls(NIM_ADD)) notifyIcon(NIM_DELETE, call.first);
         ASSERT_EQ(waitForTips(0), "") << "the shell did not lose the icons";
         taskbarCreated();
         EXPECT_EQ(waitForTips(3), "Lane 1|Lane 2|Lane 3");
         for (std::size_t n = 0; n < 3; ++n) EXPECT_TRUE(d.shows(n, true)) << "icon " << n;
     }},
    {"ARefusedIconIsRetriedEveryTwoSeconds",
     [](Driver& d) {
         d.spy.refuseAdds = 2;
         d.startLane(1);
         ASSERT_EQ(d.spy.calls(NIM_ADD).size(), 3u);
         EXPECT_NEAR(pace(d.spy.calls(NIM_ADD)), 2000, 150);
     }},
    // At log-on the task bar may take an icon while answering that it did not.
    {"AnIconTakenWhileTheAddFailedGetsItsVersionAtTheRetry",
     [](Driver& d) {
         d.spy.takeLate = 1;
         d.startLane(1);
         ASSERT_TRUE(pollUntil([&] { return d.spy.calls(NIM_MODIFY).size() == 1; }));
         EXPECT_TRUE(pollUntil(
             [&] { return d.spy.details(NIM_SETVERSION) == std::vector<UINT>{NOTIFYICON_VERSION}; },
             2s))
             << "no version for the icon";
         EXPECT_EQ(d.spy.calls(NIM_ADD).size(), 2u);  // the retry's add fails: it is there
     }},
    {"HelpWhileTheQuestionIsOpenBringsItToTheFrontAndYesEnds",
     [](Driver& d) {
         d.startLane(2);
         d.choose(0, kExit);
         HWND question = d.waitFor("#32770", IDNO);
         d.choose(1, kHelp);
         EXPECT_TRUE(pollUntil([&] { return GetForegroundWindow() == question; }, 2s));
         EXPECT_TRUE(holdsFor([&] { return !d.waitFor("frmHelp", 0, 0ms); }, 500ms)) << "a guide";
         Driver::press(question, IDYES);
         EXPECT_TRUE(d.ended()) << "the program runs on after Yes";
     }},
    {"HelpShowsTheGuideAndExitWithItOpenEndsOnYes",
     [](Driver& d) {
         d.startLane(2);
         d.choose(0, kHelp);
         expectGuide(d);
         exitAndAnswerYes(d, 1);
     }},
    // A copy of the program that blinks every 20 ms: thousands of picture swaps leak nothing.
    {"SoakThirtyBlinkingIconsKeepTheirMemory",
     [](Driver& d) {
         std::vector<std::string> lines;
         std::string tips = "Soak 1";
         for (int n = 1; n <= 30; ++n) {
             lines.push_back("C:\\windows\\notepad.exe,Soak " + std::to_string(n));
             if (n > 1) tips += "|Soak " + std::to_string(n);
         }
         d.writeLines("lane.txt", lines), d.start(kBatch, {}, "ICONLANE_SOAK_EXE");
         ASSERT_EQ(waitForTips(30), tips);
         d.choose(0, kExit);
         d.spy.passOn = false;      // the tray would only slow the swaps down
         auto privateBytes = [&] {  // PagefileUsage carries them under Wine
             PROCESS_MEMORY_COUNTERS counters{};
             HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, 0, d.id());
             GetProcessMemoryInfo(process, &counters, sizeof counters), CloseHandle(process);
             return static_cast<long long>(counters.PagefileUsage);
         };
         const auto swaps = [&] { return d.spy.calls(NIM_MODIFY).size(); };
         pollUntil([&] { return swaps() >= 1500; });
         const long long before = privateBytes();
         const std::size_t from = swaps();
         EXPECT_TRUE(pollUntil([&] { return swaps() >= from + 9000u; }, 60s));
         EXPECT_LE(privateBytes() - before, 2 << 20) << "after " << swaps() - from << " swaps";
         d.spy.passOn = true;
     }},
    // A file stands where the data folder would be: the icons show all the same, and one message
    // says that their copies could not be saved.
    {"FolderOfShortcutsShowsTheirPicturesAndCommentsAndFollowsTheFolder",
     [](Driver& d) {
         std::filesystem::create_directories(d.path("$D\\ql\\sub"));
         d.write("Iconlane", "not a folder");
         shortcut(d, "b.lnk", "", "%E2E_DIR%\\own2.ico");
         shortcut(d, "A.lnk", "Mail, work", "$D\\own1.ico");
         d.write("ql\\desktop.ini", "[.ShellClassInfo]");
         SetFileAttributesA(d.path("$D\\ql\\desktop.ini").c_str(), FILE_ATTRIBUTE_HIDDEN);
         d.writeLines("Iconlane.ini", {"CLICKMODE=SINGLE"});
         d.start("/folder:$D\\ql", {{"E2E_DIR", d.path("$D")}});
         EXPECT_EQ(waitForTips(3), "Mail, work|b|sub");  // a sub-folder is an entry too
         expectBox(d, "Iconlane",
                   "Error 53 (File not found) while saving a copy of an icon in the data folder '",
                   "\\Iconlane'.\n\nThe icons are shown, but their copies could not be saved.",
                   false);
         EXPECT_TRUE(d.shows(0, true) && d.shows(1, true)) << "not the shortcuts' own pictures";
         d.click(0, 1);
         EXPECT_TRUE(d.witnessedSettlesAt(1)) << "the shortcut's target did not open";
         // Inserted between them: b and sub go and come back after it under their own ids, A stays.
         const auto ids = [&] {
             std::vector<UINT> added;
             for (const auto& call : d.spy.calls(NIM_ADD)) added.push_back(call.first.second);
             return added;
         };
         const std::vector<UINT> first = ids();
         shortcut(d, "Ab.lnk", "Third", "$D\\own3.ico");
         EXPECT_EQ(waitForTips(4), "Mail, work|Third|b|sub");
         EXPECT_TRUE(d.showsNoDialog()) << "a failing copy reported again";
         const std::vector<UINT> inserted = ids();
         ASSERT_EQ(inserted.size(), 6u);
         EXPECT_TRUE(inserted[4] == first[1] && inserted[5] == first[2] &&
                     std::find(first.begin(), first.end(), inserted[3]) == first.end());
         EXPECT_EQ(d.spy.calls(NIM_DELETE).size(), 2u) << "an icon before the new one moved";
         EXPECT_EQ(d.spy.calls(NIM_MODIFY).size(), 0u);
         DeleteFileA(d.path("$D\\ql\\Ab.lnk").c_str());
         EXPECT_EQ(waitForTips(3), "Mail, work|b|sub");
         // A shortcut to the computer gives the tray the shell's own picture of the computer.
         shortcut(d, "This PC.lnk", "", "");
         EXPECT_EQ(waitForTips(4), "Mail, work|b|sub|This PC");
         LPITEMIDLIST computer = nullptr;
         SHFILEINFOA info{};
         SHGetSpecialFolderLocation(0, CSIDL_DRIVES, &computer);
         SHGetFileInfoA(LPCSTR(computer), 0, &info, sizeof info,
                        SHGFI_PIDL | SHGFI_ICON | SHGFI_SMALLICON);  // the tray's size here
         ICONINFO parts{};
         std::string bits(1 << 16, '\0');
         GetIconInfo(info.hIcon, &parts);
         bits.resize(GetBitmapBits(parts.hbmColor, LONG(bits.size()), bits.data()));
         EXPECT_TRUE(!bits.empty() &&
                     d.spy.picture(d.spy.calls(NIM_ADD).back().first).ends_with(bits))
             << "not the computer's picture";
         PostMessageA(windowsOf(d.id(), "IconlaneTray")[0], WM_CLOSE, 0, 0);
         ASSERT_TRUE(d.ended());
         DeleteFileA(d.path("$D\\Iconlane").c_str());  // the profile can be written again
         d.start("/folder:$D\\ql", {{"E2E_DIR", d.path("$D")}});  // the next log-on
         EXPECT_EQ(waitForTips(4), "Mail, work|b|sub|This PC");
         const std::vector<UINT> again = ids();
         EXPECT_EQ(std::vector<UINT>(again.end() - 4, again.end() - 1), first) << "ids not kept";
     }},
    {"AnEditedBatchFileMovesTheTrayAndIsNotReadAsEmptyWhileRenamed",
     [](Driver& d) {
         d.startLane(2);
         d.writeLines("lane.tmp", {"$D\\lane1.exe,Lane 1,$D\\own1.ico", "$D\\lane2.exe,Two",
                                   "$D\\marker.exe,Lane 3,$D\\own3.ico"});
         DeleteFileA(d.path("$D\\lane.txt").c_str()), Sleep(600);
         MoveFileA(d.path("$D\\lane.tmp").c_str(), d.path("$D\\lane.txt").c_str());
         EXPECT_EQ(waitForTips(3), "Lane 1|Two|Lane 3");
         EXPECT_TRUE(d.shows(0, true) && d.shows(2, true));
         EXPECT_EQ(d.spy.calls(NIM_DELETE).size(), 0u) << "read as empty while it was away";
         EXPECT_EQ(d.spy.calls(NIM_MODIFY).size(), 1u);
     }},
    // Saved in place, as Notepad saves: a line mended works in every way, a line broken loses its
    // icon, each reported once; a tooltip of 64 characters or more shows its first 64.
    {"ABatchFileSavedInPlaceEndsWhereAFreshStartWould",
     [](Driver& d) {
         CopyFileA(d.path("$D\\marker.exe").c_str(), d.path("$D\\two.exe").c_str(), 0);
         const std::string one = "$D\\marker.exe,One", tip(70, 't');
         d.writeLines("lane.txt", {one, "$D\\two.exe,Two,1e10"});
         d.start(kBatch);
         expectBox(d, "Iconlane", kError + "6 occurred in ParseLine while parsing '$D\\two", kCheck,
                   false);
         EXPECT_EQ(waitForTips(1), "One");
         d.writeLines("lane.txt", {one, "$D\\two.exe," + tip});
         EXPECT_EQ(waitForTips(2), "One|" + tip.substr(0, 64));
         d.choose(1, kLaunch);
         ASSERT_TRUE(d.witnessedSettlesAt(1));
         EXPECT_NE(d.witnessed()[0].find("two.exe"), std::string::npos) << d.witnessed()[0];
         d.writeLines("lane.txt", {one, "$D\\three.exe,Three,1e10"});
         expectBox(d, "Iconlane", kError + "6 occurred in ParseLine while parsing '$D\\three",
                   kCheck, false);
         EXPECT_EQ(waitForTips(1), "One");
         EXPECT_TRUE(d.showsNoDialog());
     }},
    {"ShowIconsShowsOnlyTheKeysTheTaskBarMakesForIconlanesNewIcons",
     [](Driver& d) { showIcons(d, "SHOWICONS=TRUE"); }},
    {"WithoutShowIconsNoKeyIsTouched", [](Driver& d) { showIcons(d, "SHOWICONS=FALSE"); }},
    // Held by a program that started first: the test itself.
    {"AHotKeyAnotherProgramHoldsIsReportedOnceAndTheIconsWorkAsBefore",
     [](Driver& d) {
         HWND holder = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, 0, 0, 0);
         ASSERT_TRUE(RegisterHotKey(holder, 1, MOD_CONTROL | MOD_ALT, 'Q'));
         d.startLane(1, {"CLICKMODE=SINGLE", "HOTKEY=ctrl+alt+q"});
         expectBox(d, "Iconlane", kTaken, "", false);
         EXPECT_TRUE(d.showsNoDialog());
         d.click(0, 1);
         EXPECT_TRUE(d.witnessedSettlesAt(1)) << "the icon does not open its target";
         DestroyWindow(holder);
     }},
    // Two lanes, one options file: the second does without the chord, and never asks for it.
    {"ASecondIconlaneWithTheSameHotKeyRunsSilentlyWithoutIt",
     [](Driver& d) {
         d.startLane(1, {"HOTKEY=Ctrl+Alt+Q"});
         d.writeLines("other.txt", {"$D\\marker.exe,Other"});
         const PROCESS_INFORMATION second = d.run("\"$D\\iconlane.exe\" /BATCH:$D\\other.txt", {});
         EXPECT_EQ(waitForTips(2), "Lane 1|Other");
         EXPECT_TRUE(
             d.showsNoDialog() &&
             holdsFor([&] { return windowsOf(second.dwProcessId, "#32770").empty(); }, 700ms))
             << "a message";
         EXPECT_FALSE(chordFree()) << "not held";
         PostMessageA(windowsOf(d.id(), "IconlaneTray").at(0), WM_CLOSE, 0, 0);
         EXPECT_TRUE(d.ended() && chordFree()) << "the second holds the chord too";
         PostMessageA(windowsOf(second.dwProcessId, "IconlaneTray").at(0), WM_CLOSE, 0, 0);
         EXPECT_EQ(WaitForSingleObject(second.hProcess, 15000), WAIT_OBJECT_0);
         CloseHandle(second.hProcess), CloseHandle(second.hThread);
     }},
    // The menu at the mouse, in front of the window that has the focus, which gets it back when
    // Esc closes the menu; the chord again closes it too. The first entry is selected, and a
    // digit opens the entry of that number. The chord comes all at once, as a macro key types
    // it: after a choice the program has the keyboard, and the chord's Alt must not close the
    // menu that the chord opens.
    {"TheHotKeyOpensTheLaneMenuWhereEnterOrADigitOpensAnEntry",
     [](Driver& d) {
         d.startLane(3, {"HOTKEY=Ctrl+Alt+Q"});
         HWND own =
             CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, 0, 0, 0, 0);
         SetForegroundWindow(own), SetCursorPos(300, 100);
         for (WORD close : {WORD(VK_ESCAPE), WORD(0)}) {
             Driver::chord({VK_CONTROL, VK_MENU, 'Q'});
             HWND menu = d.waitFor("#32768");
             RECT r{};
             ASSERT_TRUE(menu && GetWindowRect(menu, &r));
             EXPECT_TRUE(abs(r.left - 300) <= 2 && abs(r.top - 100) <= 2) << "not at the mouse";
             Sleep(200);
             close ? Driver::type({close}) : Driver::chord({VK_CONTROL, VK_MENU, 'Q'});
             EXPECT_TRUE(pollUntil([&] { return !IsWindowVisible(menu); })) << close;
             EXPECT_TRUE(pollUntil([&] { return GetForegroundWindow() == own; }, 2s)) << close;
         }
         DestroyWindow(own);
         for (WORD key : {WORD(VK_RETURN), WORD('2')}) {
             Driver::chord({VK_CONTROL, VK_MENU, 'Q'});
             d.waitFor("#32768"), Sleep(200), Driver::type({key});
         }
         ASSERT_TRUE(d.witnessedSettlesAt(2));
         EXPECT_NE(d.witnessed()[0].find("lane1.exe"), std::string::npos) << d.witnessed()[0];
         EXPECT_NE(d.witnessed()[1].find("lane2.exe"), std::string::npos) << d.witnessed()[1];
     }},
    {"AMissingFolderIsReportedAndEndsTheProgram",
     [](Driver& d) {
         d.start("/FOLDER:$D\\none");
         expectBox(d, "Iconlane!", "Couldn't find '$D\\none' folder", "on command line", true);
         EXPECT_TRUE(d.ended());
     }},
    // A start from the Startup folder and one by hand: the second (the path in other letters) adds
    // no icon and ends; the first reads its list again, and so shows a change of its target that
    // the watch of the list's folder does not see. Another list runs beside it; once the first has
    // ended, its list starts as usual.
    {"ASecondStartOfTheSameListHandsItOverAndAnotherListRunsBesideIt",
     [](Driver& d) {
         std::filesystem::create_directory(d.path("$D\\pictures"));
         const auto copy = [&](const char* from, const char* to) {  // written now, not copied
             std::ifstream in(d.path(from), std::ios::binary);
             d.write(to, std::string(std::istreambuf_iterator<char>(in), {}));
         };
         copy("$D\\own1.ico", "pictures\\own.ico");
         d.writeLines("lane.txt", {"$D\\pictures\\own.ico,Picture"});
         d.writeLines("other.txt", {"$D\\marker.exe,Other"});
         d.start(kBatch);
         ASSERT_EQ(waitForTips(1), "Picture");
         copy("$D\\own2.ico", "pictures\\own.ico");
         ASSERT_TRUE(holdsFor([&] { return d.spy.calls(NIM_MODIFY).empty(); }, 1500ms))
             << "the change is seen without a second start";
         std::string sameList = d.path("/batch:$D\\lane.txt");
         CharUpperA(sameList.data());
         const auto ends = [](PROCESS_INFORMATION process) {  // closed, as the system does, if not
             DWORD code = STILL_ACTIVE;
             if (WaitForSingleObject(process.hProcess, 5000) != WAIT_OBJECT_0)
                 for (HWND window : windowsOf(process.dwProcessId, "IconlaneTray"))
                     PostMessageA(window, WM_CLOSE, 0, 0);
             WaitForSingleObject(process.hProcess, 15000);
             GetExitCodeProcess(process.hProcess, &code);
             CloseHandle(process.hProcess), CloseHandle(process.hThread);
             return code;
         };
         EXPECT_EQ(ends(d.run("\"$D\\iconlane.exe\" " + sameList, {})), 0u);
         EXPECT_TRUE(pollUntil([&] { return !d.spy.calls(NIM_MODIFY).empty(); }, 5s))
             << "the list is not read again";
         EXPECT_EQ(waitForTips(1), "Picture");
         EXPECT_EQ(d.spy.calls(NIM_ADD).size(), 1u) << "an icon added twice";
         const Colours now = coloursIn(d.place(0), kOwnColours[1]);
         EXPECT_TRUE(now.own * 2 >= now.all) << "not the new picture";
         PROCESS_INFORMATION other = d.run("\"$D\\iconlane.exe\" /BATCH:$D\\other.txt", {});
         EXPECT_EQ(waitForTips(2), "Picture|Other");
         for (HWND window : windowsOf(other.dwProcessId, "IconlaneTray"))
             PostMessageA(window, WM_CLOSE, 0, 0);
         EXPECT_EQ(ends(other), 0u);
         for (HWND window : windowsOf(d.id(), "IconlaneTray")) PostMessageA(window, WM_CLOSE, 0, 0);
         ASSERT_TRUE(d.ended());
         d.start(sameList);
         EXPECT_EQ(waitForTips(1), "Picture");
     }},
};

class Scenario : public ::testing::TestWithParam<Row> {};

TEST_P(Scenario, Plays) {
    ASSERT_EQ(waitForTips(0), "") << "icons left in the tray by an earlier program";
    Driver driver(GetParam().name);
    GetParam().play(driver);
}

INSTANTIATE_TEST_SUITE_P(Iconlane, Scenario, ::testing::ValuesIn(kRows),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace e2e
