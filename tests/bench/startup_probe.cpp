// Times one start of a tray program under Wine for scripts/benchmark.sh:
//   startup_probe <result file> <tooltip prefix> <icons> <program.exe> [arguments]
// Starts the program with CreateProcessA and waits until the task bar has made `icons` more tooltip
// controls (one per icon added; counting them every 10 ms, unlike reading them, leaves the task bar
// free for the program being timed), checks that `icons` icons whose tooltip begins with the
// prefix are shown, waits a second for the program to go idle, reads its working set, then closes
// its windows and waits for it to end. Writes "milliseconds working-set-bytes"
// to the result file (not to stdout: a started Wine program keeps the starter's stdout open).
#include <windows.h>
// psapi.h needs the types of windows.h.
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "scenario_folder.h"
#include "tray_probe.h"
#include "window_search.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kGiveUp = std::chrono::seconds(30);
constexpr DWORD kIdleWaitMs = 1000;

void closeWindowsOf(DWORD processId) {
    const auto windows =
        e2e::topLevelWindowsWhere([&](HWND window) { return e2e::processOf(window) == processId; });
    for (HWND window : windows) PostMessageA(window, WM_CLOSE, 0, 0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s result prefix icons program [arguments]\n", argv[0]);
        return 2;
    }
    const std::string prefix = argv[2];
    const std::size_t icons = static_cast<std::size_t>(std::atoi(argv[3]));
    const std::string program = e2e::windowsPathFromUnix(argv[4]);
    std::string commandLine = "\"" + program + "\"";
    if (argc > 5) commandLine += std::string(" ") + argv[5];
    const e2e::TrayProbe tray;
    const std::size_t controlsBefore = tray.tooltipWindows().size();

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
        added = tray.tooltipWindows().size() >= controlsBefore + icons;
        if (!added) Sleep(10);
    }
    const auto elapsed = std::chrono::duration<double, std::milli>(Clock::now() - started);
    const bool shown = added && tray.tips(prefix).size() >= icons;

    Sleep(kIdleWaitMs);
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters);

    for (int attempt = 0; attempt < 50; ++attempt) {
        closeWindowsOf(process.dwProcessId);
        if (WaitForSingleObject(process.hProcess, 200) == WAIT_OBJECT_0) break;
    }
    if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hProcess);
    if (!shown) {
        std::fprintf(stderr, "%s showed fewer than %zu icons\n", program.c_str(), icons);
        return 1;
    }
    FILE* result = std::fopen(e2e::windowsPathFromUnix(argv[1]).c_str(), "w");
    if (result == nullptr) return 1;
    std::fprintf(result, "%.1f %zu\n", elapsed.count(), counters.WorkingSetSize);
    std::fclose(result);
    return 0;
}
