#include "platform/win32/tray/traysize.h"

#include <windows.h>

namespace iconlane::win32 {
namespace {

// The DPI functions of Windows 8.1 and 10; looked up, so that the program still starts on older
// systems (and on Wine versions without them), where the plain metric is all there is.
using DpiForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using MetricsForDpi = int(WINAPI*)(int, UINT);
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

template <typename Function>
Function Lookup(const wchar_t* library, const char* name) {
    HMODULE module = GetModuleHandleW(library);
    if (module == nullptr) module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    FARPROC found = module != nullptr ? GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(found));
}

// GetSystemMetrics alone keeps the DPI the user signed in with until the next sign-in.
int MeasureTrayIconPixels() {
    HWND taskBar = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (taskBar == nullptr) return GetSystemMetrics(SM_CXSMICON);
    return SmallIconPixelsOn(MonitorFromWindow(taskBar, MONITOR_DEFAULTTOPRIMARY));
}

int measured = 0;

}  // namespace

int SmallIconPixelsOn(HMONITOR monitor) {
    static const auto dpiForMonitor = Lookup<DpiForMonitor>(L"shcore.dll", "GetDpiForMonitor");
    static const auto metricsForDpi =
        Lookup<MetricsForDpi>(L"user32.dll", "GetSystemMetricsForDpi");
    UINT dpiX = 0, dpiY = 0;
    if (dpiForMonitor != nullptr && metricsForDpi != nullptr &&
        SUCCEEDED(dpiForMonitor(monitor, kEffectiveDpi, &dpiX, &dpiY)) && dpiX != 0) {
        if (int pixels = metricsForDpi(SM_CXSMICON, dpiX); pixels > 0) return pixels;
    }
    return GetSystemMetrics(SM_CXSMICON);
}

int TrayIconPixels() {
    if (measured == 0) measured = MeasureTrayIconPixels();
    return measured;
}

bool RemeasureTrayIconPixels() {
    int before = TrayIconPixels();
    measured = MeasureTrayIconPixels();
    return measured != before;
}

}  // namespace iconlane::win32
