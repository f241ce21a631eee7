// What an end-to-end test sees of Wine's desktop, as a person or a screen reader would: windows
// and their text, pixels, and the icons in the task bar's notification area.
#pragma once

#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace e2e {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

template <class Done>
bool pollUntil(Done done, std::chrono::milliseconds timeout = 15s) {
    for (auto end = Clock::now() + timeout; !done(); Sleep(20))
        if (Clock::now() > end) return false;
    return true;
}

// True once `holds` has stayed true for `quiet`: where the absence of an effect matters.
template <class Holds>
bool holdsFor(Holds holds, std::chrono::milliseconds quiet) {
    auto since = Clock::now();
    return pollUntil(
        [&] { return holds() ? Clock::now() - since > quiet : (since = Clock::now(), false); },
        quiet + 15s);
}

// Through WM_GETTEXT, as a screen reader reads another process's window.
inline std::string textOf(HWND window) {
    std::string text(1 << 16, '\0');
    DWORD_PTR n = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, text.size(), LPARAM(text.data()), 0, 2000, &n);
    return text.substr(0, n);
}

// Top-level windows (hidden ones too) of a process, of a class or (null) of any.
inline std::vector<HWND> windowsOf(DWORD process, const char* windowClass) {
    std::vector<HWND> found;
    DWORD owner = 0;
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, windowClass, nullptr));)
        if (GetWindowThreadProcessId(w, &owner), owner == process) found.push_back(w);
    return found;
}

struct Colours {
    long red = 0, orange = 0, own = 0, all = 0;
};
// How many pixels of a screen area are red, orange, or about the colour `own`.
inline Colours coloursIn(RECT r, COLORREF own = 0) {
    Colours found{0, 0, 0, (r.right - r.left) * (r.bottom - r.top)};
    BITMAPINFO format{{40, r.right - r.left, r.top - r.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    RGBQUAD* bits = nullptr;
    HGDIOBJ bitmap = CreateDIBSection(screen, &format, 0, reinterpret_cast<void**>(&bits), 0, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
    for (const RGBQUAD& p : std::vector<RGBQUAD>(bits, bits + found.all)) {
        const int red = p.rgbRed, green = p.rgbGreen, blue = p.rgbBlue;
        found.red += red > 150 && green < 80 && blue < 80;
        found.orange += red > 200 && green >= 100 && green < 200 && blue < 80;
        found.own +=
            abs(red - GetRValue(own)) + abs(green - GetGValue(own)) + abs(blue - GetBValue(own)) <
            60;
    }
    SelectObject(memory, old), DeleteObject(bitmap), DeleteDC(memory), ReleaseDC(nullptr, screen);
    return found;
}

// The bits of an icon's colour bitmap, as the system holds them.
inline std::string colourBits(HICON icon) {
    ICONINFO parts{};
    std::string bits(1 << 16, '\0');
    GetIconInfo(icon, &parts);
    bits.resize(GetBitmapBits(parts.hbmColor, LONG(bits.size()), bits.data()));
    return bits;
}

inline HWND taskBar() {  // Wine's, not the spy
    HWND bar = nullptr;
    for (DWORD me = GetCurrentProcessId(), owner = me; owner == me;)
        GetWindowThreadProcessId(bar = FindWindowExA(0, bar, "Shell_TrayWnd", 0), &owner);
    return bar;
}

// The icons, right to left as Wine adds them: each has a tooltip control owned by the task bar,
// with one tool whose rectangle is the icon's place (empty once deleted) and whose text its tip,
// read through a page in the task bar's process, the only place where its pointers are valid.
inline std::map<LONG, std::pair<std::string, RECT>, std::greater<>> trayIcons() {
    HWND bar = taskBar();
    DWORD owner = 0;
    GetWindowThreadProcessId(bar, &owner);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, 0, owner);
    auto* page = static_cast<char*>(VirtualAllocEx(process, 0, 4096, MEM_COMMIT, PAGE_READWRITE));
    auto send = [&](HWND tooltip, UINT message, WPARAM w, void* l) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(tooltip, message, w, LPARAM(l), 0, 2000, &result);
        return result;
    };
    std::map<LONG, std::pair<std::string, RECT>, std::greater<>> icons;
    for (HWND tip : windowsOf(owner, TOOLTIPS_CLASSA)) {
        for (WPARAM n = 0; GetWindow(tip, GW_OWNER) == bar && n < send(tip, TTM_GETTOOLCOUNT, 0, 0);
             ++n) {
            TTTOOLINFOW tool{};
            wchar_t text[1000] = {};
            char utf8[4000] = {};
            tool.cbSize = sizeof tool;
            WriteProcessMemory(process, page, &tool, sizeof tool, nullptr);
            send(tip, TTM_ENUMTOOLSW, n, page);
            ReadProcessMemory(process, page, &tool, sizeof tool, nullptr);
            tool.lpszText = reinterpret_cast<LPWSTR>(page + 1024);
            WriteProcessMemory(process, page, &tool, sizeof tool, nullptr);
            WriteProcessMemory(process, page + 1024, text, sizeof text, nullptr);
            send(tip, TTM_GETTEXTW, std::size(text), page);
            ReadProcessMemory(process, page + 1024, text, sizeof text - 2, nullptr);
            WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
            MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&tool.rect), 2);
            if (!IsRectEmpty(&tool.rect)) icons[tool.rect.left] = {utf8, tool.rect};
        }
    }
    VirtualFreeEx(process, page, 0, MEM_RELEASE), CloseHandle(process);
    return icons;
}

// The tips joined by "|", once exactly `count` icons have shown for a moment (else what shows).
inline std::string waitForTips(std::size_t count) {
    std::string tips;
    holdsFor(
        [&] {
            const auto icons = trayIcons();
            tips.clear();
            for (const auto& icon : icons) tips += (tips.empty() ? "" : "|") + icon.second.first;
            return icons.size() == count;
        },
        300ms);
    return tips;
}

}  // namespace e2e
