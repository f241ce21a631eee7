#include "menus/entrymenu.h"

#include "menus/foldermenu.h"

namespace iconlane {

std::vector<MenuEntry> EntryMenuItems(const std::function<bool(int command)>& enabled,
                                      const std::string& tooltip, const std::string& shellPath,
                                      std::uintptr_t icon) {
    const MenuEntry separator = MenuItemOf(MenuEntry::Kind::kSeparator);
    std::vector<MenuEntry> items = {
        CommandItem(kMenuLaunch, "Launch!", enabled(kMenuLaunch)),     separator,
        CommandItem(kMenuCancel, "Cancel Menu", enabled(kMenuCancel)), separator,
        CommandItem(kMenuHelp, "Help...", enabled(kMenuHelp)),         separator,
        CommandItem(kMenuExit, "Exit Iconlane", enabled(kMenuExit))};
    if (shellPath.empty()) return items;
    MenuEntry shell = MenuItemOf(MenuEntry::Kind::kShellMenu, MenuText(tooltip));
    shell.path = shellPath;
    shell.picture.icon = icon;
    items.push_back(separator);
    items.push_back(std::move(shell));
    return items;
}

LaunchVerb VerbFor(HeldKeys keys, bool folder) {
    return keys.control && keys.shift && !folder ? LaunchVerb::kRunAsAdministrator
                                                 : LaunchVerb::kOpen;
}

// Whether the target is a folder is asked only when the keys could make a difference.
std::int32_t Launch(Services& services, const std::string& target, HeldKeys keys) {
    bool asked = keys.control && keys.shift;
    std::optional<FolderItem> details = asked ? services.files.Details(target) : std::nullopt;
    if (VerbFor(keys, details && details->folder) == LaunchVerb::kRunAsAdministrator) {
        return services.shell.RunAsAdministrator(target);
    }
    return services.shell.OpenTarget(target);
}

}  // namespace iconlane
