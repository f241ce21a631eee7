#include "startup/folderentries.h"

#include <algorithm>

#include "platform/textreader.h"
#include "platform/textrules.h"
#include "tray/iconids.h"

namespace iconlane {

std::vector<FolderItem> ListedFiles(std::vector<FolderItem> items) {
    std::erase_if(items, [](const FolderItem& item) { return item.folder || item.hiddenOrSystem; });
    // The exact name breaks ties, so names differing only in case keep one order on every listing.
    std::sort(items.begin(), items.end(), [](const FolderItem& a, const FolderItem& b) {
        std::string left = LowerCase(a.name), right = LowerCase(b.name);
        return left != right ? left < right : a.name < b.name;
    });
    return items;
}

std::string FolderTooltip(const std::string& path, const std::string& name, Services& services) {
    std::size_t dot = name.find_last_of('.');
    bool hasExtension = dot != std::string::npos && dot > 0;
    if (hasExtension && LowerCase(name.substr(dot)) == ".lnk") {
        std::optional<ShortcutDetails> shortcut = services.shortcuts.ReadShortcut(path);
        if (shortcut && !shortcut->description.empty())
            return TextOfFile(shortcut->description, services.process);
    }
    return hasExtension ? name.substr(0, dot) : name;
}

std::vector<WantedEntry> FolderEntries(const std::string& folder,
                                       const std::vector<FolderItem>& items, Services& services) {
    bool separated = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
    std::string prefix = separated ? folder : folder + "\\";
    std::vector<WantedEntry> entries;
    for (const FolderItem& item : ListedFiles(items)) {
        std::string path = prefix + item.name;
        std::string tooltip = FolderTooltip(path, item.name, services);
        entries.push_back(
            {{path, tooltip, ""}, path + "," + tooltip + ",", item, FileIdentity(item.name)});
    }
    return entries;
}

}  // namespace iconlane
