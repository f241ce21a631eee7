// Times the pop-up menu of a folder of shortcuts for scripts/benchmark.sh:
//   menu_timings <result file> <runs> <items>
// Makes <items> shortcuts to notepad.exe in a fresh folder, then in each run shows, through the
// real window system, a menu of one item per shortcut with the shortcut's picture, twice (the
// first opening finds no picture made yet; the second finds them all), and a menu of the same
// names without pictures, in turns. A menu counts as shown once its window has been painted for
// the first time (its first WM_PAINT returned, seen by a hook on the menu's thread); the menu is
// then closed with a posted Esc. The first opening is also timed until every picture has come.
// Writes "name|runs|median-ms|min-ms|max-ms" lines to the result file.
#include <windows.h>
// The shell's shortcut interfaces need the types of windows.h.
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/win32/windowsystem.h"

namespace {

using Clock = std::chrono::steady_clock;
using iconlane::MenuEntry;
using iconlane::MenuRequest;

// What the hook on the menu's thread watches for: the menu painted, then, when asked, every
// picture in.
struct Watch {
    Clock::time_point start, shown, pictures;
    HWND menu = nullptr;
    bool waitForPictures = false;
    iconlane::win32::Win32WindowSystem* windows = nullptr;
} watch;

void CALLBACK CheckPictures(HWND, UINT, UINT_PTR timer, DWORD) {
    if (watch.windows->MenuPicturesOutstanding() != 0) return;
    watch.pictures = Clock::now();
    KillTimer(nullptr, timer);
    PostMessageW(watch.menu, WM_KEYDOWN, VK_ESCAPE, 0);
}

LRESULT CALLBACK SeePainted(int code, WPARAM wParam, LPARAM lParam) {
    auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    wchar_t name[8] = {};
    if (code == HC_ACTION && sent->message == WM_PAINT && watch.menu == nullptr &&
        GetClassNameW(sent->hwnd, name, 8) && std::wstring(name) == L"#32768") {
        watch.shown = Clock::now();
        watch.menu = sent->hwnd;
        if (watch.waitForPictures) {
            SetTimer(nullptr, 0, 5, CheckPictures);
        } else {
            PostMessageW(watch.menu, WM_KEYDOWN, VK_ESCAPE, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

double Ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// Shows the menu and answers how long it took to be shown (and, when asked, every picture in).
std::pair<double, double> Time(iconlane::win32::Win32WindowSystem& windows,
                               const MenuRequest& request, bool waitForPictures) {
    watch = {Clock::now(), {}, {}, nullptr, waitForPictures, &windows};
    windows.ShowMenu(request);
    return {Ms(watch.start, watch.shown), waitForPictures ? Ms(watch.start, watch.pictures) : 0};
}

bool MakeShortcut(const std::wstring& path) {
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    bool made =
        SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->SetPath(L"C:\\windows\\notepad.exe")) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Save(path.c_str(), TRUE));
    if (file != nullptr) file->Release();
    if (link != nullptr) link->Release();
    return made;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s result runs items\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[2]), items = std::atoi(argv[3]);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "iconlane_menu_bench";
    fs::remove_all(folder);
    fs::create_directories(folder);
    MenuRequest pictured, plain;
    for (int n = 0; n < items; ++n) {
        wchar_t name[32];
        std::swprintf(name, 32, L"Shortcut %03d.lnk", n);
        if (!MakeShortcut((folder / name).wstring())) return 1;
        MenuEntry entry;
        entry.kind = MenuEntry::Kind::kFile;
        entry.caption = "Shortcut " + std::to_string(n);
        entry.path = entry.picture.path = (folder / name).string();
        pictured.items.push_back(entry);
        entry.kind = MenuEntry::Kind::kCommand;
        entry.command = n + 1;
        entry.path = entry.picture.path = {};
        plain.items.push_back(entry);
    }
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROCRET, SeePainted, nullptr, GetCurrentThreadId());
    MenuRequest warmUp;
    warmUp.items = {plain.items.front()};
    std::map<std::string, std::vector<double>> times;
    for (int run = 0; run < runs; ++run) {
        // A window system of its own per run: the first opening finds an empty cache.
        iconlane::win32::Win32WindowSystem windows;
        Time(windows, warmUp, false);
        times["plain menu, shown"].push_back(Time(windows, plain, false).first);
        auto [shown, pictures] = Time(windows, pictured, true);
        times["pictures, first opening, shown"].push_back(shown);
        times["pictures, first opening, every picture in"].push_back(pictures);
        times["pictures, second opening, shown"].push_back(Time(windows, pictured, false).first);
    }
    UnhookWindowsHookEx(hook);
    fs::remove_all(folder);
    FILE* result = std::fopen(argv[1], "w");
    if (result == nullptr) return 1;
    for (auto& [name, values] : times) {
        std::sort(values.begin(), values.end());
        std::fprintf(result, "%s|%zu|%.1f|%.1f|%.1f\n", name.c_str(), values.size(),
                     values[(values.size() - 1) / 2], values.front(), values.back());
    }
    std::fclose(result);
    return 0;
}
