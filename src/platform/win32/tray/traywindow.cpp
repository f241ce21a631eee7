#include "platform/win32/tray/traywindow.h"

#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/trayrecord.h"
#include "platform/win32/system/runtime.h"
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

// Each slot has two timers on the window; their ids carry the slot's id and which timer it is.
constexpr UINT_PTR TimerId(std::uint32_t slot, Win32TrayWindow::Timer timer) {
    return UINT_PTR{slot} * 2 + static_cast<UINT_PTR>(timer);
}

}  // namespace

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
    // A pop-up tool window of no size: whenever it shows (menuplacement.cpp) nothing appears, in
    // the task bar neither. The handle is kept by WindowProc as soon as the window exists.
    CreateWindowExW(WS_EX_TOOLWINDOW, kTrayWindowClassName, kTrayWindowCaption, WS_POPUP, 0, 0, 0,
                    0, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (!window_.Valid()) throw RuntimeError(kOutOfMemory);
    LetThrough(taskbarCreated_);
    for (const TrayWindowListener& listener : listeners_) LetThrough(listener.message);
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

// A program run as administrator hears no message registered by a program of lower integrity (the
// shell's TaskbarCreated, a second start's hand-over) unless its window lets it in: else its icons
// would stay away after Explorer restarts. Windows 7 on; looked up, so that an older system still
// starts.
void Win32TrayWindow::LetThrough(UINT message) {
    HWND window = window_.Get();
    using ChangeFilter = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    FARPROC found = GetProcAddress(GetModuleHandleW(L"user32.dll"), "ChangeWindowMessageFilterEx");
    if (window != nullptr && message != 0 && found != nullptr) {
        reinterpret_cast<ChangeFilter>(reinterpret_cast<void*>(found))(window, message,
                                                                       MSGFLT_ALLOW, nullptr);
    }
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

}  // namespace iconlane::win32
