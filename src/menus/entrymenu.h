// The right-button menu of an entry, and what a click, a key or a choice opens a target with.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/menus.h"
#include "platform/services.h"

namespace iconlane {

// The entry's own items, as commands; the items between them are separator lines.
enum MenuItem : int {
    kMenuLaunch = 1,
    kMenuCancel = 3,
    kMenuHelp = 5,
    kMenuExit = 7,
};

// "Launch!", "Cancel Menu", "Help..." and "Exit Iconlane" between separators, each enabled as
// `enabled` says of its command. For a target that is a file or folder (`shellPath`, empty for
// none) a separator follows, and a sub-menu named after the entry's tooltip that holds the shell's
// own menu of it, with the entry's picture `icon`.
std::vector<MenuEntry> EntryMenuItems(const std::function<bool(int command)>& enabled,
                                      const std::string& tooltip, const std::string& shellPath,
                                      std::uintptr_t icon);

enum class LaunchVerb { kOpen, kRunAsAdministrator };

// Ctrl+Shift held with the click, key or choice runs the target as administrator, as the task bar
// does; a folder is only ever opened, in Explorer, having nothing to run.
LaunchVerb VerbFor(HeldKeys keys, bool folder);

// The one route by which every target is opened, an icon's as a menu item's: the shell's answer
// is passed on, not examined.
std::int32_t Launch(Services& services, const std::string& target, HeldKeys keys);

}  // namespace iconlane
