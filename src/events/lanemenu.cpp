#include "events/lanemenu.h"

#include "menus/entrymenu.h"
#include "menus/foldermenu.h"
#include "platform/textrules.h"

namespace iconlane {
namespace {

constexpr int kNumberedEntries = 10;

// "&1 " to "&9 " for the first nine, "&0 " for the tenth: one digit opens each.
std::string AccessKey(std::size_t position) {
    if (position >= kNumberedEntries) return {};
    std::string key = "&";  // appended to: GCC 12 warns falsely on "&" + a temporary
    return key + std::to_string((position + 1) % kNumberedEntries) + ' ';
}

}  // namespace

std::vector<MenuEntry> LaneMenuItems(const std::vector<LaneItem>& lane, const Options& options) {
    std::vector<MenuEntry> items;
    for (const LaneItem& entry : lane) {
        MenuEntry item = CommandItem(kLaneMenuEntry + entry.number,
                                     AccessKey(items.size()) + MenuText(entry.tooltip), true);
        item.picture.icon = entry.picture;
        if (entry.folder) {
            item.kind = MenuEntry::Kind::kFolder;
            item.command = 0;
            item.path = entry.target;
        }
        items.push_back(std::move(item));
    }
    items.push_back(MenuItemOf(MenuEntry::Kind::kSeparator));
    items.push_back(CommandItem(kLaneMenuHelp, "Help...", !options.HelpDisabled));
    items.push_back(CommandItem(kLaneMenuExit, "Exit Iconlane", !options.ExitDisabled));
    return items;
}

std::vector<LaneItem> LaneItemsOf(const EntryTable& entries) {
    std::vector<LaneItem> lane;
    for (int number = 1; number <= entries.EntryCount(); ++number) {
        if (!entries.HasIcon(number)) continue;
        const EntryWindow& window = *entries.EntryWindows(number);
        lane.push_back({number, std::string(CutAtCharacter(window.LabelToolTip(), kTrayTipLength)),
                        window.Picture1Handle(), entries.EntryTargets(number),
                        window.FolderEntry()});
    }
    return lane;
}

void LaneMenu::HoldHotKey() {
    if (!options_.HotKey) return;
    HotKeyHold hold = services_.windows.HoldHotKey(*options_.HotKey, [this] { OnHotKey(); });
    if (hold != HotKeyHold::kTaken) return;
    services_.dialogs.ShowMessage("The hot key " + ChordName(*options_.HotKey) +
                                      " is used by another program; Iconlane runs without it.",
                                  MessageStyle::kExclamation, "Iconlane");
}

void LaneMenu::OnHotKey() {
    if (open_) return services_.windows.CloseMenus();
    // The question owns the screen: no menu opens above it.
    if (events_.Confirming()) return events_.ConfirmExit();
    Open();
}

// Read from the entries as they are now, so that the menu shows every change made to the lane. A
// menu of another kind that is open keeps this one from opening: the chord closes it instead.
// Folder entries cascade, filled as their icons' menus are.
void LaneMenu::Open() {
    MenuRequest request;
    request.items = LaneMenuItems(LaneItemsOf(entries_), options_);
    request.folderItems = [this](const std::string& folder) {
        return ReadFolderMenu(services_.files, services_.names, folder);
    };
    request.place = MenuPlace::kAtMouse;
    request.selectFirst = true;
    request.restoreFocus = true;
    MenuChoice choice;
    {
        open_ = true;
        struct Closed {
            bool& open;
            ~Closed() { open = false; }
        } closed{open_};
        choice = services_.windows.ShowMenu(request);
    }
    if (!choice.shown) return services_.windows.CloseMenus();
    Act(choice);
}

// An entry, or a file of a folder entry's menu, opens as its icon's click would open it: with
// Ctrl+Shift held, as administrator.
void LaneMenu::Act(const MenuChoice& choice) {
    if (!choice.path.empty()) {
        Launch(services_, choice.path, choice.keys);
    } else if (choice.command == kLaneMenuHelp) {
        events_.ShowHelp();
    } else if (choice.command == kLaneMenuExit) {
        events_.ConfirmExit();
    } else if (choice.command > kLaneMenuEntry) {
        entries_.LaunchTarget(choice.command - kLaneMenuEntry, choice.keys);
    }
}

}  // namespace iconlane
