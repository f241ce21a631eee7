// Times one start of a tray program under Wine for scripts/benchmark.sh:
//   startup_probe <result file> <icons> <program.exe> [arguments]
// Starts the program with CreateProcessA and waits until the task bar has made `icons` more tooltip
// controls (Wine's task bar makes one per icon added; counting them every 10 ms, unlike reading
// them, leaves the task bar free for the program being timed), waits a second for the program to
// go idle, reads its working set and private bytes, then closes its windows and waits for it to
// end. Writes "milliseconds working-set-bytes private-bytes" to the result file (not to stdout: a
// started Wine program keeps the starter's stdout open).
#include <windows.h>
// commctrl.h and psapi.h need the types of windows.h.
#include <commctrl.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kGiveUp = std::chrono::seconds(30);
constexpr DWORD kIdleWaitMs = 1000;

std::string windowsPathFromUnix(const std::string& path) {
    if (path.empty() || path.front() != '/') return path;
    std::string windows = "Z:";
    for (char c : path) windows += c == '/' ? '\\' : c;
    return windows;
}

struct Search {
    HWND owner;
    std::vector<HWND> found;
};

BOOL CALLBACK collectTooltips(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpiA(name, TOOLTIPS_CLASSA) == 0 && GetWindow(window, GW_OWNER) == search->owner) {
        search->found.push_back(window);
    }
    return TRUE;
}

// The task bar's tooltip controls: one per icon ever added.
std::size_t trayTooltips(HWND taskBar) {
    Search search{taskBar, {}};
    EnumWindows(collectTooltips, reinterpret_cast<LPARAM>(&search));
    return search.found.size();
}

BOOL CALLBACK closeWindowOf(HWND window, LPARAM process) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == static_cast<DWORD>(process)) PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

void endProgram(HANDLE process, DWORD processId) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        EnumWindows(closeWindowOf, static_cast<LPARAM>(processId));
        if (WaitForSingleObject(process, 200) == WAIT_OBJECT_0) return;
    }
    TerminateProcess(process, 1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s result icons program [arguments]\n", argv[0]);
        return 2;
    }
    const std::size_t icons = static_cast<std::size_t>(std::atoi(argv[2]));
    const std::string program = windowsPathFromUnix(argv[3]);
    std::string commandLine = "\"" + program + "\"";
    if (argc > 4) commandLine += std::string(" ") + argv[4];
    HWND taskBar = FindWindowA("Shell_TrayWnd", nullptr);
    if (taskBar == nullptr) {
        std::fprintf(stderr, "no task bar: is Wine's virtual desktop running?\n");
        return 1;
    }
    const std::size_t before = trayTooltips(taskBar);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const auto started = Clock::now();
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "cannot start %s: %lu\n", program.c_str(), GetLastError());
        return 1;
    }
    CloseHandle(process.hThread);
    bool added = false;
    while (!added && Clock::now() - started < kGiveUp) {
        added = trayTooltips(taskBar) >= before + icons;
        if (!added) Sleep(10);
    }
    const auto elapsed = std::chrono::duration<double, std::milli>(Clock::now() - started);

    Sleep(kIdleWaitMs);
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters);
    endProgram(process.hProcess, process.dwProcessId);
    CloseHandle(process.hProcess);
    if (!added) {
        std::fprintf(stderr, "%s showed fewer than %zu icons\n", program.c_str(), icons);
        return 1;
    }
    FILE* result = std::fopen(windowsPathFromUnix(argv[1]).c_str(), "w");
    if (result == nullptr) return 1;
    // Under Wine the private bytes are in PagefileUsage; PrivateUsage reads 0.
    std::fprintf(result, "%.1f %llu %llu\n", elapsed.count(),
                 static_cast<unsigned long long>(counters.WorkingSetSize),
                 static_cast<unsigned long long>(counters.PagefileUsage));
    std::fclose(result);
    return 0;
}
