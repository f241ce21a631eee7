// Which starts show the same list: a second start of a list that an Iconlane already shows hands
// it over to that one instead of doubling every icon.
#pragma once

#include <optional>
#include <string>

#include "platform/services.h"

namespace iconlane {

enum class ListKind { kLine, kBatch, kFolder };

// What a command line asks for: a batch file ("/BATCH:"), a folder ("/FOLDER:"), in any letter
// case, else one entry line (the whole command line).
struct ListCommand {
    ListKind kind = ListKind::kLine;
    std::string written;  // the name after the prefix as given, or the entry line
    std::string path;     // the file or folder as it is opened: a folder's %NAME%s expanded
};
ListCommand ReadListCommand(const std::string& commandLine, const Environment& environment);

// A path made full against the current folder, as the system would: "/" read as "\", "." and ".."
// resolved (never above the drive or the share), a trailing separator dropped. A drive without a
// folder ("D:lane.txt") is taken from that drive's root unless it is the current one.
std::string FullPath(const std::string& path, const std::string& currentFolder);

// Two starts show the same list when their keys are equal: a batch file or folder by its full path
// without letter case (as the file system finds it), an entry line as it is written. The empty
// command line (the guide) has no key: it never stands in another start's way.
std::optional<std::string> ListKey(const ListCommand& command, const std::string& currentFolder);

}  // namespace iconlane
