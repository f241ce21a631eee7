#include "platform/options.h"

#include "platform/errors.h"
#include "platform/textreader.h"
#include "platform/textrules.h"

namespace iconlane {
namespace {

constexpr const char* kHotKeyForm =
    "A hot key is Ctrl, Alt or Win (and Shift if wanted) joined by + before a letter, a digit, F1 "
    "to F24 or Space, as in HOTKEY=Ctrl+Alt+Q. Iconlane runs without one.";

bool IsIgnoredItem(const std::string& item) {
    return (!item.empty() && item[0] == ';') || TrimTrailingBlanks(item).empty();
}

void ReportFailure(Dialogs& dialogs, const RuntimeError& error, const std::string& path,
                   const std::string& detail) {
    dialogs.ShowMessage("Error" + SignedNumberText(error.Number()) + " (" + error.Description() +
                            ") occurred during Options File Read of '" + QuotedExcerpt(path) + "'" +
                            detail,
                        MessageStyle::kCritical, "Iconlane!");
}

void ReadOptionItems(Services& services, const std::string& path, Options& options) {
    ItemReader reader(TextOfFile(services.files.ReadFile(path), services.process));
    std::string key;
    while (!reader.AtEnd()) {
        std::string item = reader.ReadItem();
        if (IsIgnoredItem(item)) continue;
        try {
            ApplyOptionItem(item, key, options);
        } catch (const RuntimeError& error) {
            if (error.Number() != kInvalidArgument) throw;
            ReportFailure(services.dialogs, error, path,
                          ", in '" + QuotedExcerpt(item) + "'.\n\n" + kHotKeyForm);
        }
    }
}

void ApplyHotKey(const std::string& value, Options& options) {
    if (value.find_first_not_of(" \t") == std::string::npos) {
        options.HotKey.reset();
        return;
    }
    std::optional<HotKeyChord> chord = ReadChord(value);
    if (!chord) throw RuntimeError(kInvalidArgument);
    options.HotKey = chord;
}

std::string OptionsFilePath(Services& services) {
    std::string roaming = services.environment.Variable("APPDATA");
    if (roaming.empty()) roaming = services.environment.RoamingFolder();
    std::string own = roaming + "\\Iconlane\\Iconlane.ini";
    try {
        if (!roaming.empty() && !services.files.FindFirst(own, SearchKind::kFilesOnly).empty())
            return own;
    } catch (const RuntimeError&) {
        // A name the search refuses is no file of the user's: the one beside the program is read.
    }
    return services.process.ProgramFolder() + "\\Iconlane.ini";
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
    } else if (key == "HOTKEY") {
        ApplyHotKey(value, options);
    }
}

void ReadOptions(Services& services, Options& options) {
    std::string path = OptionsFilePath(services);
    try {
        if (services.files.FindFirst(path, SearchKind::kFilesOnly).empty()) return;
        ReadOptionItems(services, path, options);
    } catch (const std::exception&) {
        ReportFailure(services.dialogs, CurrentNumberedError(), path, ".");
    }
}

}  // namespace iconlane
