// The menu of a folder: its sub-folders as cascading sub-menus, then its files, then "Open
// folder". It is read when it opens, so it shows the folder as it is at that moment.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/menus.h"
#include "platform/namesources.h"
#include "platform/services.h"

namespace iconlane {

// A menu of a few thousand items takes the system long to build and is no use to scroll; what is
// left out is counted on a greyed last item.
inline constexpr std::size_t kMaxFolderMenuItems = 1000;

// An item of the given kind and caption; the rest as a default item has it.
MenuEntry MenuItemOf(MenuEntry::Kind kind, std::string caption = {});
// A command of the program's own, greyed where not `enabled`.
MenuEntry CommandItem(int command, std::string caption, bool enabled);

// Menu captions show text as written: every "&" doubled, so that none becomes an access key.
std::string MenuText(std::string_view text);

// A shortcut (.lnk, .url, .pif) by its name without the extension; any other file, and every
// folder, by its whole name.
std::string FolderItemCaption(const FolderItem& item);

// "<folder>\<name>", with no second separator after a folder that ends in one.
std::string PathInFolder(const std::string& folder, const std::string& name);

// The items of a folder's menu from its listing (nothing: it cannot be read, and shows as empty):
// sub-folders first (kFolder), then files (kFile), each group in the order of the names shown
// regardless of letter case (a name its desktop.ini files give, else FolderItemCaption's), hidden
// and system ones left out, at most `maxItems` of them and a greyed count of the
// rest; a greyed "(empty)" when there are none; last a separator and "Open folder" (a kFile of
// the folder itself). Each item but the greyed ones shows the picture of its path, the listing's
// size and write time its stamp (none for the folder itself, which the listing does not hold).
std::vector<MenuEntry> FolderMenuItems(const std::string& folder,
                                       const std::optional<std::vector<FolderItem>>& listing,
                                       NameSources& names,
                                       std::size_t maxItems = kMaxFolderMenuItems);

// The items of a folder's menu as the folder is now.
std::vector<MenuEntry> ReadFolderMenu(FileSystem& files, NameSources& names,
                                      const std::string& folder);

}  // namespace iconlane
