// The program's one hidden tray window, which owns every tray icon, its slots (one per entry,
// named by the icon's id, each with its own menu and timers), and the message loop.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/services.h"
#include "platform/win32/folderwatch.h"
#include "platform/win32/handles.h"
#include "platform/win32/hotkeys.h"

namespace iconlane::win32 {

class Win32TrayWindow;

// The class of every Iconlane's tray window: a later start finds the running ones by it.
inline constexpr const wchar_t* kTrayWindowClassName = L"IconlaneTray";

// A registered message that other programs post to the tray window, and what it does here; it
// comes through even to a program running with more rights than its sender. None while 0.
struct TrayWindowListener {
    UINT message = 0;
    std::function<void(WPARAM)> arrived;
};

class Win32TraySlot final : public TraySlot {
public:
    Win32TraySlot(Win32TrayWindow& window, std::uint32_t id, UniqueMenu menu,
                  TraySlotEvents& events);
    ~Win32TraySlot() override;
    Win32TraySlot(const Win32TraySlot&) = delete;
    Win32TraySlot& operator=(const Win32TraySlot&) = delete;

    std::uintptr_t Window() const override;
    std::uint32_t Id() const override { return id_; }
    void SetMenuItemEnabled(int item, bool enabled) override;
    bool MenuItemEnabled(int item) const override;
    int ShowPopupMenu(MenuPlace place) override;
    void SetTimer(bool enabled, unsigned intervalMs) override;
    void SetRetryTimer(bool enabled, unsigned intervalMs) override;
    void Unload() override;

    TraySlotEvents& Events() { return events_; }

private:
    Win32TrayWindow& window_;
    std::uint32_t id_;
    UniqueMenu menu_;
    TraySlotEvents& events_;
    bool loaded_ = true;
};

// A hidden top-level window of class "IconlaneTray": top-level, so that it hears the shell's
// "TaskbarCreated" broadcast and the changes of DPI and display. It hands each tray notification
// (wParam: the icon's id) and timer tick to its slot, the shell's restart to every slot in id
// order, and unloads every slot in id order when it is closed or destroyed. A change of the tray's
// icon size is reported to `iconSizeChanged`, the listener's message to the listener; both must
// outlive the window.
class Win32TrayWindow {
public:
    Win32TrayWindow(const std::function<void()>& iconSizeChanged,
                    const TrayWindowListener& listener);
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
    // The window comes to the foreground first and gets a message after the menu closes, so that
    // the menu takes the keyboard and closes when the user clicks elsewhere. 0 at once while
    // another menu is open. At the icon `id`, where the shell tells, else at the mouse.
    int ShowPopupMenu(HMENU menu, MenuPlace place, std::uint32_t id);
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
    const TrayWindowListener& listener_;
    std::map<std::uint32_t, Win32TraySlot*> slots_;
    // The ids in the order their slots came, which is entry order: entries are only ever added
    // after the last one and taken away from the last one down.
    std::vector<std::uint32_t> order_;
    bool menuOpen_ = false;
    std::unique_ptr<HeldChord> chord_;
    std::function<void()> hotKeyPressed_;
    UniqueWindow window_;
};

class Win32WindowSystem final : public WindowSystem {
public:
    std::unique_ptr<TraySlot> CreateTraySlot(std::uint32_t id,
                                             const std::vector<std::string>& menuCaptions,
                                             TraySlotEvents& events) override;
    void RunMessageLoop() override;
    void QuitMessageLoop() override;
    bool WatchFolder(const std::string& folder, unsigned settleMs,
                     std::function<bool()> settled) override;
    // Something else the message loop serves; it must outlive the loop.
    void AddWaitable(LoopWaitable& waitable) { waitables_.push_back(&waitable); }
    void WatchTrayIconSize(std::function<void()> changed) override;
    // The listener hears its message from whatever loop delivers it, modal ones included.
    void ListenOnTray(TrayWindowListener listener);
    MenuChoice ShowMenu(const MenuRequest& request) override;
    void CloseMenus() override;
    HeldKeys KeysHeld() override;
    HotKeyHold HoldHotKey(const HotKeyChord& chord, std::function<void()> pressed) override;
    std::uint64_t Milliseconds() override;
    unsigned DoubleClickMilliseconds() override;

private:
    FolderWatch watch_;
    std::vector<LoopWaitable*> waitables_{&watch_};
    std::function<void()> iconSizeChanged_;
    TrayWindowListener listener_;
    std::unique_ptr<Win32TrayWindow> tray_;  // made with the first slot
};

}  // namespace iconlane::win32
