#include "platform/win32/menus/menuhost.h"

#include <utility>

#include "platform/win32/menus/darkmenus.h"
#include "platform/win32/menus/menubitmap.h"
#include "platform/win32/menus/menuplacement.h"
#include "platform/win32/system/runtime.h"

namespace iconlane::win32 {
namespace {

// Posted to the tray window by the picture cache's worker.
constexpr UINT kPicturesCame = WM_APP + 1;

// A message-filter hook has no data of its own: the host whose menu is open. There is one at a
// time, on the program's one window thread.
Win32MenuHost* hooked = nullptr;

int HighlightedIn(HMENU menu) {
    for (int n = 0, count = GetMenuItemCount(menu); n < count; ++n) {
        if (GetMenuState(menu, static_cast<UINT>(n), MF_BYPOSITION) & MF_HILITE) return n;
    }
    return -1;
}

struct Highlight {
    HMENU menu = nullptr;
    int position = -1;
};

// The item the keyboard is on: the highlighted one of the innermost open menu that has one, the
// last of `opened` (a sub-menu opens after the menu it hangs from, the shell's menu after the
// menu it is opened over).
Highlight KeyboardItem(const std::vector<HMENU>& opened) {
    std::map<HMENU, HWND> open = OpenMenuWindows();
    for (auto menu = opened.rbegin(); menu != opened.rend(); ++menu) {
        int position = open.contains(*menu) ? HighlightedIn(*menu) : -1;
        if (position >= 0) return {*menu, position};
    }
    return {};
}

}  // namespace

Win32MenuHost::Win32MenuHost(Win32TrayWindow& tray, MenuPictureSources pictureSources)
    : tray_(tray),
      pictures_(std::move(pictureSources)),
      makeShellMenu_([this](const std::string& path) { return MakeShellMenu(path); }) {
    pictures_.NotifyTo(tray_.Handle(), kPicturesCame);
    tray_.SetHook(this);
    ApplyMenuTheme();
}

Win32MenuHost::~Win32MenuHost() {
    tray_.SetHook(nullptr);
}

HBITMAP Win32MenuHost::Placeholder(int pixels) {
    UniqueBitmap& placeholder = placeholders_[pixels];
    if (!placeholder.Valid()) placeholder = ForMenus(PlaceholderBitmap(pixels));
    return placeholder.Get();
}

// OLE is started on the menus' thread for the first shell menu, and kept.
std::unique_ptr<ShellItemMenu> Win32MenuHost::MakeShellMenu(const std::string& path) {
    if (!ole_) ole_ = std::make_unique<ComApartment>(ComApartment::Kind::kOle);
    return ole_->Started() ? ShellItemMenu::For(path) : nullptr;
}

MenuChoice Win32MenuHost::Show(const MenuRequest& request) {
    if (tray_.Handle() == nullptr || open_) return {};
    open_ = true;
    struct Release {
        bool& open;
        ~Release() { open = false; }
    } release{open_};
    int pixels = SmallIconPixelsAt(AnchorOf(tray_.Handle(), request.place, request.iconId).at);
    MenuSession session(request, pictures_, makeShellMenu_, pixels, Placeholder(pixels));
    session_ = &session;
    keys_ = typed_ = KeysHeldNow();
    verbMenu_ = nullptr;
    chosen_ = 0;
    opened_.clear();
    openedAt_ = GetTickCount();
    HWND before = GetForegroundWindow();
    UniqueHook hook(SetWindowsHookExW(WH_MSGFILTER, FilterHook, nullptr, GetCurrentThreadId()));
    hooked = this;
    auto id =
        static_cast<UINT>(TrackMenu(tray_.Handle(), session.Root(),
                                    {request.place, request.iconId, true, request.selectFirst}));
    hooked = nullptr;
    hook.Reset();
    if (id == 0) id = std::exchange(chosen_, 0);
    MenuChoice choice;
    choice.shown = true;
    session.Choose(id, choice);
    choice.keys = keys_;
    if (ShellItemMenu* chosen = session.ShellMenuOf(id)) {
        verbMenu_ = chosen, verb_ = id, verbPoint_ = point_;
    }
    // The verb runs once every menu is closed: Delete may ask first, Rename asks for the name.
    if (verbMenu_ != nullptr) {
        choice.shellItem = verbMenu_->Invoke(verb_, tray_.Handle(), verbPoint_, keys_);
    } else if (id == 0 && request.restoreFocus && IsWindow(before)) {
        SetForegroundWindow(before);
    }
    verbMenu_ = nullptr;
    over_.Reset();
    session_ = nullptr;
    return choice;
}

LRESULT CALLBACK Win32MenuHost::FilterHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_MENU && hooked != nullptr) {
        try {
            if (hooked->OnMenuInput(*reinterpret_cast<const MSG*>(lParam))) return TRUE;
        } catch (...) {
            ReportUnexpectedFailure();
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool Win32MenuHost::OnMenuInput(const MSG& message) {
    const UINT kind = message.message;
    bool key = kind == WM_KEYDOWN || kind == WM_SYSKEYDOWN;
    // The keys as the menu's own messages tell them, which a busy loop reads late, and as they
    // are now, for keys pressed before the menu had the keyboard.
    if (key || kind == WM_KEYUP || kind == WM_SYSKEYUP) {
        if (message.wParam == VK_CONTROL) typed_.control = key;
        if (message.wParam == VK_SHIFT) typed_.shift = key;
    }
    if (key || kind == WM_LBUTTONUP || kind == WM_RBUTTONUP) {
        HeldKeys now = KeysHeldNow();
        keys_ = {typed_.control || now.control, typed_.shift || now.shift};
        point_ = message.pt;
    }
    // The menu takes an Alt for one pressed to close it. An Alt of the hot key is not: one of a
    // chord typed all at once (as a macro key types it) queued behind the hot key's message, or
    // one typed with Ctrl or Shift held, as a hand types the chord again to close the menu (the
    // menu would close, and the chord open it again).
    if (key && message.wParam == VK_MENU &&
        (static_cast<LONG>(message.time - openedAt_) <= 0 || keys_.control || keys_.shift)) {
        return true;
    }
    // Control+Enter types a line feed and Control+Shift+Enter nothing, which Wine's menus take
    // for no key at all: the highlighted item is chosen here.
    if (key && message.wParam == VK_RETURN && keys_.control) return ChooseHighlighted();
    if (overOpen_ || session_ == nullptr) return false;
    if (kind == WM_RBUTTONUP) {
        // The menus send no WM_MENURBUTTONUP under Wine; the item under the mouse is found here.
        HWND window = WindowFromPoint(message.pt);
        if (!IsMenuWindow(window)) return false;
        HMENU menu = MenuShownBy(window);
        std::string path = session_->PathAt(menu, MenuItemFromPoint(nullptr, menu, message.pt));
        if (path.empty()) return false;
        OpenShellMenuOver(kind, path, message.pt);
        return true;
    }
    bool shiftF10 = message.wParam == VK_F10 && keys_.shift;
    if (!key || (message.wParam != VK_APPS && !shiftF10)) return false;
    Highlight item = KeyboardItem(opened_);
    std::string path = session_->PathAt(item.menu, item.position);
    if (path.empty()) return false;
    RECT place{};
    GetMenuItemRect(nullptr, item.menu, static_cast<UINT>(item.position), &place);
    OpenShellMenuOver(kind, path, {place.left + (place.bottom - place.top), place.bottom});
    return true;
}

bool Win32MenuHost::ChooseHighlighted() {
    Highlight item = KeyboardItem(opened_);
    UINT id = item.menu != nullptr ? GetMenuItemID(item.menu, item.position) : 0;
    UINT state = item.menu != nullptr ? GetMenuState(item.menu, item.position, MF_BYPOSITION) : 0;
    if (id == 0 || id == static_cast<UINT>(-1) || (state & (MF_GRAYED | MF_DISABLED))) return false;
    chosen_ = id;
    EndMenu();
    return true;
}

void Win32MenuHost::OpenShellMenuOver(UINT input, const std::string& path, POINT at) {
    MSG taken;
    PeekMessageW(&taken, nullptr, input, input, PM_REMOVE);
    over_.Reset(CreatePopupMenu());
    ShellItemMenu* shellMenu = session_->AddShellMenu(path, over_.Get(), keys_.shift);
    if (shellMenu == nullptr) return;
    overOpen_ = true;
    auto id = static_cast<UINT>(TrackPopupMenuEx(over_.Get(), TPM_RECURSE | TPM_RETURNCMD, at.x,
                                                 at.y, tray_.Handle(), nullptr));
    overOpen_ = false;
    if (id == 0) id = std::exchange(chosen_, 0);
    if (id == 0) {
        session_->RemoveShellMenu(shellMenu);
        over_.Reset();
        return;
    }
    verbMenu_ = shellMenu, verb_ = id, verbPoint_ = at;
    // Wine forgets the menu underneath once a nested one has closed, and EndMenu then leaves it
    // open (and the verb waiting) until the next click: its loop ends on the message that
    // EndMenu would have posted.
    EndMenu();
    PostMessageW(tray_.Handle(), WM_CANCELMODE, 0, 0);
}

bool Win32MenuHost::OnTrayWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                        LRESULT& result) {
    switch (message) {
        case WM_INITMENUPOPUP:
            std::erase(opened_, reinterpret_cast<HMENU>(wParam));
            opened_.push_back(reinterpret_cast<HMENU>(wParam));
            if (session_ == nullptr) return false;
            result = 0;
            return session_->OnOpening(reinterpret_cast<HMENU>(wParam)) ||
                   session_->ForwardToShell(message, wParam, lParam, result);
        case WM_MENUCHAR:
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
            return session_ != nullptr && session_->ForwardToShell(message, wParam, lParam, result);
        case kPicturesCame:
            if (session_ != nullptr) {
                session_->OnPicturesCame();
            } else {
                pictures_.Noticed();
            }
            result = 0;
            return true;
        case WM_SETTINGCHANGE:
            // The tray window goes on to hear it too: the tray's icon size may change with it.
            if (ChangesMenuTheme(tray_.Handle(), wParam, lParam)) ApplyMenuTheme();
            return false;
        default:
            return false;
    }
}

}  // namespace iconlane::win32
