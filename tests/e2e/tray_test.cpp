// The task bar's side: one window for every icon, a shell that refuses or restarts, the keys
// Windows 11 keeps for each icon, and memory over thousands of picture changes.
#include "scenarios.h"

namespace e2e {
namespace {

bool notifyIcon(DWORD operation, Icon icon) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE, data.uID = icon.second, data.uFlags = NIF_TIP;
    data.hWnd = HWND(LONG_PTR(icon.first));
    lstrcpyA(data.szTip, ("Lane " + std::to_string(icon.second)).c_str());
    return Shell_NotifyIconA(operation, &data);
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
    const std::string templates = "{A63293E8-664E-48DB-A079-DF759E0509F7}";
    record("12", templates + d.path("$D\\iconlane.exe").substr(root.size()), 2);
    Sleep(300);
    const DWORD hidden = 0;
    for (const char* key : {"11", "12", "14"})
        RegSetKeyValueA(HKEY_CURRENT_USER, (keys + key).c_str(), "IsPromoted", REG_DWORD, &hidden,
                        4);
    EXPECT_TRUE(holdsFor([&] { return shown() == (option.ends_with("TRUE") ? "1112" : ""); }, 2s))
        << shown();
}

const Row kRows[] = {
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
    // At log-on the task bar may refuse an icon, or take it while answering that it did not.
    {"ARefusedIconIsRetriedEveryTwoSecondsAndOneTakenLateGetsItsVersion",
     [](Driver& d) {
         d.spy.refuseAdds = 2, d.spy.takeLate = 1;
         d.startLane(1);
         EXPECT_TRUE(pollUntil([&] {
             return d.spy.details(NIM_SETVERSION) == std::vector<UINT>{NOTIFYICON_VERSION};
         })) << "no version for the icon";
         EXPECT_TRUE(holdsFor([&] { return d.spy.calls(NIM_ADD).size() == 3; }, 2500ms))
             << "not retried until it is there";
         EXPECT_NEAR(pace(d.spy.calls(NIM_ADD)), 2000, 150);
     }},
    {"ShowIconsShowsOnlyTheKeysTheTaskBarMakesForIconlanesNewIcons",
     [](Driver& d) { showIcons(d, "SHOWICONS=TRUE"); }},
    {"WithoutShowIconsNoKeyIsTouched", [](Driver& d) { showIcons(d, "SHOWICONS=FALSE"); }},
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
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Tray, Scenario, ::testing::ValuesIn(kRows), rowName);

}  // namespace e2e
