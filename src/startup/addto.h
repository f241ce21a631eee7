// Send To's way into a folder lane: "/ADDTO:<lane folder>" followed by the files and folders
// chosen, which Windows appends to the Send To shortcut's command line, each in quotes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/services.h"

namespace iconlane {

struct AddToCommand {
    std::string lane;                // the folder the shortcuts go into, as written
    std::vector<std::string> paths;  // what they open, as written
};

// Nothing unless the command line starts with "/ADDTO:" (in any letter case). It is split into
// arguments as Windows splits a command line; the first, after the prefix, names the lane folder.
std::optional<AddToCommand> ReadAddToCommand(const std::string& commandLine);

// The name (without ".lnk") of the shortcut to `path`, a folder's when `folder`: the file's name
// without its extension, a folder's whole, a drive's letter; from the second attempt on followed
// by " (2)", " (3)" and so on.
std::string ShortcutName(const std::string& path, bool folder, int attempt);

// Puts a shortcut to each path into the lane folder, in order, each under the first name that
// nothing in the folder has: nothing is ever overwritten. A missing lane folder, or a path that
// does not exist, is reported in one message naming it, and then nothing is made; so is a
// shortcut that cannot be written, and the ones after it are not made.
void AddToLane(Services& services, const AddToCommand& command);

}  // namespace iconlane
