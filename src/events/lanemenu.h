// The menu of the whole lane, opened from anywhere by the hot key of the options: every entry with
// an icon, in tray order, numbered for the keyboard, then Help... and Exit Iconlane as the icons'
// menus have them. The tray's overflow and Win+B's walk along the icons are no longer in the way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "events/entryevents.h"
#include "platform/options.h"
#include "platform/services.h"
#include "tray/entrytable.h"

namespace iconlane {

// The commands of the lane menu; an entry's is kLaneMenuEntry + its number in the entry table.
inline constexpr int kLaneMenuHelp = 1;
inline constexpr int kLaneMenuExit = 2;
inline constexpr int kLaneMenuEntry = 100;

// One entry as the lane menu shows it.
struct LaneItem {
    int number = 0;              // in the entry table
    std::string tooltip;         // as its tray icon shows it
    std::uintptr_t picture = 0;  // its own picture, owned by the entry
    std::string target;
    bool folder = false;  // a sub-folder of a folder lane: it cascades into the folder's menu
};

// The entries in the order given, the first ten with the access keys 1 to 9 and 0 (one digit opens
// each), then a separator, "Help..." and "Exit Iconlane", greyed as the options say.
std::vector<MenuEntry> LaneMenuItems(const std::vector<LaneItem>& lane, const Options& options);

// The entries that have an icon in the tray at this moment, in tray order.
std::vector<LaneItem> LaneItemsOf(const EntryTable& entries);

class LaneMenu {
public:
    LaneMenu(Services& services, const Options& options, EntryTable& entries, EntryEvents& events)
        : services_(services), options_(options), entries_(entries), events_(events) {}

    // Asks for the options' hot key, if they name one. A chord that another program holds is
    // reported, once; one that another Iconlane holds is left to it without a word.
    void HoldHotKey();

    // The hot key was pressed: the menu opens at the mouse with its first item selected; pressed
    // while a menu is open, it closes that menu instead. While the exit question waits, the
    // question comes to the front, as the icons' Help... and Exit Iconlane bring it.
    void OnHotKey();

private:
    void Open();
    void Act(const MenuChoice& choice);

    Services& services_;
    const Options& options_;
    EntryTable& entries_;
    EntryEvents& events_;
    bool open_ = false;
};

}  // namespace iconlane
