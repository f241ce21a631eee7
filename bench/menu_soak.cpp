// The soak of the folder menus, for scripts/benchmark.sh:
//   menu_soak <result file> <files> <rounds>
// Fills a fresh folder with <files> files, then <rounds> times replaces them all by as many
// others (new names, new sizes), and after the first fill and after each replacement opens the
// folder's menu as the program does (read from the folder's listing, through the real window
// system), waits until every item's picture is in, and closes it. After each opening it writes
// "opening|private KB|kernel handles|GDI objects|ms until every picture was in" to the result
// file: the pictures of files that are gone give way to new ones, so memory and handles stay flat
// once the cache holds as many pictures as it keeps.
#include <windows.h>
// psapi.h needs the types of windows.h.
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "menus/foldermenu.h"
#include "platform/win32/system/files.h"
#include "platform/win32/system/namesources.h"
#include "platform/win32/windowsystem.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The files of one round, each of its own size, so that no two rounds list the same file.
void Fill(const fs::path& folder, int files, int round) {
    for (const auto& entry : fs::directory_iterator(folder)) fs::remove(entry.path());
    for (int n = 0; n < files; ++n) {
        std::ofstream(folder /
                      ("round " + std::to_string(round) + " file " + std::to_string(n) + ".txt"))
            << std::string(static_cast<std::size_t>(round + 1), 'x');
    }
}

// Closes the open menu once every picture it asked for is in.
void CloseWhenPicturesAreIn(iconlane::win32::Win32WindowSystem& windows) {
    HWND menu = nullptr;
    while ((menu = FindWindowExW(nullptr, nullptr, L"#32768", nullptr)) == nullptr ||
           !IsWindowVisible(menu) || windows.MenuPicturesOutstanding() != 0) {
        Sleep(5);
    }
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
}

// Wine answers 0 to GetProcessHandleCount and GetGuiResources: there each possible value is tried
// (a kernel handle is a multiple of 4; Wine finds a GDI object by its index alone).
unsigned long KernelHandles() {
    DWORD count = 0, flags = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0) return count;
    for (ULONG_PTR handle = 4; handle < 0x10000; handle += 4) {
        count += GetHandleInformation(reinterpret_cast<HANDLE>(handle), &flags) != 0;
    }
    return count;
}

unsigned long GdiObjects() {
    DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (count != 0) return count;
    for (ULONG_PTR handle = 1; handle < 0x10000; ++handle) {
        count += GetObjectType(reinterpret_cast<HGDIOBJ>(handle)) != 0;
    }
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s result files rounds\n", argv[0]);
        return 2;
    }
    const int files = std::atoi(argv[2]), rounds = std::atoi(argv[3]);
    const fs::path folder = fs::temp_directory_path() / "iconlane_menu_soak";
    fs::remove_all(folder);
    fs::create_directories(folder);
    FILE* result = std::fopen(argv[1], "w");
    if (result == nullptr) return 1;
    iconlane::win32::Win32WindowSystem windows;
    iconlane::win32::Win32FileSystem listing;
    iconlane::win32::Win32NameSources names;
    for (int round = 0; round <= rounds; ++round) {
        Fill(folder, files, round);
        iconlane::MenuRequest request;
        request.items = iconlane::ReadFolderMenu(listing, names, folder.string());
        const Clock::time_point start = Clock::now();
        std::thread closer(CloseWhenPicturesAreIn, std::ref(windows));
        windows.ShowMenu(request);
        closer.join();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        PROCESS_MEMORY_COUNTERS memory{};  // PagefileUsage: the private bytes, under Wine too
        GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
        std::fprintf(result, "%d|%llu|%lu|%lu|%.0f\n", round,
                     static_cast<unsigned long long>(memory.PagefileUsage / 1024), KernelHandles(),
                     GdiObjects(), ms);
        std::fflush(result);
    }
    std::fclose(result);
    fs::remove_all(folder);
    return 0;
}
