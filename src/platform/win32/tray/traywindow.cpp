#include "platform/win32/tray/traywindow.h"

// shellapi.h needs windows.h first, which traywindow.h brings.
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/trayrecord.h"
#include "platform/win32/menus/menuhost.h"
#include "platform/win32/menus/menukeyboard.h"
#include "platform/win32/system/widetext.h"
#include "platform/win32/tray/traysize.h"

namespace iconlane::win32 {
namespace {

constexpr const wchar_t* kTrayWindowCaption = L"Iconlane";

void RegisterTrayWindowClass(WNDPROC procedure) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (GetClassInfoExW(instance, kTrayWindowClassName, &windowClass)) return;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kTrayWindowClassName;
    if (!RegisterClassExW(&windowClass)) throw RuntimeError(kOutOfMemory);
}

// A program run as administrator hears no message registered by a program of lower integrity (the
// shell's TaskbarCreated, a second start's hand-over) unless its window lets it in: else its icons
// would stay away after Explorer restarts. Windows 7 on; looked up, so that an older system still
// starts.
void LetThrough(HWND window, UINT message) {
    using ChangeFilter = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    FARPROC found = GetProcAddress(GetModuleHandleW(L"user32.dll"), "ChangeWindowMessageFilterEx");
    if (window != nullptr && message != 0 && found != nullptr) {
        reinterpret_cast<ChangeFilter>(reinterpret_cast<void*>(found))(window, message,
                                                                       MSGFLT_ALLOW, nullptr);
    }
}

// Each slot has two timers on the window; their ids carry the slot's id and which timer it is.
constexpr UINT_PTR TimerId(std::uint32_t slot, Win32TrayWindow::Timer timer) {
    return UINT_PTR{slot} * 2 + static_cast<UINT_PTR>(timer);
}

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

}  // namespace

// The portable side reports the failures of its events itself; whatever still escapes one must
// not unwind through the window system, so it is reported here.
void ReportUnexpectedFailure() {
    try {
        std::string text = EventFailureText(CurrentNumberedError());
        MessageBoxW(nullptr, Wide(text).c_str(), L"Iconlane", MB_ICONEXCLAMATION | MB_OK);
    } catch (...) {
        MessageBoxW(nullptr, L"Unexpected error", L"Iconlane", MB_ICONEXCLAMATION | MB_OK);
    }
}

Win32TraySlot::Win32TraySlot(Win32TrayWindow& window, std::uint32_t id, TraySlotEvents& events)
    : window_(window), id_(id), events_(events) {
    window_.Attach(*this);
}

Win32TraySlot::~Win32TraySlot() {
    Unload();
}

std::uintptr_t Win32TraySlot::Window() const {
    return reinterpret_cast<std::uintptr_t>(window_.Handle());
}

void Win32TraySlot::SetTimer(bool enabled, unsigned intervalMs) {
    if (loaded_) window_.SwitchTimer(id_, Win32TrayWindow::Timer::kBlink, enabled, intervalMs);
}

void Win32TraySlot::SetRetryTimer(bool enabled, unsigned intervalMs) {
    if (loaded_) window_.SwitchTimer(id_, Win32TrayWindow::Timer::kRetry, enabled, intervalMs);
}

void Win32TraySlot::Unload() {
    if (!loaded_) return;
    loaded_ = false;
    events_.OnUnload();
    window_.SwitchTimer(id_, Win32TrayWindow::Timer::kBlink, false, 0);
    window_.SwitchTimer(id_, Win32TrayWindow::Timer::kRetry, false, 0);
    window_.Detach(id_);
}

