// The entries a folder of shortcuts (or any files) gives, one per file or sub-folder.
#pragma once

#include <string>
#include <vector>

#include "lane/reloadplan.h"
#include "names/shownnames.h"
#include "platform/services.h"

namespace iconlane {

// The folder's files and sub-folders, in the order of the names shown regardless of letter case:
// hidden or system ones (desktop.ini) are left out.
std::vector<FolderItem> ListedItems(std::vector<FolderItem> items, FolderNames& names);

// The tooltip an item gives: a shortcut's description (an old shortcut's in the legacy code page
// converted) resolved, when it gives a text; else the name its folder gives it; else a sub-folder's
// name or a file's name without its extension.
std::string FolderTooltip(const std::string& path, const FolderItem& item, FolderNames& names,
                          Services& services);

// One entry per listed file or sub-folder, as the line "<full path>,<tooltip>," would name it. The
// fields are taken as they are, not split or expanded: a
// comma in a description or a "%" in a file name is part of the tooltip or the path.
std::vector<WantedEntry> FolderEntries(const std::string& folder,
                                       const std::vector<FolderItem>& items, Services& services);

// A folder holds any number of items, but the tray takes 30 entries: the rest is told in one
// message, not one per item, and told again only when the number left out changes.
class FolderLimit {
public:
    // The first 30 of a folder's entries, in name order; what is left out is noted for Report.
    std::vector<WantedEntry> FirstEntries(std::vector<WantedEntry> entries);
    // Shows the message about the items left out by the latest FirstEntries, unless their number
    // is 0 or the one last reported.
    void Report(const std::string& folder, Dialogs& dialogs);

private:
    std::size_t items_ = 0, leftOut_ = 0, reportedLeftOut_ = 0;
    std::string firstLeftOut_;
};

}  // namespace iconlane
