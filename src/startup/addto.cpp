#include "startup/addto.h"

#include "platform/commandline.h"
#include "platform/errors.h"
#include "platform/textrules.h"
#include "startup/samelist.h"
#include "tray/shortcutpicture.h"

namespace iconlane {
namespace {

constexpr std::string_view kAddToPrefix = "/ADDTO:";
// A folder holding "name.lnk" up to "name (999).lnk" is full enough to give up on that name.
constexpr int kMostAttempts = 999;

void Report(Services& services, const std::string& text) {
    services.dialogs.ShowMessage(text, MessageStyle::kCritical, "Iconlane!");
}

// A name something has already fails with 58 (nothing is ever overwritten): the next one.
void MakeShortcutIn(Services& services, const std::string& lane, const std::string& target,
                    bool folder) {
    const std::string into = lane.ends_with('\\') ? lane : lane + "\\";
    for (int attempt = 1; attempt <= kMostAttempts; ++attempt) {
        try {
            services.shortcuts.MakeShortcut(into + ShortcutName(target, folder, attempt) + ".lnk",
                                            target);
            return;
        } catch (const RuntimeError& error) {
            if (error.Number() != kFileAlreadyExists) throw;
        }
    }
    throw RuntimeError(kFileAlreadyExists);
}

}  // namespace

std::optional<AddToCommand> ReadAddToCommand(const std::string& commandLine) {
    if (UpperCase(commandLine.substr(0, kAddToPrefix.size())) != kAddToPrefix) return std::nullopt;
    std::vector<std::string> arguments = SplitArguments(commandLine);
    AddToCommand command{arguments.front().substr(kAddToPrefix.size()), {}};
    command.paths.assign(arguments.begin() + 1, arguments.end());
    return command;
}

std::string ShortcutName(const std::string& path, bool folder, int attempt) {
    std::string whole = path;
    while (whole.size() > 1 && (whole.back() == '\\' || whole.back() == '/')) whole.pop_back();
    std::string name = whole.substr(whole.find_last_of("\\/:") + 1);
    std::size_t dot = name.rfind('.');
    if (!folder && dot != std::string::npos && dot > 0) name.erase(dot);
    if (name.empty()) name = whole.substr(0, 1);
    return attempt > 1 ? name + " (" + std::to_string(attempt) + ")" : name;
}

// Everything is looked at before anything is made, so that a slip in one path changes nothing.
void AddToLane(Services& services, const AddToCommand& command) {
    const std::string current = services.process.CurrentFolder();
    const std::string lane =
        FullPath(ExpandAllVariables(command.lane, services.environment), current);
    std::optional<FolderItem> laneFolder = services.files.Details(lane);
    if (command.lane.empty() || !laneFolder || !laneFolder->folder) {
        return Report(services, "Couldn't find the lane folder '" + QuotedExcerpt(command.lane) +
                                    "': nothing was added to it.");
    }
    std::vector<std::pair<std::string, bool>> targets;
    std::string missing;
    for (const std::string& path : command.paths) {
        std::string full = FullPath(path, current);
        if (std::optional<FolderItem> item = services.files.Details(full)) {
            targets.emplace_back(full, item->folder);
        } else {
            missing += (missing.empty() ? "'" : ", '") + QuotedExcerpt(path) + "'";
        }
    }
    const std::string inLane = " to the lane '" + QuotedExcerpt(lane) + "'";
    if (!missing.empty())
        return Report(services,
                      "Couldn't find " + missing + " to add" + inLane + ": nothing was added.");
    if (targets.empty()) return Report(services, "Nothing to add" + inLane + ".");
    for (const auto& [target, folder] : targets) {
        try {
            MakeShortcutIn(services, lane, target, folder);
        } catch (const std::exception&) {
            RuntimeError error = CurrentNumberedError();
            return Report(services, "Couldn't add '" + QuotedExcerpt(target) + "'" + inLane +
                                        " (error " + std::to_string(error.Number()) + ": " +
                                        error.Description() + ").");
        }
    }
}

}  // namespace iconlane
