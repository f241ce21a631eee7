#include "lane/folderentries.h"

#include <algorithm>

#include "platform/textreader.h"
#include "platform/textrules.h"
#include "tray/entrytable.h"
#include "tray/iconids.h"

namespace iconlane {

std::vector<FolderItem> ListedItems(std::vector<FolderItem> items) {
    std::erase_if(items, [](const FolderItem& item) { return item.hiddenOrSystem; });
    // The exact name breaks ties, so names differing only in case keep one order on every listing.
    std::sort(items.begin(), items.end(), [](const FolderItem& a, const FolderItem& b) {
        std::string left = FoldCase(a.name), right = FoldCase(b.name);
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
    // Names that differ only in letter case are two files in a folder that tells them apart.
    IdentityCounter identities;
    for (FolderItem item : ListedItems(items)) {
        std::string path = prefix + item.name;
        std::string tooltip = item.folder ? item.name : FolderTooltip(path, item.name, services);
        // What a sub-folder holds is read when its menu opens: a change inside it leaves its
        // icon alone.
        if (item.folder) item.size = item.writeTime = 0;
        entries.push_back({{path, tooltip, ""},
                           path + "," + tooltip + ",",
                           item,
                           identities.Next(FileIdentity(item.name)),
                           std::nullopt});
    }
    return entries;
}

std::vector<WantedEntry> FolderLimit::FirstEntries(std::vector<WantedEntry> entries) {
    constexpr std::size_t kShown = kMaxEntries;
    items_ = entries.size();
    leftOut_ = items_ > kShown ? items_ - kShown : 0;
    if (leftOut_ == 0) return entries;
    const WantedEntry& first = entries[kShown];
    firstLeftOut_ = first.targetFile ? first.targetFile->name : first.fields.target;
    entries.resize(kShown);
    return entries;
}

void FolderLimit::Report(const std::string& folder, Dialogs& dialogs) {
    bool changed = leftOut_ != reportedLeftOut_;
    reportedLeftOut_ = leftOut_;
    if (leftOut_ == 0 || !changed) return;
    dialogs.ShowMessage(
        "The folder '" + QuotedExcerpt(folder) + "' holds " + std::to_string(items_) +
            " items; Iconlane shows only the first " + std::to_string(kMaxEntries) +
            " by name.\n\nThe first item left out is '" + QuotedExcerpt(firstLeftOut_) + "'.",
        MessageStyle::kExclamation, "Iconlane");
}

}  // namespace iconlane
