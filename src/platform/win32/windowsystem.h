// The window system the program runs on: its one tray window with the slots of the entries, the
// pop-up menus shown on that window, the hot key, the folder watch and the message loop.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/services.h"
#include "platform/win32/menus/menuhost.h"
#include "platform/win32/menus/menupictures.h"
#include "platform/win32/system/folderwatch.h"
#include "platform/win32/tray/traywindow.h"

namespace iconlane::win32 {

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
