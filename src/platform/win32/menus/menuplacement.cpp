#include "platform/win32/menus/menuplacement.h"

// shellapi.h needs windows.h first, which menuplacement.h brings.
#include <shellapi.h>

namespace iconlane::win32 {
namespace {

// A menu at the mouse opens from the pointer toward the middle of its screen, as Windows opens
// one that would not fit beside the pointer; Wine pushes such a menu back under the pointer,
// where the least move of the mouse opens the sub-menu under it and that sub-menu takes the keys.
UINT AwayFromEdges(POINT at) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &monitor)) return 0;
    const RECT& work = monitor.rcWork;
    return (at.x > (work.left + work.right) / 2 ? TPM_RIGHTALIGN : 0) |
           (at.y > (work.top + work.bottom) / 2 ? TPM_BOTTOMALIGN : 0);
}

// Wine's ntdll tells its version; Windows' has no such function.
bool KeysComeFromTheXServer() {
    static const bool wine =
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

// The keyboard for a menu of the hidden window. Windows hands keys to the foreground thread,
// whatever its windows show. Under Wine they come from the X server, which hands each one to the
// X window that has its input focus, and Wine moves that focus only to a window activated while
// it shows: a menu of a hidden window never gets a key typed on the keyboard itself (keys sent
// with SendInput skip the X server and still come). So there the window, a pop-up of no size
// (nothing appears, nothing goes to the task bar), shows at the menu while it is open.
class MenuKeyboard {
public:
    MenuKeyboard(HWND window, POINT at) {
        if (!KeysComeFromTheXServer()) return;
        shown_ = window;
        SetWindowPos(shown_, HWND_TOP, at.x, at.y, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    }
    // Hidden again without another window activated: the focus stays as it was before.
    ~MenuKeyboard() {
        if (shown_ == nullptr) return;
        SetWindowPos(shown_, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    }
    MenuKeyboard(const MenuKeyboard&) = delete;
    MenuKeyboard& operator=(const MenuKeyboard&) = delete;

private:
    HWND shown_ = nullptr;
};

}  // namespace

MenuAnchor AnchorOf(HWND owner, MenuPlace place, std::uint32_t id) {
    NOTIFYICONIDENTIFIER icon{sizeof icon, owner, id, {}};
    RECT beside{};
    if (place == MenuPlace::kAtIcon && SUCCEEDED(Shell_NotifyIconGetRect(&icon, &beside))) {
        return {{beside.left, beside.top}, beside};
    }
    MenuAnchor anchor;
    GetCursorPos(&anchor.at);
    return anchor;
}

int TrackMenu(HWND owner, HMENU menu, const PopupOptions& options) {
    MenuAnchor anchor = AnchorOf(owner, options.place, options.iconId);
    TPMPARAMS beside{sizeof beside, anchor.icon.value_or(RECT{})};
    UINT flags = TPM_RETURNCMD | (options.notify ? 0 : TPM_NONOTIFY) |
                 (anchor.icon ? TPM_BOTTOMALIGN | TPM_VERTICAL : AwayFromEdges(anchor.at));
    MenuKeyboard keyboard(owner, anchor.at);
    SetForegroundWindow(owner);
    // The menu's own loop takes the key: Down on a menu without a highlight highlights the first.
    if (options.selectFirst) PostMessageW(owner, WM_KEYDOWN, VK_DOWN, 0);
    int item = static_cast<int>(TrackPopupMenuEx(menu, flags, anchor.at.x, anchor.at.y, owner,
                                                 anchor.icon ? &beside : nullptr));
    PostMessageW(owner, WM_NULL, 0, 0);
    return item;
}

}  // namespace iconlane::win32
