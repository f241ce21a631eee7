// The program's pop-up menus, shown on its one tray window: built from a request, with pictures
// that come from a cache without holding the menu up, folders filled as they open, and the shell's
// own menu of a file or folder opened over them by a right click, the menu key or Shift+F10.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/menus.h"
#include "platform/win32/menus/menupictures.h"
#include "platform/win32/menus/menusession.h"
#include "platform/win32/system/comapartment.h"
#include "platform/win32/system/handles.h"
#include "platform/win32/tray/traywindow.h"

namespace iconlane::win32 {

class Win32MenuHost final : public TrayMessageHook {
public:
    // Listens to `tray`, which must outlive it; the menus' colours follow the system's from here.
    Win32MenuHost(Win32TrayWindow& tray, MenuPictureSources pictureSources);
    ~Win32MenuHost() override;
    Win32MenuHost(const Win32MenuHost&) = delete;
    Win32MenuHost& operator=(const Win32MenuHost&) = delete;

    // Shows the menu and waits until it closes; a shell verb chosen from it has run by then.
    // Nothing is shown while another menu is open, or a verb chosen from one still runs.
    MenuChoice Show(const MenuRequest& request);
    std::size_t PicturesOutstanding() const { return pictures_.Outstanding(); }

    bool OnTrayWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    static LRESULT CALLBACK FilterHook(int code, WPARAM wParam, LPARAM lParam);
    // A message of an open menu's loop; true when it was taken.
    bool OnMenuInput(const MSG& message);
    // Chooses the item the keyboard is on, as Enter would; false when it is none to choose.
    bool ChooseHighlighted();
    // The shell's menu of `path` over the open ones, at `at`; `input` is the message that asked
    // for it, taken out of the queue first so that the new menu's loop does not see it again.
    void OpenShellMenuOver(UINT input, const std::string& path, POINT at);
    std::unique_ptr<ShellItemMenu> MakeShellMenu(const std::string& path);
    HBITMAP Placeholder(int pixels);

    Win32TrayWindow& tray_;
    MenuPictureCache pictures_;
    std::map<int, UniqueBitmap> placeholders_;  // by size
    std::unique_ptr<ComApartment> ole_;         // started for the first shell menu
    ShellMenuMaker makeShellMenu_;
    // One menu at a time: set while one is open, or a verb chosen from it still runs.
    bool open_ = false;
    MenuSession* session_ = nullptr;  // while a menu is open
    // What the open menu saw: the keys held at its latest click or key press, as its messages
    // had them, where the mouse was, a shell menu open over it, and the shell's verb chosen.
    HeldKeys keys_;
    HeldKeys typed_;
    POINT point_{};
    DWORD openedAt_ = 0;         // the tick at which the menu opened
    std::vector<HMENU> opened_;  // its menus and the shell's over it, the latest opened last
    UniqueMenu over_;
    bool overOpen_ = false;
    UINT chosen_ = 0;  // chosen by ChooseHighlighted
    ShellItemMenu* verbMenu_ = nullptr;
    UINT verb_ = 0;
    POINT verbPoint_{};
};

}  // namespace iconlane::win32
