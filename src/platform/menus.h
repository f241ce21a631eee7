// Pop-up menus as the program describes them to the platform: its own items, the files and
// sub-folders of a folder (filled when their menu opens), and the shell's own menu of an item.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace iconlane {

// Where a pop-up menu opens: at the mouse for a click, at the icon for the keyboard.
enum class MenuPlace { kAtMouse, kAtIcon };

// A file as a folder's listing gave it: written again, it has another size or last write time.
struct FileStamp {
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;
    bool operator==(const FileStamp&) const = default;
};

// The picture an item shows at the menu's small-icon size: the picture a tray icon for `path`
// would show (FindTargetPicture in tray/iconresolution.h, the program's own icon where that finds
// none; made later, off the menu's way: a placeholder shows until it comes), else `icon`, a
// picture the program already has (not owned by the menu), else none. A picture made of the
// file before it was written as `stamp` says is made again; the menu reads no file to know. An
// item without a stamp shows whichever picture is kept for its path.
struct MenuPicture {
    std::string path;
    std::uintptr_t icon = 0;
    std::optional<FileStamp> stamp;
    bool operator==(const MenuPicture&) const = default;
};

struct MenuEntry {
    enum class Kind {
        kCommand,    // one of the program's own items: its `command` comes back when chosen
        kSeparator,  // a line between groups
        kFile,       // a file of a folder, or "Open folder": chosen, `path` comes back to be opened
        kFolder,     // a sub-menu of the folder `path`, filled each time it opens
        kShellMenu,  // a sub-menu holding the shell's own menu of the file or folder `path`
        kSubmenu,    // a sub-menu of `children`
    };
    Kind kind = Kind::kCommand;
    std::string caption;  // as shown: "&" marks the access key, "&&" shows one "&"
    bool enabled = true;
    int command = 0;
    std::string path;
    MenuPicture picture;
    std::vector<MenuEntry> children;
    bool operator==(const MenuEntry&) const = default;
};

// The keys held with a click or a choice, read as they are at that moment.
struct HeldKeys {
    bool control = false;
    bool shift = false;
};

// What became of a menu.
struct MenuChoice {
    bool shown = false;      // false when nothing was shown: another menu is open
    int command = 0;         // the kCommand item chosen; 0 for none
    std::string path;        // the kFile item chosen; empty for none
    HeldKeys keys;           // held as the item was chosen
    bool shellItem = false;  // an item of a kShellMenu was chosen, and the shell ran it
};

struct MenuRequest {
    std::vector<MenuEntry> items;
    MenuPlace place = MenuPlace::kAtMouse;
    std::uint32_t iconId = 0;   // the tray icon a kAtIcon menu opens beside
    bool selectFirst = false;   // opened from the keyboard: the first item is highlighted
    bool restoreFocus = false;  // closed without a choice, the window that had the focus gets it
    // The items of a kFolder sub-menu, read when it opens.
    std::function<std::vector<MenuEntry>(const std::string& folder)> folderItems;
};

}  // namespace iconlane