Win32TrayWindow::Win32TrayWindow(const std::function<void()>& iconSizeChanged,
                                 const std::vector<TrayWindowListener>& listeners)
    : taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")),
      iconSizeChanged_(iconSizeChanged),
      listeners_(listeners) {
    RegisterTrayWindowClass(&WindowProc);
    // A pop-up tool window of no size: whenever it shows (menukeyboard.h) nothing appears, in the
    // task bar neither. The handle is kept by WindowProc as soon as the window exists.
    CreateWindowExW(WS_EX_TOOLWINDOW, kTrayWindowClassName, kTrayWindowCaption, WS_POPUP, 0, 0, 0,
                    0, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (!window_.Valid()) throw RuntimeError(kOutOfMemory);
    LetThrough(window_.Get(), taskbarCreated_);
    for (const TrayWindowListener& listener : listeners_)
        LetThrough(window_.Get(), listener.message);
}

Win32TrayWindow::~Win32TrayWindow() {
    window_.Reset();  // unloads the slots still there while everything else is alive
}

void Win32TrayWindow::Attach(Win32TraySlot& slot) {
    if (!window_.Valid() || !slots_.emplace(slot.Id(), &slot).second) {
        throw RuntimeError(kInternalError);
    }
    order_.push_back(slot.Id());
}

bool Win32TrayWindow::HoldMenus() {
    if (!window_.Valid() || menuOpen_) return false;
    menuOpen_ = true;
    return true;
}

// At the icon the menu opens beside it, never over it; the notification carries no place.
MenuAnchor Win32TrayWindow::AnchorOf(MenuPlace place, std::uint32_t id) const {
    NOTIFYICONIDENTIFIER icon{sizeof icon, window_.Get(), id, {}};
    RECT beside{};
    if (place == MenuPlace::kAtIcon && SUCCEEDED(Shell_NotifyIconGetRect(&icon, &beside))) {
        return {{beside.left, beside.top}, beside};
    }
    MenuAnchor anchor;
    GetCursorPos(&anchor.at);
    return anchor;
}

int Win32TrayWindow::TrackHeldMenu(HMENU menu, const PopupOptions& options) {
    HWND window = window_.Get();
    MenuAnchor anchor = AnchorOf(options.place, options.iconId);
    TPMPARAMS beside{sizeof beside, anchor.icon.value_or(RECT{})};
    UINT flags = TPM_RETURNCMD | (options.notify ? 0 : TPM_NONOTIFY) |
                 (anchor.icon ? TPM_BOTTOMALIGN | TPM_VERTICAL : AwayFromEdges(anchor.at));
    MenuKeyboard keyboard(window, anchor.at);
    SetForegroundWindow(window);
    // The menu's own loop takes the key: Down on a menu without a highlight highlights the first.
    if (options.selectFirst) PostMessageW(window, WM_KEYDOWN, VK_DOWN, 0);
    int item = static_cast<int>(TrackPopupMenuEx(menu, flags, anchor.at.x, anchor.at.y, window,
                                                 anchor.icon ? &beside : nullptr));
    PostMessageW(window, WM_NULL, 0, 0);
    return item;
}

HotKeyHold Win32TrayWindow::HoldHotKey(const HotKeyChord& chord, std::function<void()> pressed) {
    chord_.reset();
    chord_ = std::make_unique<HeldChord>(window_.Get(), chord);
    if (chord_->Hold() == HotKeyHold::kHeld) hotKeyPressed_ = std::move(pressed);
    return chord_->Hold();
}

void Win32TrayWindow::SwitchTimer(std::uint32_t id, Timer timer, bool enabled,
                                  unsigned intervalMs) {
    if (!window_.Valid()) return;
    if (enabled) {
        ::SetTimer(window_.Get(), TimerId(id, timer), intervalMs, nullptr);
    } else {
        KillTimer(window_.Get(), TimerId(id, timer));
    }
}

LRESULT CALLBACK Win32TrayWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<Win32TrayWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_.Reset(window);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32TrayWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    return self->HandleMessage(window, message, wParam, lParam);
}

