#include "lane/folderentries.h"

#include <algorithm>

#include "platform/textreader.h"
#include "platform/textrules.h"
#include "tray/entrytable.h"
#include "tray/iconids.h"

namespace iconlane {

namespace {

// A file's name without its extension; a sub-folder's whole name.
std::string_view WithoutExtension(const FolderItem& item) {
    std::size_t dot = item.folder ? std::string::npos : item.name.find_last_of('.');
    return std::string_view(item.name).substr(0, dot == 0 ? std::string::npos : dot);
}

}  // namespace

std::vector<FolderItem> ListedItems(std::vector<FolderItem> items, FolderNames& names) {
    std::erase_if(items, [](const FolderItem& item) { return item.hiddenOrSystem; });
    std::vector<std::pair<std::string, FolderItem>> keyed;
    for (FolderItem& item : items) {
        std::string given = names.GivenName(item);
        keyed.emplace_back(FoldCase(given.empty() ? WithoutExtension(item) : given), item);
    }
    // The exact name breaks ties, so names differing only in case keep one order on every listing.
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : a.second.name < b.second.name;
    });
    for (std::size_t at = 0; at < items.size(); ++at) items[at] = std::move(keyed[at].second);
    return items;
}

std::string FolderTooltip(const std::string& path, const FolderItem& item, FolderNames& names,
                          Services& services) {
    std::string_view shown = WithoutExtension(item);
    if (!item.folder && LowerCase(std::string_view(item.name).substr(shown.size())) == ".lnk") {
        std::optional<ShortcutDetails> shortcut = services.shortcuts.ReadShortcut(path);
        std::string comment =
            shortcut ? names.Resolved(TextOfFile(shortcut->description, services.process)) : "";
        if (!comment.empty()) return comment;
    }
    std::string given = names.GivenName(item);
    return given.empty() ? std::string(shown) : given;
}

std::vector<WantedEntry> FolderEntries(const std::string& folder,
                                       const std::vector<FolderItem>& items, Services& services) {
    bool separated = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
    std::string prefix = separated ? folder : folder + "\\";
    std::vector<WantedEntry> entries;
    // Names that differ only in letter case are two files in a folder that tells them apart.
    IdentityCounter identities;
    FolderNames names(services.names, folder);
    for (FolderItem item : ListedItems(items, names)) {
        std::string path = prefix + item.name;
        std::string tooltip = FolderTooltip(path, item, names, services);
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
