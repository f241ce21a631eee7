#include "platform/win32/traywindow.h"

// shellapi.h needs windows.h first, which traywindow.h brings.
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/trayrecord.h"
#include "platform/win32/traysize.h"

namespace iconlane::win32 {
namespace {

constexpr const char* kTrayWindowClass = "IconlaneTray";
constexpr const char* kTrayWindowCaption = "Iconlane";

// The portable side reports the failures of its events itself; whatever still escapes one must
// not unwind through the window system, so it is reported here.
void ReportUnexpectedFailure() {
    try {
        std::string text = EventFailureText(CurrentNumberedError());
        MessageBoxA(nullptr, text.c_str(), "Iconlane", MB_ICONEXCLAMATION | MB_OK);
    } catch (...) {
        MessageBoxA(nullptr, "Unexpected error", "Iconlane", MB_ICONEXCLAMATION | MB_OK);
    }
}

void RegisterTrayWindowClass(WNDPROC procedure) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (GetClassInfoExA(instance, kTrayWindowClass, &windowClass)) return;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kTrayWindowClass;
    if (!RegisterClassExA(&windowClass)) throw RuntimeError(kOutOfMemory);
}

UniqueMenu CreateMenuOf(const std::vector<std::string>& captions) {
    UniqueMenu menu(CreatePopupMenu());
    if (!menu.Valid()) throw RuntimeError(kOutOfMemory);
    UINT item = 1;
    for (const std::string& caption : captions) {
        UINT flags = caption == "-" ? MF_SEPARATOR : MF_STRING;
        AppendMenuA(menu.Get(), flags, item++, caption == "-" ? nullptr : caption.c_str());
    }
    return menu;
}

// Windows of lower rights (an Iconlane started normally while this one runs elevated) may post it.
void LetThrough(HWND window, UINT message) {
    if (window != nullptr && message != 0) {
        ChangeWindowMessageFilterEx(window, message, MSGFLT_ALLOW, nullptr);
    }
}

// Each slot has two timers on the window; their ids carry the slot's id and which timer it is.
constexpr UINT_PTR TimerId(std::uint32_t slot, Win32TrayWindow::Timer timer) {
    return UINT_PTR{slot} * 2 + static_cast<UINT_PTR>(timer);
}

}  // namespace

Win32TraySlot::Win32TraySlot(Win32TrayWindow& window, std::uint32_t id, UniqueMenu menu,
                             TraySlotEvents& events)
    : window_(window), id_(id), menu_(std::move(menu)), events_(events) {
    window_.Attach(*this);
}

Win32TraySlot::~Win32TraySlot() {
    Unload();
}

std::uintptr_t Win32TraySlot::Window() const {
    return reinterpret_cast<std::uintptr_t>(window_.Handle());
}

void Win32TraySlot::SetMenuItemEnabled(int item, bool enabled) {
    EnableMenuItem(menu_.Get(), static_cast<UINT>(item),
                   MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

bool Win32TraySlot::MenuItemEnabled(int item) const {
    UINT state = GetMenuState(menu_.Get(), static_cast<UINT>(item), MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

int Win32TraySlot::ShowPopupMenu(MenuPlace place) {
    return loaded_ ? window_.ShowPopupMenu(menu_.Get(), place, id_) : 0;
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
                                 const TrayWindowListener& listener)
    : taskbarCreated_(RegisterWindowMessageA("TaskbarCreated")),
      iconSizeChanged_(iconSizeChanged),
      listener_(listener) {
    RegisterTrayWindowClass(&WindowProc);
    // Never shown; the handle is kept by WindowProc as soon as the window exists.
    CreateWindowExA(0, kTrayWindowClass, kTrayWindowCaption, WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                    nullptr, GetModuleHandleA(nullptr), this);
    if (!window_.Valid()) throw RuntimeError(kOutOfMemory);
    LetThrough(window_.Get(), listener_.message);
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

int Win32TrayWindow::ShowPopupMenu(HMENU menu, MenuPlace place, std::uint32_t id) {
    HWND window = window_.Get();
    if (window == nullptr || menuOpen_) return 0;
    menuOpen_ = true;
    // At the icon the menu opens beside it, never over it; the notification carries no place.
    NOTIFYICONIDENTIFIER icon{sizeof icon, window, id, {}};
    TPMPARAMS beside{sizeof beside, {}};
    UINT flags = TPM_RETURNCMD | TPM_NONOTIFY;
    POINT at{};
    if (place == MenuPlace::kAtIcon &&
        SUCCEEDED(Shell_NotifyIconGetRect(&icon, &beside.rcExclude))) {
        at = {beside.rcExclude.left, beside.rcExclude.top};
        flags |= TPM_BOTTOMALIGN | TPM_VERTICAL;
    } else {
        GetCursorPos(&at);
    }
    SetForegroundWindow(window);
    int item = static_cast<int>(TrackPopupMenuEx(menu, flags, at.x, at.y, window,
                                                 flags & TPM_VERTICAL ? &beside : nullptr));
    PostMessageA(window, WM_NULL, 0, 0);
    menuOpen_ = false;
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
            static_cast<Win32TrayWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->window_.Reset(window);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32TrayWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    return self->HandleMessage(window, message, wParam, lParam);
}

// WM_CLOSE is left to the default, which destroys the window: every slot is unloaded then.
LRESULT Win32TrayWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (listener_.message != 0 && message == listener_.message) {
        if (listener_.arrived) listener_.arrived(wParam);
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
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            window_.Release();
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
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

std::unique_ptr<TraySlot> Win32WindowSystem::CreateTraySlot(
    std::uint32_t id, const std::vector<std::string>& menuCaptions, TraySlotEvents& events) {
    if (!tray_) tray_ = std::make_unique<Win32TrayWindow>(iconSizeChanged_, listener_);
    return std::make_unique<Win32TraySlot>(*tray_, id, CreateMenuOf(menuCaptions), events);
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

void Win32WindowSystem::ListenOnTray(TrayWindowListener listener) {
    listener_ = std::move(listener);
    if (tray_) LetThrough(tray_->Handle(), listener_.message);
}

void Win32WindowSystem::WatchTrayIconSize(std::function<void()> changed) {
    iconSizeChanged_ = std::move(changed);
}

// Not yet: the menus of folders and of the shell come next.
MenuChoice Win32WindowSystem::ShowMenu(const MenuRequest&) {
    return {};
}

void Win32WindowSystem::CloseMenus() {}

HeldKeys Win32WindowSystem::KeysHeld() {
    return {};
}

// The tray window is made here when no slot has made it yet.
HotKeyHold Win32WindowSystem::HoldHotKey(const HotKeyChord& chord, std::function<void()> pressed) {
    if (!tray_) tray_ = std::make_unique<Win32TrayWindow>(iconSizeChanged_, listener_);
    return tray_->HoldHotKey(chord, std::move(pressed));
}

std::uint64_t Win32WindowSystem::Milliseconds() {
    return GetTickCount64();
}

unsigned Win32WindowSystem::DoubleClickMilliseconds() {
    return GetDoubleClickTime();
}

}  // namespace iconlane::win32