// WM_CLOSE is left to the default, which destroys the window: every slot is unloaded then.
LRESULT Win32TrayWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (LRESULT result = 0;
        hook_ != nullptr && hook_->OnTrayWindowMessage(message, wParam, lParam, result)) {
        return result;
    }
    for (const TrayWindowListener& listener : listeners_) {
        if (listener.message == 0 || message != listener.message) continue;
        try {
            return listener.arrived ? listener.arrived(wParam) : 0;
        } catch (...) {
            ReportUnexpectedFailure();
        }
        return 0;
    }
    if (message == taskbarCreated_) {
        // A new task bar may sit on another monitor, or come after a change of DPI.
        CheckIconSize();
        DispatchTaskbarCreated();
        return 0;
    }
    switch (message) {
        case WM_DPICHANGED:
            CheckIconSize();
            return 0;
        case WM_SETTINGCHANGE:
        case WM_DISPLAYCHANGE:
            CheckIconSize();
            break;
        case kTrayCallbackMessage:
            // The tray puts the icon's id in wParam, the mouse message number in lParam.
            Dispatch(static_cast<std::uint32_t>(wParam), [lParam](TraySlotEvents& events) {
                events.OnTrayMessage(static_cast<int>(lParam));
            });
            return 0;
        case WM_TIMER:
            DispatchTimer(wParam);
            return 0;
        case WM_HOTKEY:
            if (wParam == kHotKeyId) OnHotKey();
            return 0;
        case WM_DESTROY:
            chord_.reset();
            UnloadAll();
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            window_.Release();
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

template <typename Event>
void Win32TrayWindow::Dispatch(std::uint32_t id, Event event) {
    auto found = slots_.find(id);
    if (found == slots_.end()) return;
    try {
        event(found->second->Events());
    } catch (...) {
        ReportUnexpectedFailure();
    }
}

void Win32TrayWindow::DispatchTimer(UINT_PTR timerId) {
    auto id = static_cast<std::uint32_t>(timerId / 2);
    if (static_cast<Timer>(timerId % 2) == Timer::kRetry) {
        Dispatch(id, [](TraySlotEvents& events) { events.OnRetryTimer(); });
    } else {
        Dispatch(id, [](TraySlotEvents& events) { events.OnTimer(); });
    }
}

void Win32TrayWindow::CheckIconSize() {
    if (!RemeasureTrayIconPixels() || !iconSizeChanged_) return;
    try {
        iconSizeChanged_();
    } catch (...) {
        ReportUnexpectedFailure();
    }
}

void Win32TrayWindow::OnHotKey() {
    if (!hotKeyPressed_) return;
    try {
        hotKeyPressed_();
    } catch (...) {
        ReportUnexpectedFailure();
    }
}

// Icons come back in entry order. Each slot is looked up afresh: an event may unload slots.
void Win32TrayWindow::DispatchTaskbarCreated() {
    std::vector<std::uint32_t> ids = order_;
    for (std::uint32_t id : ids) {
        Dispatch(id, [](TraySlotEvents& events) { events.OnTaskbarCreated(); });
    }
}

// Each slot leaves the window before it unloads, so that nothing its unload does can keep it.
void Win32TrayWindow::UnloadAll() {
    while (!order_.empty()) {
        Win32TraySlot* slot = slots_.at(order_.front());
        Detach(order_.front());
        try {
            slot->Unload();
        } catch (...) {
            ReportUnexpectedFailure();
        }
    }
}

Win32WindowSystem::Win32WindowSystem() : pictureSources_(PlainPictureSources(ShellFilePicture)) {}

// The menus let go of the tray window before it goes.
Win32WindowSystem::~Win32WindowSystem() {
    menus_.reset();
}

// The menus come with the window, so that their colours follow the system's from the start.
Win32TrayWindow& Win32WindowSystem::Tray() {
    if (!tray_) {
        tray_ = std::make_unique<Win32TrayWindow>(iconSizeChanged_, listeners_);
        menus_ = std::make_unique<Win32MenuHost>(*tray_, pictureSources_);
    }
    return *tray_;
}

// The entries' menus are the window system's (ShowMenu): a slot has none of its own.
std::unique_ptr<TraySlot> Win32WindowSystem::CreateTraySlot(std::uint32_t id,
                                                            TraySlotEvents& events) {
    return std::make_unique<Win32TraySlot>(Tray(), id, events);
}

void Win32WindowSystem::RunMessageLoop() {
    win32::RunMessageLoop(waitables_);
}

bool Win32WindowSystem::WatchFolder(const std::string& folder, unsigned settleMs,
                                    std::function<bool()> settled) {
    return watch_.Start(folder, settleMs, std::move(settled));
}

void Win32WindowSystem::QuitMessageLoop() {
    PostQuitMessage(0);
}

// A listener for a message already heard takes the place of the earlier one.
void Win32WindowSystem::ListenOnTray(TrayWindowListener listener) {
    std::erase_if(listeners_, [&](const auto& other) { return other.message == listener.message; });
    listeners_.push_back(std::move(listener));
    LetThrough(Tray().Handle(), listeners_.back().message);
}

void Win32WindowSystem::WatchTrayIconSize(std::function<void()> changed) {
    iconSizeChanged_ = std::move(changed);
}

MenuChoice Win32WindowSystem::ShowMenu(const MenuRequest& request) {
    Tray();
    return menus_->Show(request);
}

// Ends the innermost menu's loop and every loop below it.
void Win32WindowSystem::CloseMenus() {
    EndMenu();
}

// The keys as they are, not as the thread's last keyboard message left them: a tray notification
// comes with no keyboard message at all.
HeldKeys Win32WindowSystem::KeysHeld() {
    return KeysHeldNow();
}

std::size_t Win32WindowSystem::MenuPicturesOutstanding() const {
    return menus_ ? menus_->PicturesOutstanding() : 0;
}

// The tray window (and the menus with it) is made here when no slot has made it yet.
HotKeyHold Win32WindowSystem::HoldHotKey(const HotKeyChord& chord, std::function<void()> pressed) {
    return Tray().HoldHotKey(chord, std::move(pressed));
}

std::uint64_t Win32WindowSystem::Milliseconds() {
    return GetTickCount64();
}

unsigned Win32WindowSystem::DoubleClickMilliseconds() {
    return GetDoubleClickTime();
}

}  // namespace iconlane::win32
