// The program's one hidden tray window, which owns every tray icon, and its slots (one per entry,
// named by the icon's id, each with its own timers).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/services.h"
#include "platform/win32/system/handles.h"
#include "platform/win32/system/hotkeys.h"

namespace iconlane::win32 {

class Win32TrayWindow;

// The class of every Iconlane's tray window: a later start finds the running ones by it.
inline constexpr const wchar_t* kTrayWindowClassName = L"IconlaneTray";

// A registered message that other programs send to the tray window, and what it does here, which
// answers the sender; it comes through even to a program running with more rights than its
// sender. None while 0.
struct TrayWindowListener {
    UINT message = 0;
    std::function<LRESULT(WPARAM)> arrived;
};

class Win32TraySlot final : public TraySlot {
public:
    Win32TraySlot(Win32TrayWindow& window, std::uint32_t id, TraySlotEvents& events);
    ~Win32TraySlot() override;
    Win32TraySlot(const Win32TraySlot&) = delete;
    Win32TraySlot& operator=(const Win32TraySlot&) = delete;

    std::uintptr_t Window() const override;
    std::uint32_t Id() const override { return id_; }
    void SetTimer(bool enabled, unsigned intervalMs) override;
    void SetRetryTimer(bool enabled, unsigned intervalMs) override;
    void Unload() override;

    TraySlotEvents& Events() { return events_; }

private:
    Win32TrayWindow& window_;
    std::uint32_t id_;
    TraySlotEvents& events_;
    bool loaded_ = true;
};

// Hears the tray window's messages before the window does: the pop-up menus' own.
class TrayMessageHook {
public:
    virtual ~TrayMessageHook() = default;
    // True when the message was taken, with the window procedure's answer in `result`.
    virtual bool OnTrayWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                     LRESULT& result) = 0;
};

// A hidden top-level window of class "IconlaneTray": top-level, so that it hears the shell's
// "TaskbarCreated" broadcast and the changes of DPI and display. It hands each tray notification
// (wParam: the icon's id) and timer tick to its slot, the shell's restart to every slot in id
// order, and unloads every slot in id order when it is closed or destroyed. A change of the tray's
// icon size is reported to `iconSizeChanged`, each listener's message to that listener; both must
// outlive the window.
class Win32TrayWindow {
public:
    Win32TrayWindow(const std::function<void()>& iconSizeChanged,
                    const std::vector<TrayWindowListener>& listeners);
    ~Win32TrayWindow();
    Win32TrayWindow(const Win32TrayWindow&) = delete;
    Win32TrayWindow& operator=(const Win32TrayWindow&) = delete;

    HWND Handle() const { return window_.Get(); }
    // Fails with internal error (51) for an id already taken or a window already destroyed.
    void Attach(Win32TraySlot& slot);
    void Detach(std::uint32_t id) {
        slots_.erase(id);
        std::erase(order_, id);
    }
    // Lets the registered `message` in from a program of lower integrity.
    void LetThrough(UINT message);
    // At most one hook; it must outlive the window or be taken off first (nullptr).
    void SetHook(TrayMessageHook* hook) { hook_ = hook; }
    enum class Timer : UINT_PTR { kBlink = 0, kRetry = 1 };
    void SwitchTimer(std::uint32_t id, Timer timer, bool enabled, unsigned intervalMs);
    // Holds the chord for the window until it is destroyed; `pressed` runs at its WM_HOTKEY.
    HotKeyHold HoldHotKey(const HotKeyChord& chord, std::function<void()> pressed);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    template <typename Event>
    void Dispatch(std::uint32_t id, Event event);
    void DispatchTimer(UINT_PTR timerId);
    void DispatchTaskbarCreated();
    void CheckIconSize();
    void OnHotKey();
    void UnloadAll();

    UINT taskbarCreated_;
    const std::function<void()>& iconSizeChanged_;
    const std::vector<TrayWindowListener>& listeners_;
    std::map<std::uint32_t, Win32TraySlot*> slots_;
    // The ids in the order their slots came, which is entry order: entries are only ever added
    // after the last one and taken away from the last one down.
    std::vector<std::uint32_t> order_;
    TrayMessageHook* hook_ = nullptr;
    std::unique_ptr<HeldChord> chord_;
    std::function<void()> hotKeyPressed_;
    UniqueWindow window_;
};

}  // namespace iconlane::win32
