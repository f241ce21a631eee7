#include "startup/samelist.h"

#include <algorithm>
#include <vector>

#include "platform/textrules.h"
#include "tray/shortcutpicture.h"

namespace iconlane {
namespace {

constexpr std::string_view kBatchPrefix = "/BATCH:", kFolderPrefix = "/FOLDER:";

bool StartsWithPrefix(const std::string& text, std::string_view prefix) {
    return UpperCase(text.substr(0, prefix.size())) == prefix;
}

bool HasDrive(const std::string& path) {
    return path.size() >= 2 && path[1] == ':';
}

// Where ".." stops: "C:" for a drive, "\\server\share" for a share.
std::size_t RootLength(const std::string& full) {
    if (HasDrive(full)) return 2;
    if (!full.starts_with("\\\\")) return 0;
    std::size_t server = full.find('\\', 2);
    if (server == std::string::npos) return full.size();
    return std::min(full.find('\\', server + 1), full.size());
}

std::string BackslashesOnly(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// The path joined to the current folder where it is not full already.
std::string Joined(const std::string& path, const std::string& current) {
    if (path.starts_with("\\\\")) return path;
    if (HasDrive(path) && path.size() > 2 && path[2] == '\\') return path;
    if (HasDrive(path)) {
        bool here =
            HasDrive(current) && UpperCase(current.substr(0, 1)) == UpperCase(path.substr(0, 1));
        return (here ? current : path.substr(0, 2)) + "\\" + path.substr(2);
    }
    if (path.starts_with("\\")) return current.substr(0, RootLength(current)) + path;
    return current + "\\" + path;
}

}  // namespace

ListCommand ReadListCommand(const std::string& commandLine, const Environment& environment) {
    if (StartsWithPrefix(commandLine, kBatchPrefix)) {
        std::string name = commandLine.substr(kBatchPrefix.size());
        return {ListKind::kBatch, name, name};
    }
    if (StartsWithPrefix(commandLine, kFolderPrefix)) {
        // "%APPDATA%\..." works even where nothing expanded the command line (a Startup shortcut).
        std::string name = commandLine.substr(kFolderPrefix.size());
        return {ListKind::kFolder, name, ExpandAllVariables(name, environment)};
    }
    return {ListKind::kLine, commandLine, {}};
}

std::string FullPath(const std::string& path, const std::string& currentFolder) {
    std::string full = Joined(BackslashesOnly(path), BackslashesOnly(currentFolder));
    std::size_t rootLength = RootLength(full);
    std::vector<std::string> parts;
    for (std::size_t at = rootLength; at < full.size();) {
        std::size_t end = std::min(full.find('\\', at), full.size());
        std::string part = full.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string made = full.substr(0, rootLength);
    for (const std::string& part : parts) made += "\\" + part;
    return parts.empty() ? made + "\\" : made;
}

std::optional<std::string> ListKey(const ListCommand& command, const std::string& currentFolder) {
    switch (command.kind) {
        case ListKind::kBatch:
            return "batch " + FoldCase(FullPath(command.path, currentFolder));
        case ListKind::kFolder:
            return "folder " + FoldCase(FullPath(command.path, currentFolder));
        case ListKind::kLine:
            break;
    }
    if (command.written.empty()) return std::nullopt;
    return "line " + command.written;
}

}  // namespace iconlane
