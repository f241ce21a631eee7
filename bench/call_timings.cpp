// Times, one by one, the calls an Iconlane entry can make at start-up, for scripts/benchmark.sh:
//   call_timings <result file> <icon source file> <cache folder>
// Loads the OLE libraries first (this program does not import them, so the load is what a program
// that imports them pays at start), then for 30 icons times each step: the extraction, the OLE
// picture wrapping, the ICO encoding, the cache file write (temporary file and rename), reading
// the file back to compare it, loading it as an icon, a hidden top-level window, and the tray
// add. Writes one line per step, "name|calls|first-ms|median-ms|total-ms", to the result file.
#include <windows.h>
// olectl.h and shellapi.h need the types of windows.h.
#include <olectl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/win32/pictures/iconfile.h"
#include "platform/win32/system/files.h"

namespace {

constexpr int kIcons = 30;

double milliseconds(const std::function<void()>& call) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    call();
    QueryPerformanceCounter(&end);
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

std::string readFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string contents(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, contents.data(), static_cast<DWORD>(contents.size()), &read, nullptr);
    CloseHandle(file);
    return contents;
}

LRESULT CALLBACK quietProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

// The paths given are ASCII (the script's own folders), so a widening copy is the whole conversion.
std::wstring wide(const std::string& text) {
    return {text.begin(), text.end()};
}

using Create = HRESULT(WINAPI*)(PICTDESC*, REFIID, BOOL, void**);

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s result source folder\n", argv[0]);
        return 2;
    }
    std::map<std::string, std::vector<double>> times;
    const std::wstring source = wide(argv[2]);
    HMODULE ole = nullptr;
    times["load ole32+oleaut32"].push_back(milliseconds([&] {
        LoadLibraryA("ole32.dll");
        ole = LoadLibraryA("oleaut32.dll");
    }));
    auto create = reinterpret_cast<Create>(
        reinterpret_cast<void*>(GetProcAddress(ole, "OleCreatePictureIndirect")));
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = quietProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "CallTimings";
    RegisterClassA(&windowClass);
    HWND owner = CreateWindowA("CallTimings", "", 0, 0, 0, 0, 0, nullptr, nullptr,
                               windowClass.hInstance, nullptr);
    std::vector<HWND> windows;
    for (int n = 1; n <= kIcons; ++n) {
        HICON icon = nullptr;
        times["ExtractIconW"].push_back(milliseconds(
            [&] { icon = ExtractIconW(GetModuleHandleW(nullptr), source.c_str(), 0); }));
        HICON small = nullptr;  // what the program now calls instead, at the tray's size
        times["SHDefExtractIconW at the tray's size"].push_back(milliseconds([&] {
            SHDefExtractIconW(source.c_str(), 0, 0, &small, nullptr, GetSystemMetrics(SM_CXSMICON));
        }));
        DestroyIcon(small);
        IPicture* picture = nullptr;
        times["OleCreatePictureIndirect"].push_back(milliseconds([&] {
            PICTDESC description{sizeof description, PICTYPE_ICON, {}};
            description.icon.hicon = CopyIcon(icon);
            create(&description, IID_IPicture, TRUE, reinterpret_cast<void**>(&picture));
        }));
        if (picture != nullptr) picture->Release();
        std::string bytes;
        times["encode ICO"].push_back(
            milliseconds([&] { bytes = iconlane::win32::EncodeIconFile(icon); }));
        const std::string path = std::string(argv[3]) + "\\" + std::to_string(n) + ".ico";
        times["write temp + rename"].push_back(
            milliseconds([&] { iconlane::win32::WriteFileReplacing(path, bytes); }));
        bool same = false;
        times["read + compare"].push_back(milliseconds([&] { same = readFile(path) == bytes; }));
        if (!same) std::fprintf(stderr, "%s differs\n", path.c_str());
        HANDLE loaded = nullptr;
        times["LoadImageW from file"].push_back(milliseconds([&] {
            loaded = LoadImageW(nullptr, wide(path).c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE);
        }));
        DestroyIcon(static_cast<HICON>(loaded));
        times["hidden top-level window"].push_back(milliseconds([&] {
            windows.push_back(CreateWindowA("CallTimings", "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                            CW_USEDEFAULT, 252, 127, nullptr, nullptr,
                                            windowClass.hInstance, nullptr));
        }));
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof data;
        data.hWnd = owner;
        data.uID = static_cast<UINT>(n);
        data.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
        data.uCallbackMessage = WM_APP;
        data.hIcon = icon;
        std::swprintf(data.szTip, std::size(data.szTip), L"Call %d", n);
        times["Shell_NotifyIconW add"].push_back(
            milliseconds([&] { Shell_NotifyIconW(NIM_ADD, &data); }));
        Shell_NotifyIconW(NIM_DELETE, &data);
        DestroyIcon(icon);
    }
    for (HWND window : windows) DestroyWindow(window);
    DestroyWindow(owner);
    FILE* result = std::fopen(argv[1], "w");
    if (result == nullptr) return 1;
    for (auto& [name, values] : times) {
        double total = 0, first = values.front();
        for (double value : values) total += value;
        std::sort(values.begin(), values.end());
        std::fprintf(result, "%s|%zu|%.2f|%.2f|%.1f\n", name.c_str(), values.size(), first,
                     values[(values.size() - 1) / 2], total);
    }
    std::fclose(result);
    return 0;
}
