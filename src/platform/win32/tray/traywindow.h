// The program's one hidden tray window, which owns every tray icon, its slots (one per entry,
// named by the icon's id, each with its own menu and timers), and the message loop.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/services.h"
#include "platform/win32/menus/menupictures.h"
#include "platform/win32/system/folderwatch.h"
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

// Where a pop-up menu opens: at the point, or beside the tray icon's rectangle where the shell
// tells it.
struct MenuAnchor {
    POINT at{};
    std::optional<RECT> icon;
};

struct PopupOptions {
    MenuPlace place = MenuPlace::kAtMouse;
    std::uint32_t iconId = 0;
    bool notify = false;       // the window hears the menu's messages (its sub-menus opening)
    bool selectFirst = false;  // the first item highlighted, for a menu opened from the keyboard
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
    // One pop-up menu at a time: false while one is open, or still at work after it closed.
    bool HoldMenus();
    void ReleaseMenus() { menuOpen_ = false; }
    MenuAnchor AnchorOf(MenuPlace place, std::uint32_t id) const;
    // Shows a menu for a caller that holds the menus, and answers the item chosen. The window comes
    // to the foreground first and gets a message after the menu closes, so that the menu takes the
    // keyboard and closes when the user clicks elsewhere; at the icon `iconId` where the shell
    // tells, else at the mouse.
    int TrackHeldMenu(HMENU menu, const PopupOptions& options);
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
    bool menuOpen_ = false;
    TrayMessageHook* hook_ = nullptr;
    std::unique_ptr<HeldChord> chord_;
    std::function<void()> hotKeyPressed_;
    UniqueWindow window_;
};

class Win32MenuHost;

// The failure of an event that escaped the portable side's own reports, shown in a message box:
// nothing may unwind through the window system. Call it only inside a catch block.
void ReportUnexpectedFailure();

class Win32WindowSystem final : public WindowSystem {
public:
    Win32WindowSystem();
    ~Win32WindowSystem() override;
    Win32WindowSystem(const Win32WindowSystem&) = delete;
    Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

    std::unique_ptr<TraySlot> CreateTraySlot(std::uint32_t id, TraySlotEvents& events) override;
    void RunMessageLoop() override;
    void QuitMessageLoop() override;
    bool WatchFolder(const std::string& folder, unsigned settleMs,
                     std::function<bool()> settled) override;
    // Something else the message loop serves; it must outlive the loop.
    void AddWaitable(LoopWaitable& waitable) { waitables_.push_back(&waitable); }
    void WatchTrayIconSize(std::function<void()> changed) override;
    // The listener hears its message from whatever loop delivers it, modal ones included; the
    // tray window is made for it now.
    void ListenOnTray(TrayWindowListener listener);
    MenuChoice ShowMenu(const MenuRequest& request) override;
    void CloseMenus() override;
    HeldKeys KeysHeld() override;
    HotKeyHold HoldHotKey(const HotKeyChord& chord, std::function<void()> pressed) override;
    std::uint64_t Milliseconds() override;
    unsigned DoubleClickMilliseconds() override;
    // What finds the pictures of files in menus, on the workers of menupictures.h; the shell's
    // pictures unless set. Set it before the first slot or menu.
    void SetMenuPictureSources(MenuPictureSources sources) { pictureSources_ = std::move(sources); }
    void SetMenuPictureFinder(MenuPictureFinder finder) {
        SetMenuPictureSources(PlainPictureSources(std::move(finder)));
    }
    // Pictures of files for menus not made yet.
    std::size_t MenuPicturesOutstanding() const;

private:
    Win32TrayWindow& Tray();

    FolderWatch watch_;
    std::vector<LoopWaitable*> waitables_{&watch_};
    std::function<void()> iconSizeChanged_;
    std::vector<TrayWindowListener> listeners_;
    MenuPictureSources pictureSources_;
    std::unique_ptr<Win32TrayWindow> tray_;  // made with the first slot or menu
    std::unique_ptr<Win32MenuHost> menus_;   // made with the tray window
};

}  // namespace iconlane::win32
