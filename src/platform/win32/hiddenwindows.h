// Hidden top-level windows with a pop-up menu, and the message loop that serves them.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/services.h"
#include "platform/win32/folderwatch.h"
#include "platform/win32/handles.h"

namespace iconlane::win32 {

class Win32HiddenWindow final : public HiddenWindow {
public:
    // `menuOpen` is shared by all windows of the program: one pop-up menu at a time.
    Win32HiddenWindow(const std::string& caption, const std::vector<std::string>& menuCaptions,
                      WindowEvents& events, std::shared_ptr<bool> menuOpen);
    ~Win32HiddenWindow() override;
    Win32HiddenWindow(const Win32HiddenWindow&) = delete;
    Win32HiddenWindow& operator=(const Win32HiddenWindow&) = delete;

    std::uintptr_t Handle() const override { return handle_; }
    void SetMenuItemEnabled(int item, bool enabled) override;
    bool MenuItemEnabled(int item) const override;
    int ShowPopupMenu() override;
    void SetTimer(bool enabled, unsigned intervalMs) override;
    void SetRetryTimer(bool enabled, unsigned intervalMs) override;
    void Unload() override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void SwitchTimer(UINT_PTR id, bool enabled, unsigned intervalMs);

    WindowEvents& events_;
    std::shared_ptr<bool> menuOpen_;
    UniqueMenu menu_;
    HWND window_ = nullptr;      // null once the window is destroyed
    std::uintptr_t handle_ = 0;  // kept after destruction, for the tray delete
};

class Win32WindowSystem final : public WindowSystem {
public:
    std::unique_ptr<HiddenWindow> CreateHiddenWindow(const std::string& caption,
                                                     const std::vector<std::string>& menuCaptions,
                                                     WindowEvents& events) override;
    void RunMessageLoop() override;
    void QuitMessageLoop() override;
    bool WatchFolder(const std::string& folder, unsigned settleMs,
                     std::function<bool()> settled) override;

private:
    FolderWatch watch_;
    std::shared_ptr<bool> menuOpen_ = std::make_shared<bool>(false);
};

}  // namespace iconlane::win32
