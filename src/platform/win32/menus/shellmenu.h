// The shell's own menu of a file or folder, as Explorer shows it (Open file location, Run as
// administrator, Send to, Properties...), hosted in the program's pop-up menus. Made, filled and
// run on the menus' thread, which must be in an OLE apartment (comapartment.h).
#pragma once

#include <windows.h>
// The shell's interfaces need the types of windows.h.
#include <shlobj.h>

#include <memory>
#include <string>

#include "platform/menus.h"
#include "platform/win32/system/handles.h"

namespace iconlane::win32 {

class ShellItemMenu {
public:
    // The shell's menu of the item `path`; null when the shell has none for it.
    static std::unique_ptr<ShellItemMenu> For(const std::string& path);

    // Puts the shell's items into `menu` with ids from `first` to `last`; the extended ones
    // (Shift held) too when asked. False when the shell gave none.
    bool Fill(HMENU menu, UINT first, UINT last, bool extended);
    bool Owns(UINT id) const { return filled_ != nullptr && id >= first_ && id <= last_; }
    // Its menu, or one of the menus of its sub-menus (Send to, Open with).
    bool Holds(HMENU menu) const;
    // The messages by which the shell fills and draws its own sub-menus: WM_INITMENUPOPUP,
    // WM_DRAWITEM, WM_MEASUREITEM and WM_MENUCHAR.
    bool HandleMenuMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Runs the item `id` as chosen at `at` with `keys` held, the tray window `owner` owning what
    // it shows. Rename, which the shell does only inside a folder's window, asks for the new name
    // itself. True when it ran (the prompt included): the window it opened has the focus.
    bool Invoke(UINT id, HWND owner, POINT at, HeldKeys keys);

private:
    explicit ShellItemMenu(std::string path);
    std::wstring VerbOf(UINT offset);

    std::string path_;
    ComRef<IContextMenu> menu_;
    ComRef<IContextMenu2> menu2_;
    ComRef<IContextMenu3> menu3_;
    HMENU filled_ = nullptr;
    UINT first_ = 0;
    UINT last_ = 0;
};

}  // namespace iconlane::win32
