// One pop-up menu while it is shown: the menus made from a request, what each item stands for,
// the folders and shell menus filled as they open, and the pictures that come meanwhile.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/menus.h"
#include "platform/win32/menus/menupictures.h"
#include "platform/win32/menus/shellmenu.h"
#include "platform/win32/system/handles.h"

namespace iconlane::win32 {

// The program's own items take ids from 1 up to here; the shell's menus take ranges above it.
inline constexpr UINT kLastItemId = 0x7FFF;

// The shell's menu of an item, made on the menus' thread once OLE runs there; null when the
// shell has none.
using ShellMenuMaker = std::function<std::unique_ptr<ShellItemMenu>(const std::string& path)>;

class MenuSession {
public:
    // `request`, `pictures` and `makeShellMenu` must outlive the session. Items wait for their
    // pictures at `pixels` square, showing `placeholder` (or the icon they have) meanwhile.
    MenuSession(const MenuRequest& request, MenuPictureCache& pictures,
                const ShellMenuMaker& makeShellMenu, int pixels, HBITMAP placeholder);
    // The pictures its menus asked for and no worker has started on are dropped.
    ~MenuSession();
    MenuSession(const MenuSession&) = delete;
    MenuSession& operator=(const MenuSession&) = delete;

    HMENU Root() const { return root_.Get(); }
    // A menu about to open (WM_INITMENUPOPUP): a folder's is filled anew from its files, a shell
    // menu with the shell's items. False for a menu that is not one of the session's own.
    bool OnOpening(HMENU menu);
    // Pictures came: items waiting for one show it, and the open menus holding them are redrawn.
    void OnPicturesCame();
    // The file or folder item at `position` of one of the session's menus; empty for others.
    std::string PathAt(HMENU menu, int position) const;
    // The command or file the item `id` stands for, put into `choice`.
    void Choose(UINT id, MenuChoice& choice) const;

    // The shell's menu of `path` filled into `menu`, to be shown on top of the others; null
    // when the shell has none. It lives as long as the session.
    ShellItemMenu* AddShellMenu(const std::string& path, HMENU menu, bool extended);
    // Lets go of a shell menu shown on top that was closed without a choice.
    void RemoveShellMenu(const ShellItemMenu* shellMenu);
    // The shell's menu that made item `id`; null for the program's own.
    ShellItemMenu* ShellMenuOf(UINT id) const;
    // The shell's menus' own messages, handed to the one they concern.
    bool ForwardToShell(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    struct Item {
        MenuEntry::Kind kind = MenuEntry::Kind::kCommand;
        int command = 0;
        std::string path;
        HMENU menu = nullptr;
        UINT position = 0;
        MenuPicture picture;
        bool waiting = false;
        SharedPicture shown;  // held while the item shows it
    };
    struct Menu {
        MenuEntry::Kind kind = MenuEntry::Kind::kSubmenu;
        std::string path;
        std::vector<std::size_t> items;
        std::vector<HMENU> children;
        UINT shellIds = 0;  // the first id of the shell's items in it; 0 for none
    };

    void Fill(HMENU menu, const std::vector<MenuEntry>& entries);
    void Insert(HMENU menu, UINT position, const MenuEntry& entry);
    void Empty(HMENU menu);
    void FillFolder(HMENU menu, const std::string& folder);
    void FillShellMenu(HMENU menu, const std::string& path);
    std::size_t NewItem(Item item);
    HBITMAP PictureFor(Item& item);
    HBITMAP IconPicture(std::uintptr_t icon);
    // The first id of a free range for a shell menu; 0 when every range is taken.
    UINT FreeShellIds() const;
    ShellItemMenu* ShellMenuHolding(HMENU menu) const;

    const MenuRequest& request_;
    MenuPictureCache& pictures_;
    const ShellMenuMaker& makeShellMenu_;
    const int pixels_;
    const HBITMAP placeholder_;
    const MenuPictureCache::Asker asker_;
    std::vector<std::optional<Item>> items_;  // an item's id is its index + 1
    std::vector<std::size_t> freeItems_;
    std::map<HMENU, Menu> menus_;
    std::map<UINT, std::unique_ptr<ShellItemMenu>> shellMenus_;  // by the first id of their range
    std::map<std::uintptr_t, UniqueBitmap> iconPictures_;
    UniqueMenu root_;
};

// Control and Shift as they are held now.
HeldKeys KeysHeldNow();

// Pop-up menus are windows of class "#32768"; MN_GETHMENU tells the menu one shows.
bool IsMenuWindow(HWND window);
HMENU MenuShownBy(HWND window);
// The menus open on this thread, with their windows.
std::map<HMENU, HWND> OpenMenuWindows();

}  // namespace iconlane::win32
