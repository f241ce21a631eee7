#include "menus/foldermenu.h"

#include <algorithm>
#include <tuple>

#include "names/shownnames.h"
#include "platform/textrules.h"

namespace iconlane {
namespace {

bool IsShortcutExtension(const std::string& extension) {
    return extension == ".lnk" || extension == ".url" || extension == ".pif";
}

// FolderItemCaption before "&" is doubled.
std::string ShownFileName(const FolderItem& item) {
    std::size_t dot = item.name.find_last_of('.');
    bool shortcut = !item.folder && dot != std::string::npos && dot > 0 &&
                    IsShortcutExtension(LowerCase(item.name.substr(dot)));
    return shortcut ? item.name.substr(0, dot) : item.name;
}

MenuEntry Greyed(std::string caption) {
    MenuEntry entry = MenuItemOf(MenuEntry::Kind::kCommand, std::move(caption));
    entry.enabled = false;
    return entry;
}

MenuEntry Opening(MenuEntry::Kind kind, std::string caption, const std::string& path,
                  std::optional<FileStamp> stamp = std::nullopt) {
    MenuEntry entry = MenuItemOf(kind, std::move(caption));
    entry.path = path;
    entry.picture.path = path;
    entry.picture.stamp = stamp;
    return entry;
}

// One item of a listing as it is sorted: folders before files, then by the name shown without
// letter case, the exact name breaking ties so that every listing gives one order.
struct Listed {
    bool file;
    std::string key;
    const FolderItem* item;
    std::string shown;  // its name as the menu shows it
    bool operator<(const Listed& other) const {
        return std::tie(file, key, item->name) < std::tie(other.file, other.key, other.item->name);
    }
};

}  // namespace

MenuEntry MenuItemOf(MenuEntry::Kind kind, std::string caption) {
    MenuEntry entry;
    entry.kind = kind;
    entry.caption = std::move(caption);
    return entry;
}

MenuEntry CommandItem(int command, std::string caption, bool enabled) {
    MenuEntry entry = MenuItemOf(MenuEntry::Kind::kCommand, std::move(caption));
    entry.command = command;
    entry.enabled = enabled;
    return entry;
}

std::string MenuText(std::string_view text) {
    std::string escaped;
    for (char c : text) {
        escaped += c;
        if (c == '&') escaped += '&';
    }
    return escaped;
}

std::string FolderItemCaption(const FolderItem& item) {
    return MenuText(ShownFileName(item));
}

std::string PathInFolder(const std::string& folder, const std::string& name) {
    bool separated = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
    return separated ? folder + name : folder + "\\" + name;
}

// Only the items shown are sorted in full: a folder of 100,000 files costs one partial sort.
std::vector<MenuEntry> FolderMenuItems(const std::string& folder,
                                       const std::optional<std::vector<FolderItem>>& listing,
                                       NameSources& names, std::size_t maxItems) {
    static const std::vector<FolderItem> kNothing;
    FolderNames given(names, folder);
    std::vector<Listed> listed;
    for (const FolderItem& item : listing ? *listing : kNothing) {
        if (item.hiddenOrSystem) continue;
        std::string name = given.GivenName(item);
        if (name.empty()) name = ShownFileName(item);
        listed.push_back({!item.folder, FoldCase(name), &item, name});
    }
    std::size_t shown = std::min(listed.size(), maxItems);
    std::partial_sort(listed.begin(), listed.begin() + static_cast<std::ptrdiff_t>(shown),
                      listed.end());
    std::vector<MenuEntry> items;
    for (std::size_t at = 0; at < shown; ++at) {
        const FolderItem& item = *listed[at].item;
        items.push_back(Opening(item.folder ? MenuEntry::Kind::kFolder : MenuEntry::Kind::kFile,
                                MenuText(listed[at].shown), PathInFolder(folder, item.name),
                                FileStamp{item.size, item.writeTime}));
    }
    if (listed.empty()) items.push_back(Greyed("(empty)"));
    if (listed.size() > shown) {
        std::string more = "(";  // built by appending: GCC 12 warns falsely on "(" + temporary
        more += std::to_string(listed.size() - shown);
        items.push_back(Greyed(more + " more not shown)"));
    }
    items.push_back(MenuItemOf(MenuEntry::Kind::kSeparator));
    items.push_back(Opening(MenuEntry::Kind::kFile, "Open folder", folder));
    return items;
}

std::vector<MenuEntry> ReadFolderMenu(FileSystem& files, NameSources& names,
                                      const std::string& folder) {
    return FolderMenuItems(folder, files.ListFolder(folder), names);
}

}  // namespace iconlane
