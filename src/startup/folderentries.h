// The entries a folder of shortcuts (or any files) gives, one per file.
#pragma once

#include <string>
#include <vector>

#include "platform/services.h"
#include "startup/reloadplan.h"

namespace iconlane {

// The folder's plain files, in name order regardless of letter case: folders and hidden or system
// files (desktop.ini) are left out.
std::vector<FolderItem> ListedFiles(std::vector<FolderItem> items);

// The tooltip a file gives: a shortcut's description when it has one (an old shortcut's in the
// legacy code page converted), else the file name without its extension.
std::string FolderTooltip(const std::string& path, const std::string& name, Services& services);

// One entry per listed file, as the line "<full path>,<tooltip>," would name it. The fields are
// taken as they are, not split or expanded: a comma in a description or a "%" in a file name is
// part of the tooltip or the path.
std::vector<WantedEntry> FolderEntries(const std::string& folder,
                                       const std::vector<FolderItem>& items, Services& services);

}  // namespace iconlane
