#include "startup/options.h"

#include "platform/errors.h"
#include "platform/textreader.h"
#include "platform/textrules.h"

namespace iconlane {
namespace {

bool IsIgnoredItem(const std::string& item) {
    return (!item.empty() && item[0] == ';') || TrimTrailingBlanks(item).empty();
}

void ReadOptionItems(Services& services, const std::string& path, Options& options) {
    ItemReader reader(TextOfFile(services.files.ReadFile(path), services.process));
    std::string key;
    while (!reader.AtEnd()) {
        std::string item = reader.ReadItem();
        if (!IsIgnoredItem(item)) ApplyOptionItem(item, key, options);
    }
}

}  // namespace

void ApplyOptionItem(const std::string& item, std::string& key, Options& options) {
    int equals = FindText(item, "=");
    if (equals > 0) key = UpperCase(item.substr(0, equals - 1));
    std::string value = UpperCase(item.substr(equals));
    bool flag = value != "FALSE";
    if (key == "EXITDISABLED") {
        options.ExitDisabled = flag;
    } else if (key == "CLICKMODE") {
        options.ClickMessage = value == "SINGLE" ? kSingleClickMessage : kDoubleClickMessage;
    } else if (key == "HELPDISABLED") {
        options.HelpDisabled = flag;
    } else if (key == "RIGHTMOUSEMENUDISABLED") {
        options.RightMenuDisabled = flag;
    } else if (key == "SHOWICONS") {
        options.ShowIcons = flag;
    }
}

void ReadOptions(Services& services, Options& options) {
    std::string path = services.process.ProgramFolder() + "\\Iconlane.ini";
    try {
        if (services.files.FindFirst(path, SearchKind::kFilesOnly).empty()) return;
        ReadOptionItems(services, path, options);
    } catch (const std::exception&) {
        RuntimeError error = CurrentNumberedError();
        services.dialogs.ShowMessage("Error" + SignedNumberText(error.Number()) + " (" +
                                         error.Description() +
                                         ") occurred during Options File Read.",
                                     MessageStyle::kCritical, "Iconlane!");
    }
}

}  // namespace iconlane
