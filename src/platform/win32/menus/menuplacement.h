// Where a pop-up menu of the program's hidden tray window opens, and how it gets the keyboard.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "platform/menus.h"

namespace iconlane::win32 {

// Where a pop-up menu opens: at the point, or beside the tray icon's rectangle where the shell
// tells it.
struct MenuAnchor {
    POINT at{};
    std::optional<RECT> icon;
};

// At the icon `id` of `owner` the menu opens beside it, never over it (the notification carries
// no place); at the mouse otherwise, or where the shell does not tell.
MenuAnchor AnchorOf(HWND owner, MenuPlace place, std::uint32_t id);

struct PopupOptions {
    MenuPlace place = MenuPlace::kAtMouse;
    std::uint32_t iconId = 0;
    bool notify = false;       // the window hears the menu's messages (its sub-menus opening)
    bool selectFirst = false;  // the first item highlighted, for a menu opened from the keyboard
};

// Shows `menu` for `owner` and answers the item chosen. The owner comes to the foreground first
// and gets a message after the menu closes, so that the menu takes the keyboard and closes when
// the user clicks elsewhere.
int TrackMenu(HWND owner, HMENU menu, const PopupOptions& options);

}  // namespace iconlane::win32
