#include "platform/win32/menus/menukeyboard.h"

namespace iconlane::win32 {
namespace {

// Wine's ntdll tells its version; Windows' has no such function.
bool KeysComeFromTheXServer() {
    static const bool wine =
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

}  // namespace

MenuKeyboard::MenuKeyboard(HWND window, POINT at) {
    if (!KeysComeFromTheXServer()) return;
    shown_ = window;
    SetWindowPos(shown_, HWND_TOP, at.x, at.y, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

MenuKeyboard::~MenuKeyboard() {
    if (shown_ == nullptr) return;
    SetWindowPos(shown_, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
}

}  // namespace iconlane::win32
