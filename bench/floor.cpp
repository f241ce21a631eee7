// The floor Iconlane is measured against: a bare Win32 program that adds N tray icons with a stock
// icon and nothing else (N from its command line), then waits in its message loop until its
// window is closed. It has no options, no batch file and no menus: the least a tray program does.
// With "N windows" each icon gets a hidden window of its own, as each Iconlane entry once had:
// the difference between the two shows what such windows cost.
#include <windows.h>
// shellapi.h needs the types of windows.h.
#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr UINT kCallbackMessage = WM_APP + 1;

LRESULT CALLBACK floorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void setTip(NOTIFYICONDATAA& data, int number) {
    const char prefix[] = "Floor ";
    int at = 0;
    for (const char* c = prefix; *c != '\0'; ++c) data.szTip[at++] = *c;
    char digits[12] = {};
    int length = 0;
    do {
        digits[length++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number > 0);
    while (length > 0) data.szTip[at++] = digits[--length];
    data.szTip[at] = '\0';
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    const int icons = std::atoi(commandLine);
    const bool windowEach = std::strstr(commandLine, "windows") != nullptr;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = floorProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "IconlaneFloor";
    RegisterClassA(&windowClass);
    HWND window =
        CreateWindowA("IconlaneFloor", "", 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
    std::vector<HWND> owners(static_cast<std::size_t>(icons > 0 ? icons + 1 : 1), window);
    for (int n = 1; n <= icons; ++n) {
        if (windowEach) {
            owners[n] = CreateWindowA("IconlaneFloor", "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                      CW_USEDEFAULT, 252, 127, nullptr, nullptr, instance, nullptr);
        }
        NOTIFYICONDATAA data{};
        data.cbSize = sizeof data;
        data.hWnd = owners[n];
        data.uID = static_cast<UINT>(n);
        data.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
        data.uCallbackMessage = kCallbackMessage;
        data.hIcon = icon;
        setTip(data, n);
        Shell_NotifyIconA(NIM_ADD, &data);
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    for (int n = 1; n <= icons; ++n) {
        NOTIFYICONDATAA data{};
        data.cbSize = sizeof data;
        data.hWnd = owners[n];
        data.uID = static_cast<UINT>(n);
        Shell_NotifyIconA(NIM_DELETE, &data);
    }
    return 0;
}
