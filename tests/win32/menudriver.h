// What the Win32-layer tests of the menus share: polling, the menus open in this process, keys
// posted or typed, a menu shown while another thread drives it, and a small icon made to order.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/system/handles.h"
#include "platform/win32/windowsystem.h"

namespace iconlane::win32 {

template <class Done>
bool PollUntil(Done done, DWORD timeoutMs = 5000) {
    for (ULONGLONG end = GetTickCount64() + timeoutMs; !done(); Sleep(10)) {
        if (GetTickCount64() > end) return false;
    }
    return true;
}

// The visible windows of a class in this process, the frontmost first.
inline std::vector<HWND> Windows(const wchar_t* windowClass, const wchar_t* title = nullptr) {
    std::vector<HWND> found;
    DWORD process = 0;
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, windowClass, title));) {
        GetWindowThreadProcessId(w, &process);
        if (process == GetCurrentProcessId() && IsWindowVisible(w)) found.push_back(w);
    }
    return found;
}

inline HWND WaitForWindow(const wchar_t* windowClass, const wchar_t* title = nullptr,
                          size_t count = 1) {
    std::vector<HWND> found;
    PollUntil([&] { return (found = Windows(windowClass, title)).size() >= count; });
    return found.size() >= count ? found.front() : nullptr;
}

inline HWND WaitForMenus(size_t count) {
    return WaitForWindow(L"#32768", nullptr, count);
}

inline HMENU MenuOf(HWND window) {
    return reinterpret_cast<HMENU>(SendMessageW(window, 0x01E1 /* MN_GETHMENU */, 0, 0));
}

inline void PostKeys(HWND menu, std::initializer_list<WPARAM> keys) {
    for (WPARAM key : keys) PostMessageW(menu, WM_KEYDOWN, key, 0);
}

inline void Send(std::initializer_list<INPUT> inputs) {
    for (INPUT input : inputs) SendInput(1, &input, sizeof input), Sleep(30);
}

inline INPUT Key(WORD key, bool up = false) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki = {key, 0, DWORD(up ? KEYEVENTF_KEYUP : 0), 0, 0};
    return input;
}

// Shows a menu while `drive` works it from another thread; menus still open a while after it
// are closed, so that a failed row never hangs the suite.
inline MenuChoice ShowDriven(Win32WindowSystem& windows, const MenuRequest& request,
                             const std::function<void()>& drive) {
    std::thread driver([&] {
        drive();
        if (PollUntil([] { return Windows(L"#32768").empty(); }, 2000)) return;
        for (HWND menu : Windows(L"#32768")) PostKeys(menu, {VK_ESCAPE, VK_ESCAPE, VK_ESCAPE});
    });
    MenuChoice choice = windows.ShowMenu(request);
    driver.join();
    return choice;
}

inline MenuEntry Entry(MenuEntry::Kind kind, const std::string& caption,
                       const std::string& path = {}, int command = 0) {
    MenuEntry entry;
    entry.kind = kind, entry.caption = caption, entry.path = path, entry.command = command;
    return entry;
}

// A 16-pixel icon whose first row starts with the given colour pixels and mask bits.
inline HICON MakeIcon(std::initializer_list<std::uint32_t> pixels,
                      std::initializer_list<int> maskBits) {
    std::uint32_t colour[16 * 16] = {};
    std::copy(pixels.begin(), pixels.end(), colour);
    BYTE mask[16 * 2] = {};
    int bit = 0;
    for (int set : maskBits) mask[bit / 8] |= BYTE(set << (7 - bit % 8)), ++bit;
    BITMAPINFO header{};
    header.bmiHeader = {sizeof header.bmiHeader, 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueBitmap image(CreateDIBSection(nullptr, &header, DIB_RGB_COLORS, &bits, nullptr, 0));
    std::memcpy(bits, colour, sizeof colour);
    UniqueBitmap cut(CreateBitmap(16, 16, 1, 1, mask));
    ICONINFO parts{TRUE, 0, 0, cut.Get(), image.Get()};
    return CreateIconIndirect(&parts);
}

inline HBITMAP ItemPicture(HMENU menu, UINT position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_BITMAP;
    GetMenuItemInfoW(menu, position, TRUE, &info);
    return info.hbmpItem;
}

}  // namespace iconlane::win32
